; Power-on and SYS 64738: an autostart cartridge takes over at once;
; otherwise I/O, RAM, vectors and the screen are set up and BASIC cold-starts
; through ($A000).

.include "zeropage.inc"
.include "system.inc"
.include "io.inc"
.include "kernal.inc"
.include "kernal_internal.inc"

CARTRIDGE_COLD  = $8000         ; an autostart cartridge's cold start vector
CARTRIDGE_SIGNATURE = $8004     ; followed by "CBM80"
PORT_DIRECTION  = $2F           ; bits 0-5 of the processor port are outputs
PORT_MEMORY     = $37           ; BASIC, KERNAL and I/O visible
JIFFY_TIMER     = $4025         ; CIA 1 timer A for 60 Hz on a PAL machine
PAL             = 1

.segment "KERNAL_FCE2"

reset:
        ldx #$FF
        sei
        txs
        cld
        jsr check_cartridge
        bne @no_cartridge
        jmp (CARTRIDGE_COLD)
@no_cartridge:
        jsr ioinit
        jsr ramtas
        jsr restor
        jsr cint
        cli
        jmp (BASIC_COLD_VECTOR)

; Z set when an autostart cartridge's signature stands at $8004.
; Clobbers A, X.
check_cartridge:
        ldx #CARTRIDGE_SIGNATURE_LENGTH
@byte:  lda cartridge_signature - 1,x
        cmp CARTRIDGE_SIGNATURE - 1,x
        bne @done
        dex
        bne @byte
@done:  rts

.assert reset = $FCE2, error, "reset must be at $FCE2"

.segment "KERNAL_FD"

cartridge_signature:
        .byte $C3, $C2, $CD, "80"       ; "CBM" with bit 7 set, then "80"
CARTRIDGE_SIGNATURE_LENGTH = * - cartridge_signature

.segment "KERNAL_FD50"

; RAMTAS: clear pages 0 (from $02), 2 and 3; find the top of RAM by probing
; the first byte of each page from $0400 up; BASIC memory from $0800 to that
; top; tape buffer pointer; screen at $0400. Clobbers A, X, Y.
ramtas:
        lda #0
        tay
@clear: sta $0002,y
        sta $0200,y
        sta $0300,y
        iny
        bne @clear
        lda #<TBUFFR
        sta TAPE1
        lda #>TBUFFR
        sta TAPE1 + 1
        lda #0                  ; STAL walks the pages; Y stays 0
        sta STAL
        lda #>SCREEN_RAM
        sta STAL + 1
@probe: lda (STAL),y
        tax
        lda #$55
        sta (STAL),y
        cmp (STAL),y
        bne @top
        lda #$AA
        sta (STAL),y
        cmp (STAL),y
        bne @top
        txa
        sta (STAL),y
        inc STAL + 1
        bne @probe              ; at most the 252 pages up to $FFFF
@top:   ldy STAL + 1
        ldx #0
        stx MEMSTR
        stx MEMSIZK
        sty MEMSIZK + 1
        lda #>BASIC_START
        sta MEMSTR + 1
        lda #>SCREEN_RAM
        sta HIBASE
        rts

.assert ramtas = $FD50, error, "RAMTAS must be at $FD50"

.segment "KERNAL_FDA3"

; IOINIT: every CIA interrupt off, keyboard port directions, SID silent,
; VIC bank 0, serial lines idle, processor port to the standard memory map,
; then CIA 1 timer A running the 60 Hz jiffy interrupt. Clobbers A, X.
ioinit:
        lda #$7F
        sta CIA1_ICR
        sta CIA2_ICR
        sta CIA1_PRA
        lda #$08                ; timers stopped, one-shot
        sta CIA1_CRA
        sta CIA2_CRA
        sta CIA1_CRB
        sta CIA2_CRB
        ldx #0
        stx CIA1_DDRB           ; keyboard columns in
        stx CIA2_DDRB
        stx SID_VOLUME
        dex
        stx CIA1_DDRA           ; keyboard rows out
        lda #$07                ; VIC bank 0 ($0000-$3FFF), serial lines idle
        sta CIA2_PRA
        lda #$3F
        sta CIA2_DDRA
        lda #PORT_MEMORY        ; the latch first: at reset it holds 0, and
        sta R6510               ; driving that would switch this ROM out
        lda #PORT_DIRECTION
        sta D6510
        jmp start_jiffy_timer

.assert ioinit = $FDA3, error, "IOINIT must be at $FDA3"

.segment "KERNAL_FDB"

start_jiffy_timer:
        lda #<JIFFY_TIMER
        sta CIA1_TALO
        lda #>JIFFY_TIMER
        sta CIA1_TAHI
        lda #$81                ; timer A interrupt on
        sta CIA1_ICR
        lda #$11                ; load the latch and run, continuous
        sta CIA1_CRA
        rts

.segment "KERNAL_FF5B"

; CINT: the screen editor and the VIC as at power-on; a PAL machine.
cint:
        jsr screen_init
        lda #PAL
        sta TVSFLG
        rts

.assert cint = $FF5B, error, "CINT must be at $FF5B"
