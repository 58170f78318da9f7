; KERNAL test fixture for c64host, linked into the BASIC slot: announces
; itself, then reads lines with CHRIN and prints each back after "LINE:",
; so a run with typed text shows the screen editor's input end to end.

.include "kernal.inc"

CR = $0D
LINE_BUFFER = $C000
LINE_MAX = 80

.segment "BASIC"

        .word cold_start
        .word cold_start

cold_start:
        ldx #0
@banner:
        lda banner,x
        beq read_line
        jsr CHROUT
        inx
        bne @banner

read_line:
        ldx #0
@next:  jsr CHRIN
        cmp #CR
        beq @show
        cpx #LINE_MAX
        bcs @next
        sta LINE_BUFFER,x
        inx
        bne @next
@show:  stx LINE_BUFFER + LINE_MAX
        ldx #0
@label: lda line_label,x
        beq @echo
        jsr CHROUT
        inx
        bne @label
@echo:  ldx #0
@char:  cpx LINE_BUFFER + LINE_MAX
        beq @done
        lda LINE_BUFFER,x
        jsr CHROUT
        inx
        bne @char
@done:  lda #CR
        jsr CHROUT
        jmp read_line

banner:     .byte "KERNAL READY.", CR, 0
line_label: .byte "LINE:", 0
