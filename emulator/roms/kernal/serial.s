; The serial bus calls. The machine has no serial bus: disk LOAD and SAVE
; are handed to the host instead (load_save.s), and every other bus
; transfer finds no device: ST gets "device not present".

.include "zeropage.inc"
.include "kernal_internal.inc"

ST_DEVICE_NOT_PRESENT = $80

.segment "KERNAL_F6"

; SECOND, TKSA, CIOUT, UNTLK, UNLSN, LISTEN, TALK. Keeps A, X, Y.
serial_absent:
        pha
        lda #ST_DEVICE_NOT_PRESENT
        ora STATUS
        sta STATUS
        pla
        clc
        rts

; ACPTR: no byte arrives; A = 0.
acptr_body:
        jsr serial_absent
        lda #0
        rts
