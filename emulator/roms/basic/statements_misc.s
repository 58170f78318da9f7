; POKE WAIT SYS GET DEF and FN.

.include "basic.inc"

.segment "BASIC_E09A"

; POKE address, byte
stmt_poke:
        jsr     address_byte
        txa
        ldy     #0
        sta     (LINNUM),y
        rts

.segment "BASIC"

; WAIT address, mask [, invert]: until (PEEK(address) EOR invert) AND mask
; is not zero. RUN/STOP also ends the wait.
stmt_wait:
        jsr     address_byte
        stx     OPMASK
        ldx     #0
        jsr     CHRGOT
        beq     @go
        jsr     eval_byte_comma         ; (LINNUM is kept)
@go:    stx     CHARAC
        ldy     #0
@wait:  jsr     STOP
        beq     @done
        lda     (LINNUM),y
        eor     CHARAC
        and     OPMASK
        beq     @wait
@done:  rts

.segment "BASIC_A7EA"

; SYS address: call machine code with A, X, Y and P from $030C-$030F,
; keeping what it returns there.
stmt_sys:
        jsr     eval_uint16
        jsr     @call
        php
        sta     SAREG
        stx     SXREG
        sty     SYREG
        pla
        sta     SPREG
        rts
@call:  lda     SPREG                   ; its RTS comes back to the PHP above
        pha
        lda     SAREG
        ldx     SXREG
        ldy     SYREG
        plp
        jmp     (LINNUM)

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
        tax                             ; (the flags of the key)
        beq     @number                 ; none: 0
        eor     #'0'                    ; a digit's value; anything else is 10 or more
        cmp     #10
        bcs     @bad
@number:
        jsr     byte_result
        jmp     @assign
@text:  cmp     #1                      ; the key as a string of one, or none
        pha
        lda     #0
        rol     a                       ; (its length)
        jsr     alloc_string
        pla
        beq     @push                   ; no key: the empty string (A = 0)
        ldy     #0
        sta     (FRESPC),y
        lda     #1
@push:  jsr     push_new_string
@assign:
        jsr     assign_variable
        jsr     comma_next
        bcs     @var
        jmp     end_channel             ; (no harm for the keyboard either)
@bad:   jsr     end_channel
misc_syntax:
        jmp     syntax_error

; DEF FN name(parameter) = expression: the FN variable (first name byte
; with bit 7 set) holds the address of the '=' before the expression and
; the address of the parameter variable.
stmt_def:
        jsr     check_direct
        lda     #TOK_FN
        jsr     chk_char
        jsr     find_function
        lda     VARPNT
        sta     DEFPNT
        lda     VARPNT+1
        sta     DEFPNT+1
        jsr     chk_open
        lda     #$80
        sta     SUBFLG                  ; a plain real variable
        jsr     find_variable
        lda     #0
        sta     SUBFLG
        jsr     chk_close               ; (A = the character after it)
        ldy     #0
        cmp     #TOK_EQUAL
        bne     misc_syntax
        lda     TXTPTR
        sta     (DEFPNT),y
        iny
        lda     TXTPTR+1
        sta     (DEFPNT),y
        iny
        lda     VARPNT
        sta     (DEFPNT),y
        iny
        lda     VARPNT+1
        sta     (DEFPNT),y
        jmp     skip_to_statement_end

.segment "BASIC_E09A"

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

.segment "BASIC_A7EA"

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
        ldx     VARPNT                  ; kept too, then the argument stored there
        txa
        pha
        ldy     VARPNT+1
        tya
        pha
        jsr     fac_store
        ldy     #1                      ; TXTPTR onto the stack, the body into it
@text:  lda     TXTPTR,y
        pha
        lda     (DEFPNT),y
        sta     TXTPTR,y
        dey
        bpl     @text
        jsr     CHRGET
        jsr     eval_numeric
        pla
        sta     TXTPTR
        pla
        sta     TXTPTR+1
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
