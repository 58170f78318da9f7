; BASIC's evaluator helpers at their C64 addresses: the error entry, numeric
; expressions, the character checks, byte and address arguments, and READY.
; Text to evaluate is set up at TXTPTR (which points at its first character,
; as CHRGOT sees it); errors are caught through IERROR.

.include "check.inc"

ERROR           = $A437
READY_LOOP      = $A474
EVAL_NUMERIC    = $AD8A
CHECK_COMMA     = $AEFD
CHECK_CHAR      = $AEFF
EVAL_BYTE       = $B79E
ADDRESS_BYTE    = $B7EB
FAC_TO_ADDRESS  = $B7F7
FAC_FROM_MEMORY = $BBA2

TOK_MUL         = $AC
E_SYNTAX        = 11
E_ILLEGAL_QUANTITY = 14
E_TYPE_MISMATCH = 22
NO_ERROR        = $FF

; (in the free RAM at $02A7-$02FF)
try_vector = $02A7              ; the routine call_caught calls (2 bytes)
caught   = $02A9                ; the error number IERROR brought, or NO_ERROR
catch_sp = $02AA                ; the stack at the call that may fail
saved_x  = $02AB                ; X for the routine called

; Point TXTPTR at the text at label.
.macro text_at label
        lda #<label
        sta TXTPTR
        lda #>label
        sta TXTPTR + 1
.endmacro

; Call routine with errors caught: `caught` says which error, if any.
.macro try routine
        lda #<routine
        sta try_vector
        lda #>routine
        sta try_vector + 1
        jsr call_caught
.endmacro

run_checks:
        lda IERROR
        pha
        lda IERROR + 1
        pha
        lda #<catch
        sta IERROR
        lda #>catch
        sta IERROR + 1

        step_begin 1            ; $A437: error X goes through IERROR
        ldx #E_ILLEGAL_QUANTITY
        try ERROR_WITH_X
        expect_byte caught, E_ILLEGAL_QUANTITY

        step_begin 2            ; $AD8A: 7*6 into FAC, TXTPTR after it
        text_at product
        try EVAL_NUMERIC
        expect_byte caught, NO_ERROR
        expect_byte FACEXP, $86
        expect_byte FACHO, $A8
        expect_byte FACSGN, 0
        jsr CHRGOT
        expect_a ','

        step_begin 3            ; $AD8A: a string is a type mismatch
        text_at quoted
        try EVAL_NUMERIC
        expect_byte caught, E_TYPE_MISMATCH

        step_begin 4            ; $AEFD: past the comma to the next character
        text_at product_comma
        try CHECK_COMMA
        expect_a '2'
        expect_byte caught, NO_ERROR
        text_at product         ; ... and ?SYNTAX ERROR on anything else
        try CHECK_COMMA
        expect_byte caught, E_SYNTAX

        step_begin 5            ; $AEFF: the character in A
        text_at quoted
        try CHECK_QUOTE
        expect_a 'A'
        expect_byte caught, NO_ERROR

        step_begin 6            ; $B79E: a byte into X, a larger value refused
        text_at two_hundred
        try EVAL_BYTE
        expect_x 200
        expect_byte caught, NO_ERROR
        text_at too_big
        try EVAL_BYTE
        expect_byte caught, E_ILLEGAL_QUANTITY

        step_begin 7            ; $B7EB: POKE's address and byte
        text_at poke_args
        try ADDRESS_BYTE
        expect_byte caught, NO_ERROR
        expect_x 7
        expect_byte LINNUM, $00
        expect_byte LINNUM + 1, $C0

        step_begin 8            ; $B7F7: FAC to an address in $14/$15
        lda #<forty_thousand
        ldy #>forty_thousand
        jsr FAC_FROM_MEMORY
        jsr FAC_TO_ADDRESS
        expect_byte LINNUM, $40
        expect_byte LINNUM + 1, $9C

        pla
        sta IERROR + 1
        pla
        sta IERROR
        lda #<passed_text       ; $A474 prints READY. after this line and
        ldy #>passed_text       ; takes over in direct mode
        jsr print_text
        jmp READY_LOOP

; The error entry needs X, which `try` keeps.
ERROR_WITH_X:
        jmp ERROR
CHECK_QUOTE:
        lda #$22                ; (a quote)
        jmp CHECK_CHAR

call_caught:
        stx saved_x
        tsx
        stx catch_sp
        ldx saved_x
        pha
        lda #NO_ERROR
        sta caught
        pla
        jmp (try_vector)
catch:  stx caught              ; (IERROR: X = the error number)
        ldx catch_sp
        txs
        rts                     ; from call_caught, as if the routine had returned

product:        .byte "7", TOK_MUL, "6", ",", 0
product_comma:  .byte ",2", 0
quoted:         .byte $22, "A", $22, 0
two_hundred:    .byte "200", 0
too_big:        .byte "256", 0
poke_args:      .byte "49152,7", 0
forty_thousand: .byte $90, $1C, $40, $00, $00
passed_text:    .byte 13, "EVALUATOR ENTRIES OK", 0
