; The main loop: read a line through CHRIN, tokenise it, and either store it
; as a program line (when it starts with a number) or execute it directly.

.include "basic.inc"

.segment "BASIC_B394"

; main_entry: the default IMAIN target; never returns.
main_entry:
        jsr     read_line
        stx     TXTPTR
        sty     TXTPTR+1
        jsr     CHRGET
        tax
        beq     main_entry              ; an empty line
        ldx     #DIRECT_MODE
        stx     CURLIN+1
        bcc     store_line
        jsr     tokenize_vector
        jmp     execute_direct

main_loop:
        jmp     (IMAIN)

tokenize_vector:
        jmp     (ICRNCH)

; read_line: read characters through CHRIN into BUF up to the carriage
; return, zero-terminated; returns X/Y = BUF - 1 for TXTPTR. An over-long
; line raises ?STRING TOO LONG. Clobbers A.
read_line:
        ldx     #0
@next:  jsr     CHRIN
        cmp     #13
        beq     @end
        sta     BUF,x
        inx
        cpx     #BUFLEN
        bcs     @long
        lda     DFLTN                   ; from a file: stop at its end too
        beq     @next
        lda     STATUS
        beq     @next
        bne     @end
@long:
        ldx     #E_STRING_TOO_LONG
        jmp     basic_error
@end:   lda     #0
        sta     BUF,x
        ldx     #<(BUF-1)
        ldy     #>(BUF-1)
        rts

; store_line: the line in BUF starts with a line number: replace, insert
; or delete that program line, then clear the variables.
store_line:
        jsr     parse_line_number
        jsr     tokenize_vector         ; Y = length of the text with its zero
        sty     COUNT
        jsr     find_line
        bcc     @insert
        ; remove the existing line: move everything above it down
        ldy     #0
        lda     (LOWTR),y               ; its link is the next line's address
        sta     INDEX1
        iny
        lda     (LOWTR),y
        sta     INDEX1+1
        lda     LOWTR
        sta     INDEX2
        lda     LOWTR+1
        sta     INDEX2+1
        sec
        lda     VARTAB
        sbc     INDEX1
        sta     RESHO
        lda     VARTAB+1
        sbc     INDEX1+1
        sta     RESHO+1
        sec
        lda     INDEX1                  ; VARTAB -= length of the removed line
        sbc     LOWTR                   ; (a line is shorter than 256 bytes)
        sta     TEMPF2
        lda     VARTAB
        sec
        sbc     TEMPF2
        sta     VARTAB
        bcs     @moved
        dec     VARTAB+1
@moved: jsr     copy_down
@insert:
        lda     BUF
        beq     @done                   ; nothing after the number: deleted
        ; open a gap of COUNT + 4 bytes at LOWTR
        lda     COUNT
        clc
        adc     #4
        sta     COUNT
        lda     LOWTR
        sta     INDEX1
        lda     LOWTR+1
        sta     INDEX1+1
        clc
        lda     LOWTR
        adc     COUNT
        sta     INDEX2
        lda     LOWTR+1
        adc     #0
        sta     INDEX2+1
        sec
        lda     VARTAB
        sbc     LOWTR
        sta     RESHO
        lda     VARTAB+1
        sbc     LOWTR+1
        sta     RESHO+1
        clc
        lda     VARTAB
        adc     COUNT
        tax
        lda     VARTAB+1
        adc     #0
        tay
        jsr     check_memory            ; the new end must stay below the strings
        stx     VARTAB
        sty     VARTAB+1
        jsr     copy_up
        ; fill the gap: a non-zero link for relink, the number, the text
        ldy     #0
        lda     #1
        sta     (LOWTR),y
        iny
        sta     (LOWTR),y
        iny
        lda     LINNUM
        sta     (LOWTR),y
        iny
        lda     LINNUM+1
        sta     (LOWTR),y
        ldx     #0
        ldy     #4
@copy:  lda     BUF,x
        sta     (LOWTR),y
        inx
        iny
        cpy     COUNT
        bcc     @copy
@done:  jsr     relink
        jsr     clear_stack_and_vars
        jmp     main_loop

; execute_direct: run the tokenised line in BUF.
execute_direct:
        jsr     txtptr_to_buf
execute_statement_vector:
        jmp     (IGONE)

; txtptr_to_buf: TXTPTR = BUF - 1, where CHRGET reads a typed line.
; Keeps X, Y.
txtptr_to_buf:
        lda     #<(BUF-1)
        sta     TXTPTR
        lda     #>(BUF-1)
        sta     TXTPTR+1
        rts

; check_memory: ?OUT OF MEMORY unless the address X (low) / Y (high) is
; below FRETOP. Keeps X, Y.
check_memory:
        cpy     FRETOP+1
        bcc     @ok
        bne     @full
        cpx     FRETOP
        bcc     @ok
@full:  jsr     garbage_collect         ; strings may give room back
        cpy     FRETOP+1
        bcc     @ok
        bne     @out
        cpx     FRETOP
        bcc     @ok
@out:   jmp     out_of_memory
@ok:    rts

