; NMI entry and the default NMI and BRK handlers. RUN/STOP with RESTORE
; (and BRK) warm-start BASIC with the vectors, the I/O chips and the screen
; put back as at reset.

.include "zeropage.inc"
.include "system.inc"
.include "io.inc"
.include "kernal.inc"
.include "kernal_internal.inc"

.segment "KERNAL_FE43"

nmi_entry:
        sei
        jmp (NMINV)

; The default NMI handler (NMINV), entered from nmi_entry.
nmi_default:
        pha
        txa
        pha
        tya
        pha
        jmp nmi_service

.assert nmi_entry = $FE43, error, "NMI entry must be at $FE43"
.assert nmi_default = $FE47, error, "default NMI handler must be at $FE47"

.segment "KERNAL_FE66"

; The default BRK handler (CBINV, also USRCMD): warm start.
brk_default:
        jsr restor
        jsr ioinit
        jsr screen_init
        cli
        jmp (BASIC_WARM_VECTOR)

.assert brk_default = $FE66, error, "default BRK handler must be at $FE66"

.segment "KERNAL_FE"

nmi_service:
        lda #$7F                ; CIA 2's NMI sources off; reading acknowledges
        sta CIA2_ICR
        ldy CIA2_ICR
        jsr check_cartridge
        bne @no_cartridge
        jmp ($8002)             ; an autostart cartridge's own NMI entry
@no_cartridge:
        jsr read_stop_key
        jsr STOP
        bne @restore_only
        jmp brk_default         ; RUN/STOP held too: warm start
@restore_only:
        jmp nmi_exit            ; RESTORE alone does nothing more

.segment "KERNAL_FEBC"

; Restore Y, X, A and return from the NMI.
nmi_exit:
        pla
        tay
        pla
        tax
        pla
        rti

.assert nmi_exit = $FEBC, error, "NMI exit must be at $FEBC"
