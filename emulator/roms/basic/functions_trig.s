; SIN COS TAN ATN. SIN reduces its argument to a fraction of a full turn
; and then to the first quadrant, where the Taylor series is accurate to
; the ninth digit; ATN reduces to |z| <= tan(pi/8) the same way.

.include "basic.inc"

.segment "BASIC_AF0B"

SAVED   = FPTEMP2

.segment "BASIC_E264"

; COS x = SIN (x + pi/2), at the C64's $E264 with SIN's entry at $E26B.
fn_cos: lda     #<const_half_pi
        ldy     #>const_half_pi
        jsr     fadd_mem
sin_entry:
        jmp     fn_sin

.assert fn_cos = $E264, error, "COS must be at $E264"
.assert sin_entry = $E26B, error, "SIN must be at $E26B"

.segment "BASIC_AF0B"

fn_sin: lda     #<const_inv_two_pi      ; q = x / 2pi, f = q - INT(q)
        ldy     #>const_inv_two_pi
        jsr     fmul_mem
        ldx     #SAVED
        jsr     fac_store_zp
        jsr     fac_int
        lda     #SAVED
        ldy     #0
        jsr     fsub_mem
        lda     #<const_half
        ldy     #>const_half
        jsr     fac_compare
        bmi     @first_half
        jsr     @fold                   ; f = 1/2 - f, negative: sin(2pi f) is
@first_half:                            ; the same, so only the sign is kept
        lda     FACSGN
        pha
        jsr     fac_abs
        lda     #<const_quarter
        ldy     #>const_quarter
        jsr     fac_compare
        bmi     @quadrant
        beq     @quadrant
        jsr     @fold                   ; |f| = 1/2 - |f|
@quadrant:
        pla
        sta     FACSGN                  ; (f is not zero when negative)
        lda     #<const_two_pi
        ldy     #>const_two_pi
        jsr     fmul_mem
        lda     #<(poly_sin-4)
        ldy     #>(poly_sin-4)
        jmp     odd_poly
@fold:  lda     #<const_half
        ldy     #>const_half
        jmp     fsub_mem

.segment "BASIC_BC5E"

; TAN: SIN / COS, x kept in FPTEMP3 (which SIN and COS leave alone) and
; then the sine in its place.
fn_tan: ldx     #FPTEMP3
        jsr     fac_store_zp
        jsr     fn_sin
        lda     #FPTEMP3                ; x to ARG, the sine to FPTEMP3
        ldy     #0
        jsr     arg_load
        ldx     #FPTEMP3
        jsr     fac_store_zp
        jsr     arg_to_fac
        jsr     fn_cos
        lda     #FPTEMP3
        ldy     #0
        jmp     fdiv_mem

.segment "BASIC_AF0B"

; ATN: for |x| > 1, pi/2 - ATN(1/|x|); above tan(pi/8), pi/4 + ATN of
; (x-1)/(x+1); then the series.
fn_atn: lda     FACSGN
        pha
        jsr     fac_abs
        lda     #<const_one
        ldy     #>const_one
        jsr     fac_compare
        cmp     #1
        php                             ; Z when |x| > 1
        bne     @small
        lda     #<const_one
        ldy     #>const_one
        jsr     fdiv_mem
@small: lda     #<const_tan_eighth
        ldy     #>const_tan_eighth
        jsr     fac_compare
        cmp     #1
        php                             ; Z when above tan(pi/8)
        bne     @series
        jsr     ratio_to_one
@series:
        lda     #<(poly_atn-4)
        ldy     #>(poly_atn-4)
        jsr     odd_poly
        plp
        bne     @no_eighth
        lda     #<const_quarter_pi
        ldy     #>const_quarter_pi
        jsr     fadd_mem
@no_eighth:
        plp
        bne     @no_invert
        lda     #<const_half_pi
        ldy     #>const_half_pi
        jsr     fsub_mem
@no_invert:
        pla
        sta     FACSGN                  ; (the result is zero only for zero)
        rts
