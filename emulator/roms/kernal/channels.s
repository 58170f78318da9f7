; Logical files and channels: OPEN, CLOSE, CHKIN, CHKOUT, CLRCHN, CLALL and
; the ten-entry file tables (logical file, device, secondary address).
; The machine's own devices are 0 (keyboard) and 3 (screen), and drive 8
; is served by the host (drive.s); any other device is not present.

.include "zeropage.inc"
.include "system.inc"
.include "kernal_internal.inc"

DEVICE_KEYBOARD = 0
DEVICE_SCREEN   = 3
SA_OPEN_FLAGS   = $60   ; the file tables keep secondary addresses as $6x

.segment "KERNAL_F20E"

; CHKIN: input from logical file X.
chkin_body:
        txa
        jsr find_file
        bcc @open
        jmp error_file_not_open
@open:  jsr use_file
        beq @input              ; the keyboard
        cmp #DEVICE_SCREEN
        beq @input
        cmp #DEVICE_DRIVE
        bne @absent
        jsr drive_talk
        bmi @absent
        lda #DEVICE_DRIVE
@input: sta DFLTN
        clc
        rts
@absent:
        jmp device_not_present

.assert chkin_body = $F20E, error, "CHKIN must be at $F20E"

.segment "KERNAL_F250"

; CHKOUT: output to logical file X.
chkout_body:
        txa
        jsr find_file
        bcc @open
        jmp error_file_not_open
@open:  jsr use_file
        bne @device
        jmp error_not_output_file
@device:
        cmp #DEVICE_SCREEN
        beq @output
        cmp #DEVICE_DRIVE
        bne @absent
        jsr drive_listen
        bmi @absent
        lda #DEVICE_DRIVE
@output:
        sta DFLTO
        clc
        rts
@absent:
        jmp device_not_present

.assert chkout_body = $F250, error, "CHKOUT must be at $F250"

.segment "KERNAL_F291"

; CLOSE logical file A; a file that is not open is no error. The last entry
; of the tables moves into the freed one.
close_body:
        jsr find_file
        bcs @done
        jsr drive_close
        dec LDTND
        ldy LDTND
        lda LAT,y
        sta LAT,x
        lda FAT,y
        sta FAT,x
        lda SAT,y
        sta SAT,x
@done:  clc
        rts

.assert close_body = $F291, error, "CLOSE must be at $F291"

.segment "KERNAL_F2"

; A = logical file. Out: carry clear and X = its table index when open,
; carry set when not. Keeps A, Y.
find_file:
        ldx LDTND
@next:  dex
        bmi @absent
        cmp LAT,x
        bne @next
        clc
        rts
@absent:
        sec
        rts

; Make table entry X the current file: LA, FA, SA. Out: A = FA, Z set for
; device 0.
use_file:
        lda LAT,x
        sta LA
        lda SAT,x
        sta SA
        lda FAT,x
        sta FA
        rts

.segment "KERNAL_F32F"

; CLALL: forget every file, then reset the channels (drive.s).
clall_body:
        jmp drive_clall

.segment "KERNAL_F333"

; CLRCHN: input from the keyboard, output to the screen. The drive hears
; the end of what was sent to it, as an UNLISTEN tells a 1541: a command
; sent without a carriage return runs then.
clrchn_body:
        lda DFLTO
        cmp #DEVICE_DRIVE
        bne @reset
        jsr drive_unlisten
@reset: lda #DEVICE_SCREEN
        sta DFLTO
        lda #DEVICE_KEYBOARD
        sta DFLTN
        rts

.assert clall_body = $F32F, error, "CLALL must be at $F32F"
.assert clrchn_body = $F333, error, "CLRCHN must be at $F333"

.segment "KERNAL_F34A"

; OPEN the file set by SETLFS and SETNAM.
open_body:
        ldx LA
        bne @numbered
        jmp error_not_input_file        ; logical file 0 cannot be opened
@numbered:
        txa
        jsr find_file
        bcs @new
        jmp error_file_open
@new:   ldx LDTND
        cpx #MAXFILES
        bcc @room
        jmp error_too_many_files
@room:  lda FA
        beq @enter
        cmp #DEVICE_SCREEN
        beq @enter
        cmp #DEVICE_DRIVE
        bne @absent
        jsr drive_open
        bpl @enter
@absent:
        jmp device_not_present
@enter: lda LA
        sta LAT,x
        lda FA
        sta FAT,x
        lda SA
        ora #SA_OPEN_FLAGS
        sta SAT,x
        inc LDTND
        clc
        rts

.assert open_body = $F34A, error, "OPEN must be at $F34A"
