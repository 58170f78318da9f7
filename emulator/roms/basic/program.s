; The program text: finding lines, relinking, moving memory, NEW and CLR.
; A line is a link to the next line, the line number (both little-endian),
; the tokenised text and a zero; two zero link bytes end the program.

.include "basic.inc"

.segment "BASIC_B394"

; find_line: LOWTR = the first line whose number is LINNUM or above (or the
; end of the program); carry set when its number is LINNUM. Clobbers A, X, Y.
find_line:
        lda     TXTTAB
        ldx     TXTTAB+1
; find_line_from: the same, starting at the line at A (low) / X (high).
find_line_from:
        sta     LOWTR
        stx     LOWTR+1
        ldy     #1
        lda     (LOWTR),y
        beq     @beyond                 ; the end of the program
        ldy     #3
        lda     (LOWTR),y
        cmp     LINNUM+1
        bcc     @next
        bne     @beyond
        dey
        lda     (LOWTR),y
        cmp     LINNUM
        bcc     @next
        beq     @found
@beyond:
        clc
        rts
@found: sec
        rts
@next:  ldy     #1
        lda     (LOWTR),y
        tax
        dey
        lda     (LOWTR),y
        jmp     find_line_from

.segment "BASIC_E38E"

; relink: rebuild every line's link from the zero that ends its text.
; Clobbers A, X, Y.
relink:
        lda     TXTTAB
        sta     INDEX
        lda     TXTTAB+1
        sta     INDEX+1
@line:  ldy     #1
        lda     (INDEX),y
        beq     @done
        ldy     #3
@scan:  iny
        lda     (INDEX),y
        bne     @scan
        iny
        tya
        clc
        adc     INDEX
        ldy     #0
        sta     (INDEX),y
        tax
        lda     INDEX+1
        adc     #0
        iny
        sta     (INDEX),y
        stx     INDEX
        sta     INDEX+1
        bne     @line                   ; (never zero page)
@done:  rts

; copy_down: copy RESHO/RESHO+1 bytes from (INDEX1) to (INDEX2), lowest
; first, for moves towards lower addresses. Clobbers A, X, Y, both pointers.
copy_down:
        ldy     #0
        ldx     RESHO+1
        beq     @tail
@page:  lda     (INDEX1),y
        sta     (INDEX2),y
        iny
        bne     @page
        inc     INDEX1+1
        inc     INDEX2+1
        dex
        bne     @page
@tail:  ldx     RESHO
        beq     @done
@byte:  lda     (INDEX1),y
        sta     (INDEX2),y
        iny
        dex
        bne     @byte
@done:  rts

; copy_up: copy RESHO/RESHO+1 bytes from (INDEX1) to (INDEX2), highest
; first, for moves towards higher addresses. Clobbers A, X, Y, both pointers.
copy_up:
        clc
        lda     INDEX1+1
        adc     RESHO+1
        sta     INDEX1+1
        clc
        lda     INDEX2+1
        adc     RESHO+1
        sta     INDEX2+1
        ldy     RESHO
        beq     @pages
@tail:  dey
        lda     (INDEX1),y
        sta     (INDEX2),y
        tya
        bne     @tail
@pages: ldx     RESHO+1
        beq     @done
@page:  dec     INDEX1+1
        dec     INDEX2+1
@byte:  dey
        lda     (INDEX1),y
        sta     (INDEX2),y
        tya
        bne     @byte
        dex
        bne     @page
@done:  rts

; new_program: an empty program and no variables. Clobbers A, X, Y.
new_program:
        lda     #0
        tay
        sta     (TXTTAB),y
        iny
        sta     (TXTTAB),y
        clc
        lda     TXTTAB
        adc     #2
        sta     VARTAB
        lda     TXTTAB+1
        adc     #0
        sta     VARTAB+1
        jsr     reset_text_ptr
        jmp     clear_stack_and_vars

; clear_stack_and_vars: CLR, then an empty BASIC stack (the caller's return
; address is kept). Clobbers A, X, Y.
clear_stack_and_vars:
        jsr     clear_vars
        pla
        tay
        pla
        ldx     #$FA
        txs
        pha
        tya
        pha
        lda     #0
        sta     $01FB                   ; below the frames: no FOR or GOSUB token
        sta     OLDTXT+1
        sta     SUBFLG
        rts
.segment "BASIC_A536"


; reset_text_ptr: TXTPTR = TXTTAB - 1. Clobbers A.
reset_text_ptr:
        clc
        lda     TXTTAB
        adc     #$FF
        sta     TXTPTR
        lda     TXTTAB+1
        adc     #$FF
        sta     TXTPTR+1
        rts

.segment "BASIC_HI"

; clear_vars: forget all variables, arrays and strings, close the files and
; restore DATA. Clobbers A, X, Y.
clear_vars:
        jsr     CLALL
        lda     MEMSIZ
        sta     FRETOP
        lda     MEMSIZ+1
        sta     FRETOP+1
        lda     VARTAB
        sta     ARYTAB
        sta     STREND
        lda     VARTAB+1
        sta     ARYTAB+1
        sta     STREND+1
        lda     #TEMPST
        sta     TEMPPT
        jmp     do_restore

.segment "BASIC_SPILL_F7"

; parse_line_number: LINNUM = the decimal number at TXTPTR (the current
; character first); ?SYNTAX ERROR from 64000 up. Leaves TXTPTR after it.
; Clobbers A, X, Y.
parse_line_number:
        ldx     #0
        stx     LINNUM
        stx     LINNUM+1
@digit: bcs     @done
        sbc     #'0'-1                  ; carry clear: A = digit
        sta     CHARAC
        lda     LINNUM+1
        cmp     #25                     ; 6400 and up: ten times it is too big
        bcs     @bad
        lda     LINNUM                  ; LINNUM = (LINNUM * 4 + LINNUM) * 2 + digit
        ldx     LINNUM+1                ; (below 6400: no step carries out)
        asl     LINNUM
        rol     LINNUM+1
        asl     LINNUM
        rol     LINNUM+1
        adc     LINNUM
        sta     LINNUM
        txa
        adc     LINNUM+1
        sta     LINNUM+1
        asl     LINNUM
        rol     LINNUM+1
        lda     LINNUM
        adc     CHARAC
        sta     LINNUM
        bcc     @next
        inc     LINNUM+1
@next:  jsr     CHRGET
        jmp     @digit
@done:  lda     LINNUM+1
        cmp     #>64000
        bcc     @ok
        bne     @bad
        lda     LINNUM
        cmp     #<64000
        bcs     @bad
@ok:    jmp     CHRGOT
@bad:   jmp     syntax_error
