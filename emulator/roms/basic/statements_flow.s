; Control flow: END STOP CONT RUN NEW CLR GOTO GOSUB RETURN IF ON REM DATA.
; GOSUB frames live on the 6502 stack: the GOSUB token on top, then TXTPTR
; and CURLIN of the call (low bytes first, going up).

.include "basic.inc"

.segment "BASIC_SPILL_F7"

GOSUB_FRAME = 5

.segment "BASIC_A536"

stmt_rem:
        jmp     skip_to_line_end

stmt_data:
        jmp     skip_to_statement_end

.segment "BASIC_ADA1"

; END and STOP: carry clear for END, set for STOP and RUN/STOP.
stmt_end:
        bne     flow_done
        clc
        bcc     stop_or_end
stmt_stop:
        bne     flow_done
        sec
stop_or_end:
        php
        ldy     CURLIN+1
        iny
        beq     @direct
        ldx     #1                      ; where CONT carries on
@keep:  lda     TXTPTR,x
        sta     OLDTXT,x
        lda     CURLIN,x
        sta     OLDLIN,x
        dex
        bpl     @keep
@direct:
        plp
        bcs     @break
        jmp     ready
@break: ldx     #E_BREAK
        jmp     basic_error
flow_done:
        rts

.segment "BASIC"

stmt_cont:
        bne     @done
        ldy     OLDTXT+1
        bne     @resume
        ldx     #E_CANT_CONTINUE
        jmp     basic_error
@resume:
        lda     OLDTXT
        sta     TXTPTR
        sty     TXTPTR+1
        lda     OLDLIN
        sta     CURLIN
        lda     OLDLIN+1
        sta     CURLIN+1
@done:  rts

.segment "BASIC_B1AD"

stmt_new:
        bne     new_clr_done
        jmp     new_program

stmt_clr:
        bne     new_clr_done
        jmp     clear_stack_and_vars
new_clr_done:
        rts

.segment "BASIC_ADA1"

; RUN [line]: a running program loads and saves without messages.
stmt_run:
        lda     #0
        jsr     SETMSG
        jsr     CHRGOT
        bne     @line
        jsr     reset_text_ptr
        jmp     clear_stack_and_vars
@line:  jsr     clear_stack_and_vars    ; keeps the return into here, not ours
        jsr     CHRGOT
        jsr     parse_line_number
        jsr     goto_linnum
        jmp     execute_next

.segment "BASIC_SPILL_F7"

; GOTO line
stmt_goto:
        jsr     parse_line_number
; goto_linnum: continue at line LINNUM; ?UNDEF'D STATEMENT if there is none.
; Clobbers A, X, Y.
goto_linnum:
        ldy     CURLIN+1
        iny
        beq     @from_start             ; direct mode: no current line
        lda     CURLIN                  ; CURLIN - LINNUM: carry set when not before
        cmp     LINNUM
        lda     CURLIN+1
        sbc     LINNUM+1
        bcs     @from_start
@forward:                               ; a later line: search from the next line
        jsr     skip_to_line_end
        lda     TXTPTR
        ldx     TXTPTR+1
        clc
        adc     #1
        bcc     @search
        inx
@search:
        jsr     find_line_from
        jmp     @result
@from_start:
        jsr     find_line
@result:
        bcs     @found
        ldx     #E_UNDEFD_STATEMENT
        jmp     basic_error
@found: lda     LOWTR                   ; TXTPTR = the zero before the line
        sec
        sbc     #1
        sta     TXTPTR
        lda     LOWTR+1
        sbc     #0
        sta     TXTPTR+1
        rts

.segment "BASIC_B394"

; GOSUB line
stmt_gosub:
        jsr     parse_line_number
; gosub_linnum: GOSUB to LINNUM, entered like a statement routine.
gosub_linnum:
        pla                             ; the frame replaces the return address
        pla
        lda     #GOSUB_FRAME + 8
        jsr     check_stack
        lda     CURLIN+1
        pha
        lda     CURLIN
        pha
        lda     TXTPTR+1
        pha
        lda     TXTPTR
        pha
        lda     #TOK_GOSUB
        pha
        jsr     goto_linnum
        jmp     execute_next

.segment "BASIC_SPILL_F7"

stmt_return:
        pla
        pla
        tsx
@find:  lda     $0101,x
        cmp     #TOK_GOSUB
        beq     @found
        cmp     #TOK_FOR
        bne     @none
        txa                             ; skip a FOR frame left by the subroutine
        clc
        adc     #FOR_FRAME
        tax
        bcc     @find
@none:  ldx     #E_RETURN_WITHOUT_GOSUB
        jmp     basic_error
@found: lda     $0102,x
        sta     TXTPTR
        lda     $0103,x
        sta     TXTPTR+1
        lda     $0104,x
        sta     CURLIN
        lda     $0105,x
        sta     CURLIN+1
        txa
        clc
        adc     #GOSUB_FRAME
        tax
        txs
        jsr     skip_to_statement_end
        jmp     execute_next

; IF expression THEN line | statements, IF expression GOTO line
stmt_if:
        jsr     eval_expr
        jsr     CHRGOT
        cmp     #TOK_GOTO
        beq     @test
        cmp     #TOK_THEN
        beq     @test
        jmp     syntax_error
@test:  lda     VALTYP
        bpl     @number
        jsr     free_fac_string         ; a string is true when it is not empty
        tax
        bne     @true
        beq     @false
@number:
        lda     FACEXP
        bne     @true
@false: jmp     skip_to_line_end
@true:  jsr     CHRGET
        bcc     @line
        pla                             ; the statement after THEN runs in our place
        pla
        jsr     CHRGOT
        jmp     execute_statement
@line:  jmp     stmt_goto

; ON expression GOTO|GOSUB line, line, ...
stmt_on:
        jsr     eval_byte
        ldy     #0
        lda     (TXTPTR),y
        cmp     #TOK_GOSUB
        beq     @kind
        cmp     #TOK_GOTO
        beq     @kind
        jmp     syntax_error
@kind:  sta     OPMASK
        stx     COUNT
        txa
        beq     @none
@next:  jsr     CHRGET                  ; past the token or the comma
        jsr     parse_line_number
        dec     COUNT
        beq     @chosen
        cmp     #','
        beq     @next
@none:  jmp     skip_to_statement_end   ; out of range: carry on after ON
@chosen:
        lda     OPMASK
        cmp     #TOK_GOSUB
        bne     @goto
        jmp     gosub_linnum
@goto:  jmp     goto_linnum

