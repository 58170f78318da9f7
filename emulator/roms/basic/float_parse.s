; Decimal text to FAC: digits, an optional point and an optional exponent,
; read through CHRGET. Each digit is folded in as FAC * 10 + digit, and the
; decimal exponent is applied at the end by multiplying or dividing by ten.

.include "basic.inc"

.segment "BASIC_BDE0"

DECIMALS = TEMPF1               ; digits seen after the point
EXPONENT = TEMPF1+1             ; the value written after E
PFLAGS   = TEMPF1+2             ; bit 7: negative; bit 6: point seen; bit 0: E negative

; float_parse: FAC = the number at TXTPTR; A holds the current character (as
; CHRGOT returns it). Leaves TXTPTR on the first character after the number.
; Clobbers A, X, Y.
float_parse:
        ldx     #0
        stx     DECIMALS
        stx     EXPONENT
        stx     PFLAGS
        pha
        jsr     fac_zero
        pla
        cmp     #'-'
        bne     @plus
        ror     PFLAGS                  ; (carry is set: bit 7, negative)
        bne     @after                  ; (always)
@plus:  cmp     #'+'
        beq     @after
        jsr     CHRGOT                  ; the digit test in the carry
@scan:  bcs     @not_digit
        jsr     add_digit
        bit     PFLAGS
        bvc     @after
        inc     DECIMALS
@after: jsr     CHRGET
        jmp     @scan
@not_digit:
        cmp     #'.'
        bne     @not_point
        bit     PFLAGS
        bvs     @finish                 ; a second point ends the number
        lda     PFLAGS
        ora     #$40
        sta     PFLAGS
        bne     @after
@not_point:
        cmp     #'E'
        bne     @finish
        jsr     CHRGET
        cmp     #'+'
        beq     @exp_next
        cmp     #TOK_PLUS
        beq     @exp_next
        cmp     #'-'
        beq     @exp_negative
        cmp     #TOK_MINUS
        bne     @exp_scan               ; (carry as that compare leaves it)
@exp_negative:
        inc     PFLAGS                  ; bit 0: the exponent is negative
@exp_next:
        jsr     CHRGET
@exp_scan:
        bcs     @finish
        sbc     #'0'-1                  ; carry is clear for a digit
        tax
        lda     EXPONENT
        cmp     #25
        bcc     @exp_grow
        lda     #100                    ; far out of range: overflow or zero anyway
        sta     EXPONENT
        bne     @exp_next
@exp_grow:
        asl     a                       ; EXPONENT * 10 + digit
        asl     a
        adc     EXPONENT
        asl     a
        sta     EXPONENT
        txa
        adc     EXPONENT
        sta     EXPONENT
        jmp     @exp_next
@finish:
        lda     PFLAGS
        lsr     a
        lda     EXPONENT
        bcc     @net
        eor     #$FF                    ; negate the written exponent
        adc     #0                      ; carry is set: +1
@net:   sec
        sbc     DECIMALS
        sta     EXPONENT                ; signed power of ten still to apply
@scale: lda     EXPONENT
        beq     @sign_fix
        bmi     @divide
        jsr     fac_mul10
        dec     EXPONENT
        bpl     @scale                  ; (always: it was above zero)
@divide:
        jsr     fac_div10
        inc     EXPONENT
        lda     FACEXP
        bne     @scale
@sign_fix:
        bit     PFLAGS
        bpl     @done
        jsr     fac_negate
@done:  jmp     CHRGOT

.segment "BASIC"

; add_digit: FAC = FAC * 10 + (A - '0'). Clobbers A, X, Y.
add_digit:
        and     #$0F
        pha
        jsr     fac_mul10
        jsr     fac_to_arg
        pla
        tay
        jsr     fac_from_byte
        jmp     fadd

.segment "BASIC_A7EA"

; fac_mul10: FAC = FAC * 10 as M*5/4 * 8, keeping the rounding byte and not
; rounding, so that repeated scaling stays exact to the ninth digit;
; ?OVERFLOW when it does not fit. Clobbers A, X.
fac_mul10:
        lda     FACEXP
        beq     @done
        ldx     #3
@copy:  lda     FACHO,x                 ; RESHO = mantissa / 4
        sta     RESHO,x
        dex
        bpl     @copy
        lda     FACOV
        sta     RESHO+4
        ldx     #2
@quarter:
        lsr     RESHO
        ror     RESHO+1
        ror     RESHO+2
        ror     RESHO+3
        ror     RESHO+4
        dex
        bne     @quarter
        clc
        lda     FACOV
        adc     RESHO+4
        sta     FACOV
        ldx     #3
@add:   lda     FACHO,x
        adc     RESHO,x
        sta     FACHO,x
        dex
        bpl     @add
        lda     #3
        bcc     @scale
        ror     FACHO                   ; carry out: one more power of two
        ror     FACHO+1
        ror     FACHO+2
        ror     FACHO+3
        ror     FACOV
        lda     #4
@scale: clc
        adc     FACEXP
        sta     FACEXP
        bcs     @overflow
@done:  rts
@overflow:
        jmp     fac_overflow

.segment "BASIC"

; fac_div10: FAC = FAC / 10. Clobbers A, X, Y.
fac_div10:
        jsr     fac_to_arg
        lda     #<const_ten
        ldy     #>const_ten
        jsr     fac_load
        jmp     fdiv
