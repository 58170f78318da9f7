; Loads, stores and transfers in every addressing mode, with their Z and N.
.include "check.inc"

.segment "ZEROPAGE"
.res 2                          ; test_number, saved_p
zp_value:   .res 1
zp_table:   .res 8
pointer:    .res 2
wrap_ptr = $FF                  ; ($FF) pointer wraps to $00 for its high byte

.segment "CODE"
start:  ldx #$FF
        txs
        cld

        test 1                  ; immediate loads set Z and N
        lda #$00
        expect_flags FLAG_Z|FLAG_N, FLAG_Z
        lda #$80
        expect_flags FLAG_Z|FLAG_N, FLAG_N
        ldx #$7F
        expect_flags FLAG_Z|FLAG_N, 0
        expect_x $7F
        ldy #$00
        expect_flags FLAG_Z|FLAG_N, FLAG_Z

        test 2                  ; zero page and absolute
        lda #$5A
        sta zp_value
        lda #0
        lda zp_value
        expect_a $5A
        stx absolute_cell
        ldy absolute_cell
        expect_y $7F
        sty zp_value
        ldx zp_value
        expect_x $7F

        test 3                  ; zero page indexed wraps inside page zero
        lda #$33
        sta zp_table+3
        ldx #3
        lda zp_table,x
        expect_a $33
        ldx #$FF
        lda zp_table+4,x        ; ($05+3+$FF) & $FF = zp_table+3
        expect_a $33
        ldy #3
        ldx zp_table,y
        expect_x $33
        lda #$44
        ldx #2
        sta zp_table,x
        ldy zp_table+2
        expect_y $44
        ldy #1
        stx zp_table,y
        expect_mem zp_table+1, 2
        ldx #4
        sty zp_table,x
        expect_mem zp_table+4, 1
        ldx #4
        ldy zp_table,x
        expect_y 1

        test 4                  ; absolute indexed, across a page
        ldx #$10
        lda page_data+$F0,x     ; page_data+$100
        expect_a $A1
        ldx #$FF
        lda page_data+1,x
        expect_a $A1
        lda page_data,x         ; page_data+$FF
        expect_a $00
        ldy #$01
        lda page_data+$FF,y
        expect_a $A1
        ldx page_data+$FF,y
        expect_x $A1
        ldx #$01
        ldy page_data+$FF,x
        expect_y $A1
        lda #$17
        ldx #$05
        sta scratch,x
        ldy #$06
        sta scratch,y
        expect_mem scratch+5, $17
        expect_mem scratch+6, $17

        test 5                  ; (zp,x) and (zp),y
        lda #<scratch
        sta pointer
        lda #>scratch
        sta pointer+1
        lda #$C3
        ldx #2
        sta (pointer-2,x)
        expect_mem scratch, $C3
        lda #0
        lda (pointer-2,x)
        expect_a $C3
        ldy #7
        lda #$3C
        sta (pointer),y
        expect_mem scratch+7, $3C
        lda #0
        lda (pointer),y
        expect_a $3C

        test 6                  ; ($FF),y takes its high byte from $00
        lda #<scratch
        sta wrap_ptr
        lda test_number         ; keep the check number, borrow $00
        pha
        lda #>scratch
        sta $00
        ldy #7
        lda (wrap_ptr),y
        tax
        pla
        sta test_number
        txa
        expect_a $3C

        test 7                  ; transfers
        lda #$80
        tax
        expect_flags FLAG_Z|FLAG_N, FLAG_N
        expect_x $80
        lda #0
        tay
        expect_flags FLAG_Z|FLAG_N, FLAG_Z
        ldx #$42
        txa
        expect_a $42
        ldy #$81
        tya
        expect_flags FLAG_N, FLAG_N
        expect_a $81
        tsx
        expect_x $FF
        ldx #$00
        txs                     ; TXS sets no flags
        ldx #$01
        txs
        tsx
        expect_flags FLAG_Z|FLAG_N, 0
        expect_x $01
        ldx #$FF
        txs

        jmp success

        traps

.segment "RODATA"
page_data:  .byte $A1
        .res $FF
        .byte $A1

.segment "CODE"
absolute_cell: .byte 0
scratch:    .res 16
