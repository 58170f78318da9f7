; Floating point accumulators: moving values between memory, FAC and ARG,
; normalising, rounding, sign and comparison.
;
; A packed float is 5 bytes: exponent (bias $80, 0 means zero), then a 32-bit
; mantissa, most significant byte first, whose top bit (always 1 once
; normalised) is replaced by the sign. In FAC and ARG the mantissa is kept
; with its top bit and the sign lives in a byte of its own; FACOV holds eight
; more mantissa bits below FACHO+3 until the result is rounded.

.include "basic.inc"

.segment "BASIC_B3A5"

; fac_load_zp: FAC = packed float at zero page address A. Clobbers A, Y.
fac_load_zp:
        ldy     #0
; fac_load: FAC = packed float at A (low) / Y (high); returns A = the
; exponent (Z set for zero) and Y = 0. Unrolled, like arg_load and
; fac_store: every variable and every NEXT comes through here.
fac_load:
        sta     INDEX
        sty     INDEX+1
        ldy     #4
        lda     (INDEX),y
        sta     FACHO+3
        dey
        lda     (INDEX),y
        sta     FACHO+2
        dey
        lda     (INDEX),y
        sta     FACHO+1
        dey
        lda     (INDEX),y
        sta     FACSGN
        ora     #$80
        sta     FACHO
        dey
        sty     FACOV
        lda     (INDEX),y
        sta     FACEXP
        rts

.segment "BASIC_AF0B"

; arg_load: ARG = packed float at A/Y; ARISGN = sign of FAC xor sign of ARG.
; Returns with the N flag set (callers branch on it). Clobbers A, Y.
arg_load:
        sta     INDEX
        sty     INDEX+1
        ldy     #4
        lda     (INDEX),y
        sta     ARGHO+3
        dey
        lda     (INDEX),y
        sta     ARGHO+2
        dey
        lda     (INDEX),y
        sta     ARGHO+1
        ldy     #0
        lda     (INDEX),y
        sta     ARGEXP
        iny
        lda     (INDEX),y
        sta     ARGSGN
        eor     FACSGN
        sta     ARISGN
        lda     ARGSGN
        ora     #$80
        sta     ARGHO
        rts

.segment "BASIC_B3A5"

; fac_store_zp: round FAC and store it packed at zero page address X.
; Clobbers A, Y.
fac_store_zp:
        ldy     #0
; fac_store: round FAC and store it packed at X (low) / Y (high).
; Clobbers A, Y.
fac_store:
        jsr     fac_round               ; (which also clears FACOV)
; fac_store_rounded: the same for a FAC already rounded (FACOV zero).
fac_store_rounded:
        stx     INDEX
        sty     INDEX+1
        ldy     #4
        lda     FACHO+3
        sta     (INDEX),y
        dey
        lda     FACHO+2
        sta     (INDEX),y
        dey
        lda     FACHO+1
        sta     (INDEX),y
        dey
        lda     FACSGN                  ; the sign replaces the top mantissa bit
        ora     #$7F
        and     FACHO
        sta     (INDEX),y
        dey
        lda     FACEXP
        sta     (INDEX),y
        rts

.segment "BASIC_AF0B"

.segment "BASIC"

; arg_to_fac: FAC = ARG. Clobbers A, X.
arg_to_fac:
        ldx     #6
@copy:  lda     ARGEXP-1,x
        sta     FACEXP-1,x
        dex
        bne     @copy
        stx     FACOV
        rts

.segment "BASIC_AF0B"

; fac_round: fold FACOV into the mantissa (round half up) and clear it.
; Clobbers A; keeps X and Y.
fac_round:
        lda     FACEXP
        beq     @done
        asl     FACOV
        bcc     @done
        txa
        pha
        ldx     #3
@carry: inc     FACHO,x
        bne     @kept
        dex
        bpl     @carry
        ror     FACHO                   ; mantissa carried out (carry is set):
        inc     FACEXP                  ; it is 1.0 of the next power
        beq     fac_overflow
@kept:  pla
        tax
@done:  lda     #0
        sta     FACOV
normalized:
        rts

fac_overflow:
        ldx     #E_OVERFLOW
        jmp     basic_error

; fac_normalize: shift the mantissa (with FACOV) left until its top bit is
; set, adjusting the exponent; a zero mantissa or an exponent that runs out
; gives zero. Whole zero bytes go first; once the bytes below the top one
; are empty (a small integer, a comparison's result) the top byte is
; shifted alone. Clobbers A.
fac_normalize:
        lda     FACHO
        bmi     normalized
@byte:  lda     FACHO+1
        ora     FACHO+2
        ora     FACHO+3
        ora     FACOV
        bne     @lower
        ora     FACHO                   ; nothing below the top byte
        beq     fac_zero
@top:   dec     FACEXP
        beq     fac_zero
        asl     a
        bpl     @top
        sta     FACHO
        rts
@lower: lda     FACHO
        bne     @bits                   ; a bit is set in the top byte
        lda     FACEXP                  ; a zero top byte: eight shifts at once,
        cmp     #9                      ; unless the exponent could run out
        bcc     @bits                   ; on the way
        sbc     #8
        sta     FACEXP
        lda     FACHO+1
        sta     FACHO
        lda     FACHO+2
        sta     FACHO+1
        lda     FACHO+3
        sta     FACHO+2
        lda     FACOV
        sta     FACHO+3
        lda     #0
        sta     FACOV
        beq     fac_normalize           ; (always)
@bits:  dec     FACEXP
        beq     fac_zero
        asl     FACOV
        rol     FACHO+3
        rol     FACHO+2
        rol     FACHO+1
        rol     FACHO
        bpl     @bits
        rts

; fac_zero: FAC = 0. Clobbers A.
fac_zero:
        lda     #0
        sta     FACEXP
        sta     FACSGN
        sta     FACOV
        rts

.segment "BASIC"

; fac_negate: FAC = -FAC (zero stays zero). Clobbers A.
fac_negate:
        lda     FACEXP
        beq     @done
        lda     FACSGN
        eor     #$FF
        sta     FACSGN
@done:  rts

; fac_abs: FAC = |FAC|. Clobbers A.
fac_abs:
        lda     #0
        sta     FACSGN
        rts

.segment "BASIC_E26E"

; fac_sign: A = 0 for zero, 1 for positive, $FF for negative (flags set).
fac_sign:
        lda     FACEXP
        beq     sign_done
fac_set_zero_sign:
        lda     FACSGN
sign_of_bit7:                           ; A = $FF when bit 7 of A is set, else 1
        rol     a
        lda     #$FF
        bcs     sign_done
        lda     #1
sign_done:
        rts

; fac_compare: compare FAC with the packed float at A/Y.
; A = 0 if equal, 1 if FAC is greater, $FF if FAC is less. Clobbers Y.
fac_compare:
        sta     INDEX
        sty     INDEX+1
        ldy     #0
        lda     (INDEX),y
        beq     fac_sign                ; against zero: the sign of FAC
        lda     FACEXP
        beq     @byte                   ; FAC is zero: smaller than mem
        iny
        lda     (INDEX),y
        eor     FACSGN
        bmi     fac_set_zero_sign       ; signs differ: FAC's sign decides
        dey                             ; same sign: compare the magnitudes
@byte:  lda     (INDEX),y               ; exponent, then the mantissa bytes
        cpy     #1
        bne     @plain
        ora     #$80                    ; mem's top mantissa bit is its sign
@plain: cmp     FACEXP,y
        bne     @differ
        iny
        cpy     #5
        bcc     @byte
        lda     #0
        rts
@differ:                                ; carry set when |mem| > |FAC|:
        ror     a                       ; then FAC is less if mem is positive
        ldy     #1
        eor     (INDEX),y
        jmp     sign_of_bit7

.segment "BASIC_AF0B"

const_zero:  .byte $00, $00, $00, $00, $00

.segment "BASIC"

const_half:  .byte $80, $00, $00, $00, $00
const_one:   .byte $81, $00, $00, $00, $00
const_ten:   .byte $84, $20, $00, $00, $00
