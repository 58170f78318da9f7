; FAC to decimal text as the C64 prints numbers: a sign position (blank or
; minus), at most nine significant digits without trailing zeros, fixed
; notation from 0.01 up to 999999999 and scientific notation outside it
; (" 1E-03", " 1.23456789E+09").

.include "basic.inc"

.segment "BASIC_E0C1"

DEXP     = TEMPF1+3             ; power of ten the digits are scaled by
DIGITS   = NUMBUF+$10           ; the nine digits, most significant first
LASTDIG  = TEMPF1+4             ; index of the last non-zero digit
OUTIDX   = FBUFPT               ; next free byte in NUMBUF

; float_to_text: the text of FAC at NUMBUF, zero-terminated; returns A/Y =
; NUMBUF. FAC is destroyed. Clobbers X.
float_to_text:
        lda     #' '
        bit     FACSGN
        bpl     @sign
        lda     #'-'
@sign:  sta     NUMBUF
        jsr     fac_abs
        ldx     #1
        stx     OUTIDX
        lda     FACEXP
        bne     @nonzero
        lda     #'0'
        jsr     put_char
        jmp     @finish
@nonzero:
        dex
        stx     DEXP
@up:    lda     #<scale_low
        ldy     #>scale_low
        jsr     fac_compare
        bpl     @down
        jsr     fac_mul10
        dec     DEXP
        bne     @up                     ; (always: it only goes down from 0)
@down:  lda     #<scale_high
        ldy     #>scale_high
        jsr     fac_compare
        cmp     #1
        bne     @scaled
        jsr     fac_div10
        inc     DEXP
        bne     @down                   ; (always: it only goes up from 0)
@scaled:
        lda     #<const_half
        ldy     #>const_half
        jsr     fadd_mem
        jsr     fac_trunc_magnitude
        jsr     make_digits
        lda     DEXP
        clc
        adc     #8                      ; decimal exponent of the first digit
        sta     DEXP
        bmi     @small
        cmp     #9
        bcs     @scientific
        ; fixed notation, at least one digit before the point
        ldx     #0
@int:   lda     DIGITS,x
        jsr     put_char
        cpx     DEXP
        inx
        bcc     @int
        cpx     LASTDIG
        beq     @fraction
        bcs     @finish
@fraction:
        jsr     put_point
        jsr     put_digits
        bcs     @finish                 ; (always)
@small: cmp     #$FE
        bcc     @scientific             ; below 0.01
        jsr     put_point_x0
        lda     DEXP
        cmp     #$FE
        bne     @frac
        lda     #'0'
        jsr     put_char
@frac:  jsr     put_digits
        jmp     @finish
@scientific:
        lda     DIGITS
        jsr     put_char
        ldx     #1
        cpx     LASTDIG
        beq     @one_more
        bcs     @exponent
@one_more:
        jsr     put_point
        jsr     put_digits
@exponent:
        lda     #'E'
        jsr     put_char
        ldx     #'+'
        lda     DEXP
        bpl     @plus
        eor     #$FF
        clc
        adc     #1
        ldx     #'-'
@plus:  pha
        txa
        jsr     put_char
        pla
        ldx     #'0'-1
        sec
@tens:  inx
        sbc     #10
        bcs     @tens
        adc     #'0'+10
        pha
        txa
        jsr     put_char
        pla
        jsr     put_char
@finish:
        lda     #0
        jsr     put_char
        lda     #<NUMBUF
        ldy     #>NUMBUF
        rts

.segment "BASIC"

; put_point_x0: '.' with X = 0, the first digit to follow.
put_point_x0:
        ldx     #0
; put_point: append '.'. Keeps X.
put_point:
        lda     #'.'
; put_char: append A to NUMBUF. Keeps A and X.
put_char:
        ldy     OUTIDX
        sta     NUMBUF,y
        inc     OUTIDX
        rts

; put_digits: append DIGITS from index X up to LASTDIG. Clobbers A, X, Y.
put_digits:
        lda     DIGITS,x
        jsr     put_char
        cpx     LASTDIG
        inx
        bcc     put_digits
        rts

; make_digits: the unsigned integer in FACHO..FACHO+3 (nine digits) as
; nine ASCII digits at DIGITS, found from the right as the remainders of
; dividing by ten; LASTDIG = index of the last non-zero one. The integer is
; destroyed. Clobbers A, X, Y.
make_digits:
        ldy     #0
        sty     LASTDIG
        ldy     #8
@digit: lda     #0                      ; remainder
        ldx     #32
@bit:   asl     FACHO+3                 ; shift the dividend through it
        rol     FACHO+2
        rol     FACHO+1
        rol     FACHO
        rol     a
        cmp     #10
        bcc     @next
        sbc     #10
        inc     FACHO+3                 ; quotient bit
@next:  dex
        bne     @bit
        ora     #'0'
        sta     DIGITS,y
        cmp     #'0'
        beq     @zero
        ldx     LASTDIG                 ; the first non-zero digit from the
        bne     @zero                   ; right is the last one printed
        sty     LASTDIG
@zero:  dey
        bpl     @digit
        rts

; print_uint16: print the unsigned integer A (high) / X (low) without a
; leading blank. Clobbers A, X, Y.
print_uint16:
        pha
        txa
        tay
        pla
        jsr     fac_from_uint16
        jsr     float_to_text
        lda     #<(NUMBUF+1)
        ldy     #>(NUMBUF+1)
        jmp     print_string_ay

scale_low:   .byte $9B, $3E, $BC, $1F, $FD      ; 99999999.90625
scale_high:  .byte $9E, $6E, $6B, $27, $FD      ; 999999999.25
