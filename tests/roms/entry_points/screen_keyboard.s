; The KERNAL's screen and keyboard routines that programs call at their C64
; addresses: line and colour pointers, clearing a row, scrolling, the cursor
; pointers, taking a key from the buffer and the keyboard scan.

.include "check.inc"
.include "io.inc"

LINE_POINTER    = $E9F0
CLEAR_ROW       = $E9FF
COLOR_POINTER   = $EA24
SCROLL_UP       = $E8EA
CURSOR_POINTERS = $E56C
TAKE_KEY        = $E5B4
SCAN_KEYBOARD   = $EA87

COLORS  = COLOR_RAM
MARK    = $01                   ; screen code of "A"

run_checks:
        sei                     ; the jiffy interrupt stays out of the buffer
        step_begin 1            ; $E9F0: PNT = start of row X, X kept
        ldx #5
        jsr LINE_POINTER
        expect_x 5
        expect_byte PNT, <(SCREEN_RAM + 200)
        expect_byte PNT + 1, >(SCREEN_RAM + 200)

        step_begin 2            ; $EA24: USER follows PNT into colour RAM
        lda #<(SCREEN_RAM + 960)
        sta PNT
        lda #>(SCREEN_RAM + 960)
        sta PNT + 1
        jsr COLOR_POINTER
        expect_byte USER, <(COLORS + 960)
        expect_byte USER + 1, >(COLORS + 960)

        step_begin 3            ; $E9FF: row X blank in the text colour
        lda #MARK
        sta SCREEN_RAM + 3 * 40
        sta SCREEN_RAM + 3 * 40 + 39
        sta SCREEN_RAM + 4 * 40     ; (the next row is not touched)
        lda #2
        sta COLOR
        ldx #3
        jsr CLEAR_ROW
        expect_x 3
        expect_byte SCREEN_RAM + 3 * 40, ' '
        expect_byte SCREEN_RAM + 3 * 40 + 39, ' '
        expect_byte SCREEN_RAM + 4 * 40, MARK
        lda COLORS + 3 * 40 + 17
        and #$0F
        expect_a 2

        step_begin 4            ; $E8EA: everything one row up, TBLX too
        lda #MARK + 1
        sta SCREEN_RAM + 24 * 40
        lda #10
        sta TBLX
        jsr SCROLL_UP
        expect_byte SCREEN_RAM + 3 * 40, MARK
        expect_byte SCREEN_RAM + 23 * 40, MARK + 1
        expect_byte SCREEN_RAM + 24 * 40, ' '
        expect_byte TBLX, 9

        step_begin 5            ; $E56C: pointers from TBLX and PNTR
        lda #4
        sta TBLX
        lda #7
        sta PNTR
        jsr CURSOR_POINTERS
        expect_byte PNT, <(SCREEN_RAM + 160)
        expect_byte PNT + 1, >(SCREEN_RAM + 160)
        expect_byte USER + 1, >(COLORS + 160)
        expect_byte LNMX, 39
        expect_byte PNTR, 7

        step_begin 6            ; $E5B4: the oldest key out, the rest move up
        ldx #2
@fill:  lda typed,x
        sta KEYD,x
        dex
        bpl @fill
        lda #3
        sta NDX
        jsr TAKE_KEY
        expect_a 'Q'
        expect_byte NDX, 2
        expect_byte KEYD, 'U'
        expect_byte KEYD + 1, 'I'

        step_begin 7            ; $EA87: a scan with no key down says so
        lda #0
        sta SFDX
        jsr SCAN_KEYBOARD
        expect_byte SFDX, $40
        expect_byte NDX, 2
        lda #0
        sta NDX
        cli
        rts

typed:  .byte "QUI"
passed_text:
        .byte 13, "SCREEN ENTRIES OK", 0
