; The keyboard: SCNKEY scans CIA 1's 8 x 8 matrix, the KEYLOG routine picks
; the decode table for SHIFT, C= and CTRL, and the key goes into the
; 10-character buffer at $0277 with the C64's repeat rules. The machine's
; host keyboard also types into that buffer directly; while it does, the
; scan only reports what the matrix holds (SFDX, SHFLAG).
;
; Key numbers are row * 8 + column (row = the port A line driven low,
; column = the port B bit read low); 64 means no key.

.include "zeropage.inc"
.include "system.inc"
.include "io.inc"
.include "kernal_internal.inc"

NO_KEY          = $40
REPEAT_DELAY    = $10   ; jiffies before a held key repeats
REPEAT_RATE     = 4     ; jiffies between repeats
MOD_SHIFT       = 1
MOD_COMMODORE   = 2
MOD_CONTROL     = 4
KEY_RUN_STOP_CODE = 3   ; decodes below 5 but is not a modifier
STOP_ROW        = $7F   ; port A with only the RUN/STOP row selected

.segment "KERNAL_E5B4"

; GETIN from the keyboard buffer, and the C64's $E5B4 that programs call
; once a key is waiting: A = the oldest character, or 0 when the buffer is
; empty. Keeps interrupts as they were; returns carry clear.
; Clobbers X, Y.
take_key:
        lda NDX
        beq @empty
        php
        sei
        ldy KEYD
        ldx #1
@shift: cpx NDX                 ; the count is read again every step, so a
        bcs @moved              ; character typed meanwhile moves down too
        cpx #10
        bcs @moved
        lda KEYD,x
        sta KEYD - 1,x
        inx
        bne @shift
@moved: dec NDX
        tya
        plp
@empty: clc
        rts

.assert take_key = $E5B4, error, "taking a key must be at $E5B4"

.segment "KERNAL_EA87"

; SCNKEY: scan the matrix into SFDX (the key down now, the highest-numbered
; one wins) and SHFLAG (the modifiers), then decode through KEYLOG.
; Called by the IRQ handler; clobbers A, X, Y.
scnkey:
        lda #NO_KEY
        sta SFDX
        lda #0
        sta SHFLAG
        sta CIA1_PRA            ; every row at once: with no key down (nearly
        jsr read_columns        ; every jiffy) the row-by-row scan, most of
        cmp #$FF                ; the interrupt's time, is not needed
        beq @done
        ldy #0                  ; key number
        lda #$FE                ; row 0 first
@row:   sta CIA1_PRA
        pha
        jsr read_columns
        ldx #8
@column:
        lsr a
        bcs @up
        pha
        lda unshifted_keys,y
        cmp #MOD_CONTROL + 1
        bcs @key
        cmp #KEY_RUN_STOP_CODE
        beq @key
        ora SHFLAG
        sta SHFLAG
        bne @next
@key:   sty SFDX
@next:  pla
@up:    iny
        dex
        bne @column
        pla
        sec
        rol a                   ; next row; the zero leaves after row 7
        bcs @row
@done:  lda #STOP_ROW           ; leave the RUN/STOP row selected, as the
        sta CIA1_PRA            ; STOP key test and joystick 2 expect
        jmp (KEYLOG)

.assert scnkey = $EA87, error, "SCNKEY must be at $EA87"

; A = the column byte of the selected row, read until two reads agree (at
; most four tries: the contacts may bounce). Clobbers X.
read_columns:
        ldx #4
@again: lda CIA1_PRB
        cmp CIA1_PRB
        beq @stable
        dex
        bne @again
@stable:
        rts

.segment "KERNAL_EB48"

; The default KEYLOG routine.
key_decode:
        jmp choose_decode_table

.assert key_decode = $EB48, error, "keyboard decode must be at $EB48"

.segment "KERNAL_EC"

; Not zero while the host types every key into the buffer itself, the
; character set switch too: then the matrix is only reported, or each key
; would come twice. The machine sets it in its copy of this ROM.
host_types_keys:
        .byte 0

; SHIFT+C= switches the character set (unless locked by CHR$(8)), then
; CTRL, C= or SHIFT chooses the decode table.
choose_decode_table:
        lda host_types_keys
        bne @pick
        lda SHFLAG
        cmp #MOD_SHIFT | MOD_COMMODORE
        bne @pick
        cmp LSTSHF
        beq @pick
        bit MODE
        bmi @pick
        lda VIC_MEMPTR
        eor #$02
        sta VIC_MEMPTR
@pick:  lda SHFLAG
        sta LSTSHF
        ldx #3
        and #MOD_CONTROL
        bne @table
        dex
        lda SHFLAG
        and #MOD_COMMODORE
        bne @table
        lda SHFLAG              ; 1 with SHIFT, 0 without
        tax
@table: lda key_tables_low,x
        sta KEYTAB
        lda key_tables_high,x
        sta KEYTAB + 1
        jmp key_process

key_tables_low:
        .lobytes unshifted_keys, shifted_keys, commodore_keys, control_keys
key_tables_high:
        .hibytes unshifted_keys, shifted_keys, commodore_keys, control_keys

; Turn SFDX into a character through KEYTAB: a new key is stored at once, a
; held one repeats after a delay when RPTFLG allows it ($80 every key, $40
; none, otherwise cursor keys, INST/DEL and space), and only into an empty
; buffer.
key_process:
        ldy SFDX
        cpy #NO_KEY
        bne @down
        sty LSTX
        lda #REPEAT_DELAY
        sta DELAY
        rts
@down:  lda (KEYTAB),y
        tax
        cpy LSTX
        beq @held
        sty LSTX
        lda #REPEAT_DELAY
        sta DELAY
        lda #REPEAT_RATE
        sta KOUNT
        jmp store_key
@held:  bit RPTFLG
        bmi @repeats
        bvs @done
        ldy #REPEATING_COUNT - 1
@which: cmp repeating_keys,y
        beq @repeats
        dey
        bpl @which
        rts
@repeats:
        lda DELAY
        beq @rate
        dec DELAY
        rts
@rate:  dec KOUNT
        bne @done
        lda #REPEAT_RATE
        sta KOUNT
        lda NDX
        beq store_key
@done:  rts

; Put character X into the keyboard buffer unless it is full, X is $FF
; (no character) or the host types the keys.
store_key:
        cpx #$FF
        beq @done
        lda host_types_keys
        bne @done
        ldy NDX
        cpy XMAX
        bcs @done
        txa
        sta KEYD,y
        inc NDX
@done:  rts

repeating_keys:
        .byte ' ', $11, $91, $1D, $9D, $14, $94
REPEATING_COUNT = * - repeating_keys
