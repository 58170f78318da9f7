; The statement loop: step to the next statement (or line), test RUN/STOP,
; and dispatch a statement by its token. Statement routines are entered with
; the character after their token current (as CHRGET returns it) and return
; with RTS to execute_next.

.include "basic.inc"

.segment "BASIC_B3A5"

; execute_next: run the statement after the one TXTPTR ends on.
execute_next:
        jsr     STOP
        bne     @running
        sec                             ; RUN/STOP held: "BREAK IN n"
        jmp     stop_or_end
@running:
        ldx     CURLIN+1
        inx
        beq     @position               ; direct mode leaves CONT's place alone
        lda     TXTPTR
        sta     OLDTXT
        lda     TXTPTR+1
        sta     OLDTXT+1
@position:
        ldy     #0
        lda     (TXTPTR),y
        bne     @colon
        ldy     #2
        lda     (TXTPTR),y              ; high byte of the next line's link
        bne     @next_line
        jmp     ready                   ; the program ran off its last line
@next_line:
        iny
        lda     (TXTPTR),y
        sta     CURLIN
        iny
        lda     (TXTPTR),y
        sta     CURLIN+1
        jsr     txtptr_add_y            ; TXTPTR += 4: before the line's text
@statement:
        jmp     (IGONE)
@colon: cmp     #':'
        beq     @statement
        bne     statement_bad

; execute_statement: the statement whose first character is in A, with the
; flags of CHRGOT; reached from the IGONE default after its CHRGET.
execute_statement:
        beq     execute_next            ; an empty statement
        tax
        lda     #>(execute_next-1)      ; the statement returns to execute_next
        pha
        lda     #<(execute_next-1)
        pha
        cpx     #TOK_END
        bcc     @assignment
        cpx     #TOK_LAST_STATEMENT+1
        bcs     @other
        lda     statement_high-TOK_END,x
        pha
        lda     statement_low-TOK_END,x
        pha
        jmp     CHRGET
@assignment:
        jmp     stmt_let
@other: cpx     #TOK_GO
        bne     statement_bad
        jsr     CHRGET                  ; GO TO is GOTO
        lda     #TOK_TO
        jsr     chk_char
        jmp     stmt_goto
statement_bad:
        jmp     syntax_error

.segment "BASIC"

; Statement routines by token, $80 to $A2, each as its address minus one.
.define STATEMENTS stmt_end-1, stmt_for-1, stmt_next-1, stmt_data-1, stmt_input_file-1, stmt_input-1, stmt_dim-1, stmt_read-1, stmt_let-1, stmt_goto-1, stmt_run-1, stmt_if-1, stmt_restore-1, stmt_gosub-1, stmt_return-1, stmt_rem-1, stmt_stop-1, stmt_on-1, stmt_wait-1, stmt_load-1, stmt_save-1, stmt_verify-1, stmt_def-1, stmt_poke-1, stmt_print_file-1, stmt_print-1, stmt_cont-1, stmt_list-1, stmt_clr-1, stmt_cmd-1, stmt_sys-1, stmt_open-1, stmt_close-1, stmt_get-1, stmt_new-1
statement_low:
        .lobytes STATEMENTS

statement_high:
        .hibytes STATEMENTS
