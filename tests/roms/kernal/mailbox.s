; KERNAL test fixture, linked into the BASIC slot at $A000 in place of BASIC.
; After reset it records the state the KERNAL hands over, then serves calls
; from the host test through a mailbox: the host fills in registers and a
; target, sets the command byte, and runs the machine until the fixture
; clears it. Interrupts stay on throughout, as under BASIC.

.include "zeropage.inc"
.include "system.inc"

MAILBOX         = $C000
MB_COMMAND      = MAILBOX + 0       ; 1: call the target; the fixture clears it
MB_A            = MAILBOX + 1       ; registers passed in
MB_X            = MAILBOX + 2
MB_Y            = MAILBOX + 3
MB_P            = MAILBOX + 4       ; status (carry, mainly) passed in
MB_TARGET       = MAILBOX + 5       ; address called (2 bytes)
MB_OUT_A        = MAILBOX + 8       ; registers returned
MB_OUT_X        = MAILBOX + 9
MB_OUT_Y        = MAILBOX + 10
MB_OUT_P        = MAILBOX + 11
MB_CALLS        = MAILBOX + 12      ; calls completed
MB_COLD_SP      = MAILBOX + 16      ; stack pointer at cold start
MB_COLD_P       = MAILBOX + 17      ; status at cold start
MB_WARM_STARTS  = MAILBOX + 18      ; warm starts seen
MB_READY        = MAILBOX + 19      ; $A5 once the fixture serves calls

COMMAND_CALL    = 1
READY_MARK      = $A5

.segment "BASIC"

        .word cold_start
        .word warm_start

cold_start:
        php
        pla
        sta MB_COLD_P
        tsx
        stx MB_COLD_SP
        jmp serve

warm_start:
        inc MB_WARM_STARTS
        ldx #$FF
        txs
        cli
serve:  lda #READY_MARK
        sta MB_READY
@poll:  lda MB_COMMAND
        cmp #COMMAND_CALL
        bne @poll
        jsr call_target
        php
        sta MB_OUT_A
        stx MB_OUT_X
        sty MB_OUT_Y
        pla
        sta MB_OUT_P
        inc MB_CALLS
        lda #0
        sta MB_COMMAND
        jmp @poll

call_target:
        lda MB_P
        pha
        lda MB_A
        ldx MB_X
        ldy MB_Y
        plp
        jmp (MB_TARGET)
