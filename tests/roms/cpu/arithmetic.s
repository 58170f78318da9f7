; ADC, SBC (binary and decimal), the compares, increments and decrements.
.include "check.inc"

.segment "ZEROPAGE"
.res 2
cell:   .res 1

.segment "CODE"
start:  ldx #$FF
        txs
        cld

        test 1                  ; ADC: carry in and out, overflow
        clc
        lda #$01
        adc #$01
        expect_flags FLAG_C|FLAG_Z|FLAG_V|FLAG_N, 0
        expect_a $02
        sec
        lda #$01
        adc #$01
        expect_a $03
        clc
        lda #$7F
        adc #$01
        expect_flags FLAG_C|FLAG_Z|FLAG_V|FLAG_N, FLAG_V|FLAG_N
        expect_a $80
        clc
        lda #$FF
        adc #$01
        expect_flags FLAG_C|FLAG_Z|FLAG_V|FLAG_N, FLAG_C|FLAG_Z
        clc
        lda #$80
        adc #$80
        expect_flags FLAG_C|FLAG_Z|FLAG_V|FLAG_N, FLAG_C|FLAG_Z|FLAG_V

        test 2                  ; SBC: borrow is carry clear
        sec
        lda #$05
        sbc #$03
        expect_flags FLAG_C|FLAG_Z|FLAG_V|FLAG_N, FLAG_C
        expect_a $02
        clc
        lda #$05
        sbc #$03
        expect_a $01
        sec
        lda #$03
        sbc #$05
        expect_flags FLAG_C|FLAG_N, FLAG_N
        expect_a $FE
        sec
        lda #$80
        sbc #$01
        expect_flags FLAG_C|FLAG_V|FLAG_N, FLAG_C|FLAG_V
        expect_a $7F
        sec
        lda #$42
        sbc #$00
        expect_flags FLAG_C, FLAG_C
        expect_a $42
        clc
        lda #$42
        sbc #$00
        expect_a $41
        sec
        lda #$42
        .byte $EB, $02          ; the second SBC #imm
        expect_a $40

        test 3                  ; decimal ADC
        sed
        clc
        lda #$09
        adc #$01
        expect_a $10
        clc
        lda #$58
        adc #$46
        expect_flags FLAG_C, FLAG_C
        expect_a $04
        clc
        lda #$99
        adc #$01
        expect_flags FLAG_C, FLAG_C
        expect_a $00
        sec
        lda #$12
        adc #$34
        expect_flags FLAG_C, 0
        expect_a $47

        test 4                  ; decimal SBC
        sec
        lda #$46
        sbc #$12
        expect_flags FLAG_C, FLAG_C
        expect_a $34
        sec
        lda #$40
        sbc #$13
        expect_a $27
        sec
        lda #$00
        sbc #$01
        expect_flags FLAG_C, 0
        expect_a $99
        clc
        lda #$32
        sbc #$02
        expect_a $29
        cld

        test 5                  ; compares
        lda #$40
        cmp #$40
        expect_flags FLAG_C|FLAG_Z|FLAG_N, FLAG_C|FLAG_Z
        cmp #$41
        expect_flags FLAG_C|FLAG_Z|FLAG_N, FLAG_N
        cmp #$3F
        expect_flags FLAG_C|FLAG_Z|FLAG_N, FLAG_C
        ldx #$10
        cpx #$20
        expect_flags FLAG_C|FLAG_Z|FLAG_N, FLAG_N
        ldy #$FF
        cpy #$00
        expect_flags FLAG_C|FLAG_Z|FLAG_N, FLAG_C|FLAG_N
        lda #$05
        sta cell
        cpx cell
        expect_flags FLAG_C|FLAG_Z, FLAG_C
        cpy cell
        expect_flags FLAG_C|FLAG_Z, FLAG_C
        lda #$05
        cmp cell
        expect_flags FLAG_Z, FLAG_Z

        test 6                  ; increments and decrements
        ldx #$FF
        inx
        expect_flags FLAG_Z|FLAG_N, FLAG_Z
        dex
        expect_flags FLAG_Z|FLAG_N, FLAG_N
        expect_x $FF
        ldy #$7F
        iny
        expect_flags FLAG_Z|FLAG_N, FLAG_N
        dey
        expect_y $7F
        lda #$FF
        sta cell
        inc cell
        expect_flags FLAG_Z, FLAG_Z
        expect_mem cell, $00
        dec cell
        expect_mem cell, $FF
        ldx #1
        inc cell-1,x
        expect_mem cell, $00
        inc absolute_cell
        inc absolute_cell
        expect_mem absolute_cell, 2
        ldx #0
        dec absolute_cell,x
        expect_mem absolute_cell, 1

        test 7                  ; a 16-bit addition carried through memory
        clc
        lda #$F0
        adc #$20
        sta cell
        lda #$01
        adc #$00
        expect_a $02
        expect_mem cell, $10

        jmp success
absolute_cell: .byte 0

        traps
