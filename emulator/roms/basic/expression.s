; The expression evaluator: precedence climbing over the binary operators
; (^ 127, * / 123, + - 121, relations 100, AND 80, OR 70), with unary minus
; (125) and NOT (90) taken in the element. A numeric result is in FAC; a
; string result is a descriptor whose address is in FACHO+2/FACHO+3, with
; VALTYP $FF.

.include "basic.inc"

.segment "BASIC_B86A"

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
        tsx                             ; as much room per level as the C64
        cpx     #$42                    ; asks for, so expressions nest as deep
        bcc     stack_full              ; (check_stack with A = 0, inline)
        jsr     eval_element
eval_prec_loop:
        jsr     CHRGOT
        sec
        sbc     #TOK_PLUS
        bcc     @stop
        cmp     #TOK_LESS - TOK_PLUS + 1
        bcs     @stop
        tay                             ; Y = operator number until the right operand
        tsx
        lda     $0101,x                 ; our caller's level binds at least as tight?
        cmp     precedence,y
        bcc     @operator
@stop:  pla
        rts
@operator:
        tya
        cpy     #TOK_GREATER - TOK_PLUS
        bcc     @push
        lda     #$80                    ; a relation: gather > = < into a mask,
        sta     OPMASK                  ; bit 7 telling it from the other operators
        tya
        sbc     #TOK_GREATER - TOK_PLUS
@rel:   tax
        lda     relation_bits,x
        bit     OPMASK
        bne     @twice
        ora     OPMASK
        sta     OPMASK
        jsr     CHRGET                  ; (keeps X and Y)
        sec
        sbc     #TOK_GREATER
        cmp     #3
        bcc     @rel
        lda     TXTPTR                  ; leave TXTPTR on the last relation token
        bne     @rel_back
        dec     TXTPTR+1
@rel_back:
        dec     TXTPTR
        lda     OPMASK
@push:  pha                             ; operator code
        lda     VALTYP
        pha
        ldx     #<-6                    ; FACEXP..FACSGN; zero page indexing wraps
@save:  lda     FACSGN+1,x
        pha
        inx
        bne     @save
        lda     precedence,y
        jsr     eval_prec
        ldx     #5                      ; the left operand comes back as ARG
@load:  pla
        sta     ARGEXP,x
        dex
        bpl     @load
        pla                             ; the left operand's type
        eor     VALTYP
        bmi     mixed_types             ; both operands of one type
        lda     ARGSGN
        eor     FACSGN
        sta     ARISGN
        pla
        jsr     apply_operator
        jmp     eval_prec_loop
@twice: jmp     syntax_error            ; the same relation twice
mixed_types:
        jmp     type_mismatch
stack_full:
        jmp     out_of_memory

; apply_operator: A = operator code: a number 0-6 (+ - * / ^ AND OR) or a
; relation mask with bit 7 set; ARG is the left operand, FAC the right, of
; one type.
apply_operator:
        tax
        bmi     op_compare
        bit     VALTYP
        bpl     @numbers
        bne     mixed_types             ; (VALTYP $FF: Z for A = 0) only + joins strings
        jmp     concatenate
@numbers:
        lda     operator_high,x
        pha
        lda     operator_low,x
        pha
        rts

.segment "BASIC_AD8A"

; eval_numeric / eval_string: eval_expr with the type checked (the C64's
; $AD8A and, for the check alone, $AD8D).
; check_numeric / check_string: ?TYPE MISMATCH unless the last value is a
; number / a string.
eval_numeric:
        jsr     eval_expr
check_numeric:
        bit     VALTYP
        bmi     check_numeric_bad
        rts
eval_string:
        jsr     eval_expr
check_string:
        bit     VALTYP
        bpl     check_numeric_bad
        rts
check_numeric_bad:
        jmp     type_mismatch

.assert eval_numeric = $AD8A, error, "numeric expression must be at $AD8A"
.assert check_numeric = $AD8D, error, "numeric check must be at $AD8D"

.segment "BASIC_B86A"

; Three bit tables overlapping: compare_bits by fac_compare's answer + 1
; (< = >), relation_bits by relation token (> = <).
compare_bits:
        .byte   4, 2
relation_bits:
        .byte   1, 2, 4
precedence:
        .byte   $79, $79, $7B, $7B, $7F, $50, $46, $64, $64, $64

.define OPERATORS fadd-1, fsub-1, fmul-1, fdiv-1, fn_power-1, op_and-1, op_or-1
operator_low:
        .lobytes OPERATORS
operator_high:
        .hibytes OPERATORS

; op_and / op_or: 16-bit AND and OR, OR as NOT (NOT a AND NOT b).
op_and: lda     #0
        .byte   $2C                     ; (skips the next lda)
op_or:  lda     #$FF
logic:  sta     OPMASK
        jsr     fac_to_int16            ; right operand
        eor     OPMASK
        sta     CHARAC
        tya
        eor     OPMASK
        sta     ENDCHR
        jsr     arg_to_fac
        jsr     fac_to_int16            ; left operand
        eor     OPMASK
        and     CHARAC
        eor     OPMASK
        pha
        tya
        eor     OPMASK
        and     ENDCHR
        eor     OPMASK
        tay
        pla
        jmp     fac_from_int16

; op_compare: FAC = -1 when ARG (relation in A) FAC holds, else 0; the
; types agree.
op_compare:
        sta     OPMASK
        bit     VALTYP
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
@bit:   tax
        inx
        lda     compare_bits,x
        and     OPMASK
        beq     fac_from_sign
        lda     #$FF
        bne     fac_from_sign

; SGN: the sign of the number in FAC.
fn_sgn: jsr     fac_sign
; fac_from_sign: FAC = A, one of 0, 1 and $FF (-1), as a number.
fac_from_sign:
        ldx     #0
        stx     VALTYP
        tay
        bmi     @negative
        txa
@negative:
        jmp     fac_from_int16
