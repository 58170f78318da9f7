; LIST [first][-[last]]: each line as its number, a blank and its text,
; tokens outside quotes expanded through IQPLOP (default $A71A).

.include "basic.inc"

.segment "BASIC_B394"

LAST    = FORPNT                ; last line number to list
QUOTE   = GARBFL                ; bit 7 while inside quotes
LINE    = INPPTR                ; the line being listed (number printing uses LOWTR)

stmt_list:
        lda     #0
        sta     LINNUM
        sta     LINNUM+1
        lda     #$FF
        sta     LAST
        sta     LAST+1
        jsr     CHRGOT
        bcs     @range
        jsr     parse_line_number
        cmp     #TOK_MINUS
        beq     @range                  ; LIST n-: LAST stays the end
        ldx     LINNUM                  ; LIST n: just that line (keeps A)
        stx     LAST
        ldx     LINNUM+1
        stx     LAST+1
@range: cmp     #TOK_MINUS
        bne     @check
        jsr     CHRGET
        bcs     @check
        lda     LINNUM                  ; parse the last number without losing the first
        pha
        lda     LINNUM+1
        pha
        jsr     CHRGOT
        jsr     parse_line_number
        lda     LINNUM
        sta     LAST
        lda     LINNUM+1
        sta     LAST+1
        pla
        sta     LINNUM+1
        pla
        sta     LINNUM
@check: jsr     CHRGOT
        beq     @go
        jmp     syntax_error
@go:    jsr     find_line
        lda     LOWTR
        sta     LINE
        lda     LOWTR+1
        sta     LINE+1
@line:  jsr     STOP
        beq     @break
        ldy     #1
        lda     (LINE),y
        beq     @done                   ; end of program
        ldy     #2                      ; past the last line asked for?
        lda     LAST
        cmp     (LINE),y
        iny
        lda     LAST+1
        sbc     (LINE),y
        bcc     @done
        ldy     #2
        lda     (LINE),y
        tax
        iny
        lda     (LINE),y
        jsr     print_uint16
        lda     #' '
        jsr     CHROUT
        lda     #0
        sta     QUOTE
        ldy     #4
@text:  lda     (LINE),y
        beq     @end_line
        sty     COUNT
        jsr     list_token_vector
        ldy     COUNT
        iny
        bne     @text
@end_line:
        jsr     out_cr
        ldy     #0                      ; on to the next line
        lda     (LINE),y
        tax
        iny
        lda     (LINE),y
        sta     LINE+1
        stx     LINE
        bne     @line                   ; (the high byte: never zero page)
@done:  jmp     ready
@break: sec
        jmp     stop_or_end

list_token_vector:
        jmp     (IQPLOP)

; list_token: the IQPLOP default. Print program byte A: a keyword for a
; token outside quotes, the character itself otherwise. Clobbers A, X, Y.
list_token:
        cmp     #'"'
        bne     @not_quote
        pha
        lda     QUOTE
        eor     #$80
        sta     QUOTE
        pla
@not_quote:
        bit     QUOTE
        bmi     @plain
        cmp     #TOK_END
        bcc     @plain
        cmp     #TOK_GO+1
        bcs     @plain
        sec
        sbc     #TOK_END-1              ; 1-based keyword number
        tax
        ldy     #$FF
@find:  dex
        beq     @print
@skip:  iny
        lda     keyword_table,y
        bpl     @skip
        bmi     @find
@print: iny
        lda     keyword_table,y
        pha
        and     #$7F
        jsr     CHROUT
        pla
        bpl     @print
        rts
@plain: jmp     CHROUT
