; LIST [first][-[last]]: each line as its number, a blank and its text,
; tokens outside quotes expanded through IQPLOP (default $A71A).

.include "basic.inc"

.segment "BASIC_A7EA"

LAST    = FORPNT                ; last line number to list
QUOTE   = GARBFL                ; bit 7 while inside quotes
LINE    = INPPTR                ; the line being listed (number printing uses LOWTR)

stmt_list:
        php                     ; carry clear: a first number is given
        jsr     parse_line_number       ; LINNUM = it, or 0; A = what follows
        plp
        ldx     #$FF            ; LAST = the end, but LIST n: just that line
        ldy     #$FF
        bcs     @last
        cmp     #TOK_MINUS
        beq     @last
        ldx     LINNUM
        ldy     LINNUM+1
@last:  stx     LAST
        sty     LAST+1
        pha
        jsr     find_line               ; where the listing starts
        pla
        cmp     #TOK_MINUS
        bne     @check
        jsr     CHRGET
        bcs     @check                  ; LIST n-: LAST stays the end
        jsr     parse_line_number
        lda     LINNUM
        sta     LAST
        lda     LINNUM+1
        sta     LAST+1
@check: jsr     CHRGOT
        beq     @go
        jmp     syntax_error
@go:    lda     LOWTR
        ldx     LOWTR+1
@line:  sta     LINE
        stx     LINE+1
        jsr     STOP
        beq     @break
        ldy     #1
        lda     (LINE),y
        beq     @done                   ; end of program
        iny                             ; past the last line asked for?
        lda     LAST
        cmp     (LINE),y
        iny
        lda     LAST+1
        sbc     (LINE),y
        bcc     @done
        dey
        lda     (LINE),y
        tax
        iny
        lda     (LINE),y
        jsr     print_uint16
        lda     #' '
        sta     QUOTE                   ; (bit 7 clear: outside quotes)
        jsr     CHROUT
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
        ldy     #1                      ; on to the next line
        lda     (LINE),y
        tax
        dey
        lda     (LINE),y
        jmp     @line
@done:  jmp     ready
@break: sec
        jmp     stop_or_end

list_token_vector:
        jmp     (IQPLOP)

.segment "BASIC"

; list_token: the IQPLOP default. Print program byte A: a keyword for a
; token outside quotes, the character itself otherwise. Clobbers A, X, Y.
list_token:
        cmp     #'"'
        bne     @not_quote
        tax
        lda     QUOTE
        eor     #$80
        sta     QUOTE
        txa
@not_quote:
        bit     QUOTE
        bmi     @plain
        tax
        bpl     @plain
        cmp     #TOK_GO+1
        bcs     @plain
        ldy     #$FF                    ; X counts down to $7F at the keyword
@find:  dex
        bpl     @print
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
