; The KERNAL jump table at $FF81-$FFF5, every entry at its documented
; address, preceded by the ROM's revision byte.

.include "zeropage.inc"
.include "system.inc"
.include "kernal.inc"
.include "kernal_internal.inc"

QUILLON_REVISION = $51

; One 3-byte entry; the table's name for it must be where the entry lands.
.macro entry name, target
        .assert * = name, error, .concat("jump table entry ", .string(name), " is misplaced")
        jmp target
.endmacro

.macro vectored name, vector_address
        .assert * = name, error, .concat("jump table entry ", .string(name), " is misplaced")
        jmp (vector_address)
.endmacro

.segment "KERNAL_FF80"

        .byte QUILLON_REVISION
        entry    CINT,   cint
        entry    IOINIT, ioinit
        entry    RAMTAS, ramtas
        entry    RESTOR, restor
        entry    VECTOR, vector
        entry    SETMSG, setmsg
        entry    SECOND, serial_absent
        entry    TKSA,   serial_absent
        entry    MEMTOP, memtop
        entry    MEMBOT, membot
        entry    SCNKEY, scnkey
        entry    SETTMO, settmo
        entry    ACPTR,  acptr_body
        entry    CIOUT,  serial_absent
        entry    UNTLK,  serial_absent
        entry    UNLSN,  serial_absent
        entry    LISTEN, serial_absent
        entry    TALK,   serial_absent
        entry    READST, readst
        entry    SETLFS, setlfs
        entry    SETNAM, setnam
        vectored OPEN,   IOPEN
        vectored CLOSE,  ICLOSE
        vectored CHKIN,  ICHKIN
        vectored CHKOUT, ICKOUT
        vectored CLRCHN, ICLRCH
        vectored CHRIN,  IBASIN
        vectored CHROUT, IBSOUT
        entry    LOAD,   load_entry
        entry    SAVE,   save_entry
        entry    SETTIM, settim
        entry    RDTIM,  rdtim
        vectored STOP,   ISTOP
        vectored GETIN,  IGETIN
        vectored CLALL,  ICLALL
        entry    UDTIM,  udtim
        entry    SCREEN, screen_body
        entry    PLOT,   plot_body
        entry    IOBASE, iobase_body
        .assert * = $FFF6, error, "the jump table ends at $FFF5"
