; BASIC's floating point package at its C64 addresses: FAC from and to
; memory, the four operations with a packed operand at A/Y, comparison, the
; conversions to and from integers and to text. Values are exact in binary,
; so every result is known to the bit.

.include "check.inc"

FSUB_MEMORY     = $B850
FADD_MEMORY     = $B867
FMUL_MEMORY     = $BA28
FDIV_MEMORY     = $BB0F
FAC_FROM_MEMORY = $BBA2
FAC_TO_MEMORY   = $BBD4
COMPARE         = $BC5B
FAC_TO_INT32    = $BC9B
FAC_FROM_BYTE   = $B3A2
FAC_TO_TEXT     = $BDDD
NUMBER_TEXT     = $0100

; FAC = the packed float at label.
.macro load label
        lda #<label
        ldy #>label
        jsr FAC_FROM_MEMORY
.endmacro

; result = FAC, packed.
.macro store_result
        ldx #<result
        ldy #>result
        jsr FAC_TO_MEMORY
.endmacro

; FAC = FAC op the packed float at label, by the entry at routine.
.macro operate routine, label
        lda #<label
        ldy #>label
        jsr routine
.endmacro

run_checks:
        step_begin 1            ; $BBA2: unpacked, sign apart, A = exponent
        load two_and_half
        expect_a $82
        expect_y 0
        expect_byte FACEXP, $82
        expect_byte FACHO, $A0
        lda FACSGN              ; (only its top bit counts)
        and #$80
        expect_a 0
        expect_byte FACOV, 0

        step_begin 2            ; $BBD4: packed again at X/Y
        store_result
        expect_float result, $82, $20, $00, $00, $00
        load minus_seven_half
        store_result
        expect_float result, $83, $F0, $00, $00, $00

        step_begin 3            ; $B867: 1.5 + 2.5 = 4
        load two_and_half
        operate FADD_MEMORY, one_and_half
        store_result
        expect_float result, $83, $00, $00, $00, $00

        step_begin 4            ; $B850: 10 - 2.5 = 7.5
        load two_and_half
        operate FSUB_MEMORY, ten
        store_result
        expect_float result, $83, $70, $00, $00, $00

        step_begin 5            ; $BA28: 1.5 * 2.5 = 3.75
        load two_and_half
        operate FMUL_MEMORY, one_and_half
        store_result
        expect_float result, $82, $70, $00, $00, $00

        step_begin 6            ; $BB0F: 10 / 2.5 = 4
        load two_and_half
        operate FDIV_MEMORY, ten
        store_result
        expect_float result, $83, $00, $00, $00, $00

        step_begin 7            ; $BC5B: 1 greater, 0 equal, $FF less
        load two_and_half
        operate COMPARE, one_and_half
        expect_a 1
        operate COMPARE, two_and_half
        expect_a 0
        operate COMPARE, ten
        expect_a $FF

        step_begin 8            ; $BC9B: 32 bits, most significant first, floored
        load minus_seven_half
        jsr FAC_TO_INT32
        expect_byte FACHO, $FF
        expect_byte FACHO + 1, $FF
        expect_byte FACHO + 2, $FF
        expect_byte FACHO + 3, $F8
        load million
        jsr FAC_TO_INT32
        expect_byte FACHO, $00
        expect_byte FACHO + 1, $0F
        expect_byte FACHO + 2, $42
        expect_byte FACHO + 3, $40

        step_begin 9            ; $B3A2: Y to FAC
        ldy #200
        jsr FAC_FROM_BYTE
        store_result
        expect_float result, $88, $48, $00, $00, $00

        step_begin 10           ; $BDDD: the text at $0100, A/Y pointing at it
        load minus_seven_half
        jsr FAC_TO_TEXT
        expect_a <NUMBER_TEXT
        expect_y >NUMBER_TEXT
        expect_float NUMBER_TEXT, '-', '7', '.', '5', 0
        load ten
        jsr FAC_TO_TEXT
        expect_byte NUMBER_TEXT, ' '    ; (a positive number's sign)
        expect_byte NUMBER_TEXT + 1, '1'
        expect_byte NUMBER_TEXT + 2, '0'
        expect_byte NUMBER_TEXT + 3, 0
        rts

two_and_half:     .byte $82, $20, $00, $00, $00
one_and_half:     .byte $81, $40, $00, $00, $00
ten:              .byte $84, $20, $00, $00, $00
minus_seven_half: .byte $83, $F0, $00, $00, $00
million:          .byte $94, $74, $24, $00, $00
result:           .res 5
passed_text:      .byte 13, "FLOAT ENTRIES OK", 0
