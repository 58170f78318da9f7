; Drive 8's side of the channel calls. The machine has no serial bus: where
; a C64 would send LISTEN, TALK and the bytes to the drive, the ROM stores a
; request in $02 and the host serves it before the next instruction, with
; the secondary address in SA, the name in FNLEN/FNADR, the byte in BSOUR
; and the outcome in ST (bit 7: no drive; bit 6: the last byte of a file;
; bit 1: nothing could be read).

.include "zeropage.inc"
.include "system.inc"
.include "kernal_internal.inc"

REQUEST_OPEN    = 6
REQUEST_CLOSE   = 7
REQUEST_TALK    = 8
REQUEST_LISTEN  = 9
REQUEST_READ    = 10
REQUEST_WRITE   = 11
REQUEST_CLALL   = 12
REQUEST_UNLISTEN = 13
CR              = $0D

.segment "KERNAL_F7"

; OPEN on the drive: SA, and the name when there is one. Out: A = ST, N set
; when there is no drive.
drive_open:
        lda #REQUEST_OPEN
        ; fall into drive_request

; Clears ST, hands request A to the host. Out: A = ST, N from it. Keeps X, Y.
drive_request:
        pha
        lda #0
        sta STATUS
        pla
        sta HOSTREQ
        lda STATUS
        rts

; CHKIN and CHKOUT: the drive's channel SA becomes the one read or written.
drive_talk:
        lda #REQUEST_TALK
        bne drive_request
drive_listen:
        lda #REQUEST_LISTEN
        bne drive_request

; CLRCHN after output to the drive. Keeps A, X, Y.
drive_unlisten:
        pha
        lda #REQUEST_UNLISTEN
        sta HOSTREQ
        pla
        rts

; CLOSE of table entry X when it is on the drive. Keeps X, Y.
drive_close:
        lda FAT,x
        cmp #DEVICE_DRIVE
        bne @done
        lda SAT,x
        sta SA
        lda #REQUEST_CLOSE
        sta HOSTREQ
@done:  rts

; CLALL: the drive closes its channels too, so no written file is left
; without its end; then the tables are forgotten and the channels reset.
drive_clall:
        lda #REQUEST_CLALL
        sta HOSTREQ
        lda #0
        sta LDTND
        jmp clrchn_body

; CHRIN and GETIN from the drive. Once ST reports the end of a file (or
; anything else) the drive is not asked again: a carriage return ends the
; caller's line, as on a C64. Out: A, carry clear.
drive_read:
        lda STATUS
        beq @ask
        lda #CR
        clc
        rts
@ask:   lda #REQUEST_READ
        sta HOSTREQ
        lda BSOUR
        clc
        rts

; CHROUT to the drive. Keeps A, X, Y; carry clear.
drive_write:
        sta BSOUR
        lda #REQUEST_WRITE
        sta HOSTREQ
        lda BSOUR
        clc
        rts
