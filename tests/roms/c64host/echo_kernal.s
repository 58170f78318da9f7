; A stand-in KERNAL for testing c64host's C64 mode: it shows READY. and then,
; on every jiffy interrupt, moves the oldest key waiting in the keyboard
; buffer to the screen; RETURN starts a new line.

KEYD    = $0277                 ; keyboard buffer, 10 keys
NDX     = $C6                   ; keys waiting
line    = $FB                   ; start of the cursor's screen line (2 bytes)
column  = $FD
SCREEN  = $0400
CIA1_TALO = $DC04
CIA1_TAHI = $DC05
CIA1_ICR = $DC0D
CIA1_CRA = $DC0E
JIFFY   = $4025                 ; sixty a second on a PAL machine

        .segment "CODE"
reset:  sei
        ldx #$FF
        txs
        ldx #0
        stx NDX
        lda #$20
clear:  sta SCREEN,x
        sta SCREEN+$100,x
        sta SCREEN+$200,x
        sta SCREEN+$2E8,x
        inx
        bne clear
        lda #<SCREEN
        sta line
        lda #>SCREEN
        sta line+1
        ldx #0
        stx column
banner: lda ready_text,x
        beq shown
        jsr print
        inx
        bne banner
shown:  jsr new_line
        lda #<JIFFY             ; CIA 1 timer A, continuous, its interrupt on
        sta CIA1_TALO
        lda #>JIFFY
        sta CIA1_TAHI
        lda #$81
        sta CIA1_ICR
        lda #$11
        sta CIA1_CRA
        cli
idle:   jmp idle

; Prints the ASCII character in A at the cursor. Clobbers A and Y.
print:  cmp #$0D
        beq new_line
        cmp #$41
        bcc put
        cmp #$5B
        bcs put
        and #$3F                ; letters to screen codes $01-$1A
put:    ldy column
        sta (line),y
        inc column
        rts

new_line:
        lda #0
        sta column
        clc
        lda line
        adc #40
        sta line
        bcc :+
        inc line+1
:       rts

irq:    pha
        txa
        pha
        tya
        pha
        lda NDX
        beq irq_done
        lda KEYD
        pha
        ldx #0
shift:  lda KEYD+1,x            ; close the gap behind the key taken
        sta KEYD,x
        inx
        cpx #9
        bne shift
        dec NDX
        pla
        jsr print
irq_done:
        lda CIA1_ICR            ; acknowledged: the line lets go
        pla
        tay
        pla
        tax
        pla
nmi:    rti

ready_text: .byte "READY.", 0

        .segment "VECTORS"
        .word nmi, reset, irq
