; The RAM vectors at $0314-$0333: RESTOR puts back the defaults, VECTOR
; copies all sixteen to or from a program's table. And the 6502's own
; vectors at $FFFA.

.include "zeropage.inc"
.include "system.inc"
.include "kernal_internal.inc"

.segment "KERNAL_FD15"

; RESTOR: the default vectors.
restor:
        ldx #<vector_defaults
        ldy #>vector_defaults
        clc
        ; fall into VECTOR

; VECTOR: carry set copies the vectors to the 32 bytes at (X/Y); carry
; clear sets them from there. Interrupts are held off meanwhile, so an IRQ
; never runs through a half-written vector. Clobbers A, Y.
vector:
        stx MEMUSS
        sty MEMUSS + 1
        php
        sei
        ldy #VECTOR_TABLE_SIZE - 1
@copy:  lda CINV,y
        bcs @keep
        lda (MEMUSS),y
@keep:  sta (MEMUSS),y
        sta CINV,y
        dey
        bpl @copy
        plp
        rts

.assert restor = $FD15, error, "RESTOR must be at $FD15"
.assert vector = $FD1A, error, "VECTOR must be at $FD1A"

.segment "KERNAL_F7"

; In the order of $0314-$0333.
vector_defaults:
        .word irq_service       ; CINV    $EA31
        .word brk_default       ; CBINV   $FE66
        .word nmi_default       ; NMINV   $FE47
        .word open_body         ; IOPEN   $F34A
        .word close_body        ; ICLOSE  $F291
        .word chkin_body        ; ICHKIN  $F20E
        .word chkout_body       ; ICKOUT  $F250
        .word clrchn_body       ; ICLRCH  $F333
        .word chrin_body        ; IBASIN  $F157
        .word chrout_body       ; IBSOUT  $F1CA
        .word stop_body         ; ISTOP   $F6ED
        .word getin_body        ; IGETIN  $F13E
        .word clall_body        ; ICLALL  $F32F
        .word brk_default       ; USRCMD  $FE66
        .word load_body         ; ILOAD   $F4A5
        .word save_body         ; ISAVE   $F5ED
.assert * - vector_defaults = VECTOR_TABLE_SIZE, error, "sixteen vectors"

.segment "KERNAL_FFFA"

        .word nmi_entry         ; $FE43
        .word reset             ; $FCE2
        .word irq_entry         ; $FF48
