; Screen editor output: CHROUT to the screen. Printable PETSCII becomes a
; screen code in the current colour (reversed while RVS is on); control codes
; move the cursor, edit the line, set colours and modes. Inside quotes, and
; while inserted blanks are pending, control codes are shown as reversed
; characters instead, as the C64 shows them in program text.

.include "zeropage.inc"
.include "system.inc"
.include "io.inc"
.include "kernal_internal.inc"

CR          = $0D
SHIFT_CR    = $8D
CODE_DEL    = $14
CODE_INST   = $94
QUOTE       = $22

.segment "KERNAL_E716"

; Print character A on the screen. Keeps A, X, Y; returns carry clear.
print_to_screen:
        sta DATAX
        pha
        txa
        pha
        tya
        pha
        jsr output_character
        pla
        tay
        pla
        tax
        pla
        clc
        rts

.assert print_to_screen = $E716, error, "screen output must be at $E716"

.segment "KERNAL_E7"

output_character:
        lda #0                  ; output ends any line hand-back in progress
        sta CRSW
        lda DATAX
        cmp #CR
        beq carriage_return
        cmp #SHIFT_CR
        beq carriage_return
        tax
        and #$7F
        cmp #$20
        txa
        bcs printable
        cmp #CODE_INST          ; INST always inserts
        beq perform_control
        ldy INSRT
        bne show_reversed
        ldy QTSW
        beq perform_control
        cmp #CODE_DEL           ; DEL edits even inside quotes
        beq perform_control

; A control code shown as itself: $00-$1F as reversed screen codes $80-$9F,
; $80-$9F as reversed $C0-$DF.
show_reversed:
        cmp #$80
        bcc @low
        adc #$3F                ; carry is set: adds $40
        bne put_screen_code
@low:   ora #$80
        bne put_screen_code

printable:
        cmp #QUOTE
        bne @convert
        lda QTSW
        eor #1
        sta QTSW
        lda #QUOTE
@convert:
        jsr petscii_to_screen
        ldx RVS
        beq put_screen_code
        ora #$80

; Store screen code A at the cursor in the current colour and step on.
put_screen_code:
        ldy PNTR
        sta (PNT),y
        lda COLOR
        sta (USER),y
        lda INSRT
        beq advance_cursor
        dec INSRT

; One column on; the last column of a one-row line makes it a two-row line.
advance_cursor:
        lda PNTR
        cmp LNMX
        bne cursor_right
        cmp #SCREEN_COLUMNS - 1
        bne cursor_right
        jsr grow_line
        ; fall through

cursor_right:
        jsr cursor_column
        cmp #SCREEN_COLUMNS - 1
        bcc @same_row
        inc TBLX
        lda #$FF
        clc
@same_row:
        adc #1
        sta PNTR
        jmp move_cursor

; RETURN and SHIFT+RETURN: start of the row after the cursor's logical
; line; quote, reverse and insert modes end.
carriage_return:
        jsr line_first_row
        ldx LNMX
        cpx #LOGICAL_LINE_MAX   ; carry set: the line has two rows
        adc #1
        sta TBLX
        lda #0
        sta PNTR
        sta QTSW
        sta RVS
        sta INSRT
        jmp move_cursor

perform_control:
        ldx #15
@colour:
        cmp colour_codes,x
        beq @set_colour
        dex
        bpl @colour
        ldx #CONTROL_COUNT - 1
@find:  cmp control_codes,x
        beq @run
        dex
        bpl @find
        rts                     ; other codes do nothing on the screen
@set_colour:
        stx COLOR
        rts
@run:   lda control_high,x
        pha
        lda control_low,x
        pha
        rts

cursor_left:
        jsr cursor_column
        beq @wrap
        sec
        sbc #1
        sta PNTR
        jmp move_cursor
@wrap:  ldx TBLX                ; from column 0 to the end of the row above
        beq @done
        dec TBLX
        lda #SCREEN_COLUMNS - 1
        sta PNTR
        jmp move_cursor
@done:  rts

cursor_down:
        jsr cursor_column
        sta PNTR
        inc TBLX
        jmp move_cursor

cursor_up:
        ldx TBLX
        beq @done
        jsr cursor_column
        sta PNTR
        dec TBLX
        jmp move_cursor
@done:  rts

; DEL: the character left of the cursor goes, the rest of the logical line
; closes up. At the start of a line it blanks the end of the row above.
delete_char:
        lda PNTR
        bne @close_up
        ldx TBLX
        beq @done
        dec TBLX
        lda #SCREEN_COLUMNS - 1
        sta PNTR
        jsr move_cursor
        ldy PNTR
        jmp blank_at_y
@close_up:
        jsr cursor_left
        ldy PNTR
@shift: cpy LNMX
        beq blank_at_y
        iny
        lda (PNT),y
        dey
        sta (PNT),y
        iny
        lda (USER),y
        dey
        sta (USER),y
        iny
        bne @shift
@done:  rts

blank_at_y:
        lda #' '
        sta (PNT),y
        lda COLOR
        sta (USER),y
        rts

; INST: open a blank at the cursor, pushing the rest of the line right. A
; full one-row line grows to two rows; a full two-row line takes no more.
insert_char:
        ldy LNMX
        lda (PNT),y
        cmp #' '
        beq @room
        cpy #LOGICAL_LINE_MAX
        beq @done
        jsr grow_line
@room:  ldy LNMX
@shift: cpy PNTR
        beq @open
        dey
        lda (PNT),y
        iny
        sta (PNT),y
        dey
        lda (USER),y
        iny
        sta (USER),y
        dey
        jmp @shift
@open:  jsr blank_at_y
        inc INSRT
@done:  rts

reverse_on:
        lda #$12
        sta RVS
        rts

reverse_off:
        lda #0
        sta RVS
        rts

; CHR$(14) and CHR$(142) pick the character set; CHR$(8) and CHR$(9) lock
; and unlock the SHIFT+C= switch.
lower_case:
        lda VIC_MEMPTR
        ora #$02
        sta VIC_MEMPTR
        rts

upper_case:
        lda VIC_MEMPTR
        and #$FD
        sta VIC_MEMPTR
        rts

lock_case:
        lda #$80
        sta MODE
        rts

unlock_case:
        lda #0
        sta MODE
        rts

; A = printable PETSCII ($20-$7F, $A0-$FF) -> A = its screen code.
; Keeps X, Y.
petscii_to_screen:
        cmp #$FF                ; pi
        beq @pi
        cmp #$40
        bcc @done               ; $20-$3F stay
        cmp #$60
        bcc @minus_40           ; $40-$5F -> $00-$1F
        cmp #$80
        bcc @minus_20           ; $60-$7F -> $40-$5F
        cmp #$C0
        bcc @minus_40           ; $A0-$BF -> $60-$7F
        and #$7F                ; $C0-$FE -> $40-$7E
@done:  rts
@minus_20:
        and #$DF
        rts
@minus_40:
        sec
        sbc #$40
        rts
@pi:    lda #$5E
        rts

; The tables live apart from the code, which fills its fixed area.
.segment "KERNAL_EC"

; Colour codes, indexed by the colour they select.
colour_codes:
        .byte $90, $05, $1C, $9F, $9C, $1E, $1F, $9E
        .byte $81, $95, $96, $97, $98, $99, $9A, $9B

control_codes:
        .byte $11, $91, $1D, $9D, $13, $93, $14, $94, $12, $92, $0E, $8E, $08, $09
CONTROL_COUNT = * - control_codes
.define CONTROL_HANDLERS cursor_down-1, cursor_up-1, cursor_right-1, cursor_left-1, home_cursor-1, clear_screen-1, delete_char-1, insert_char-1, reverse_on-1, reverse_off-1, lower_case-1, upper_case-1, lock_case-1, unlock_case-1
control_low:
        .lobytes CONTROL_HANDLERS
control_high:
        .hibytes CONTROL_HANDLERS
.assert control_high - control_low = CONTROL_COUNT, error, "one handler per control code"
