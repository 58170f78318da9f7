; The tokeniser: turns the typed line in BUF into the stored form, replacing
; keywords outside quotes, REM text and DATA items with their tokens. A
; keyword matches letter by letter, or up to a shifted letter (the
; abbreviations: P shift-O is POKE); the first keyword in token order wins.

.include "basic.inc"

.segment "BASIC_SPILL_F7"

TMODE    = ENDCHR                ; bit 7 in quotes, bit 6 in DATA, bit 5 in REM
SAVEX   = TEMPF2                ; source index while a keyword is tried
OUT     = COUNT                 ; next byte written in BUF

; tokenize: the default ICRNCH target. Tokenises BUF from TXTPTR to its
; zero into BUF from its start; returns Y = length with the zero, and TXTPTR
; = BUF - 1. Clobbers A, X.
tokenize:
        lda     TXTPTR
        sec
        sbc     #<BUF
        tax
        lda     #0
        sta     OUT
        sta     TMODE
@next:  lda     BUF,x
        beq     @end
        bit     TMODE
        bmi     @in_quotes
        cmp     #'"'
        beq     @quote
        bvs     @in_data
        lda     TMODE
        and     #$20
        bne     @copy
        lda     BUF,x
        cmp     #' '
        beq     @copy
        cmp     #'?'
        beq     @print
        cmp     #$80
        bcs     @copy
        cmp     #'0'
        bcc     @keyword
        cmp     #'<'
        bcc     @copy                   ; digits, ':' and ';' start no keyword
@keyword:
        jsr     match_keyword
        bcc     @copy
        cmp     #TOK_REM                ; A = token, X past the keyword
        bne     @not_rem
        ldy     #$20
        sty     TMODE
@not_rem:
        cmp     #TOK_DATA
        bne     @store
        ldy     #$40
        sty     TMODE
        bne     @store
@print: lda     #TOK_PRINT
        inx
        bne     @store
@in_data:
        cmp     #':'
        bne     @copy
        lda     #0
        sta     TMODE
        beq     @copy
@in_quotes:
        cmp     #'"'
        bne     @copy
@quote: lda     TMODE
        eor     #$80
        sta     TMODE
@copy:  lda     BUF,x
        inx
@store: ldy     OUT
        sta     BUF,y
        inc     OUT
        bne     @next                   ; (BUF is shorter than 256)
@end:   ldy     OUT
        sta     BUF,y                   ; three zeros: end of line, no next line
        sta     BUF+1,y
        sta     BUF+2,y
        iny
        jmp     txtptr_to_buf

; match_keyword: try every keyword at BUF,X. Carry set and A = token with X
; past the keyword when one matches; carry clear and X unchanged otherwise.
; Clobbers Y.
match_keyword:
        lda     #<keyword_table
        sta     INDEX
        lda     #>keyword_table
        sta     INDEX+1
        lda     #$80
        sta     CHARAC
        stx     SAVEX
@keyword:
        ldy     #0
        lda     (INDEX),y
        beq     @none
        ldx     SAVEX
@char:  lda     BUF,x
        eor     (INDEX),y
        bne     @differs
        lda     (INDEX),y
        bmi     @matched
        inx
        iny
        bne     @char
@differs:
        cmp     #$80
        bne     @fail                   ; else the last letter, or a shifted letter
@matched:
        inx
        lda     CHARAC
        sec
        rts
@fail:  lda     (INDEX),y               ; skip the rest of this keyword
        iny
        cmp     #$80
        bcc     @fail
        tya
        clc
        adc     INDEX
        sta     INDEX
        bcc     @advance
        inc     INDEX+1
@advance:
        inc     CHARAC
        bne     @keyword
@none:  ldx     SAVEX
        clc
        rts
