; GETIN, CHRIN and CHROUT: the current input or output device decides who
; serves the character. The keyboard and the screen belong to the screen
; editor, drive 8 to the host (drive.s); no other device can be a channel.

.include "zeropage.inc"
.include "system.inc"
.include "kernal_internal.inc"

CR = $0D
DEVICE_KEYBOARD = 0
DEVICE_SCREEN   = 3

.segment "KERNAL_F13E"

; GETIN: A = one character from the keyboard buffer, 0 when it is empty;
; from the screen, the next character of the line. Clobbers X, Y.
getin_body:
        lda DFLTN
        bne @not_keyboard
        jmp take_key
@not_keyboard:
        jmp chrin_body

.assert getin_body = $F13E, error, "GETIN must be at $F13E"

.segment "KERNAL_F157"

; CHRIN: A = the next input character. Keeps X, Y.
chrin_body:
        txa
        pha
        tya
        pha
        jsr input_from_device
        sta XSAV
        pla
        tay
        pla
        tax
        lda XSAV
        rts

input_from_device:
        lda DFLTN
        bne @not_keyboard
        jmp editor_input
@not_keyboard:
        cmp #DEVICE_SCREEN
        bne @other
        lda CRSW                ; the line from the cursor onwards
        bne @read
        jsr line_first_row
        sta LXSP
        lda PNTR
        sta LXSPX
        jsr begin_line_read
@read:  jmp read_screen_line
@other: cmp #DEVICE_DRIVE
        bne @absent
        jmp drive_read
@absent:
        jsr serial_absent
        lda #CR                 ; ends whatever line the caller collects
        rts

.assert chrin_body = $F157, error, "CHRIN must be at $F157"

.segment "KERNAL_F1CA"

; CHROUT: output character A. Keeps A, X, Y; carry clear.
chrout_body:
        pha
        lda DFLTO
        cmp #DEVICE_SCREEN
        bne @other
        pla
        jmp print_to_screen
@other: cmp #DEVICE_DRIVE
        bne @absent
        pla
        jmp drive_write
@absent:
        pla
        jmp serial_absent

.assert chrout_body = $F1CA, error, "CHROUT must be at $F1CA"
