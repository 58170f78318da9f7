; A workload in the manner of the KERNAL and BASIC: block copies through
; zero-page pointers, a checksum, subroutine calls with shifts and stack
; traffic, and a touch of the chips each round. It loops for ever.

        .segment "CODE"
src     = $FB
dst     = $FD
sum     = $02
spill   = $03

start:  sei
        ldx #$FF
        txs
round:  lda #$00
        sta src
        sta dst
        lda #$20
        sta src+1
        lda #$30
        sta dst+1
        ldy #0
copy:   lda (src),y
        sta (dst),y
        iny
        bne copy

        ldx #0
        txa
        clc
add:    adc $3000,x
        inx
        bne add
        sta sum

        ldy #16
calls:  jsr mix
        dey
        bne calls

        inc $D020               ; VIC border colour
        lda $DC01               ; CIA 1 port B
        jmp round

mix:    pha
        lda sum
        asl a
        rol spill
        lsr a
        eor #$5A
        sta sum
        pla
        cmp #$40
        bcc done
        sbc #$01
done:   rts
