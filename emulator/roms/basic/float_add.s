; Floating point addition and subtraction.
; The operand with the smaller exponent is shifted right into an eight-bit
; rounding byte, so a result is exact to within half a unit in the last place
; of the 32-bit mantissa before fac_round folds the rounding byte in.

.include "basic.inc"

.segment "BASIC_B394"

; fsub_mem: FAC = (packed float at A/Y) - FAC.
fsub_mem:
        jsr     arg_load
; fsub: FAC = ARG - FAC.
fsub:
        jsr     fac_negate
        jmp     fadd

; fadd_mem: FAC = (packed float at A/Y) + FAC.
fadd_mem:
        jsr     arg_load
; fadd: FAC = ARG + FAC, rounded. Clobbers A, X, Y; ARG is destroyed.
fadd:
        lda     ARGEXP
        bne     @arg
        jmp     fac_round
@arg:
        lda     FACEXP
        bne     @both
        jmp     arg_to_fac
@both:  cmp     ARGEXP
        bcs     @aligned
        jsr     swap_fac_arg            ; FAC now holds the larger exponent
@aligned:
        lda     #0
        sta     ARGOV
        lda     FACEXP
        sec
        sbc     ARGEXP
        cmp     #40
        bcs     @done                   ; ARG vanishes below the rounding byte
        tax
@byte:  cpx     #8
        bcc     @bits
        lda     ARGHO+3
        sta     ARGOV
        lda     ARGHO+2
        sta     ARGHO+3
        lda     ARGHO+1
        sta     ARGHO+2
        lda     ARGHO
        sta     ARGHO+1
        lda     #0
        sta     ARGHO
        txa
        sbc     #8                      ; carry is set from the compare
        tax
        bcs     @byte
@bits:  dex
        bmi     @shifted
        lsr     ARGHO
        ror     ARGHO+1
        ror     ARGHO+2
        ror     ARGHO+3
        ror     ARGOV
        jmp     @bits
@shifted:
        lda     FACSGN
        eor     ARGSGN
        bmi     @subtract
        clc
        lda     FACOV
        adc     ARGOV
        sta     FACOV
        lda     FACHO+3
        adc     ARGHO+3
        sta     FACHO+3
        lda     FACHO+2
        adc     ARGHO+2
        sta     FACHO+2
        lda     FACHO+1
        adc     ARGHO+1
        sta     FACHO+1
        lda     FACHO
        adc     ARGHO
        sta     FACHO
        bcc     @done
        ror     FACHO                   ; the carry becomes the new top bit
        ror     FACHO+1
        ror     FACHO+2
        ror     FACHO+3
        ror     FACOV
        inc     FACEXP
        bne     @done
        jmp     fac_overflow
@done:  jmp     fac_round
@subtract:
        sec
        lda     FACOV
        sbc     ARGOV
        sta     FACOV
        lda     FACHO+3
        sbc     ARGHO+3
        sta     FACHO+3
        lda     FACHO+2
        sbc     ARGHO+2
        sta     FACHO+2
        lda     FACHO+1
        sbc     ARGHO+1
        sta     FACHO+1
        lda     FACHO
        sbc     ARGHO
        sta     FACHO
        bcs     @normalize
        jsr     negate_mantissa         ; ARG was larger: flip the result over
        lda     FACSGN
        eor     #$FF
        sta     FACSGN
@normalize:
        jsr     fac_normalize
        jmp     fac_round

; negate_mantissa: two's complement of FACHO..FACHO+3 with FACOV. Clobbers A, X.
negate_mantissa:
        sec
        lda     #0
        sbc     FACOV
        sta     FACOV
        ldx     #3
        jmp     negate_bytes

; swap_fac_arg: exchange FAC and ARG (exponent, mantissa, sign). Clobbers A, X, Y.
swap_fac_arg:
        ldx     #5
@loop:  lda     FACEXP,x
        ldy     ARGEXP,x
        sta     ARGEXP,x
        sty     FACEXP,x
        dex
        bpl     @loop
        rts

