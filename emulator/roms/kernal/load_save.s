; LOAD and SAVE. Drive 8 is handed to the host: the ROM stores 4 (load) or
; 5 (save) in $02, and the machine performs the transfer before the next
; instruction, leaving the load's result in ST and $AE/$AF. A load that
; does not fit in memory comes back with ST bits 1 and 2 and is reported as
; BASIC's OUT OF MEMORY.
; A save the host could not store comes back as ST bit 1 (the file could not
; be written: its name exists, the disk is full) or bit 7 (no disk), and is
; reported as an error instead of a silent success.
; Device 1 (tape) and the serial devices other than 8 are not present; 0, 2
; and 3 are illegal.

.include "zeropage.inc"
.include "system.inc"
.include "kernal.inc"
.include "kernal_internal.inc"

REQUEST_LOAD    = 4
REQUEST_SAVE    = 5
FIRST_DISK_DEVICE = 4
DEVICE_TAPE     = 1
OPCODE_BCS      = $B0

.segment "KERNAL_F6"

; LOAD from the jump table: A = 0 load / 1 verify, X/Y = the address to load
; to with secondary address 0.
load_entry:
        stx MEMUSS
        sty MEMUSS + 1
        jmp (ILOAD)

; SAVE from the jump table: A = the zero-page address of the start pointer,
; X/Y = the address after the last byte.
save_entry:
        stx EAL
        sty EAL + 1
        tax
        lda $00,x
        sta STAL
        lda $01,x
        sta STAL + 1
        jmp (ISAVE)

; Any device but the drive: tape and serial devices are not present, the
; others cannot load or save.
other_device:
        cmp #FIRST_DISK_DEVICE
        bcc low_device
        jmp device_not_present
low_device:
        cmp #DEVICE_TAPE
        bne @illegal
        jmp device_not_present
@illegal:
        jmp error_illegal_device

LOAD_TOO_LONG   = $04

; The host could not load: not found, or (ST bit 2) too long for memory.
load_failed:
        lda STATUS
        and #LOAD_TOO_LONG
        bne @too_long
        jmp error_file_not_found
@too_long:
        jsr CLRCHN
        lda #ERR_OUT_OF_MEMORY
        sec
        rts

SAVE_NOT_WRITTEN = $02
SAVE_NO_DISK    = $80

disk_save:
        lda #0
        sta STATUS
        jsr print_saving
        jsr disk_save_handoff
        lda STATUS
        bmi @no_disk
        and #SAVE_NOT_WRITTEN
        bne @not_written
        rts                     ; carry clear from the hand-off
@no_disk:
        jmp device_not_present
@not_written:
        jmp error_not_output_file

.segment "KERNAL_F4A5"

; The LOAD vector's default (ILOAD). A = verify flag.
load_body:
        sta VERCK
        lda #0
        sta STATUS
        lda FA
        cmp #DEVICE_DRIVE
        beq @disk
        jmp other_device
@disk:  lda FNLEN
        bne @named
        jmp error_missing_file_name
@named: jsr print_searching
        jmp disk_load_handoff

.assert load_body = $F4A5, error, "LOAD must be at $F4A5"

.segment "KERNAL_F4C4"

; The machine's load hand-off. It stands where the machine patches its
; bytes, and its bytes are those of the patch, so the patch changes nothing.
disk_load_handoff:
        lda #REQUEST_LOAD
        sta a:HOSTREQ           ; absolute, as in the patch
        lda STATUS              ; bit 1: the host did not find the file
        lsr a
        lsr a
        .byte OPCODE_BCS        ; to the exit at its fixed address, in
        .byte <(file_not_found_exit - (* + 1))  ; another segment
        jsr print_loading
        clc
        ldx EAL                 ; the end of the loaded bytes
        ldy EAL + 1
        rts

.assert file_not_found_exit - (disk_load_handoff + $0B) < $80, error, "FILE NOT FOUND exit out of branch range"
.assert disk_load_handoff = $F4C4, error, "load hand-off must be at $F4C4"
.assert * = $F4D8, error, "load hand-off must be 20 bytes"

.segment "KERNAL_F530"

file_not_found_exit:
        jmp load_failed

.assert file_not_found_exit = $F530, error, "FILE NOT FOUND exit must be at $F530"

.segment "KERNAL_F5D2"

print_loading:
        jmp print_load_message

.assert print_loading = $F5D2, error, "LOADING message must be at $F5D2"

.segment "KERNAL_F5ED"

; The SAVE vector's default (ISAVE). STAL = start, EAL = end.
save_body:
        lda FA
        cmp #DEVICE_DRIVE
        beq @disk
        jmp other_device
@disk:  lda FNLEN
        bne @named
        jmp error_missing_file_name
@named: jmp disk_save

.assert save_body = $F5ED, error, "SAVE must be at $F5ED"

.segment "KERNAL_F605"

; The machine's save hand-off, byte for byte as its patch writes it.
disk_save_handoff:
        lda #REQUEST_SAVE
        sta a:HOSTREQ
        clc
        rts

.assert disk_save_handoff = $F605, error, "save hand-off must be at $F605"
.assert * = $F60C, error, "save hand-off must be 7 bytes"
