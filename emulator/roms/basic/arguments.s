; Numeric arguments of statements and functions, at the C64's addresses
; that machine-code programs call: a byte into X ($B79E, the conversion of
; FAC alone at $B7A1), an address and a byte as POKE takes them ($B7EB),
; FAC to an address in LINNUM ($B7F7). Converting a byte leaves LINNUM
; alone, so an address read before it survives.

.include "basic.inc"

.segment "BASIC_B79E"

; eval_byte: evaluate a number in 0-255 into X. Clobbers A, Y.
eval_byte:
        jsr     eval_numeric
; fac_to_byte: X = FAC in 0..255, else ?ILLEGAL QUANTITY. Clobbers A, Y.
fac_to_byte:
        jsr     uint16_of_fac
        bne     bad_argument
        tya
        tax
        rts

; uint16_of_fac: A (high) / Y (low) = FAC in 0..65535, else ?ILLEGAL
; QUANTITY; the flags follow A. Clobbers X.
uint16_of_fac:
        lda     FACSGN
        bmi     bad_argument
        jsr     fac_to_int32
        bcs     bad_argument
        lda     FACHO
        ora     FACHO+1
        bne     bad_argument
        ldy     FACHO+3
        lda     FACHO+2
        rts
bad_argument:
        jmp     illegal_quantity

.assert eval_byte = $B79E, error, "byte argument must be at $B79E"
.assert fac_to_byte = $B7A1, error, "FAC to byte must be at $B7A1"

.segment "BASIC_B7EB"

; address_byte: "address, byte": LINNUM = the address, X = the byte.
; Clobbers A, Y.
address_byte:
        jsr     eval_uint16
; eval_byte_comma: ", byte" into X. Clobbers A, Y.
eval_byte_comma:
        jsr     chk_comma
        jmp     eval_byte
; eval_uint16: a number in 0-65535 into LINNUM.
eval_uint16:
        jsr     eval_numeric
; fac_to_uint16: LINNUM and A (high) / Y (low) = FAC in 0..65535, else
; ?ILLEGAL QUANTITY. Clobbers X.
fac_to_uint16:
        jsr     uint16_of_fac
        sta     LINNUM+1
        sty     LINNUM
        rts

.assert address_byte = $B7EB, error, "address and byte must be at $B7EB"
.assert fac_to_uint16 = $B7F7, error, "FAC to address must be at $B7F7"
