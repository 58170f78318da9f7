; Floating point multiplication: FAC = ARG * FAC.
; Shift-and-add over the 32 bits of FAC's mantissa; the 40 high bits of the
; product are kept (32 mantissa bits and the rounding byte).

.include "basic.inc"

MULBYTE = BITS                  ; the multiplier byte being taken apart

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
        ldx     #3
@skip:  lda     FACHO,x                 ; while the low bytes are zero the
        bne     @byte                   ; product stays zero: skip them (the
        dex                             ; top byte is never zero)
        bne     @skip
@byte:  lda     FACHO,x                 ; the multiplier's bytes, lowest first,
        sta     MULBYTE                 ; and their bits, lowest first
        ldy     #8
@bit:   lsr     MULBYTE
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
@shift: ror     RESHO                   ; (the carry of the sum comes in on top)
        ror     RESHO+1
        ror     RESHO+2
        ror     RESHO+3
        ror     RESHO+4
        dey
        bne     @bit
        dex
        bpl     @byte
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

.segment "BASIC"

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
