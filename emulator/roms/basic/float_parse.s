; Decimal text to FAC: digits, an optional point and an optional exponent,
; read through CHRGET. Each digit is folded in as FAC * 10 + digit, and the
; decimal exponent is applied at the end by multiplying or dividing by ten.
; While the digits so far fit in 32 bits they are gathered as a binary
; integer in FACHO..FACHO+3 (FACEXP still zero), which is the same value
; the float steps reach exactly, at a fraction of the cost.

.include "basic.inc"

.segment "BASIC_B1AD"

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
        txa
        ldx     #FACSGN - FACEXP        ; FAC zero, mantissa bytes included
@clear: sta     FACEXP,x
        dex
        bpl     @clear
        sta     FACOV
        pla
        cmp     #'-'
        bne     @plus
        ror     PFLAGS                  ; (carry is set: bit 7, negative)
        bne     @after                  ; (always)
@plus:  cmp     #'+'
        beq     @after
        jsr     CHRGOT                  ; the digit test in the carry
@scan:  bcs     @not_digit
        ldx     FACEXP
        bne     @float_digit
        ldx     FACHO
        cpx     #$19                    ; ten times this and a digit may not fit
        bcs     @to_float
        jsr     integer_digit
        jmp     @counted
@to_float:
        pha
        jsr     fac_from_uint32
        pla
@float_digit:
        jsr     add_digit
@counted:
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
        lda     FACEXP
        bne     @float
        jsr     fac_from_uint32         ; the integer gathered so far
@float: lda     PFLAGS
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

.segment "BASIC_A43A"

; integer_digit: FACHO..FACHO+3 = FACHO..FACHO+3 * 10 + (A - '0'), as an
; unsigned integer that the caller keeps below 2^32. Clobbers A, X.
integer_digit:
        and     #$0F
        pha
        jsr     @double                 ; x * 2, kept in RESHO
        ldx     #3
@keep:  lda     FACHO,x
        sta     RESHO,x
        dex
        bpl     @keep
        jsr     @double                 ; x * 8
        jsr     @double
        clc
        ldx     #3
@add:   lda     FACHO,x                 ; x * 8 + x * 2
        adc     RESHO,x
        sta     FACHO,x
        dex
        bpl     @add
        pla                             ; + the digit
        ldx     #3
@digit: adc     FACHO,x                 ; (carry is clear: nothing overflowed)
        sta     FACHO,x
        lda     #0
        dex
        bpl     @digit
        rts
@double:
        asl     FACHO+3
        rol     FACHO+2
        rol     FACHO+1
        rol     FACHO
        rts

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

.segment "BASIC_B3A5"

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

.segment "BASIC_B1AD"

; fac_div10: FAC = FAC / 10. Clobbers A, X, Y.
fac_div10:
        jsr     fac_to_arg
        lda     #<const_ten
        ldy     #>const_ten
        jsr     fac_load
        jmp     fdiv
