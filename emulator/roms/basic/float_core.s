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
; fac_load: FAC = packed float at A (low) / Y (high). Clobbers A, Y.
fac_load:
        sta     INDEX
        sty     INDEX+1
        ldy     #4
@copy:  lda     (INDEX),y
        sta     FACEXP,y
        dey
        bpl     @copy
        lda     FACHO
        sta     FACSGN
        ora     #$80
        sta     FACHO
        iny
        sty     FACOV
        lda     FACEXP
        rts

.segment "BASIC"

; arg_load: ARG = packed float at A/Y; ARISGN = sign of FAC xor sign of ARG.
; Returns with the N flag set (callers branch on it). Clobbers A, Y.
arg_load:
        sta     INDEX
        sty     INDEX+1
        ldy     #4
@copy:  lda     (INDEX),y
        sta     ARGEXP,y
        dey
        bpl     @copy
        lda     ARGHO
        sta     ARGSGN
        eor     FACSGN
        sta     ARISGN
        lda     ARGHO
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
        stx     INDEX
        sty     INDEX+1
        ldy     #4
@copy:  lda     FACEXP,y
        sta     (INDEX),y
        dey
        bpl     @copy
        ldy     #1                      ; the sign replaces the top mantissa bit
        lda     FACSGN
        ora     #$7F
        and     FACHO
        sta     (INDEX),y
        rts

.segment "BASIC"

; fac_to_arg: ARG = FAC, rounded first. Clobbers A, X.
fac_to_arg:
        jsr     fac_round
        ldx     #6
@copy:  lda     FACEXP-1,x
        sta     ARGEXP-1,x
        dex
        bne     @copy
        stx     ARISGN
        rts

; arg_to_fac: FAC = ARG. Clobbers A, X.
arg_to_fac:
        ldx     #6
@copy:  lda     ARGEXP-1,x
        sta     FACEXP-1,x
        dex
        bne     @copy
        stx     FACOV
        rts

.segment "BASIC_A7EA"

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
; gives zero. Clobbers A, X.
fac_normalize:
        ldx     #40                     ; a non-zero mantissa needs at most 39
        lda     FACHO
        bmi     normalized
@shift: dec     FACEXP
        beq     fac_zero
        asl     FACOV
        rol     FACHO+3
        rol     FACHO+2
        rol     FACHO+1
        rol     FACHO
        bmi     normalized
        dex
        bne     @shift
        ; fall through: nothing but zeros

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

.segment "BASIC_A7EA"

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

.segment "BASIC"

const_zero:  .byte $00, $00, $00, $00, $00
const_half:  .byte $80, $00, $00, $00, $00
const_one:   .byte $81, $00, $00, $00, $00
const_ten:   .byte $84, $20, $00, $00, $00
