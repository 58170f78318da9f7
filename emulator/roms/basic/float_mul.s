; Floating point multiplication: FAC = ARG * FAC.
; Shift-and-add over the 32 bits of FAC's mantissa; the 40 high bits of the
; product are kept (32 mantissa bits and the rounding byte).

.include "basic.inc"

.segment "BASIC_E311"

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
        beq     @zero
        clc                             ; exponent = FACEXP + ARGEXP - $80
        adc     FACEXP
        ldx     #$80
        jsr     product_exponent
        bcc     @multiply
@zero:  jmp     fac_zero
@multiply:
        lda     #0
        ldx     #4
@clear: sta     RESHO,x
        dex
        bpl     @clear
        ldy     #32
        sec
@skip:  lda     FACHO+3                 ; while the low byte is zero the product
        bne     @bit                    ; stays zero: take 8 bits at once (the
        lda     FACHO+2                 ; bytes left above are never reached)
        sta     FACHO+3
        lda     FACHO+1
        sta     FACHO+2
        lda     FACHO
        sta     FACHO+1
        tya
        sbc     #8
        tay
        bne     @skip                   ; (the top byte is never zero)
@bit:   lsr     FACHO                   ; the multiplier's bits, lowest first
        ror     FACHO+1
        ror     FACHO+2
        ror     FACHO+3
        bcc     @shift
        clc
        ldx     #3
@add:   lda     RESHO,x
        adc     ARGHO,x
        sta     RESHO,x
        dex
        bpl     @add
@shift: ror     RESHO                   ; (the carry of the sum comes in on top)
        ror     RESHO+1
        ror     RESHO+2
        ror     RESHO+3
        ror     RESHO+4
        dey
        bne     @bit
        ; fall through

; take_result: mantissa = RESHO..RESHO+4, then normalise and round.
take_result:
        ldx     #3
@copy:  lda     RESHO,x
        sta     FACHO,x
        dex
        bpl     @copy
        lda     RESHO+4
        sta     FACOV
        lda     ARISGN
        sta     FACSGN
        jsr     fac_normalize
        jmp     fac_round

.segment "BASIC_B3A5"

; product_exponent: FACEXP = the 9-bit exponent sum in carry:A minus the
; bias X (a product's $80, a quotient's $7F); ARISGN = sign of the result.
; Returns carry set when the result underflows to zero; an overflow raises
; ?OVERFLOW. Clobbers A, X.
product_exponent:
        stx     RESHO
        tax
        lda     FACSGN                  ; (none of this touches the carry)
        eor     ARGSGN
        sta     ARISGN
        txa
        bcs     @high
        sbc     RESHO                   ; carry clear: one less than the result
        bcc     @under
        adc     #0                      ; carry set: the missing one
        bcc     @store                  ; (always)
@high:  sbc     RESHO
        bcs     @over                   ; still 256 or more
@store: sta     FACEXP
        rts
@under: sec
        rts
@over:  jmp     fac_overflow
