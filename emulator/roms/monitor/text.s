; The monitor's command-line parsing (over the entered line) and its output
; through CHROUT: hex numbers, fixed texts, line ends and padding.

.include "monitor.inc"

BLANK = ' '
ADDRESS_COLUMNS = 34    ; addresses reported by C and H, five to a row

.segment "CODE"

; A = the character at the parse position, Z set at the end of the line.
; Keeps X, Y.
peek:
        stx @x + 1
        ldx line_pos
        lda line,x
@x:     ldx #0
        cmp #0
        rts

; A = the character at the parse position, which then moves past it (not
; past the end). Z set at the end. Keeps X, Y.
take:
        jsr peek
        beq @end
        inc line_pos
@end:   rts

; Past blanks; A = the next character, Z set at the end. Keeps X, Y.
skip_blanks:
        jsr peek
        cmp #BLANK
        bne @done
        inc line_pos
        bne skip_blanks
@done:  cmp #0
        rts

; Z set if only blanks are left.
at_end = skip_blanks

; Anything but blanks left on the line is an error.
expect_end:
        jsr skip_blanks
        bne fail_in_text
        rts

; A = a character -> carry clear and A = its value if it is a hex digit,
; else carry set.
hex_digit:
        cmp #'0'
        bcc @not
        cmp #'9' + 1
        bcc @decimal
        cmp #'A'
        bcc @not
        cmp #'F' + 1
        bcs @not
        sbc #'A' - 11           ; carry is clear: subtracts 'A' - 10
        clc
        rts
@decimal:
        sbc #'0' - 1            ; carry is clear
        clc
        rts
@not:   sec
        rts

; One to four hex digits at the parse position into word; digits = how
; many. Carry set if there is none; a fifth digit is an error. Keeps X, Y.
hex_number:
        lda #0
        sta word
        sta word + 1
        sta digits
@next:  jsr peek
        jsr hex_digit
        bcs @done
        pha
        lda digits
        cmp #4
        bcs fail_in_text
        inc digits
        inc line_pos
        tya
        pha
        ldy #4
@shift: asl word
        rol word + 1
        dey
        bne @shift
        pla
        tay
        pla
        ora word
        sta word
        jmp @next
@done:  lda digits
        beq @none
        clc
        rts
@none:  sec
        rts

fail_in_text:
        jmp fail

; A number after blanks or a comma, with or without "$". Carry set if
; there is none.
read_word:
        jsr skip_blanks
        cmp #','
        bne @dollar
        inc line_pos
        jsr skip_blanks
@dollar:
        cmp #'$'
        bne @number
        inc line_pos
@number:
        jmp hex_number

; A number that must be there.
need_word:
        jsr read_word
        bcs fail_in_text
        rts

; A byte-sized number: carry set if there is none, an error if too big.
; Out: A = the byte.
read_byte:
        jsr read_word
        bcs @none
        lda word + 1
        bne fail_in_text
        lda word
        clc
@none:  rts

need_byte:
        jsr read_byte
        bcs fail_in_text
        rts

; The range of a listing: start (or where the last listing stopped) into
; ptr, end into end_addr (or start + A, at most $FFFF). An end below the
; start is an error.
read_range:
        pha
        jsr read_word
        bcs @from_last
        lda word
        sta ptr
        lda word + 1
        sta ptr + 1
        jmp @end
@from_last:
        lda next_addr
        sta ptr
        lda next_addr + 1
        sta ptr + 1
@end:   pla
        clc
        adc ptr
        sta end_addr
        lda ptr + 1
        adc #0
        sta end_addr + 1
        bcc @given
        lda #$FF
        sta end_addr
        sta end_addr + 1
@given: jsr read_word
        bcs @check
        lda word
        sta end_addr
        lda word + 1
        sta end_addr + 1
@check: jsr expect_end
        jmp check_order

; A block given in full: start into ptr, end into end_addr, the end not
; below the start.
read_block:
        jsr need_word
        lda word
        sta ptr
        lda word + 1
        sta ptr + 1
        jsr need_word
        lda word
        sta end_addr
        lda word + 1
        sta end_addr + 1
check_order:
        lda end_addr
        cmp ptr
        lda end_addr + 1
        sbc ptr + 1
        bcc @below
        rts
@below: jmp fail

; After one item of a range: carry set when ptr was the end; else ptr and
; ptr2 move on by one and carry is clear.
step_range:
        lda ptr
        cmp end_addr
        bne @on
        lda ptr + 1
        cmp end_addr + 1
        bne @on
        sec
        rts
@on:    inc ptr
        bne @second
        inc ptr + 1
@second:
        inc ptr2
        bne @done
        inc ptr2 + 1
@done:  clc
        rts

; Carry set while RUN/STOP is held, so that a long listing can be stopped.
check_stop:
        jsr STOP
        clc
        bne @done
        sec
@done:  rts

; A = a byte, printed as two hex digits. Keeps X, Y.
put_hex_byte:
        pha
        lsr
        lsr
        lsr
        lsr
        jsr nibble_char
        jsr CHROUT
        pla
        pha
        jsr nibble_char
        jsr CHROUT
        pla
        rts

; A = the hex digit of A's low four bits.
nibble_char:
        and #$0F
        cmp #10
        bcc @decimal
        adc #'A' - '0' - 11     ; carry is set
@decimal:
        adc #'0'
        rts

; A = high byte, X = low byte, printed as four hex digits. Keeps X, Y.
put_hex_word:
        jsr put_hex_byte
        txa
        jmp put_hex_byte

put_space:
        lda #BLANK
        jmp CHROUT

; A = the line's mark (":", "'", ","), then ptr in hex: the start of a
; listing line that the line's command reads back.
put_address_line:
        jsr CHROUT
        ldx ptr
        lda ptr + 1
        jmp put_hex_word

; ptr in hex and a blank; the row ends when it is full.
report_address:
        ldx ptr
        lda ptr + 1
        jsr put_hex_word
        jsr put_space
        sec
        jsr PLOT
        cpy #ADDRESS_COLUMNS
        bcc @done
        lda #CR
        jsr CHROUT
@done:  rts

; Y = offset of a text in texts; prints it up to its 0. Clobbers A, Y.
put_text:
        lda texts,y
        beq @done
        jsr CHROUT
        iny
        bne put_text
@done:  rts

; Ends the row unless the cursor is at its start. Clobbers A, X, Y.
new_line:
        sec
        jsr PLOT
        tya
        beq @done
        lda #CR
        jmp CHROUT
@done:  rts

; Blanks over the rest of a reprinted row, then the row's end, so nothing
; of the line typed there is left behind. Clobbers A, X, Y.
pad_line:
        sec
        jsr PLOT
        cpy #LAST_COLUMN + 1
        bcs @end
        jsr put_space
        jmp pad_line
@end:   lda #CR
        jmp CHROUT

; The entered line is the row above the cursor: go back to its start to
; print its new form over it.
begin_reprint:
        lda #CURSOR_UP
        jmp CHROUT
