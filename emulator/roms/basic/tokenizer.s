; The tokeniser: turns the typed line in BUF into the stored form, replacing
; keywords outside quotes, REM text and DATA items with their tokens. A
; keyword matches letter by letter, or up to a shifted letter (the
; abbreviations: P shift-O is POKE); the first keyword in token order wins.

.include "basic.inc"

.segment "BASIC_A7EA"

; TMODE: bit 7 in quotes; bit 6 in DATA or REM, with the low six bits of
; the character that ends it: ':' for DATA, none (zero) for REM.
TMODE   = ENDCHR
MODE_DATA = $40 | (':' & $3F)           ; (':' is $3A: its bit 6 is clear)
MODE_REM = $40
SAVEX   = TEMPF2                ; source index while a keyword is tried
OUT     = COUNT                 ; output index while a keyword is tried
KEYWORDS = keyword_table - 1    ; indexed from 1: Y wraps to 0 past the last
.assert <BUF = 0, error, "TXTPTR's low byte is taken as the index into BUF"

tokenize_end:
        sta     BUF,y                   ; three zeros: end of line, no next line
        sta     BUF+1,y
        sta     BUF+2,y
        iny
        jmp     txtptr_to_buf

; tokenize: the default ICRNCH target. Tokenises BUF from TXTPTR to its
; zero into BUF from its start; returns Y = length with the zero, and TXTPTR
; = BUF - 1. Clobbers A, X.
tokenize:
        ldx     TXTPTR                  ; source index (BUF is page aligned)
        ldy     #0                      ; output index
        sty     TMODE
        beq     @next
@in_quotes:
        cmp     #'"'
        bne     @copy
@quote: lda     TMODE
        eor     #$80
        sta     TMODE
@copy:  lda     BUF,x
        inx
@store: sta     BUF,y
        iny
@next:  lda     BUF,x
        beq     tokenize_end
        bit     TMODE
        bmi     @in_quotes
        cmp     #'"'
        beq     @quote
        bvs     @in_data
        cmp     #'?'
        beq     @print
        cmp     #$80                    ; shifted characters start no keyword
        bcs     @copy
        sty     OUT                     ; try every keyword, CHARAC its token
        stx     SAVEX
        ldy     #1
        lda     #TOK_END
        sta     CHARAC
@keyword:
        ldx     SAVEX
@char:  lda     BUF,x
        eor     KEYWORDS,y
        beq     @same
        cmp     #$80
        beq     @matched                ; the last letter, or a shifted letter
@skip:  lda     KEYWORDS,y              ; on to the next keyword
        iny
        asl     a
        bcc     @skip
        inc     CHARAC
        tya
        bne     @keyword
        ldx     SAVEX                   ; none matches: the character itself
        ldy     OUT
        bcs     @copy                   ; (the carry of the last letter's bit 7)
@same:  lda     KEYWORDS,y
        bmi     @matched
        inx
        iny
        bne     @char
@matched:
        ldy     #MODE_REM
        lda     CHARAC
        cmp     #TOK_REM
        beq     @mode
        ldy     #MODE_DATA
        cmp     #TOK_DATA
        bne     @token
@mode:  sty     TMODE
@token: ldy     OUT
        inx                             ; past the keyword (X never wraps)
        bne     @store
@print: lda     #TOK_PRINT
        inx
        bne     @store
@in_data:
        eor     TMODE
        cmp     #MODE_REM               ; the character ending it?
        bne     @copy
        lsr     TMODE                   ; bits 7 and 6 clear: plain text again
        bpl     @copy
