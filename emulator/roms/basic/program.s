; The program text: finding lines, relinking, moving memory, NEW and CLR.
; A line is a link to the next line, the line number (both little-endian),
; the tokenised text and a zero; two zero link bytes end the program.

.include "basic.inc"

.export clear_stack                     ; for LOAD's chaining
.import goto_and_run                    ; (statements_flow.s)

.segment "BASIC_A7EA"

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
        tax                             ; (the next line's address, high)
        ldy     #3
        lda     (LOWTR),y
        cmp     LINNUM+1
        bcc     @next
        bne     @beyond
        dey
        lda     (LOWTR),y
        cmp     LINNUM
        bcc     @next
        beq     @found                  ; (carry set)
@beyond:
        clc
@found: rts
@next:  ldy     #0                      ; (carry clear)
        lda     (LOWTR),y
        bcc     find_line_from

.segment "BASIC_B7C0"

; relink: rebuild every line's link from the zero that ends its text.
; Clobbers A, X, Y.
relink:
        lda     TXTTAB
        ldx     TXTTAB+1
@line:  sta     INDEX
        stx     INDEX+1
        ldy     #1
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
        pha
        lda     INDEX+1
        adc     #0
        iny
        sta     (INDEX),y
        tax
        pla
        bcc     @line                   ; (no carry: never past $FFFF)
@done:  rts

.segment "BASIC"

; copy_down: copy RESHO/RESHO+1 bytes from (INDEX1) to (INDEX2), lowest
; first, for moves towards lower addresses. Clobbers A, X, Y, both pointers.
copy_down:
        ldy     #0
        ldx     RESHO+1
        inx                             ; the whole pages, then the part page
@next:  cpx     #1
        bne     @byte
        cpy     RESHO                   ; the part page ends at RESHO
        beq     @done
@byte:  lda     (INDEX1),y
        sta     (INDEX2),y
        iny
        bne     @next
        inc     INDEX1+1
        inc     INDEX2+1
        dex
        bne     @next
@done:  rts

.segment "BASIC_A7EA"

; copy_up: copy RESHO/RESHO+1 bytes from (INDEX1) to (INDEX2), highest
; first, for moves towards higher addresses. Clobbers A, X, Y, both pointers.
copy_up:
        clc                             ; start above the last page to copy
        lda     INDEX1+1
        adc     RESHO+1
        sta     INDEX1+1
        lda     INDEX2+1                ; (no carry: the sum stays below $10000)
        adc     RESHO+1
        sta     INDEX2+1
        ldx     RESHO+1
        inx                             ; the part page, then the whole ones
        ldy     RESHO
        beq     @page
@byte:  dey
        lda     (INDEX1),y
        sta     (INDEX2),y
        tya
        bne     @byte
@page:  dex
        beq     @done
        dec     INDEX1+1                ; Y = 0: the whole page below
        dec     INDEX2+1
        bne     @byte                   ; (never zero page)
@done:  rts

.segment "BASIC_B3A5"

; RUN [line]: a running program loads and saves without messages.
stmt_run:
        lda     #0
        jsr     SETMSG
        jsr     CHRGOT
        beq     run_from_start
        jsr     clear_stack_and_vars    ; keeps the return into here, not ours
        jsr     CHRGOT
        jsr     parse_line_number
        jmp     goto_and_run

; CLR and NEW (a statement's own flags: Z clear when more follows).
stmt_clr:
        beq     clear_stack_and_vars
clr_done:
        rts
stmt_new:
        bne     clr_done
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
; run_from_start: RUN without a line number.
run_from_start:
        jsr     reset_text_ptr
        ; fall through

; clear_stack_and_vars: CLR, then an empty BASIC stack (the caller's return
; address is kept). clear_stack: the stack alone (and no CONT). Clobbers A,
; X, Y.
clear_stack_and_vars:
        jsr     clear_vars
clear_stack:
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

.segment "BASIC"

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

; clear_vars: forget all variables, arrays and strings, close the files and
; restore DATA. Clobbers A, X, Y.
clear_vars:
        jsr     CLALL
        ldx     #1
@empty: lda     MEMSIZ,x                ; no strings, no arrays
        sta     FRETOP,x
        lda     VARTAB,x
        sta     ARYTAB,x
        sta     STREND,x
        dex
        bpl     @empty
        lda     #TEMPST
        sta     TEMPPT
        jmp     do_restore

.segment "BASIC_A486"

; parse_line_number: LINNUM = the decimal number at TXTPTR (the current
; character first); ?SYNTAX ERROR from 64000 up. Leaves TXTPTR after it.
; Clobbers A, X, Y.
parse_line_number:
        ldx     #0
        stx     LINNUM
        stx     LINNUM+1
        bcs     @done
@digit: sbc     #'0'-1                  ; carry clear: A = digit
        sta     CHARAC
        ldx     LINNUM+1
        bne     @wide
        lda     LINNUM                  ; below 25, as the first digits of most
        cmp     #25                     ; line numbers are: the low byte alone
        bcs     @wide
        asl     a
        asl     a
        adc     LINNUM
        asl     a
        adc     CHARAC
        sta     LINNUM
        bcc     @next                   ; (always: at most 249)
@wide:  cpx     #25                     ; 6400 and up: ten times it is too big
        bcs     @bad                    ; (so the number never reaches 64000)
        lda     LINNUM                  ; LINNUM = (LINNUM * 4 + LINNUM) * 2 + digit,
        asl     a                       ; the low byte in A (below 6400: no
        rol     LINNUM+1                ; step carries out)
        asl     a
        rol     LINNUM+1
        adc     LINNUM
        sta     LINNUM
        txa
        adc     LINNUM+1
        asl     LINNUM
        rol     a
        sta     LINNUM+1
        lda     LINNUM
        adc     CHARAC
        sta     LINNUM
        bcc     @next
        inc     LINNUM+1
@next:  jsr     CHRGET
        bcc     @digit
@done:  jmp     CHRGOT
@bad:   jmp     syntax_error
