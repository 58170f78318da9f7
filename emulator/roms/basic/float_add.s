; Floating point addition and subtraction.
; The operand with the smaller exponent is shifted right into an eight-bit
; rounding byte, so a result is exact to within half a unit in the last place
; of the 32-bit mantissa before fac_round folds the rounding byte in.

.include "basic.inc"

.segment "BASIC_AB21"

; fadd_mem: FAC = (packed float at A/Y) + FAC.
fadd_mem:
        jsr     arg_load
        bmi     fadd                    ; (always)
; fsub_mem: FAC = (packed float at A/Y) - FAC.
fsub_mem:
        jsr     arg_load
; fsub: FAC = ARG - FAC.
fsub:
        jsr     fac_negate
; fadd: FAC = ARG + FAC, rounded. Clobbers A, X, Y; ARG is destroyed.
fadd:
        lda     ARGEXP
        bne     @arg
@round: jmp     fac_round               ; (ARG is zero or too small to count)
@arg:   lda     FACEXP
        bne     @both
        jmp     arg_to_fac
@both:  cmp     ARGEXP
        bcs     @aligned
        ldx     #5                      ; swap: FAC gets the larger exponent
@swap:  lda     FACEXP,x
        ldy     ARGEXP,x
        sta     ARGEXP,x
        sty     FACEXP,x
        dex
        bpl     @swap
@aligned:
        lda     #0
        sta     ARGOV
        lda     FACEXP
        sec
        sbc     ARGEXP
        cmp     #40
        bcs     @round                  ; ARG vanishes below the rounding byte
        tax
        beq     @shifted
@bytes: cpx     #8                      ; whole bytes first
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
        sbc     #8                      ; (carry is set)
        tax
        bne     @bytes
        beq     @shifted
@bits:  lsr     ARGHO
        ror     ARGHO+1
        ror     ARGHO+2
        ror     ARGHO+3
        ror     ARGOV
        dex
        bne     @bits
@shifted:
        lda     FACSGN
        eor     ARGSGN
        bmi     @subtract
        clc
        lda     FACOV
        adc     ARGOV
        sta     FACOV
        ldx     #3
@add:   lda     FACHO,x
        adc     ARGHO,x
        sta     FACHO,x
        dex
        bpl     @add
        bcc     @done
        ror     FACHO                   ; the carry becomes the new top bit
        ror     FACHO+1
        ror     FACHO+2
        ror     FACHO+3
        ror     FACOV
        inc     FACEXP
        bne     @done
        jmp     fac_overflow
@subtract:
        sec
        lda     FACOV
        sbc     ARGOV
        sta     FACOV
        ldx     #3
@sub:   lda     FACHO,x
        sbc     ARGHO,x
        sta     FACHO,x
        dex
        bpl     @sub
        bcs     @normalize
        sec                             ; ARG was larger: flip the result over
        lda     #0
        sbc     FACOV
        sta     FACOV
        ldx     #3
        jsr     negate_bytes
        lda     FACSGN
        eor     #$FF
        sta     FACSGN
@normalize:
        jsr     fac_normalize
@done:  jmp     fac_round

