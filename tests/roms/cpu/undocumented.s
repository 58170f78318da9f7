; The undocumented combinations: LAX, SAX, DCP, ISB, SLO, RLA, SRE, RRA, the
; immediate ANC, ALR, SBX, LXA and ARR, LAS, and the undocumented NOPs
; consuming their operand bytes.
.setcpu "6502X"
.include "check.inc"

.segment "ZEROPAGE"
.res 2
cell:    .res 1
saved_sp: .res 1
pointer: .res 2

.segment "CODE"
start:  ldx #$FF
        txs
        cld

        test 1                  ; LAX loads A and X
        lda #$8E
        sta cell
        lda #0
        ldx #0
        lax cell
        expect_flags FLAG_Z|FLAG_N, FLAG_N
        expect_a $8E
        expect_x $8E
        ldy #1
        lax table-1,y
        expect_a $5C
        expect_x $5C

        test 2                  ; SAX stores A AND X, no flags
        lda #$F0
        ldx #$3C
        set_p 0
        sax cell
        expect_flags FLAG_Z|FLAG_N, 0
        expect_mem cell, $30

        test 3                  ; DCP: decrement, then compare with A
        lda #$11
        sta cell
        lda #$10
        dcp cell
        expect_flags FLAG_C|FLAG_Z, FLAG_C|FLAG_Z
        expect_mem cell, $10

        test 4                  ; ISB: increment, then subtract
        lda #$0F
        sta cell
        sec
        lda #$20
        isc cell
        expect_mem cell, $10
        expect_a $10
        expect_flags FLAG_C, FLAG_C

        test 5                  ; SLO: shift left, then OR into A
        lda #$81
        sta cell
        lda #$01
        slo cell
        expect_flags FLAG_C, FLAG_C
        expect_mem cell, $02
        expect_a $03

        test 6                  ; RLA: rotate left, then AND into A
        lda #$81
        sta cell
        sec
        lda #$03
        rla cell
        expect_mem cell, $03
        expect_a $03
        expect_flags FLAG_C, FLAG_C

        test 7                  ; SRE: shift right, then EOR into A
        lda #$03
        sta cell
        lda #$FF
        sre cell
        expect_mem cell, $01
        expect_a $FE
        expect_flags FLAG_C|FLAG_N, FLAG_C|FLAG_N

        test 8                  ; RRA: rotate right, then add with its carry
        lda #$03
        sta cell
        clc
        lda #$10
        rra cell                ; cell $01, carry 1: A = $10 + $01 + 1
        expect_mem cell, $01
        expect_a $12

        test 9                  ; indirect forms
        lda #<cell
        sta pointer
        lda #>cell
        sta pointer+1
        lda #$40
        sta cell
        ldy #0
        lda #$01
        slo (pointer),y
        expect_a $81
        ldx #0
        lda #$80
        sta cell
        lax (pointer,x)
        expect_x $80

        test 10                 ; undocumented NOPs skip their operands
        lda #$77
        .byte $04, $FF          ; NOP zp
        .byte $0C, $FF, $FF     ; NOP abs
        .byte $1C, $FF, $FF     ; NOP abs,X
        .byte $80, $FF          ; NOP #imm
        .byte $14, $FF          ; NOP zp,X
        .byte $1A               ; NOP
        .byte $02               ; on the NMOS part this halts; here a NOP
        expect_a $77

        test 11                 ; the immediate combinations as a program uses them
        lda #$F7
        .byte $0B, $8F          ; ANC #$8F: A = $87, C = N = 1
        expect_flags FLAG_C|FLAG_N, FLAG_C|FLAG_N
        expect_a $87
        .byte $4B, $0F          ; ALR #$0F: A = $07 >> 1, C = 1
        expect_flags FLAG_C|FLAG_Z, FLAG_C
        expect_a $03
        ldx #$0F
        lda #$3C
        .byte $CB, $04          ; SBX #$04: X = ($3C AND $0F) - 4 = $08
        expect_x $08
        expect_flags FLAG_C|FLAG_Z|FLAG_N, FLAG_C
        lda #$00
        ldx #$FF
        .byte $AB, $33          ; LXA #$33: A = X = ($00 OR $EE) AND $33
        expect_a $22
        expect_x $22
        sec
        cld
        lda #$C1
        .byte $6B, $81          ; ARR #$81: ($81 >> 1) OR C = $C0, C = bit 6, V = bit 6 XOR bit 5
        expect_a $C0
        expect_flags FLAG_C|FLAG_V|FLAG_N, FLAG_C|FLAG_V|FLAG_N
        tsx
        stx saved_sp
        ldx #$F7
        txs
        lda #$3F
        sta cell
        ldy #$00
        .byte $BB, <cell, >cell ; LAS cell,Y: A = X = SP = $3F AND $F7
        expect_a $37
        tsx
        expect_x $37
        ldx saved_sp
        txs

        jmp success
table:  .byte $5C

        traps
