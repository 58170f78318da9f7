; Expression elements: numbers, string literals, variables, parentheses,
; unary minus and NOT, pi, FN and the built-in functions. Entered with
; TXTPTR just before the element (the IEVAL convention).

.include "basic.inc"

.segment "BASIC_B394"

STRDSC  = FACHO+2

eval_element:
        jmp     (IEVAL)

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
        cmp     #'A'
        bcc     @other
        cmp     #'Z'+1
        bcs     @other
        jmp     element_variable
@other: cmp     #'"'
        bne     @not_string
        jmp     string_literal
@not_string:
        cmp     #TOK_MINUS
        bne     @not_minus
        lda     #$7D
        jsr     eval_prec
        jsr     check_numeric
        jmp     fac_negate
@not_minus:
        cmp     #TOK_PLUS
        beq     eval_element_default
        cmp     #TOK_NOT
        bne     @not_not
        lda     #$5A
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
@not_not:
        cmp     #TOK_PI
        bne     @not_pi
        lda     #<const_pi
        ldy     #>const_pi
        jmp     fac_load
@not_pi:
        cmp     #'('
        bne     @not_paren
        jmp     eval_paren_here
@not_paren:
        cmp     #TOK_FN
        bne     @not_fn
        jmp     eval_fn
@not_fn:
        cmp     #TOK_SGN
        bcc     @bad
        cmp     #TOK_MID+1
        bcs     @bad
        jmp     call_function
@bad:   jmp     syntax_error

; eval_paren: CHRGET, then "(expression)". eval_paren_here: the current
; character is the '('.
eval_paren:
        jsr     CHRGET
eval_paren_here:
        lda     #'('
        ldy     #0
        cmp     (TXTPTR),y
        bne     @bad
        lda     #0
        jsr     eval_prec
        jmp     chk_close
@bad:   jmp     syntax_error

; call_function: A = function token (current character).
call_function:
        sec
        sbc     #TOK_SGN
        tax
        asl     a
        tay
        lda     function_table+1,y
        pha
        lda     function_table,y
        pha
        lda     function_args,x
        beq     @number
        bmi     @string
        cmp     #2
        bne     @any
        rts                             ; parses its own arguments
@any:   jmp     eval_paren
@number:
        jsr     eval_paren
        jmp     check_numeric
@string:
        jsr     eval_paren
        jmp     check_string

function_table:
        .word   fn_sgn-1, fn_int-1, fn_abs-1, fn_usr-1, fn_fre-1, fn_pos-1
        .word   fn_sqr-1, fn_rnd-1, fn_log-1, fn_exp-1, fn_cos-1, fn_sin-1
        .word   fn_tan-1, fn_atn-1, fn_peek-1, fn_len-1, fn_str-1, fn_val-1
        .word   fn_asc-1, fn_chr-1, fn_left-1, fn_right-1, fn_mid-1
; argument kinds: 0 number, $FF string, 1 either, 2 parsed by the function
function_args:
        .byte   0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0
        .byte   $FF, 0, $FF, $FF, 0, 2, 2, 2

const_pi:
        .byte   $82, $49, $0F, $DA, $A2

; string_literal: the text up to the closing quote (or line end) as a
; temporary string that points into the text itself.
string_literal:
        ldy     #0
@scan:  iny
        lda     (TXTPTR),y
        beq     @end
        cmp     #'"'
        bne     @scan
@end:   sty     COUNT                   ; quote + text length
        clc
        lda     TXTPTR
        adc     #1
        tax
        lda     TXTPTR+1
        adc     #0
        tay
        lda     COUNT
        sec
        sbc     #1
        jsr     push_temp_string
        lda     COUNT                   ; past the closing quote, if any
        clc
        adc     TXTPTR
        sta     TXTPTR
        bcc     @same
        inc     TXTPTR+1
@same:  ldy     #0
        lda     (TXTPTR),y
        beq     @done
        jmp     CHRGET
@done:  jmp     CHRGOT

; eval_byte: evaluate a number in 0-255 into X. eval_byte_comma: after
; a comma. Clobbers A, Y.
eval_byte_comma:
        jsr     chk_comma
eval_byte:
        jsr     eval_numeric
        jmp     fac_to_byte
; eval_uint16: a number in 0-65535 into LINNUM. eval_uint16_comma: after a
; comma.
eval_uint16_comma:
        jsr     chk_comma
eval_uint16:
        jsr     eval_numeric
        jmp     fac_to_uint16
; eval_int16: a number in -32768..32767 into A (high) / Y (low).
eval_int16:
        jsr     eval_numeric
        jmp     fac_to_int16

