; The expression evaluator: precedence climbing over the binary operators
; (^ 127, * / 123, + - 121, relations 100, AND 80, OR 70), with unary minus
; (125) and NOT (90) taken in the element. A numeric result is in FAC; a
; string result is a descriptor whose address is in FACHO+2/FACHO+3, with
; VALTYP $FF.

.include "basic.inc"

.segment "BASIC_A7EA"

LTYPE   = TANSGN                ; type of the left operand while an operator runs
STRDSC  = FACHO+2               ; address of a string result's descriptor

PREC_UNARY_MINUS = $7D
PREC_NOT = $5A
PREC_RELATION = $64

; eval_expr: evaluate the expression starting at the current character
; (TXTPTR points at it). Leaves TXTPTR on the first character after it.
eval_expr:
        lda     TXTPTR
        bne     @back
        dec     TXTPTR+1
@back:  dec     TXTPTR                  ; the element's CHRGET re-reads it
        lda     #0
        ; fall through

; eval_prec: evaluate operators binding tighter than precedence A, with
; TXTPTR just before the first element.
eval_prec:
        pha
        lda     #24
        jsr     check_stack
        jsr     eval_element
eval_prec_loop:
        jsr     CHRGOT
        sec
        sbc     #TOK_PLUS
        bcc     @stop
        cmp     #TOK_LESS - TOK_PLUS + 1
        bcs     @stop
        tax
        lda     precedence,x
        tsx
        cmp     $0101,x
        beq     @stop
        bcs     @operator
@stop:  pla                             ; not an operator of this level
        rts
@operator:
        ldy     #0
        lda     (TXTPTR),y
        sec
        sbc     #TOK_PLUS
        cmp     #TOK_GREATER - TOK_PLUS
        bcc     @push
        lda     #0                      ; a relation: gather > = < into a mask
        sta     OPMASK
@rel:   ldy     #0
        lda     (TXTPTR),y
        sec
        sbc     #TOK_GREATER
        bcc     @rel_end
        cmp     #3
        bcs     @rel_end
        tax
        lda     relation_bits,x
        bit     OPMASK
        beq     @rel_add
        jmp     syntax_error            ; the same relation twice
@rel_add:
        ora     OPMASK
        sta     OPMASK
        jsr     CHRGET
        jmp     @rel
@rel_end:
        lda     TXTPTR                  ; leave TXTPTR on the last relation token
        bne     @rel_back
        dec     TXTPTR+1
@rel_back:
        dec     TXTPTR
        lda     OPMASK
        ora     #$80
@push:  pha                             ; operator code
        lda     VALTYP
        pha
        lda     FACEXP
        pha
        lda     FACHO
        pha
        lda     FACHO+1
        pha
        lda     FACHO+2
        pha
        lda     FACHO+3
        pha
        lda     FACSGN
        pha
        tsx                             ; precedence of the operator again
        lda     $0108,x
        bmi     @rel_prec
        tax
        lda     precedence,x
        jmp     @right
@rel_prec:
        lda     #PREC_RELATION
@right: jsr     eval_prec
        pla
        sta     ARGSGN
        pla
        sta     ARGHO+3
        pla
        sta     ARGHO+2
        pla
        sta     ARGHO+1
        pla
        sta     ARGHO
        pla
        sta     ARGEXP
        pla
        sta     LTYPE
        lda     ARGSGN
        eor     FACSGN
        sta     ARISGN
        pla
        bmi     @compare
        asl     a
        tax
        lda     operator_table+1,x
        pha
        lda     operator_table,x
        pha
        rts                             ; run the operator
@compare:
        sta     OPMASK
        jsr     op_compare
        jmp     eval_prec_loop

; The operator routines (entered by RTS) go back to eval_prec_loop.
relation_bits:
        .byte   1, 2, 4                 ; > = <
precedence:
        .byte   $79, $79, $7B, $7B, $7F, $50, $46, $64, $64, $64

operator_table:
        .word   op_add-1, op_sub-1, op_mul-1, op_div-1, op_power-1
        .word   op_and-1, op_or-1

op_add: lda     LTYPE
        bpl     @numbers
        jsr     check_string
        jsr     concatenate
        jmp     eval_prec_loop
@numbers:
        jsr     check_numeric
        jsr     fadd
        jmp     eval_prec_loop
op_sub: jsr     numbers_only
        jsr     fsub
        jmp     eval_prec_loop
op_mul: jsr     numbers_only
        jsr     fmul
        jmp     eval_prec_loop
op_div: jsr     numbers_only
        jsr     fdiv
        jmp     eval_prec_loop
op_power:
        jsr     numbers_only
        jsr     fn_power
        jmp     eval_prec_loop
op_and: ldx     #0
        beq     logic
op_or:  ldx     #$FF
logic:  stx     OPMASK                  ; 0 AND, $FF OR
        jsr     numbers_only
        jsr     fac_to_int16            ; right operand
        sta     CHARAC
        sty     ENDCHR
        jsr     arg_to_fac
        jsr     fac_to_int16            ; left operand
        bit     OPMASK
        bmi     @or
        and     CHARAC
        pha
        tya
        and     ENDCHR
        jmp     @result
@or:    ora     CHARAC
        pha
        tya
        ora     ENDCHR
@result:
        tay
        pla
        jsr     fac_from_int16
        jmp     eval_prec_loop

; numbers_only: both operands must be numbers.
numbers_only:
        lda     LTYPE
        bmi     @bad
        jmp     check_numeric
@bad:   jmp     type_mismatch

; op_compare: FAC = -1 when ARG (relation in OPMASK) FAC holds, else 0.
op_compare:
        lda     LTYPE
        eor     VALTYP
        bpl     @same
        jmp     type_mismatch
@same:  lda     VALTYP
        bpl     @numbers
        jsr     compare_strings         ; A = 1, 0 or $FF as left vs right
        jmp     @bit
@numbers:
        ldx     #FPTEMP2
        jsr     fac_store_zp
        jsr     arg_to_fac
        lda     #<FPTEMP2
        ldy     #>FPTEMP2
        jsr     fac_compare
@bit:   tax                             ; 1 -> '>' (1), 0 -> '=' (2), $FF -> '<' (4)
        inx
        lda     compare_bits,x
        and     OPMASK
        beq     @false
        lda     #$FF
        tay
        bne     @set
@false: lda     #0
        tay
@set:   ldx     #0
        stx     VALTYP
        jmp     fac_from_int16

compare_bits:
        .byte   4, 2, 1

; check_numeric / check_string: ?TYPE MISMATCH unless the last value is a
; number / a string.
check_numeric:
        bit     VALTYP
        bmi     @bad
        rts
@bad:   jmp     type_mismatch
check_string:
        bit     VALTYP
        bpl     check_numeric_bad
        rts
check_numeric_bad:
        jmp     type_mismatch

; eval_numeric / eval_string: eval_expr with the type checked.
eval_numeric:
        jsr     eval_expr
        jmp     check_numeric
eval_string:
        jsr     eval_expr
        jmp     check_string


