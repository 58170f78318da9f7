; Control flow: END STOP CONT RUN NEW CLR GOTO GOSUB RETURN IF ON REM DATA.
; GOSUB frames live on the 6502 stack: the GOSUB token on top, then TXTPTR
; and CURLIN of the call (low bytes first, going up).

.include "basic.inc"

GOSUB_FRAME = 5

.export push_frame, frame_position      ; for FOR and NEXT
.export goto_and_run                    ; for RUN

; REM and DATA need nothing but the skip itself: their table entries lead
; straight there.
stmt_rem        = skip_to_line_end
stmt_data       = skip_to_statement_end

.segment "BASIC_B3A5"

; END and STOP: carry clear for END, set for STOP and RUN/STOP. A statement
; starts with CHRGET's flags: at the end of the statement Z and C are set.
stmt_end:
        clc
stmt_stop:
        bne     flow_done
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
        lda     OLDTXT+1
        bne     @resume
        ldx     #E_CANT_CONTINUE
        jmp     basic_error
@resume:
        ldx     #1
@copy:  lda     OLDTXT,x
        sta     TXTPTR,x
        lda     OLDLIN,x
        sta     CURLIN,x
        dex
        bpl     @copy
@done:  rts

.segment "BASIC_B3A5"

; stmt_return: back to the statement after the latest GOSUB, dropping the
; FOR frames above it.
stmt_return:
        pla                             ; (execute_next - 1, in ROM)
        pla
        sta     FORPNT+1                ; no loop variable lives in a ROM page: skip every FOR frame
        jsr     find_for_frame
        lda     $0101,x
        cmp     #TOK_GOSUB
        beq     @found
        ldx     #E_RETURN_WITHOUT_GOSUB
        jmp     basic_error
@found: jsr     frame_position          ; (keeps the carry the compare set)
        txa
        adc     #GOSUB_FRAME-1
        tax
        txs
        jsr     skip_to_statement_end
        jmp     execute_next

.segment "BASIC_B1AD"

; IF expression THEN line | statements, IF expression GOTO line
stmt_if:
        jsr     eval_expr
        jsr     CHRGOT
        cmp     #TOK_GOTO
        beq     @test
        cmp     #TOK_THEN
        bne     flow_syntax
@test:  lda     FACEXP                  ; a number is true when it is not zero
        bit     VALTYP
        bpl     @number
        jsr     free_fac_string         ; a string when it is not empty
@number:
        tax
        bne     @true
        jmp     skip_to_line_end
@true:  jsr     CHRGET
        bcc     stmt_goto
        pla                             ; the statement after THEN runs in our place
        pla
        jsr     CHRGOT
        jmp     execute_statement
flow_syntax:
        jmp     syntax_error

; ON expression GOTO|GOSUB line, line, ...
stmt_on:
        jsr     eval_byte
        jsr     CHRGOT
        cmp     #TOK_GOSUB
        beq     @kind
        cmp     #TOK_GOTO
        bne     flow_syntax
@kind:  pha                             ; (the token)
        stx     COUNT
        txa
        beq     @none
@next:  jsr     CHRGET                  ; past the token or the comma
        jsr     parse_line_number
        dec     COUNT
        beq     @chosen
        cmp     #','
        beq     @next
@none:  pla
        jmp     skip_to_statement_end   ; out of range: carry on after ON
@chosen:
        pla
        cmp     #TOK_GOSUB
        beq     gosub_linnum
        bne     goto_linnum

; GOSUB line
stmt_gosub:
        jsr     parse_line_number
; gosub_linnum: GOSUB to LINNUM, entered like a statement routine.
gosub_linnum:
        pla                             ; the frame replaces the return address
        pla
        lda     #GOSUB_FRAME - 1        ; the C64's room for a GOSUB: as many
        jsr     check_stack             ; subroutines nest
        ldx     #TOK_GOSUB
        ; fall through

; push_frame: push CURLIN, TXTPTR and the token X (a GOSUB or FOR frame's
; top), then carry on at LINNUM for a GOSUB, after the statement for a FOR.
push_frame:
        lda     CURLIN+1
        pha
        lda     CURLIN
        pha
        lda     TXTPTR+1
        pha
        lda     TXTPTR
        pha
        txa
        pha
        cpx     #TOK_GOSUB
        bne     run_next
goto_and_run:
        jsr     goto_linnum
run_next:
        jmp     execute_next

; frame_position: TXTPTR and CURLIN from the GOSUB or FOR frame whose token
; is at $0101+X. Keeps X and the carry.
frame_position:
        lda     $0102,x
        sta     TXTPTR
        lda     $0103,x
        sta     TXTPTR+1
        lda     $0104,x
        sta     CURLIN
        lda     $0105,x
        sta     CURLIN+1
        rts

; GOTO line
stmt_goto:
        jsr     parse_line_number
; goto_linnum: continue at line LINNUM; ?UNDEF'D STATEMENT if there is none.
; Clobbers A, X, Y.
goto_linnum:
        lda     CURLIN                  ; CURLIN - LINNUM: carry set when not before
                                        ; (always in direct mode: CURLIN+1 = $FF)
        cmp     LINNUM
        lda     CURLIN+1
        sbc     LINNUM+1
        bcs     @from_start
        jsr     skip_to_line_end        ; a later line: search from the next line
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
