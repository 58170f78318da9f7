; Floating point division: FAC = ARG / FAC.
; Restoring division of the mantissas producing 40 quotient bits, the first
; of which is the integer bit of the ratio (between 1/2 and 2).

.include "basic.inc"

.segment "BASIC_A71D"

REMTOP = TEMPF2+4               ; the remainder's ninth-byte carry bit

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
        bne     @both
        jmp     fac_zero
@both:  lda     FACEXP                  ; exponent = ARGEXP - FACEXP + $81
        eor     #$FF                    ; as (256 - FACEXP) + ARGEXP - $7F
        sta     FACEXP
        inc     FACEXP
        beq     @exp_big                ; FACEXP was 1: 256 does not fit
        lda     #$7F
        jsr     product_exponent_a
        bcc     @divide
        jmp     fac_zero
@exp_big:
        lda     FACSGN                  ; FACEXP was 1: exponent = ARGEXP + $80
        eor     ARGSGN
        sta     ARISGN
        lda     ARGEXP
        clc
        adc     #$80
        bcc     @fits
        jmp     fac_overflow
@fits:  sta     FACEXP
@divide:
        lda     #0
        sta     REMTOP
        ldx     #40
@loop:  sec
        lda     ARGHO+3
        sbc     FACHO+3
        sta     FPTEMP2+3
        lda     ARGHO+2
        sbc     FACHO+2
        sta     FPTEMP2+2
        lda     ARGHO+1
        sbc     FACHO+1
        sta     FPTEMP2+1
        lda     ARGHO
        sbc     FACHO
        sta     FPTEMP2
        lda     REMTOP
        sbc     #0
        bcc     @keep                   ; remainder below the divisor: bit is 0
        sta     REMTOP
        lda     FPTEMP2
        sta     ARGHO
        lda     FPTEMP2+1
        sta     ARGHO+1
        lda     FPTEMP2+2
        sta     ARGHO+2
        lda     FPTEMP2+3
        sta     ARGHO+3
        sec
@keep:  rol     RESHO+4
        rol     RESHO+3
        rol     RESHO+2
        rol     RESHO+1
        rol     RESHO
        asl     ARGHO+3
        rol     ARGHO+2
        rol     ARGHO+1
        rol     ARGHO
        rol     REMTOP
        dex
        bne     @loop
        jmp     take_result
