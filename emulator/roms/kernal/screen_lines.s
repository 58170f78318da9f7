; Screen editor geometry: where the cursor is, logical lines of one or two
; rows, scrolling, and opening a row when a line grows.
;
; The cursor state is the C64's: TBLX the physical row, PNTR the column
; within the logical line (0-79), PNT/USER the first row of that line in
; screen and colour RAM, LNMX its last column (39 or 79). Bit 7 of a row's
; link table entry (LDTB1) is set when the row starts a logical line.

.include "zeropage.inc"
.include "system.inc"
.include "io.inc"
.include "kernal_internal.inc"

.segment "KERNAL_E8EA"

; Scroll the whole top logical line (one or two rows) off the screen (the
; C64's scroll entry). TBLX and the input start row LXSP move up with the
; text. The cursor pointers are left stale: callers place the cursor again.
; Clobbers A, X, Y.
scroll_screen:
@row:   ldx #0
@copy:  jsr copy_row_from_below
        inx
        cpx #SCREEN_ROWS - 1
        bne @copy
        jsr start_fresh_row
        dec TBLX
        dec LXSP
        lda LDTB1               ; a continuation at the top still belongs
        bpl @row                ; to the line being removed
        rts

.assert scroll_screen = $E8EA, error, "scrolling must be at $E8EA"

; Put the cursor at physical row X (0-24), physical column Y (0-39).
; Clobbers A, X, Y.
place_cursor:
        stx TBLX
        sty PNTR
        lda LDTB1,x
        bmi @first_row
        txa
        beq @first_row          ; the top row always starts a line
        dex
        lda PNTR
        clc
        adc #SCREEN_COLUMNS
        sta PNTR
@first_row:
        jsr point_at_row
        ldy #SCREEN_COLUMNS - 1
        cpx #SCREEN_ROWS - 1
        bcs @length
        lda LDTB1 + 1,x
        bmi @length
        ldy #LOGICAL_LINE_MAX
@length:
        sty LNMX
        rts

; Out: A = the cursor's physical column, Z set for column 0. Keeps X, Y.
cursor_column:
        lda PNTR
        cmp #SCREEN_COLUMNS
        bcc @done
        sbc #SCREEN_COLUMNS
@done:  and #$FF
        rts

; Out: A = the row on which the cursor's logical line starts. Keeps X, Y.
line_first_row:
        lda PNTR
        cmp #SCREEN_COLUMNS
        lda TBLX
        bcc @done
        sbc #1
@done:  rts

; Move the cursor to column A of its logical line, TBLX following it onto
; the second row and back. Clobbers A, X.
set_line_column:
        pha
        jsr line_first_row
        tax
        pla
        sta PNTR
        cmp #SCREEN_COLUMNS
        bcc @row
        inx
@row:   stx TBLX
        rts

; The cursor's one-row logical line becomes two rows: the rows below move
; down to make room (the bottom row is lost), or at the bottom of the screen
; everything scrolls up. The cursor stays on the character it was on.
; Clobbers A, X, Y.
grow_line:
        lda TBLX
        cmp #SCREEN_ROWS - 1
        bcc @open
        jsr scroll_screen
@open:  ldx #SCREEN_ROWS - 1    ; move rows down from the bottom up
@down:  dex
        cpx TBLX
        beq @blank
        inx
        jsr copy_row_from_above
        dex
        jmp @down
@blank: inx                     ; the row under the cursor's line
        jsr start_fresh_row
        lda #0
        jsr set_link
        ldx TBLX
        ldy PNTR
        jmp place_cursor

; Copy the row below (or above) onto row X: characters, colours and its link
; flag. Keeps X; clobbers A, Y, PNT, USER.
copy_row_from_below:
        jsr point_at_row
        lda PNT
        clc
        adc #SCREEN_COLUMNS
        sta EDIT_SRC
        lda PNT + 1
        adc #0
        sta EDIT_SRC + 1
        lda USER
        clc
        adc #SCREEN_COLUMNS
        sta EDIT_SRC_COLOR
        lda USER + 1
        adc #0
        sta EDIT_SRC_COLOR + 1
        lda LDTB1 + 1,x
        jmp copy_row

copy_row_from_above:
        jsr point_at_row
        lda PNT
        sec
        sbc #SCREEN_COLUMNS
        sta EDIT_SRC
        lda PNT + 1
        sbc #0
        sta EDIT_SRC + 1
        lda USER
        sec
        sbc #SCREEN_COLUMNS
        sta EDIT_SRC_COLOR
        lda USER + 1
        sbc #0
        sta EDIT_SRC_COLOR + 1
        lda LDTB1 - 1,x

; In: A = the source row's link entry, EDIT_SRC/EDIT_SRC_COLOR its start.
copy_row:
        and #$80
        jsr set_link
        ldy #SCREEN_COLUMNS - 1
@col:   lda (EDIT_SRC),y
        sta (PNT),y
        lda (EDIT_SRC_COLOR),y
        sta (USER),y
        dey
        bpl @col
        rts
