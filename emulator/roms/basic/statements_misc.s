; POKE WAIT SYS GET DEF and FN.

.include "basic.inc"

.segment "BASIC_B1AD"

; POKE address, byte
stmt_poke:
        jsr     eval_uint16
        lda     LINNUM
        pha
        lda     LINNUM+1
        pha
        jsr     eval_byte_comma
        pla
        sta     LINNUM+1
        pla
        sta     LINNUM
        txa
        ldy     #0
        sta     (LINNUM),y
        rts

; WAIT address, mask [, invert]: until (PEEK(address) EOR invert) AND mask
; is not zero. RUN/STOP also ends the wait.
stmt_wait:
        jsr     eval_uint16
        lda     LINNUM
        pha
        lda     LINNUM+1
        pha
        jsr     eval_byte_comma
        stx     OPMASK
        ldx     #0
        jsr     CHRGOT
        beq     @go
        jsr     eval_byte_comma
@go:    stx     CHARAC
        pla
        sta     LINNUM+1
        pla
        sta     LINNUM
        ldy     #0
@wait:  jsr     STOP
        beq     @done
        lda     (LINNUM),y
        eor     CHARAC
        and     OPMASK
        beq     @wait
@done:  rts

; SYS address: call machine code with A, X, Y and P from $030C-$030F,
; keeping what it returns there.
stmt_sys:
        jsr     eval_uint16
        lda     #>(@back-1)
        pha
        lda     #<(@back-1)
        pha
        lda     SPREG
        pha
        lda     SAREG
        ldx     SXREG
        ldy     SYREG
        plp
        jmp     (LINNUM)
@back:  php
        sta     SAREG
        stx     SXREG
        sty     SYREG
        pla
        sta     SPREG
        rts

; GET[#file,] variable [, variable ...]: one key (or byte) each, without
; waiting; an empty string or 0 when there is none.
stmt_get:
        jsr     check_direct
        cmp     #'#'
        bne     @keyboard
        jsr     CHRGET
        jsr     open_input
@keyboard:
@var:   jsr     find_variable
        jsr     GETIN
        bit     VALTYP
        bmi     @text
        cmp     #0
        beq     @number
        cmp     #'0'
        bcc     @bad
        cmp     #'9'+1
        bcs     @bad
@number:
        and     #$0F
        tay
        jsr     fac_from_byte
        jmp     @assign
@bad:   jsr     end_channel
        jmp     syntax_error
@text:  cmp     #0
        bne     @char
        tax                             ; no key: the empty string
        tay
        jsr     push_temp_string
        jmp     @assign
@char:  pha
        lda     #1
        jsr     alloc_string
        pla
        ldy     #0
        sta     (FRESPC),y
        lda     #1
        jsr     push_new_string
@assign:
        jsr     assign_variable
        jsr     comma_next
        bcs     @var
@end:   lda     CHANNL
        beq     @done
        jmp     end_channel
@done:  rts

; DEF FN name(parameter) = expression: the FN variable (first name byte
; with bit 7 set) holds the address of the '=' before the expression and
; the address of the parameter variable.
stmt_def:
        jsr     check_direct
        lda     #TOK_FN
        jsr     chk_char
        jsr     find_function
        lda     VARPNT
        pha
        lda     VARPNT+1
        pha
        jsr     chk_open
        lda     #$80
        sta     SUBFLG                  ; a plain real variable
        jsr     find_variable
        lda     #0
        sta     SUBFLG
        jsr     chk_close
        pla
        sta     INDEX+1
        pla
        sta     INDEX
        ldy     #0
        lda     (TXTPTR),y
        cmp     #TOK_EQUAL
        beq     @body
        jmp     syntax_error
@body:  lda     TXTPTR
        sta     (INDEX),y
        iny
        lda     TXTPTR+1
        sta     (INDEX),y
        iny
        lda     VARPNT
        sta     (INDEX),y
        iny
        lda     VARPNT+1
        sta     (INDEX),y
        jmp     skip_to_statement_end

; find_function: VARPNT = the FN variable named at the current character.
find_function:
        lda     #$80
        sta     SUBFLG
        jsr     parse_name
        lda     #0
        sta     SUBFLG
        lda     VALTYP
        beq     @real
        jmp     type_mismatch
@real:  lda     VARNAM
        ora     #$80
        sta     VARNAM
        jmp     find_simple

; eval_fn: FN name(argument), as an expression element (the FN token current).
eval_fn:
        jsr     CHRGET
        jsr     find_function
        lda     VARPNT
        pha
        lda     VARPNT+1
        pha
        jsr     eval_paren_here
        jsr     check_numeric
        pla
        sta     DEFPNT+1
        pla
        sta     DEFPNT
        ldy     #1
        lda     (DEFPNT),y
        bne     @defined
        ldx     #E_UNDEFD_FUNCTION
        jmp     basic_error
@defined:
        lda     #20
        jsr     check_stack
        ldy     #2                      ; the parameter's own value is kept
        lda     (DEFPNT),y
        sta     VARPNT
        iny
        lda     (DEFPNT),y
        sta     VARPNT+1
        ldy     #4
@save:  lda     (VARPNT),y
        pha
        dey
        bpl     @save
        lda     VARPNT
        pha
        lda     VARPNT+1
        pha
        ldx     VARPNT
        ldy     VARPNT+1
        jsr     fac_store
        lda     TXTPTR
        pha
        lda     TXTPTR+1
        pha
        ldy     #0
        lda     (DEFPNT),y
        sta     TXTPTR
        iny
        lda     (DEFPNT),y
        sta     TXTPTR+1
        jsr     CHRGET
        jsr     eval_numeric
        pla
        sta     TXTPTR+1
        pla
        sta     TXTPTR
        pla
        sta     VARPNT+1
        pla
        sta     VARPNT
        ldy     #0
@restore:
        pla
        sta     (VARPNT),y
        iny
        cpy     #5
        bcc     @restore
        rts
