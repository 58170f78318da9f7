; The main loop: read a line through CHRIN, tokenise it, and either store it
; as a program line (when it starts with a number) or execute it directly.

.include "basic.inc"

.segment "BASIC_A7EA"

; main_entry: the default IMAIN target; never returns.
main_entry:
        jsr     read_line
        jsr     txtptr_to_buf
        jsr     CHRGET
        tax
        beq     main_entry              ; an empty line
        ldx     #DIRECT_MODE
        stx     CURLIN+1
        bcc     store_line
        jsr     tokenize_vector
; execute_direct: run the tokenised line in BUF.
execute_direct:
        jsr     txtptr_to_buf
execute_statement_vector:
        jmp     (IGONE)

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
@end:   lda     #0
        sta     BUF,x
        ldx     #<(BUF-1)
        ldy     #>(BUF-1)
        rts
@long:
        ldx     #E_STRING_TOO_LONG
        jmp     basic_error

; store_line: the line in BUF starts with a line number: replace, insert
; or delete that program line, then clear the variables.
store_line:
        jsr     parse_line_number
        jsr     tokenize_vector         ; Y = length of the text with its zero
        tya
        clc
        adc     #4                      ; and with link and number
        sta     COUNT
        jsr     find_line
        bcc     @insert
        ldy     #1                      ; remove the old line: what follows
        lda     (LOWTR),y               ; it (from its link) moves down to it
        tax
        dey
        lda     (LOWTR),y
        jsr     move_program
        jsr     copy_down
@insert:
        lda     BUF
        beq     @done                   ; nothing after the number: deleted
        ldy     COUNT                   ; open a gap for the line
        lda     LOWTR
        ldx     LOWTR+1
        jsr     move_program
        jsr     copy_up
        ldy     COUNT
@text:  dey                             ; the text, from its end
        lda     BUF-4,y
        sta     (LOWTR),y
        cpy     #5
        bcs     @text
        dey                             ; then the number, and a link with a
        lda     LINNUM+1                ; non-zero high byte that relink
        sta     (LOWTR),y               ; completes
        dey
        lda     LINNUM
        sta     (LOWTR),y
        dey
        tya
        sta     (LOWTR),y
@done:  jsr     relink
        jsr     clear_stack_and_vars
        jmp     main_loop

.segment "BASIC_AB21"

; move_program: set up copy_down or copy_up to move the program from A
; (low) / X (high) up to VARTAB so that it starts Y bytes past LOWTR, and
; move VARTAB with it; ?OUT OF MEMORY when the new end would reach the
; strings.
move_program:
        sta     INDEX1
        stx     INDEX1+1
        tya
        clc
        adc     LOWTR
        sta     INDEX2
        lda     LOWTR+1
        adc     #0
        sta     INDEX2+1
        sec
        lda     VARTAB
        sbc     INDEX1
        sta     RESHO
        lda     VARTAB+1
        sbc     INDEX1+1
        sta     RESHO+1
        clc
        lda     INDEX2
        adc     RESHO
        tax
        lda     INDEX2+1
        adc     RESHO+1
        tay
        jsr     check_memory
        stx     VARTAB
        sty     VARTAB+1
        rts

.segment "BASIC"

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
        jsr     @below
        bcc     @ok
        jsr     garbage_collect         ; strings may give room back
        jsr     @below
        bcc     @ok
        jmp     out_of_memory
@below: cpy     FRETOP+1                ; carry clear when X/Y is below FRETOP
        bne     @ok
        cpx     FRETOP
@ok:    rts
