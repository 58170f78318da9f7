; Screen editor set-up: the fixed entries IOBASE, SCREEN and PLOT, clearing
; the screen, homing the cursor and setting its pointers, the VIC defaults,
; the row address tables.

.include "zeropage.inc"
.include "system.inc"
.include "io.inc"
.include "kernal_internal.inc"

.segment "KERNAL_E500"

; IOBASE: out X/Y = address of the I/O block (CIA 1).
iobase_body:
        ldx #<CIA1
        ldy #>CIA1
        rts

; SCREEN: out X = columns, Y = rows.
screen_body:
        ldx #SCREEN_COLUMNS
        ldy #SCREEN_ROWS
        rts

; PLOT: carry set reads the cursor into X (row) and Y (column); carry clear
; moves it there first. Y may be up to 79 on a two-row line.
plot_body:
        bcs @read
        jsr plot_set
@read:  ldx TBLX
        ldy PNTR
        rts

; Clamp a requested position to the screen, then place the cursor. A column
; past 39 reaches into the row below, where a two-row line continues.
plot_set:
        cpy #SCREEN_COLUMNS
        bcc @row
        tya
        sbc #SCREEN_COLUMNS
        cmp #SCREEN_COLUMNS
        bcc @next_row
        lda #SCREEN_COLUMNS - 1
@next_row:
        tay
        inx
@row:   cpx #SCREEN_ROWS
        bcc @place
        ldx #SCREEN_ROWS - 1
@place: jmp place_cursor

.assert iobase_body = $E500, error, "IOBASE body must be at $E500"
.assert screen_body = $E505, error, "SCREEN body must be at $E505"
.assert plot_body = $E50A, error, "PLOT must be at $E50A"

.segment "KERNAL_E544"

; Clear the screen: every row blank in the current colour and the start of
; its own logical line; then home the cursor. Clobbers A, X, Y.
clear_screen:
        ldx #SCREEN_ROWS - 1
@row:   jsr start_fresh_row
        dex
        bpl @row
        lda #$FF                ; the entry past the last row ends a line too
        sta LDTB1 + SCREEN_ROWS
        jmp home_cursor

.assert clear_screen = $E544, error, "clear screen must be at $E544"

.segment "KERNAL_E566"

; Cursor to row 0, column 0.
home_cursor:
        lda #0
        sta PNTR
        sta TBLX
        ; fall through

; The cursor's pointers and line length from row TBLX, physical column
; PNTR (the C64's $E56C); a row past the bottom scrolls the screen until it
; is on it. Clobbers A, X, Y.
move_cursor:
        lda TBLX
        cmp #SCREEN_ROWS
        bcc @place
        jsr scroll_screen       ; lowers TBLX by at least one row
        jmp move_cursor
@place: ldx TBLX
        ldy PNTR
        jmp place_cursor

.assert home_cursor = $E566, error, "cursor home must be at $E566"
.assert move_cursor = $E56C, error, "cursor pointers must be at $E56C"

.segment "KERNAL_E5A0"

; VIC initialisation: output to the screen, input from the keyboard, every
; VIC register to its start-up value. Clobbers A, X.
vic_init:
        lda #3
        sta DFLTO
        lda #0
        sta DFLTN
        ldx #VIC_REGISTERS
@reg:   lda vic_defaults - 1,x
        sta VIC - 1,x
        dex
        bne @reg
        rts

.assert vic_init = $E5A0, error, "VIC initialisation must be at $E5A0"

.segment "KERNAL_E5"

; $D000-$D02E: sprites off and at 0; 25 rows, display on, Y scroll 3; 40
; columns; screen at $0400 with the character ROM's upper-case set; light
; blue border on blue; the C64's multicolour and sprite colours.
vic_defaults:
        .byte $00, $00, $00, $00, $00, $00, $00, $00    ; sprite 0-3 X/Y
        .byte $00, $00, $00, $00, $00, $00, $00, $00    ; sprite 4-7 X/Y
        .byte $00, $1B, $00, $00, $00, $00, $08, $00    ; $D010-$D017
        .byte $14, $0F, $00, $00, $00, $00, $00, $00    ; $D018-$D01F
        .byte $0E, $06, $01, $02, $03, $04, $00, $01    ; $D020-$D027
        .byte $02, $03, $04, $05, $06, $07, $0C         ; $D028-$D02E
.assert * - vic_defaults = VIC_REGISTERS, error, "VIC table size"

; The screen editor's own start-up (CINT, warm starts): VIC, editor state,
; keyboard settings, text colour light blue, clear screen, home.
screen_init:
        jsr vic_init
        lda #0
        sta MODE
        sta BLNON
        sta QTSW
        sta RVS
        sta INSRT
        sta CRSW
        lda #<key_decode
        sta KEYLOG
        lda #>key_decode
        sta KEYLOG + 1
        lda #10
        sta XMAX
        lda #$10
        sta DELAY
        lda #4
        sta KOUNT
        lda #$0E
        sta COLOR
        lda #1                  ; the cursor blinks only while input waits
        sta BLNSW
        sta BLNCT
        jmp clear_screen

; Mark row X in the link table: A = $80 starts a logical line, $00 continues
; the one above. The low bits keep the row's screen page, as on the C64.
; Keeps X.
set_link:
        pha
        lda row_hi,x
        clc
        adc HIBASE
        and #$7F
        sta LDTB1,x
        pla
        ora LDTB1,x
        sta LDTB1,x
        rts

; Offsets of the 25 rows from the screen start.
row_lo:
        .repeat SCREEN_ROWS, r
        .byte <(r * SCREEN_COLUMNS)
        .endrepeat
row_hi:
        .repeat SCREEN_ROWS, r
        .byte >(r * SCREEN_COLUMNS)
        .endrepeat
