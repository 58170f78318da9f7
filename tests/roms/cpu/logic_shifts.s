; AND, ORA, EOR, BIT and the shifts and rotates on A and on memory.
.include "check.inc"

.segment "ZEROPAGE"
.res 2
cell:   .res 1

.segment "CODE"
start:  ldx #$FF
        txs

        test 1                  ; AND, ORA, EOR
        lda #$F0
        and #$3C
        expect_a $30
        and #$0F
        expect_flags FLAG_Z|FLAG_N, FLAG_Z
        lda #$0F
        ora #$80
        expect_flags FLAG_Z|FLAG_N, FLAG_N
        expect_a $8F
        eor #$8F
        expect_flags FLAG_Z, FLAG_Z
        lda #$55
        sta cell
        lda #$FF
        eor cell
        expect_a $AA
        and cell
        expect_a $00
        ora cell
        expect_a $55

        test 2                  ; BIT copies bits 7 and 6, Z from A AND m
        lda #$C0
        sta cell
        lda #$01
        bit cell
        expect_flags FLAG_Z|FLAG_V|FLAG_N, FLAG_Z|FLAG_V|FLAG_N
        lda #$40
        sta cell
        bit cell
        expect_flags FLAG_Z|FLAG_V|FLAG_N, FLAG_V
        lda #$80
        bit bit_cell
        expect_flags FLAG_Z|FLAG_V|FLAG_N, FLAG_Z

        test 3                  ; shifts on A
        lda #$81
        asl a
        expect_flags FLAG_C|FLAG_Z|FLAG_N, FLAG_C
        expect_a $02
        lsr a
        expect_flags FLAG_C|FLAG_Z|FLAG_N, 0
        expect_a $01
        lsr a
        expect_flags FLAG_C|FLAG_Z|FLAG_N, FLAG_C|FLAG_Z
        sec
        lda #$40
        rol a
        expect_flags FLAG_C|FLAG_N, FLAG_N
        expect_a $81
        rol a
        expect_flags FLAG_C, FLAG_C
        expect_a $02
        sec
        lda #$02
        ror a
        expect_flags FLAG_C|FLAG_N, FLAG_N
        expect_a $81
        clc
        ror a
        expect_flags FLAG_C|FLAG_N, FLAG_C
        expect_a $40

        test 4                  ; shifts on memory
        lda #$C0
        sta cell
        asl cell
        expect_flags FLAG_C, FLAG_C
        expect_mem cell, $80
        lsr cell
        expect_mem cell, $40
        sec
        rol cell
        expect_mem cell, $81
        clc
        ror cell
        expect_flags FLAG_C, FLAG_C
        expect_mem cell, $40
        ldx #2
        lda #$01
        sta absolute_cell+2
        asl absolute_cell,x
        rol absolute_cell,x
        expect_mem absolute_cell+2, $04
        lsr absolute_cell,x
        ror absolute_cell,x
        expect_mem absolute_cell+2, $01

        jmp success
bit_cell:       .byte $00
absolute_cell:  .res 4

        traps
