; Floating point division: FAC = ARG / FAC.
; Restoring division of the mantissas producing 40 quotient bits, the first
; of which is the integer bit of the ratio (between 1/2 and 2).

.include "basic.inc"

.segment "BASIC_A691"

; The remainder lives in ARGEXP (its ninth-byte carry) and ARGHO..ARGHO+3;
; it is compared with the divisor first and reduced only when the quotient
; bit is 1, so no float temporary is touched.
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
        tax                             ; quotient byte, RESHO first
@byte:  ldy     #8
@bit:   lda     REMTOP                  ; remainder against divisor, from the
        bne     @take                   ; top down; mostly the first byte decides
        lda     ARGHO
        cmp     FACHO
        bne     @decided
        lda     ARGHO+1
        cmp     FACHO+1
        bne     @decided
        lda     ARGHO+2
        cmp     FACHO+2
        bne     @decided
        lda     ARGHO+3
        cmp     FACHO+3
@decided:
        bcc     @quotient               ; below the divisor: the bit is 0
@take:  sec
        lda     ARGHO+3
        sbc     FACHO+3
        sta     ARGHO+3
        lda     ARGHO+2
        sbc     FACHO+2
        sta     ARGHO+2
        lda     ARGHO+1
        sbc     FACHO+1
        sta     ARGHO+1
        lda     ARGHO
        sbc     FACHO
        sta     ARGHO
        lda     REMTOP
        sbc     #0
        sta     REMTOP                  ; (the carry stays set: the bit is 1)
@quotient:
        rol     RESHO,x
        asl     ARGHO+3                 ; remainder * 2
        rol     ARGHO+2
        rol     ARGHO+1
        rol     ARGHO
        rol     REMTOP
        dey
        bne     @bit
        inx
        cpx     #5
        bne     @byte
        jmp     take_result
