; Floating point division: FAC = ARG / FAC.
; Restoring division of the mantissas producing 40 quotient bits, the first
; of which is the integer bit of the ratio (between 1/2 and 2).

.include "basic.inc"

.segment "BASIC_AF0B"

; The remainder lives in ARGEXP (its ninth-byte carry) and ARGHO..ARGHO+3;
; the trial difference goes to INDEX, so no float temporary is touched.
REMTOP = ARGEXP

; fdiv_mem: FAC = (packed float at A/Y) / FAC.
fdiv_mem:
        jsr     arg_load
; fdiv: FAC = ARG / FAC, rounded; ?DIVISION BY ZERO when FAC is zero.
; Clobbers A, X, Y; ARG is destroyed.
fdiv:
        lda     FACEXP
        bne     @nonzero
        ldx     #E_DIVISION_BY_ZERO
        jmp     basic_error
@nonzero:
        lda     ARGEXP
        beq     @zero
        sec                             ; exponent = ARGEXP - FACEXP + $81
        sbc     FACEXP
        ldx     #$7F
        jsr     product_exponent
        bcc     @divide
@zero:  jmp     fac_zero
@divide:
        lda     #0
        sta     REMTOP
        ldy     #40
@loop:  sec                             ; (unrolled: this runs 40 times)
        lda     ARGHO+3
        sbc     FACHO+3
        sta     INDEX+3
        lda     ARGHO+2
        sbc     FACHO+2
        sta     INDEX+2
        lda     ARGHO+1
        sbc     FACHO+1
        sta     INDEX+1
        lda     ARGHO
        sbc     FACHO
        sta     INDEX
        lda     REMTOP
        sbc     #0
        bcc     @keep                   ; remainder below the divisor: bit is 0
        sta     REMTOP
        ldx     #3
@take:  lda     INDEX,x
        sta     ARGHO,x
        dex
        bpl     @take                   ; (the carry stays set: bit is 1)
@keep:  rol     RESHO+4
        rol     RESHO+3
        rol     RESHO+2
        rol     RESHO+1
        rol     RESHO
        asl     ARGHO+3                 ; remainder * 2
        rol     ARGHO+2
        rol     ARGHO+1
        rol     ARGHO
        rol     REMTOP
        dey
        bne     @loop
        jmp     take_result
