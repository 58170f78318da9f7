; Conversions between FAC and integers: 8, 16 and 32 bits, INT, and the
; range-checked conversions that statements use for their arguments.

.include "basic.inc"

.segment "BASIC_BB12"

; fac_from_byte: FAC = Y (0-255). Clobbers A, X.
fac_from_byte:
        lda     #0
; fac_from_uint16: FAC = A (high) / Y (low), unsigned. Clobbers A, X.
fac_from_uint16:
        ldx     #0                      ; X: the sign, in bit 7
        .byte   $24                     ; (skips the TAX)
; fac_from_int16: FAC = A (high) / Y (low), signed. Clobbers A, X.
fac_from_int16:
        tax
        stx     FACSGN
        sta     FACHO
        sty     FACHO+1                 ; (the flags still follow the high byte)
        bpl     @magnitude
        ldx     #1                      ; the magnitude of a negative value
        sec
        jsr     negate_bytes
@magnitude:
        lda     #0
        sta     FACHO+2
        sta     FACHO+3
        ldx     #$90
        .byte   $2C                     ; (skips the next ldx)
; fac_from_uint32: FAC = unsigned FACHO..FACHO+3, keeping FACSGN. Clobbers A, X.
fac_from_uint32:
        ldx     #$A0
        lda     #0
        sta     FACOV
        stx     FACEXP
        jmp     fac_normalize

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

; fac_trunc_magnitude: FACHO..FACHO+3 = |FAC| truncated to an unsigned 32-bit
; integer; FACOV non-zero when a fraction was dropped. Carry set (FAC
; unchanged) when |FAC| is 2^32 or more. Clobbers A, X.
fac_trunc_magnitude:
        lda     FACEXP
        cmp     #$A1
        bcs     @done
        lda     #0
        sta     FACOV
        lda     #$A1                    ; bits to shift right: $A0 - FACEXP
        sbc     FACEXP                  ; (carry is clear)
        cmp     #33
        bcc     @shift
        lda     FACEXP                  ; below 1: all fraction
        sta     FACOV
        lda     #0
        ldx     #3
@clear: sta     FACHO,x
        dex
        bpl     @clear
        clc
        rts
@shift: tax
        beq     @ok
@bytes: cpx     #8                      ; whole bytes first
        bcc     @loop
        lda     FACHO+3
        ora     FACOV                   ; (only zero or not counts)
        sta     FACOV
        lda     FACHO+2
        sta     FACHO+3
        lda     FACHO+1
        sta     FACHO+2
        lda     FACHO
        sta     FACHO+1
        lda     #0
        sta     FACHO
        txa
        sbc     #8                      ; (carry is set)
        tax
        bne     @bytes
        beq     @ok
@loop:  lsr     FACHO
        ror     FACHO+1
        ror     FACHO+2
        ror     FACHO+3
        bcc     @next
        inc     FACOV                   ; at most 32 ones: never wraps to zero
@next:  dex
        bne     @loop
@ok:    clc
@done:  rts

.segment "BASIC_A7B1"

; fac_to_int32: FACHO..FACHO+3 = floor(FAC) as a signed 32-bit integer.
; Carry set when it does not fit. Clobbers A, X.
fac_to_int32:
        jsr     fac_trunc_magnitude
        bcs     @out
        bit     FACSGN
        bpl     @check
        lda     FACOV
        beq     @negate
        ldx     #3                      ; floor of a negative number with a fraction
@up:    inc     FACHO,x
        bne     @negate
        dex
        bpl     @up
@negate:
        lda     #0
        sta     FACOV
        jsr     negate_int32
        lda     FACHO                   ; a negative result must have its sign bit
        bmi     @fits
        ora     FACHO+1
        ora     FACHO+2
        ora     FACHO+3
        beq     @fits                   ; zero
        sec
        rts
@check: lda     FACHO
        bmi     @out
@fits:  clc
        rts
@out:   sec
        rts

.segment "BASIC"

; fac_int: FAC = INT(FAC), the largest integer not above it. Clobbers A, X.
fac_int:
        lda     FACEXP
        cmp     #$A0
        bcs     @done                   ; 2^31 and up holds no fraction
        jsr     fac_to_int32
        lda     FACHO                   ; only the top bit of the sign counts
        sta     FACSGN
        bpl     @positive
        jsr     negate_int32
@positive:
        jmp     fac_from_uint32
@done:  rts

.segment "BASIC_BDD0"

; negate_int32: FACHO..FACHO+3 = -(FACHO..FACHO+3). Clobbers A, X.
negate_int32:
        ldx     #3
        sec
; negate_bytes: the same for bytes X down to 0, borrowing from the carry.
negate_bytes:
        lda     #0
        sbc     FACHO,x
        sta     FACHO,x
        dex
        bpl     negate_bytes
        rts

.segment "BASIC"

; fac_to_int16: A (high) / Y (low) = floor(FAC) in -32768..32767, also left
; in FACHO+2/FACHO+3; ?ILLEGAL QUANTITY otherwise. Clobbers X.
fac_to_int16:
        jsr     fac_to_int32
        bcs     bad_quantity
        lda     FACHO+2
        asl     a                       ; carry = sign of the low 16 bits
        lda     FACHO
        adc     #0
        bne     bad_quantity            ; high word is not the sign extension
        lda     FACHO+1
        adc     #0
        bne     bad_quantity
        lda     FACHO+2
        ldy     FACHO+3
        rts
bad_quantity:
        jmp     illegal_quantity
