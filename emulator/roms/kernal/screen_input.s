; Screen editor input: CHRIN from the keyboard. Keys are echoed and edit the
; screen while the cursor blinks; RETURN hands back the logical line under
; the cursor one character per call, trailing blanks dropped, then $0D.

.include "zeropage.inc"
.include "system.inc"
.include "kernal_internal.inc"

CR          = $0D
QUOTE       = $22
KEY_BACKSPACE = $08     ; what the host keyboard's Backspace types
KEY_SHIFT_RUN_STOP = $83
CODE_DEL    = $14
BLINK_JIFFIES = 20

.segment "KERNAL_EC"

; Out: A = next character of the entered line. Clobbers X, Y.
editor_input:
        lda CRSW
        bne read_screen_line
        jsr line_first_row      ; remember where this input began, so that a
        sta LXSP                ; prompt printed before it stays out of the
        lda PNTR                ; line handed back
        sta LXSPX
@wait:  lda NDX                 ; the cursor blinks while the buffer is empty
        sta BLNSW
        beq @wait
        jsr stop_cursor_blink
        jsr take_key
        cmp #KEY_SHIFT_RUN_STOP
        beq @load_run
        cmp #CR
        beq @entered
        cmp #KEY_BACKSPACE      ; the host's Backspace deletes, as its key
        bne @echo               ; cap promises
        lda #CODE_DEL
@echo:  jsr print_to_screen
        jmp @wait
@load_run:
        jsr queue_load_run
        jmp @wait
@entered:
        jsr begin_line_read
        ; fall through

; The next character of the line being handed back; $0D after its end, when
; the cursor also moves to the next line if the input came from the keyboard.
read_screen_line:
        ldy PNTR
        cpy INDX
        bcs @end
        lda (PNT),y
        jsr screen_to_petscii
        cmp #QUOTE
        bne @step
        pha
        lda QTSW
        eor #1
        sta QTSW
        pla
@step:  pha
        iny
        tya
        jsr set_line_column
        pla
        clc
        rts
@end:   lda #0
        sta CRSW
        sta QTSW
        lda DFLTN
        bne @done
        lda #CR
        jsr print_to_screen
@done:  lda #CR
        clc
        rts

; Start handing back the logical line under the cursor: from the column
; where the input began when it began on this line, else from column 0, up
; to its last non-blank character. Clobbers A, X, Y.
begin_line_read:
        ldy LNMX
@trim:  lda (PNT),y
        cmp #' '
        bne @last
        dey
        bpl @trim
@last:  iny
        sty INDX
        ldy #0
        jsr line_first_row
        cmp LXSP
        bne @from
        ldy LXSPX
@from:  lda #1
        sta CRSW
        lda #0
        sta QTSW
        tya
        jmp set_line_column

; SHIFT+RUN/STOP types LOAD and RUN.
queue_load_run:
        php
        sei
        ldx #0
@copy:  lda load_run_keys,x
        sta KEYD,x
        inx
        cpx #LOAD_RUN_LENGTH
        bne @copy
        stx NDX
        plp
        rts

load_run_keys:
        .byte "LOAD", CR, "RUN", CR
LOAD_RUN_LENGTH = * - load_run_keys

; A = screen code -> A = the PETSCII character it shows. Reversed characters
; inside quotes read back as the control codes that printed them; pi's
; screen code as $FF, the character that types it. Keeps X, Y.
screen_to_petscii:
        cmp #$80
        bcc @plain
        and #$7F
        pha
        lda QTSW
        beq @unreversed
        pla
        cmp #$20
        bcc @done               ; $80-$9F -> $00-$1F
        cmp #$40
        bcc @plain
        cmp #$60
        bcs @plain
        adc #$40                ; $C0-$DF -> $80-$9F
        rts
@unreversed:
        pla
@plain: cmp #$20
        bcc @plus_40            ; $00-$1F -> $40-$5F
        cmp #$40
        bcc @done               ; $20-$3F stay
        cmp #$60
        bcc @plus_80            ; $40-$5F -> $C0-$DF
        adc #$3F                ; $60-$7F -> $A0-$BF (carry is set)
@done:  rts
@plus_40:
        adc #$40
        rts
@plus_80:
        adc #$80
        cmp #$DE                ; pi reads back as the code BASIC knows
        bne @done               ; it by, $FF
        lda #$FF
        rts

; Called by the IRQ handler every jiffy: while input waits (BLNSW = 0) the
; character under the cursor flips between itself and its reverse in the
; text colour. Clobbers A, Y.
blink_cursor:
        lda BLNSW
        bne cursor_done
        dec BLNCT
        bne cursor_done
        lda #BLINK_JIFFIES
        sta BLNCT
        lda BLNON
        bne cursor_hide
        ldy PNTR
        lda (PNT),y
        sta GDBLN
        eor #$80
        sta (PNT),y
        lda (USER),y
        sta GDCOL
        lda COLOR
        sta (USER),y
        lda #1
        sta BLNON
cursor_done:
        rts

cursor_hide:
        ldy PNTR
        lda GDBLN
        sta (PNT),y
        lda GDCOL
        sta (USER),y
        lda #0
        sta BLNON
        rts

; Stop blinking and put back what the cursor covers; the cursor shows again
; one jiffy after input resumes waiting. Clobbers A, Y.
stop_cursor_blink:
        php
        sei
        lda #1
        sta BLNSW
        sta BLNCT
        lda BLNON
        beq @off
        jsr cursor_hide
@off:   plp
        rts
