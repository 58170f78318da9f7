; Expression elements: numbers, string literals, variables, parentheses,
; unary minus and NOT, pi, FN and the built-in functions. Entered with
; TXTPTR just before the element (the IEVAL convention).

.include "basic.inc"

.segment "BASIC_A43A"

PREC_UNARY_MINUS = $7D
PREC_NOT = $5A

eval_element:
        jmp     (IEVAL)

.segment "BASIC_AB21"

; eval_element_default: the IEVAL default (through the jump at $AE86).
eval_element_default:
        lda     #0
        sta     VALTYP
        jsr     CHRGET
        bcs     @not_digit
@number:
        jmp     float_parse
@not_digit:
        cmp     #'.'
        beq     @number
        jsr     is_letter
        bcs     @other
        jmp     element_variable
@other: cmp     #'"'
        beq     string_literal
        cmp     #'('
        beq     eval_paren_here
        cmp     #TOK_PLUS
        beq     eval_element_default
        cmp     #TOK_MINUS
        beq     element_minus
        cmp     #TOK_NOT
        beq     element_not
        cmp     #TOK_PI
        beq     element_pi
        cmp     #TOK_FN
        beq     element_fn
        cmp     #TOK_SGN
        bcc     @bad
        cmp     #TOK_MID+1
        bcc     call_function
@bad:   jmp     syntax_error
; eval_paren: CHRGET, then "(expression)". eval_paren_here: the current
; character is the '('.
eval_paren:
        jsr     CHRGET
eval_paren_here:
        jsr     chk_open
        jsr     eval_expr
        jmp     chk_close

; string_literal: the text up to the closing quote (or line end) as a
; temporary string that points into the text itself.
string_literal:
        ldy     #0
@scan:  iny
        lda     (TXTPTR),y
        beq     @end
        cmp     #'"'
        bne     @scan
@end:   sty     COUNT                   ; the quote and the text
        dey
        tya
        ldx     TXTPTR
        ldy     TXTPTR+1
        inx
        bne     @start
        iny
@start: jsr     push_temp_string
        ldy     COUNT                   ; onto the closing quote, or just
        lda     (TXTPTR),y              ; before the end of the line, and
        bne     @past                   ; on with CHRGET
        dey
@past:  jsr     txtptr_add_y
        jmp     CHRGET

; call_function: A = function token (current character).
call_function:
        tax
        lda     function_high-TOK_SGN,x
        pha
        lda     function_low-TOK_SGN,x
        pha
        cpx     #TOK_LEFT               ; LEFT$ RIGHT$ MID$ parse their own
        bcs     @own
        lda     function_args-TOK_SGN,x
        pha
        jsr     eval_paren
        pla                             ; 0 number, $FF string, 1 either:
        eor     VALTYP                  ; $FF only for the wrong type
        cmp     #$FF
        bne     @own
        jmp     type_mismatch
@own:   rts

; (the element's cases out of the branches' reach)
element_fn:
        jmp     eval_fn
element_pi:
        lda     #<const_pi
        ldy     #>const_pi
        jsr     fac_load
        jmp     CHRGET                  ; past the token, like any element
element_minus:
        lda     #PREC_UNARY_MINUS
        jsr     eval_prec
        jsr     check_numeric
        jmp     fac_negate
element_not:
        lda     #PREC_NOT
        jsr     eval_prec
        jsr     check_numeric
        jsr     fac_to_int16
        eor     #$FF
        pha
        tya
        eor     #$FF
        tay
        pla
        jmp     fac_from_int16

.define FUNCTIONS fn_sgn-1, fn_int-1, fn_abs-1, fn_usr-1, fn_fre-1, fn_pos-1, fn_sqr-1, fn_rnd-1, fn_log-1, fn_exp-1, fn_cos-1, fn_sin-1, fn_tan-1, fn_atn-1, fn_peek-1, fn_len-1, fn_str-1, fn_val-1, fn_asc-1, fn_chr-1, fn_left-1, fn_right-1, fn_mid-1

.segment "BASIC"

function_low:
        .lobytes FUNCTIONS
function_high:
        .hibytes FUNCTIONS

; argument kinds, SGN to CHR$: 0 number, $FF string, 1 either
function_args:
        .byte   0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0
        .byte   $FF, 0, $FF, $FF, 0

const_pi:
        .byte   $82, $49, $0F, $DA, $A2
