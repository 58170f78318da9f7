; Interrupt entry and the default IRQ handler: the jiffy clock, the cursor
; blink and the keyboard scan, sixty times a second.

.include "zeropage.inc"
.include "system.inc"
.include "io.inc"
.include "kernal_internal.inc"

BREAK_FLAG = $10

.segment "KERNAL_FF48"

; IRQ and BRK share the vector: save A, X, Y, then tell them apart by the
; break bit of the status byte the processor pushed.
irq_entry:
        pha
        txa
        pha
        tya
        pha
        tsx
        lda $0104,x
        and #BREAK_FLAG
        beq @irq
        jmp (CBINV)
@irq:   jmp (CINV)

.assert irq_entry = $FF48, error, "interrupt entry must be at $FF48"

.segment "KERNAL_EA31"

; The default IRQ handler (CINV). Entered with A, X, Y on the stack.
irq_service:
        cld
        jsr udtim
        jsr blink_cursor
        jsr scnkey
        jmp irq_ack_exit

.assert irq_service = $EA31, error, "default IRQ handler must be at $EA31"

.segment "KERNAL_EA7E"

; Acknowledge CIA 1's interrupt, then restore Y, X, A and return.
irq_ack_exit:
        lda CIA1_ICR
irq_exit:
        pla
        tay
        pla
        tax
        pla
        rti

.assert irq_ack_exit = $EA7E, error, "IRQ acknowledge-and-exit must be at $EA7E"
.assert irq_exit = $EA81, error, "IRQ register restore must be at $EA81"
