; Small KERNAL calls that set or read one setting.

.include "zeropage.inc"
.include "system.inc"
.include "kernal_internal.inc"

.segment "KERNAL_F6"

; SETMSG: A = message control (bit 7: LOAD/SAVE messages, bit 6: I/O
; error messages).
setmsg:
        sta MSGFLG
        rts

; READST: A = status ST.
readst:
        lda STATUS
        rts

; SETLFS: A = logical file, X = device, Y = secondary address.
setlfs:
        sta LA
        stx FA
        sty SA
        rts

; SETNAM: A = name length, X/Y = name address.
setnam:
        sta FNLEN
        stx FNADR
        sty FNADR + 1
        rts

; MEMTOP: carry set reads the top of memory into X/Y, carry clear sets it.
memtop:
        bcc @set
        ldx MEMSIZK
        ldy MEMSIZK + 1
@set:   stx MEMSIZK
        sty MEMSIZK + 1
        rts

; MEMBOT: the same for the bottom of memory.
membot:
        bcc @set
        ldx MEMSTR
        ldy MEMSTR + 1
@set:   stx MEMSTR
        sty MEMSTR + 1
        rts

; SETTMO: A = serial bus timeout flag.
settmo:
        sta TIMOUT
        rts
