; Series functions: SQR LOG EXP, the power operator and RND, with the
; polynomial evaluator the trigonometric functions share.

.include "basic.inc"

.segment "BASIC_AF0B"

POLYX   = FPTEMP                ; x while a polynomial is evaluated
SAVED   = FPTEMP2               ; a value kept across one operation
POLYPTR = FBUFPT                ; the coefficient being used
POLYN   = SGNFLG                ; coefficients still to go

; poly_eval: FAC = P(FAC) for the table whose address less 4 is in A/Y (so
; that the count of coefficients is at offset 4 and each step of 5 lands on
; the next coefficient, highest power first). Clobbers POLYX.
poly_eval:
        sta     POLYPTR
        sty     POLYPTR+1
        ldx     #POLYX
        jsr     fac_store_zp
        ldy     #4
        lda     (POLYPTR),y
        sta     POLYN
        jsr     fac_zero                ; 0 * x + the first coefficient
@loop:  lda     #POLYX
        jsr     fmul_zp
        clc
        lda     POLYPTR
        adc     #5
        sta     POLYPTR
        bcc     @term
        inc     POLYPTR+1
@term:  ldy     POLYPTR+1
        jsr     fadd_mem
        dec     POLYN
        bne     @loop
        rts

.segment "BASIC_B3A5"

; odd_poly: FAC = x * P(x*x) for the table at A/Y (as for poly_eval);
; odd_poly_neg: x * P(-x*x). Clobbers SAVED, POLYX.
odd_poly:
        clc
odd_poly_neg:                           ; (enter with carry set)
        pha
        tya
        pha
        php
        ldx     #SAVED
        jsr     fac_store_zp
        lda     #SAVED
        jsr     fmul_zp
        plp
        bcc     @square
        jsr     fac_negate
@square:
        pla
        tay
        pla
        jsr     poly_eval
        lda     #SAVED
        jmp     fmul_zp

.segment "BASIC"

; ratio_to_one: FAC = (FAC - 1) / (FAC + 1), as 1 - 2/(FAC + 1).
ratio_to_one:
        lda     #<const_one
        ldy     #>const_one
        jsr     fadd_mem
        lda     #<const_two
        ldy     #>const_two
        jsr     fdiv_mem
        lda     #<const_one
        ldy     #>const_one
        jmp     fsub_mem

.segment "BASIC_BBD7"

; SQR: Newton's iteration from a guess above the root, so that perfect
; squares come out exact.
fn_sqr: lda     FACEXP
        beq     @done
        lda     FACSGN
        bmi     bad_argument
        ldx     #POLYX
        jsr     fac_store_zp
        ldy     #1                      ; guess 2^(floor(e/2)+1), e = FACEXP-$80:
        jsr     fac_from_byte           ; 1 with the exponent floor(FACEXP/2)+$42
        lda     POLYX
        lsr     a
        clc
        adc     #$42
        sta     FACEXP
        lda     #7
        sta     POLYN
@step:  ldx     #SAVED                  ; y = (y + x/y) / 2
        jsr     fac_store_zp
        lda     #POLYX
        ldy     #0
        jsr     fdiv_mem
        lda     #SAVED
        ldy     #0
        jsr     fadd_mem
        dec     FACEXP
        dec     POLYN
        bne     @step
@done:  rts

bad_argument:
        jmp     illegal_quantity

; LOG: ln x = e ln 2 + 2 atanh((m-1)/(m+1)), with x = m * 2^e and m
; between 1/sqrt(2) and sqrt(2).
fn_log: lda     FACSGN
        bmi     bad_argument
        lda     FACEXP
        beq     bad_argument
        pha
        lda     #$80                    ; m below 1 first
        sta     FACEXP
        lda     #<const_sqrt_half
        ldy     #>const_sqrt_half
        jsr     fac_compare
        bpl     @reduced
        inc     FACEXP
@reduced:
        pla                             ; e = the old exponent less the new
        sec
        sbc     FACEXP
        pha
        jsr     ratio_to_one
        lda     #<(poly_atn-4)          ; atanh z = atn(iz)/i: the ATN series
        ldy     #>(poly_atn-4)          ; in -z*z
        sec
        jsr     odd_poly_neg
        lda     FACEXP
        beq     @unit
        inc     FACEXP
@unit:  ldx     #SAVED
        jsr     fac_store_zp
        pla
        jsr     fac_from_sbyte
        lda     #<const_ln2
        ldy     #>const_ln2
        jsr     fmul_mem
        lda     #SAVED
        ldy     #0
        jmp     fadd_mem

.segment "BASIC_BC9E"

; EXP: e^x = 2^n * e^(f ln 2), n the nearest integer to x log2 e.
fn_exp: lda     #<const_exp_max
        ldy     #>const_exp_max
        jsr     fac_compare
        cmp     #1
        beq     @over
        lda     #<const_exp_min
        ldy     #>const_exp_min
        jsr     fac_compare
        bmi     @zero
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
        lda     #SAVED
        ldy     #0
        jsr     fsub_mem                ; f = t - n
        lda     #<const_ln2
        ldy     #>const_ln2
        jsr     fmul_mem
        lda     #<(poly_exp-4)
        ldy     #>(poly_exp-4)
        jsr     poly_eval
        pla
        bmi     @down
        clc
        adc     FACEXP
        bcc     @store
@over:  jmp     fac_overflow
@down:  clc
        adc     FACEXP
        bcc     @zero
        beq     @zero
@store: sta     FACEXP
        rts
@zero:  jmp     fac_zero

.segment "BASIC_B3A5"

; fac_from_sbyte: FAC = the signed byte in A. Clobbers A, X, Y.
fac_from_sbyte:
        tay
        bpl     @positive
        lda     #$FF
        .byte   $2C
@positive:
        lda     #0
        jmp     fac_from_int16

.segment "BASIC_BC9E"

; fn_power: FAC = ARG ^ FAC. Whole exponents multiply (exact where the
; result fits); others go through EXP(y * LOG(x)).
fn_power:
        lda     FACEXP
        beq     @one                    ; x^0 = 1
        lda     ARGEXP
        bne     @base
        lda     FACSGN                  ; 0^y
        bpl     @zero
        ldx     #E_DIVISION_BY_ZERO
        jmp     basic_error
@zero:  jmp     fac_zero
@base:  ldx     #FPTEMP3                ; the exponent to FPTEMP3, which LOG
        jsr     fac_store_zp            ; leaves alone; the base stays in ARG,
        jsr     fac_int                 ; which nothing here touches
        lda     #FPTEMP3                ; a whole exponent?
        ldy     #0
        jsr     fac_compare
        bne     @general
        lda     FACEXP
        cmp     #$90
        bcs     @general                ; too large to count in 15 bits
        lda     FACSGN
        pha
        jsr     fac_abs
        jsr     fac_to_uint16           ; |y| to LINNUM
        jsr     arg_to_fac
        ldx     #POLYX                  ; the powers of the base at POLYX
        jsr     fac_store_zp
        jsr     @one                    ; the product in FAC
@bit:   lsr     LINNUM+1
        ror     LINNUM
        bcc     @square
        lda     #POLYX
        jsr     fmul_zp
@square:
        lda     LINNUM
        ora     LINNUM+1
        beq     @done
        ldx     #SAVED
        jsr     fac_store_zp
        lda     #POLYX
        jsr     fac_load_zp
        lda     #POLYX
        jsr     fmul_zp
        ldx     #POLYX
        jsr     fac_store_zp
        lda     #SAVED
        jsr     fac_load_zp
        jmp     @bit
@done:  pla
        bpl     @positive
        lda     #<const_one
        ldy     #>const_one
        jmp     fdiv_mem
@one:   lda     #<const_one
        ldy     #>const_one
        jmp     fac_load
@general:
        jsr     arg_to_fac
        jsr     fn_log
        lda     #FPTEMP3
        jsr     fmul_zp
        jmp     fn_exp
@positive:
        rts

.segment "BASIC_AF0B"

; RND: negative arguments seed the generator from their own bits, so the
; sequence that follows is reproducible; 0 seeds from the clock; positive
; arguments continue. The generator is a 32-bit linear congruence
; (multiplier 257, odd increment: every seed comes round once in 2^32).
fn_rnd: jsr     fac_sign
        beq     @clock
        bpl     rnd_next
        lda     FACEXP
        eor     FACHO+3
        sta     RNDX+1
        lda     FACHO+2
        sta     RNDX+2
        lda     FACHO+1
        sta     RNDX+3
        lda     FACHO
        sta     RNDX+4
        jmp     rnd_next
@clock: jsr     RDTIM
        sta     RNDX+1
        stx     RNDX+2
        sty     RNDX+3
        eor     RNDX+4
        sta     RNDX+4
; rnd_next: FAC = the next value of the sequence from the seed at RNDX,
; which moves on (the C64's $E0BE). Clobbers A, X, Y.
rnd_next:
        ldx     #3                      ; seed = seed * 257 + increment
@copy:  lda     RNDX+1,x
        sta     RESHO,x
        dex
        bpl     @copy
        clc                             ; (X counts up to zero, so that the
        ldx     #<-4                    ; carry runs on: zero page indexing
@inc:   lda     RNDX+5,x                ; wraps, the table's address is offset)
        adc     rnd_increment+4-256,x
        sta     RNDX+5,x
        inx
        bne     @inc
        clc
        ldx     #<-3
@mix:   lda     RNDX+5,x                ; + seed * 256
        adc     RESHO+3,x
        sta     RNDX+5,x
        inx
        bne     @mix
        ldx     #3                      ; FAC = seed / 2^32
        ldy     #0
@take:  lda     RNDX+1,x
        sta     FACHO,y
        iny
        dex
        bpl     @take
        lda     #$80
        sta     FACEXP
        lda     #0
        sta     FACSGN
        sta     FACOV
        jmp     fac_normalize

.segment "BASIC_BBD7"

rnd_increment:  .byte $5F, $F3, $6E, $3C        ; 1013904223

.segment "BASIC_B3A5"

const_two:
        .byte   $82, $00, $00, $00, $00 ; 2

.segment "BASIC_E26E"

const_sqrt_half:
        .byte   $80, $35, $04, $F3, $34 ; sqrt(1/2)

.segment "BASIC_BC9E"

const_ln2:
        .byte   $80, $31, $72, $17, $F8 ; ln 2

.segment "BASIC_BDE0"

const_log2e:
        .byte   $81, $38, $AA, $3B, $29 ; log2 e

.segment "BASIC_B3A5"

const_exp_max:
        .byte   $87, $30, $0F, $33, $87 ; the largest EXP argument

.segment "BASIC"

const_exp_min:
        .byte   $87, $B1, $72, $16, $C6 ; below this EXP is 0

.segment "BASIC_BF74"

const_half_pi:
        .byte   $81, $49, $0F, $DA, $A2 ; pi/2

.segment "BASIC_E0C1"

const_quarter_pi:
        .byte   $80, $49, $0F, $DA, $A2 ; pi/4

.segment "BASIC"

const_two_pi:
        .byte   $83, $49, $0F, $DA, $A2 ; 2 pi
const_inv_two_pi:
        .byte   $7E, $22, $F9, $83, $6E ; 1/(2 pi)
const_quarter:
        .byte   $7F, $00, $00, $00, $00 ; 1/4
const_tan_eighth:
        .byte   $7F, $54, $13, $CC, $D0 ; tan(pi/8)

.segment "BASIC_BC9E"

; e^y for |y| <= ln(2)/2: a least-squares fit (relative, the
; rounding of each coefficient made up for by the later ones), degree 8
poly_exp:
        .byte   9
        .byte   $71, $50, $17, $CC, $AB ; 2.4806614725e-05
        .byte   $74, $50, $C4, $F0, $50 ; 0.000199097911718
        .byte   $77, $36, $0B, $9A, $48 ; 0.00138889559094
        .byte   $7A, $08, $88, $4F, $95 ; 0.0083332802933
        .byte   $7C, $2A, $AA, $AA, $8E ; 0.0416666662495
        .byte   $7E, $2A, $AA, $AA, $C0 ; 0.166666667908
        .byte   $80, $00, $00, $00, $00 ; 0.5
        .byte   $81, $00, $00, $00, $00 ; 1
        .byte   $81, $00, $00, $00, $00 ; 1

.segment "BASIC_AF0B"

; sin(a)/a in a^2: the Taylor series (shorter fitted series left TAN's
; last bit worse more often than better)
poly_sin:
        .byte   8
        .byte   $58, $D7, $3F, $9F, $3A ; -7.64716373182e-13
        .byte   $60, $30, $92, $30, $9D ; 1.60590438368e-10
        .byte   $67, $D7, $32, $2B, $40 ; -2.50521083854e-08
        .byte   $6E, $38, $EF, $1D, $2B ; 2.7557319224e-06
        .byte   $74, $D0, $0D, $00, $D0 ; -0.000198412698413
        .byte   $7A, $08, $88, $88, $89 ; 0.00833333333333
        .byte   $7E, $AA, $AA, $AA, $AB ; -0.166666666667
        .byte   $81, $00, $00, $00, $00 ; 1

.segment "BASIC_B3A5"

; atn(z)/z in z^2 for |z| <= tan(pi/8), and at the same time atanh(z)/z
; in -z^2 for |z| <= 3-2sqrt(2), which LOG needs: one least-squares fit
; over both, made as the one for e^y
poly_atn:
        .byte   8
        .byte   $7C, $AC, $68, $C9, $4D ; -0.0420921195328
        .byte   $7D, $14, $2E, $93, $4F ; 0.0723544605717
        .byte   $7D, $B9, $63, $BD, $A6 ; -0.0905222717556
        .byte   $7D, $63, $88, $BA, $0E ; 0.11110062938
        .byte   $7E, $92, $49, $39, $17 ; -0.142857448605
        .byte   $7E, $4C, $CC, $CD, $AF ; 0.200000013167
        .byte   $7F, $AA, $AA, $AA, $AA ; -0.333333333256
        .byte   $81, $00, $00, $00, $00 ; 1
