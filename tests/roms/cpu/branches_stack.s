; Branches, jumps, subroutines, the stack, BRK and RTI.
.include "check.inc"

.segment "ZEROPAGE"
.res 2
counter: .res 1
brk_seen: .res 1

vector_page = $2000

.segment "CODE"
start:  ldx #$FF
        txs
        lda #0
        sta brk_seen

        test 1                  ; every branch taken and not taken
        lda #$00                ; Z set, N clear
        bne fail_1
        beq :+
        jmp failure
:       bmi fail_1
        bpl :+
fail_1: jmp failure
:       lda #$80
        beq fail_1
        bpl fail_1
        bmi :+
        jmp failure
:       clc
        bcs fail_1
        bcc :+
        jmp failure
:       sec
        bcc fail_1
        bcs :+
        jmp failure
:       clv
        bvs fail_1
        bvc :+
        jmp failure
:       lda #$7F
        adc #$00                ; C was set: $80 with V
        bvc fail_1
        bvs :+
        jmp failure
:

        test 2                  ; a backward loop
        ldx #10
        lda #0
:       clc
        adc #3
        dex
        bne :-
        expect_a 30

        test 3                  ; JSR pushes the return address minus one
        jsr subroutine
after_jsr:
        expect_a $99
        tsx
        expect_x $FF

        test 4                  ; PHA/PLA, PHP/PLP
        lda #$12
        pha
        lda #$34
        pha
        pla
        expect_a $34
        pla
        expect_a $12
        set_p $FF
        php
        pla
        expect_a $FF
        lda #$00
        pha
        plp
        php
        pla
        expect_a FLAG_B|FLAG_U  ; PLP keeps B and bit 5 set

        test 5                  ; JMP indirect and its page wrap
        lda #<indirect_target
        sta vector_page+$FF
        lda #>indirect_target
        sta vector_page         ; high byte from the start of the same page
        lda #>failure
        sta vector_page+$100
        .byte $6C               ; JMP (vector_page+$FF), spelled out: the
        .word vector_page+$FF   ; assembler warns of the wrap we test
        jmp failure
indirect_target:

        test 6                  ; BRK goes through $FFFE and returns to opcode + 2
        cli
        brk
        .byte $EA               ; skipped
brk_return:
        expect_mem brk_seen, 1
        expect_flags FLAG_I, 0  ; RTI restored I clear

        jmp success

subroutine:
        tsx
        expect_x $FD
        expect_mem $01FF, >(after_jsr-1)
        expect_mem $01FE, <(after_jsr-1)
        lda #$99
        rts
irq_handler:
        pha
        tsx
        lda $0102,x             ; the status pushed by BRK
        and #FLAG_B|FLAG_U
        cmp #FLAG_B|FLAG_U
        bne :+
        lda $0104,x             ; the return address' high and low bytes
        cmp #>brk_return
        bne :+
        lda $0103,x
        cmp #<brk_return
        bne :+
        inc brk_seen
:       pla
        rti

        traps
