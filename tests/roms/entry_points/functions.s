; BASIC's functions at their C64 addresses, each on FAC: SQR, the power
; ARG ^ FAC, EXP, LOG, COS, SIN, TAN, ATN, RND and RND's next value from
; its seed. Exact cases are checked to the bit; the others to within
; 2^-21 of the expected value (about seven digits).

.include "check.inc"

SQR             = $BF71
POWER           = $BF7B
EXP             = $BFED
LOG             = $B9EA
COS             = $E264
SIN             = $E26B
TAN             = $E2B4
ATN             = $E30E
RND             = $E097
RND_NEXT        = $E0BE
FAC_FROM_MEMORY = $BBA2
FAC_TO_MEMORY   = $BBD4
FSUB_MEMORY     = $B850
CLOSE_EXPONENT  = $80 - 21      ; |result - expected| below 2^-21

; Fail unless result is within 2^-21 of the packed float at label.
.macro expect_close label
        lda #<label
        ldy #>label
        jsr check_close
.endmacro

; result = function(the packed float at label).
.macro apply routine, label
        lda #<label
        ldy #>label
        jsr FAC_FROM_MEMORY
        jsr routine
        jsr store_result
.endmacro

run_checks:
        step_begin 1            ; SQR(16) = 4
        apply SQR, sixteen
        expect_float result, $83, $00, $00, $00, $00

        step_begin 2            ; ARG ^ FAC: 2 ^ 10 = 1024
        ldx #5
@arg:   lda two_unpacked,x
        sta ARGEXP,x
        dex
        bpl @arg
        lda #<ten
        ldy #>ten
        jsr FAC_FROM_MEMORY
        jsr POWER
        jsr store_result
        expect_float result, $8B, $00, $00, $00, $00

        step_begin 3            ; EXP(0) = 1, EXP(1) = 2.71828183
        apply EXP, zero
        expect_float result, $81, $00, $00, $00, $00
        apply EXP, one
        expect_close e

        step_begin 4            ; LOG(1) = 0, LOG(e) = 1
        apply LOG, one
        expect_byte result, $00
        apply LOG, e
        expect_close one

        step_begin 5            ; COS(0) = 1, SIN(0) = 0, TAN(0) = 0
        apply COS, zero
        expect_close one
        apply SIN, zero
        expect_byte result, $00
        apply TAN, zero
        expect_byte result, $00

        step_begin 6            ; SIN(pi/2) = 1, ATN(1) = pi/4
        apply SIN, half_pi
        expect_close one
        apply ATN, one
        expect_close quarter_pi

        step_begin 7            ; RND(1) after a seed = RND_NEXT after the same seed
        apply RND, minus_one    ; (a negative argument seeds)
        apply RND, one
        ldx #4
@keep:  lda result,x
        sta first_value,x
        dex
        bpl @keep
        apply RND, minus_one
        jsr RND_NEXT
        jsr store_result
        ldx #4
@same:  lda result,x
        cmp first_value,x
        beq @next
        jmp fail
@next:  dex
        bpl @same
        lda result              ; between 0 and 1
        cmp #$81
        bcc @in_range
        jmp fail
@in_range:
        rts

; result = FAC, packed. Clobbers A, X, Y.
store_result:
        ldx #<result
        ldy #>result
        jmp FAC_TO_MEMORY

; Fail unless result is within 2^-21 of A (low) / Y (high)'s value.
check_close:
        jsr FAC_FROM_MEMORY
        lda #<result
        ldy #>result
        jsr FSUB_MEMORY
        lda FACEXP
        cmp #CLOSE_EXPONENT
        bcc @close
        jmp fail
@close: rts

zero:         .byte $00, $00, $00, $00, $00
one:          .byte $81, $00, $00, $00, $00
minus_one:    .byte $81, $80, $00, $00, $00
ten:          .byte $84, $20, $00, $00, $00
sixteen:      .byte $85, $00, $00, $00, $00
e:            .byte $82, $2D, $F8, $54, $58
half_pi:      .byte $81, $49, $0F, $DA, $A2
quarter_pi:   .byte $80, $49, $0F, $DA, $A2
two_unpacked: .byte $82, $80, $00, $00, $00, $00    ; ARG's layout: sign apart
result:       .res 5
first_value:  .res 5
passed_text:  .byte 13, "FUNCTION ENTRIES OK", 0
