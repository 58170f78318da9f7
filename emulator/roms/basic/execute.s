; The statement loop: step to the next statement (or line), test RUN/STOP,
; and dispatch a statement by its token. Statement routines are entered with
; the character after their token current (as CHRGET returns it) and return
; with RTS to execute_next.

.include "basic.inc"

.segment "BASIC_A691"

; execute_next: run the statement after the one TXTPTR ends on.
execute_next:
        jsr     stop_check
        lda     TXTPTR
        ldy     TXTPTR+1
        ldx     CURLIN+1
        inx
        beq     @position               ; direct mode leaves CONT's place alone
        sta     OLDTXT
        sty     OLDTXT+1
@position:
        ldy     #0
        lda     (TXTPTR),y
        beq     @line_end
        cmp     #':'
        beq     @statement
        jmp     syntax_error
@line_end:
        ldy     #2
        lda     (TXTPTR),y              ; high byte of the next line's link
        clc
        bne     @next_line
        jmp     end_program
@next_line:
        iny
        lda     (TXTPTR),y
        sta     CURLIN
        iny
        lda     (TXTPTR),y
        sta     CURLIN+1
        tya                             ; TXTPTR += 4: before the line's text
        adc     TXTPTR
        sta     TXTPTR
        bcc     @statement
        inc     TXTPTR+1
@statement:
        jmp     (IGONE)

; execute_statement: the statement whose first character is in A, with the
; flags of CHRGOT; reached from the IGONE default after its CHRGET.
execute_statement:
        beq     execute_next            ; an empty statement
        tax
        lda     #>(execute_next-1)      ; the statement returns to execute_next
        pha
        lda     #<(execute_next-1)
        pha
        txa
        cmp     #TOK_END
        bcc     @assignment
        cmp     #TOK_LAST_STATEMENT+1
        bcs     @other
        asl     a
        tay
        lda     statement_table+1,y
        pha
        lda     statement_table,y
        pha
        jmp     CHRGET
@assignment:
        jmp     stmt_let
@other: cmp     #TOK_GO
        bne     @bad
        jsr     CHRGET                  ; GO TO is GOTO
        cmp     #TOK_TO
        bne     @bad
        jsr     CHRGET
        jmp     stmt_goto
@bad:   jmp     syntax_error

.segment "BASIC_A486"

; Statement routines by token, $80 to $A2, each as its address minus one.
statement_table:
        .word   stmt_end-1, stmt_for-1, stmt_next-1, stmt_data-1
        .word   stmt_input_file-1, stmt_input-1, stmt_dim-1, stmt_read-1
        .word   stmt_let-1, stmt_goto-1, stmt_run-1, stmt_if-1
        .word   stmt_restore-1, stmt_gosub-1, stmt_return-1, stmt_rem-1
        .word   stmt_stop-1, stmt_on-1, stmt_wait-1, stmt_load-1
        .word   stmt_save-1, stmt_verify-1, stmt_def-1, stmt_poke-1
        .word   stmt_print_file-1, stmt_print-1, stmt_cont-1, stmt_list-1
        .word   stmt_clr-1, stmt_cmd-1, stmt_sys-1, stmt_open-1
        .word   stmt_close-1, stmt_get-1, stmt_new-1

.segment "BASIC_A691"

; end_program: the program ran off its last line.
end_program:
        jmp     ready

; stop_check: when RUN/STOP is held, stop as STOP would ("BREAK IN n").
stop_check:
        jsr     STOP
        beq     @break
        rts
@break: pla                             ; drop our caller: we do not return
        pla
        sec
        jmp     stop_or_end

