; Floating point multiplication: FAC = ARG * FAC.
; Shift-and-add over the 32 bits of FAC's mantissa; the 40 high bits of the
; product are kept (32 mantissa bits and the rounding byte).

.include "basic.inc"

.segment "BASIC_B394"

; fmul_zp: FAC = (packed float at zero page address A) * FAC.
fmul_zp:
        ldy     #0
; fmul_mem: FAC = (packed float at A/Y) * FAC.
fmul_mem:
        jsr     arg_load
; fmul: FAC = ARG * FAC, rounded. Clobbers A, X, Y.
fmul:
        lda     FACEXP
        beq     @zero
        lda     ARGEXP
        bne     @both
@zero:  jmp     fac_zero
@both:  jsr     product_exponent
        bcs     @zero
        lda     #0
        sta     RESHO
        sta     RESHO+1
        sta     RESHO+2
        sta     RESHO+3
        sta     RESHO+4
        ldx     #3
@byte:  lda     FACHO,x
        bne     @bits
        lda     RESHO+3                 ; a zero multiplier byte: shift by 8 at once
        sta     RESHO+4
        lda     RESHO+2
        sta     RESHO+3
        lda     RESHO+1
        sta     RESHO+2
        lda     RESHO
        sta     RESHO+1
        lda     #0
        sta     RESHO
        beq     @next
@bits:  sta     FACOV                   ; the multiplier byte, consumed bit by bit
        ldy     #8
@bit:   lsr     FACOV
        bcc     @shift
        clc
        lda     RESHO+3
        adc     ARGHO+3
        sta     RESHO+3
        lda     RESHO+2
        adc     ARGHO+2
        sta     RESHO+2
        lda     RESHO+1
        adc     ARGHO+1
        sta     RESHO+1
        lda     RESHO
        adc     ARGHO
        sta     RESHO
@shift: ror     RESHO
        ror     RESHO+1
        ror     RESHO+2
        ror     RESHO+3
        ror     RESHO+4
        dey
        bne     @bit
@next:  dex
        bpl     @byte
        ; fall through

; take_result: mantissa = RESHO..RESHO+4, then normalise and round.
take_result:
        lda     RESHO
        sta     FACHO
        lda     RESHO+1
        sta     FACHO+1
        lda     RESHO+2
        sta     FACHO+2
        lda     RESHO+3
        sta     FACHO+3
        lda     RESHO+4
        sta     FACOV
        lda     ARISGN
        sta     FACSGN
        jsr     fac_normalize
        jmp     fac_round

; product_exponent: FACEXP = FACEXP + ARGEXP - $80; product_exponent_a takes
; the bias in A; ARISGN = sign of the result.
; Returns carry set when the result underflows to zero; an overflow raises
; ?OVERFLOW. Clobbers A.
product_exponent:
        lda     #$80
product_exponent_a:
        sta     RESHO
        lda     FACSGN
        eor     ARGSGN
        sta     ARISGN
        clc
        lda     FACEXP
        adc     ARGEXP
        bcs     @high
        sec
        sbc     RESHO
        beq     @under
        bcc     @under
        sta     FACEXP
        clc
        rts
@high:  sec
        sbc     RESHO
        bcc     @ok                     ; 9-bit sum minus bias is below $100
        jmp     fac_overflow
@ok:    sta     FACEXP
        clc
        rts
@under: sec
        rts
