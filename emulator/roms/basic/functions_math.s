; Series functions: SQR LOG EXP, the power operator and RND, with the
; polynomial evaluator the trigonometric functions share.

.include "basic.inc"

.segment "BASIC"

POLYX   = FPTEMP                ; x while a polynomial is evaluated
SAVED   = FPTEMP2               ; a value kept across one operation
POLYPTR = FBUFPT                ; the coefficient being used
POLYN   = SGNFLG                ; coefficients still to go

; poly_eval: FAC = P(FAC) for the table at A/Y: the degree, then the
; coefficients from the highest power down. Clobbers POLYX.
poly_eval:
        sta     POLYPTR
        sty     POLYPTR+1
        ldx     #POLYX
        jsr     fac_store_zp
        ldy     #0
        lda     (POLYPTR),y
        sta     POLYN
        inc     POLYPTR
        bne     @first
        inc     POLYPTR+1
@first: lda     POLYPTR
        ldy     POLYPTR+1
        jsr     fac_load
@loop:  clc
        lda     POLYPTR
        adc     #5
        sta     POLYPTR
        bcc     @term
        inc     POLYPTR+1
@term:  lda     #POLYX
        jsr     fmul_zp
        lda     POLYPTR
        ldy     POLYPTR+1
        jsr     fadd_mem
        dec     POLYN
        bne     @loop
        rts

; odd_poly: FAC = x * P(x*x) for the table at A/Y. Clobbers SAVED, POLYX.
odd_poly:
        pha
        tya
        pha
        ldx     #SAVED
        jsr     fac_store_zp
        lda     #SAVED
        jsr     fmul_zp
        pla
        tay
        pla
        jsr     poly_eval
        lda     #SAVED
        jmp     fmul_zp

; SQR: Newton's iteration from a guess above the root, so that perfect
; squares come out exact.
fn_sqr: lda     FACEXP
        beq     @done
        lda     FACSGN
        bpl     @positive
        jmp     illegal_quantity
@positive:
        ldx     #POLYX
        jsr     fac_store_zp
        lda     FACEXP                  ; guess 2^(floor(e/2)+1), e = FACEXP-$80
        sec
        sbc     #$80
        cmp     #$80                    ; arithmetic shift right
        ror     a
        clc
        adc     #$82
        sta     FACEXP
        lda     #$80
        sta     FACHO
        lda     #0
        sta     FACHO+1
        sta     FACHO+2
        sta     FACHO+3
        lda     #7
        pha
@step:  ldx     #SAVED                 ; y = (y + x/y) / 2
        jsr     fac_store_zp
        ldx     #4
@push:  lda     SAVED,x
        pha
        dex
        bpl     @push
        lda     #<POLYX
        ldy     #>POLYX
        jsr     fdiv_mem
        ldx     #<-5                    ; (zero page indexing wraps)
@pull:  pla
        sta     SAVED+5,x
        inx
        bne     @pull
        lda     #<SAVED
        ldy     #>SAVED
        jsr     fadd_mem
        dec     FACEXP
        pla
        sec
        sbc     #1
        pha
        bne     @step
        pla
@done:  rts

; LOG: ln x = e ln 2 + 2 atanh((m-1)/(m+1)), with x = m * 2^e and m
; between 1/sqrt(2) and sqrt(2).
fn_log: jsr     fac_sign
        beq     @bad
        bpl     @positive
@bad:   jmp     illegal_quantity
@positive:
        lda     FACEXP
        sec
        sbc     #$80
        pha
        lda     #$80
        sta     FACEXP
        lda     #<const_sqrt_half
        ldy     #>const_sqrt_half
        jsr     fac_compare
        bpl     @reduced
        inc     FACEXP
        pla
        sec
        sbc     #1
        pha
@reduced:
        lda     #<const_one             ; z = 1 - 2/(m+1)
        ldy     #>const_one
        jsr     fadd_mem
        lda     #<const_two
        ldy     #>const_two
        jsr     fdiv_mem
        lda     #<const_one
        ldy     #>const_one
        jsr     fsub_mem
        lda     #<poly_atanh
        ldy     #>poly_atanh
        jsr     odd_poly
        lda     FACEXP
        beq     @unit
        inc     FACEXP
@unit:  ldx     #SAVED
        jsr     fac_store_zp
        pla
        tay
        jsr     fac_from_sbyte
        lda     #<const_ln2
        ldy     #>const_ln2
        jsr     fmul_mem
        lda     #<SAVED
        ldy     #>SAVED
        jmp     fadd_mem

; EXP: e^x = 2^n * e^(f ln 2), n the nearest integer to x log2 e.
fn_exp: lda     #<const_exp_max
        ldy     #>const_exp_max
        jsr     fac_compare
        cmp     #1
        bne     @not_big
        jmp     fac_overflow
@not_big:
        lda     #<const_exp_min
        ldy     #>const_exp_min
        jsr     fac_compare
        bpl     @in_range
        jmp     fac_zero
@in_range:
        lda     #<const_log2e
        ldy     #>const_log2e
        jsr     fmul_mem
        ldx     #SAVED
        jsr     fac_store_zp
        lda     #<const_half
        ldy     #>const_half
        jsr     fadd_mem
        jsr     fac_int
        jsr     fac_to_int16            ; n fits in a signed byte
        tya
        pha
        jsr     fac_from_sbyte
        lda     #<SAVED
        ldy     #>SAVED
        jsr     fsub_mem                ; f = t - n
        lda     #<const_ln2
        ldy     #>const_ln2
        jsr     fmul_mem
        lda     #<poly_exp
        ldy     #>poly_exp
        jsr     poly_eval
        pla
        bmi     @down
        clc
        adc     FACEXP
        bcc     @store
        jmp     fac_overflow
@down:  clc
        adc     FACEXP
        bcc     @zero
        beq     @zero
@store: sta     FACEXP
        rts
@zero:  jmp     fac_zero

; fac_from_sbyte: FAC = the signed byte in Y.
fac_from_sbyte:
        lda     #0
        cpy     #$80
        bcc     @positive
        lda     #$FF
@positive:
        jmp     fac_from_int16

; fn_power: FAC = ARG ^ FAC. Whole exponents multiply (exact where the
; result fits); others go through EXP(y * LOG(x)).
fn_power:
        lda     FACEXP
        bne     @not_one
        lda     #<const_one             ; x^0 = 1
        ldy     #>const_one
        jmp     fac_load
@not_one:
        lda     ARGEXP
        bne     @base
        lda     FACSGN                  ; 0^y
        bpl     @zero
        ldx     #E_DIVISION_BY_ZERO
        jmp     basic_error
@zero:  jmp     fac_zero
@base:  ldx     #SAVED                 ; exponent to SAVED, base to POLYX
        jsr     fac_store_zp
        jsr     arg_to_fac
        ldx     #POLYX
        jsr     fac_store_zp
        lda     #SAVED
        jsr     fac_load_zp
        jsr     fac_int                 ; a whole exponent?
        lda     #<SAVED
        ldy     #>SAVED
        jsr     fac_compare
        bne     @general
        lda     FACEXP
        cmp     #$90
        bcs     @general                ; too large to count in 15 bits
        lda     FACSGN
        pha
        jsr     fac_abs
        jsr     fac_to_int16
        sta     LINNUM+1
        sty     LINNUM
        lda     #<const_one
        ldy     #>const_one
        jsr     fac_load
        ldx     #SAVED
        jsr     fac_store_zp
@bit:   lsr     LINNUM+1
        ror     LINNUM
        bcc     @square
        lda     #SAVED
        jsr     fac_load_zp
        lda     #POLYX
        jsr     fmul_zp
        ldx     #SAVED
        jsr     fac_store_zp
@square:
        lda     LINNUM
        ora     LINNUM+1
        beq     @done
        lda     #POLYX
        jsr     fac_load_zp
        lda     #POLYX
        jsr     fmul_zp
        ldx     #POLYX
        jsr     fac_store_zp
        jmp     @bit
@done:  lda     #SAVED
        jsr     fac_load_zp
        pla
        bpl     @positive
        lda     #<const_one
        ldy     #>const_one
        jsr     fdiv_mem
@positive:
        rts
@general:
        ldx     #4
@push:  lda     SAVED,x
        pha
        dex
        bpl     @push
        jsr     base_to_fac
        jsr     fn_log
        ldx     #<-5                    ; (zero page indexing wraps)
@pull:  pla
        sta     SAVED+5,x
        inx
        bne     @pull
        lda     #SAVED
        jsr     fmul_zp
        jmp     fn_exp

; base_to_fac: FAC = the base kept at POLYX by fn_power.
base_to_fac:
        lda     #POLYX
        jmp     fac_load_zp

; RND: negative arguments seed the generator from their own bits, so the
; sequence that follows is reproducible; 0 seeds from the clock; positive
; arguments continue. The generator is a 32-bit linear congruence
; (multiplier 257, odd increment: every seed comes round once in 2^32).
fn_rnd: jsr     fac_sign
        beq     @clock
        bpl     @next
        lda     FACEXP
        eor     FACHO+3
        sta     RNDX+1
        lda     FACHO+2
        sta     RNDX+2
        lda     FACHO+1
        sta     RNDX+3
        lda     FACHO
        sta     RNDX+4
        jmp     @next
@clock: jsr     RDTIM
        sta     RNDX+1
        stx     RNDX+2
        sty     RNDX+3
        eor     RNDX+4
        sta     RNDX+4
@next:  ldx     #3                      ; seed = seed * 257 + increment
@copy:  lda     RNDX+1,x
        sta     RESHO,x
        dex
        bpl     @copy
        clc
        ldx     #0
@inc:   lda     RNDX+1,x
        adc     rnd_increment,x
        sta     RNDX+1,x
        inx
        txa
        eor     #4
        bne     @inc
        clc
        ldx     #1
@mix:   lda     RNDX+1,x                ; + seed * 256
        adc     RESHO-1,x
        sta     RNDX+1,x
        inx
        txa
        eor     #4
        bne     @mix
        lda     RNDX+4                  ; FAC = seed / 2^32
        sta     FACHO
        lda     RNDX+3
        sta     FACHO+1
        lda     RNDX+2
        sta     FACHO+2
        lda     RNDX+1
        sta     FACHO+3
        lda     #0
        sta     FACSGN
        jsr     fac_from_uint32
        lda     FACEXP
        beq     @done
        sec
        sbc     #32
        sta     FACEXP
@done:  rts

rnd_increment:  .byte $5F, $F3, $6E, $3C        ; 1013904223

const_two:
        .byte   $82, $00, $00, $00, $00 ; 2
const_sqrt_half:
        .byte   $80, $35, $04, $F3, $34 ; sqrt(1/2)
const_ln2:
        .byte   $80, $31, $72, $17, $F8 ; ln 2
const_log2e:
        .byte   $81, $38, $AA, $3B, $29 ; log2 e
const_exp_max:
        .byte   $87, $30, $0F, $33, $87 ; the largest EXP argument
const_exp_min:
        .byte   $87, $B1, $72, $16, $C6 ; below this EXP is 0
const_half_pi:
        .byte   $81, $49, $0F, $DA, $A2 ; pi/2
const_quarter_pi:
        .byte   $80, $49, $0F, $DA, $A2 ; pi/4
const_two_pi:
        .byte   $83, $49, $0F, $DA, $A2 ; 2 pi
const_inv_two_pi:
        .byte   $7E, $22, $F9, $83, $6E ; 1/(2 pi)
const_quarter:
        .byte   $7F, $00, $00, $00, $00 ; 1/4
const_neg_half:
        .byte   $80, $80, $00, $00, $00 ; -1/2
const_tan_eighth:
        .byte   $7F, $54, $13, $CC, $D0 ; tan(pi/8)

; atanh(z)/z in z^2: 1 + z^2/3 + z^4/5 + ...
poly_atanh:
        .byte   5
        .byte   $7D, $3A, $2E, $8B, $A3 ; 0.0909090909091
        .byte   $7D, $63, $8E, $38, $E4 ; 0.111111111111
        .byte   $7E, $12, $49, $24, $92 ; 0.142857142857
        .byte   $7E, $4C, $CC, $CC, $CD ; 0.2
        .byte   $7F, $2A, $AA, $AA, $AB ; 0.333333333333
        .byte   $81, $00, $00, $00, $00 ; 1
; e^y: the Taylor series to y^9
poly_exp:
        .byte   9
        .byte   $6E, $38, $EF, $1D, $2B ; 2.7557319224e-06
        .byte   $71, $50, $0D, $00, $D0 ; 2.48015873016e-05
        .byte   $74, $50, $0D, $00, $D0 ; 0.000198412698413
        .byte   $77, $36, $0B, $60, $B6 ; 0.00138888888889
        .byte   $7A, $08, $88, $88, $89 ; 0.00833333333333
        .byte   $7C, $2A, $AA, $AA, $AB ; 0.0416666666667
        .byte   $7E, $2A, $AA, $AA, $AB ; 0.166666666667
        .byte   $80, $00, $00, $00, $00 ; 0.5
        .byte   $81, $00, $00, $00, $00 ; 1
        .byte   $81, $00, $00, $00, $00 ; 1
; sin(a)/a in a^2
poly_sin:
        .byte   7
        .byte   $58, $D7, $3F, $9F, $3A ; -7.64716373182e-13
        .byte   $60, $30, $92, $30, $9D ; 1.60590438368e-10
        .byte   $67, $D7, $32, $2B, $40 ; -2.50521083854e-08
        .byte   $6E, $38, $EF, $1D, $2B ; 2.7557319224e-06
        .byte   $74, $D0, $0D, $00, $D0 ; -0.000198412698413
        .byte   $7A, $08, $88, $88, $89 ; 0.00833333333333
        .byte   $7E, $AA, $AA, $AA, $AB ; -0.166666666667
        .byte   $81, $00, $00, $00, $00 ; 1
; atn(z)/z in z^2
poly_atn:
        .byte   10
        .byte   $7C, $43, $0C, $30, $C3 ; 0.047619047619
        .byte   $7C, $D7, $94, $35, $E5 ; -0.0526315789474
        .byte   $7C, $70, $F0, $F0, $F1 ; 0.0588235294118
        .byte   $7D, $88, $88, $88, $89 ; -0.0666666666667
        .byte   $7D, $1D, $89, $D8, $9E ; 0.0769230769231
        .byte   $7D, $BA, $2E, $8B, $A3 ; -0.0909090909091
        .byte   $7D, $63, $8E, $38, $E4 ; 0.111111111111
        .byte   $7E, $92, $49, $24, $92 ; -0.142857142857
        .byte   $7E, $4C, $CC, $CC, $CD ; 0.2
        .byte   $7F, $AA, $AA, $AA, $AB ; -0.333333333333
        .byte   $81, $00, $00, $00, $00 ; 1
