; Screen rows at the C64's own addresses, which machine-code programs call
; directly: the line pointer PNT for row X ($E9F0), clearing row X ($E9FF)
; and the colour RAM pointer USER that matches PNT ($EA24).

.include "zeropage.inc"
.include "system.inc"
.include "io.inc"
.include "kernal_internal.inc"

.segment "KERNAL_E9F0"

; Point PNT at screen row X. Keeps X, Y; clobbers A.
point_at_line:
        lda row_lo,x
        sta PNT
        lda row_hi,x
        ora HIBASE              ; the screen starts on a 1 KB boundary
        sta PNT + 1
        rts

.assert point_at_line = $E9F0, error, "row pointer must be at $E9F0"

.segment "KERNAL_E9FF"

; Blank row X in the current colour; PNT and USER are left on it. Keeps X;
; clobbers A, Y.
clear_row:
        jsr point_at_row
        ldy #SCREEN_COLUMNS - 1
@col:   lda #' '
        sta (PNT),y
        lda COLOR
        sta (USER),y
        dey
        bpl @col
        rts

.assert clear_row = $E9FF, error, "clearing a row must be at $E9FF"

; Make row X a blank one-row logical line. Keeps X; clobbers A, Y, PNT, USER.
start_fresh_row:
        lda #$80
        jsr set_link
        jmp clear_row

; Point PNT at screen row X and USER at its colour RAM. Keeps X, Y;
; clobbers A.
point_at_row:
        jsr point_at_line
        jmp sync_color_line

.segment "KERNAL_EA24"

; USER = the colour RAM row under PNT's screen row. Keeps X, Y; clobbers A.
sync_color_line:
        lda PNT
        sta USER
        lda PNT + 1
        and #$03                ; the page within the 1 KB screen
        ora #>COLOR_RAM
        sta USER + 1
        rts

.assert sync_color_line = $EA24, error, "colour pointer must be at $EA24"
