; The documented 6502 instruction set as data: each opcode's mnemonic and
; addressing mode, and what each mode looks like. The disassembler reads
; these tables forwards and the assembler searches them backwards, so the
; two always agree.

.include "monitor.inc"
.include "opcodes.inc"

.segment "RODATA"

.macro mnemonic name
        .ident(.concat("M_", name)) = (* - mnemonic_names) / 3
        .byte name
.endmacro

.macro opcode code, name, mode
        .ident(.sprintf("mnemonic_of_%02X", code)) = .ident(.concat("M_", name))
        .ident(.sprintf("mode_of_%02X", code)) = mode
.endmacro

mnemonic_names:
        mnemonic "ADC"
        mnemonic "AND"
        mnemonic "ASL"
        mnemonic "BCC"
        mnemonic "BCS"
        mnemonic "BEQ"
        mnemonic "BIT"
        mnemonic "BMI"
        mnemonic "BNE"
        mnemonic "BPL"
        mnemonic "BRK"
        mnemonic "BVC"
        mnemonic "BVS"
        mnemonic "CLC"
        mnemonic "CLD"
        mnemonic "CLI"
        mnemonic "CLV"
        mnemonic "CMP"
        mnemonic "CPX"
        mnemonic "CPY"
        mnemonic "DEC"
        mnemonic "DEX"
        mnemonic "DEY"
        mnemonic "EOR"
        mnemonic "INC"
        mnemonic "INX"
        mnemonic "INY"
        mnemonic "JMP"
        mnemonic "JSR"
        mnemonic "LDA"
        mnemonic "LDX"
        mnemonic "LDY"
        mnemonic "LSR"
        mnemonic "NOP"
        mnemonic "ORA"
        mnemonic "PHA"
        mnemonic "PHP"
        mnemonic "PLA"
        mnemonic "PLP"
        mnemonic "ROL"
        mnemonic "ROR"
        mnemonic "RTI"
        mnemonic "RTS"
        mnemonic "SBC"
        mnemonic "SEC"
        mnemonic "SED"
        mnemonic "SEI"
        mnemonic "STA"
        mnemonic "STX"
        mnemonic "STY"
        mnemonic "TAX"
        mnemonic "TAY"
        mnemonic "TSX"
        mnemonic "TXA"
        mnemonic "TXS"
        mnemonic "TYA"
MNEMONIC_COUNT = (* - mnemonic_names) / 3
M_UNKNOWN = MNEMONIC_COUNT     ; what the other 105 opcodes show
        .byte "???"

        ; The group of eight: immediate, zero page, zero page X, absolute,
        ; absolute X, absolute Y, (zero page X), (zero page) Y.
.macro group_of_eight name, base
        opcode base + $08, name, IMM
        opcode base + $04, name, ZP
        opcode base + $14, name, ZPX
        opcode base + $0C, name, ABS
        opcode base + $1C, name, ABSX
        opcode base + $18, name, ABSY
        opcode base + $00, name, INDX
        opcode base + $10, name, INDY
.endmacro
        group_of_eight "ORA", $01
        group_of_eight "AND", $21
        group_of_eight "EOR", $41
        group_of_eight "ADC", $61
        group_of_eight "LDA", $A1
        group_of_eight "CMP", $C1
        group_of_eight "SBC", $E1
        opcode $85, "STA", ZP
        opcode $95, "STA", ZPX
        opcode $8D, "STA", ABS
        opcode $9D, "STA", ABSX
        opcode $99, "STA", ABSY
        opcode $81, "STA", INDX
        opcode $91, "STA", INDY

        ; Shifts and rotates: accumulator, zero page, zero page X, absolute,
        ; absolute X.
.macro shift name, base
        opcode base + $0A, name, ACC
        opcode base + $06, name, ZP
        opcode base + $16, name, ZPX
        opcode base + $0E, name, ABS
        opcode base + $1E, name, ABSX
.endmacro
        shift "ASL", $00
        shift "ROL", $20
        shift "LSR", $40
        shift "ROR", $60

        opcode $C6, "DEC", ZP
        opcode $D6, "DEC", ZPX
        opcode $CE, "DEC", ABS
        opcode $DE, "DEC", ABSX
        opcode $E6, "INC", ZP
        opcode $F6, "INC", ZPX
        opcode $EE, "INC", ABS
        opcode $FE, "INC", ABSX

        opcode $A2, "LDX", IMM
        opcode $A6, "LDX", ZP
        opcode $B6, "LDX", ZPY
        opcode $AE, "LDX", ABS
        opcode $BE, "LDX", ABSY
        opcode $A0, "LDY", IMM
        opcode $A4, "LDY", ZP
        opcode $B4, "LDY", ZPX
        opcode $AC, "LDY", ABS
        opcode $BC, "LDY", ABSX
        opcode $86, "STX", ZP
        opcode $96, "STX", ZPY
        opcode $8E, "STX", ABS
        opcode $84, "STY", ZP
        opcode $94, "STY", ZPX
        opcode $8C, "STY", ABS
        opcode $E0, "CPX", IMM
        opcode $E4, "CPX", ZP
        opcode $EC, "CPX", ABS
        opcode $C0, "CPY", IMM
        opcode $C4, "CPY", ZP
        opcode $CC, "CPY", ABS
        opcode $24, "BIT", ZP
        opcode $2C, "BIT", ABS

        opcode $4C, "JMP", ABS
        opcode $6C, "JMP", IND
        opcode $20, "JSR", ABS

        opcode $10, "BPL", REL
        opcode $30, "BMI", REL
        opcode $50, "BVC", REL
        opcode $70, "BVS", REL
        opcode $90, "BCC", REL
        opcode $B0, "BCS", REL
        opcode $D0, "BNE", REL
        opcode $F0, "BEQ", REL

        opcode $00, "BRK", IMP
        opcode $08, "PHP", IMP
        opcode $18, "CLC", IMP
        opcode $28, "PLP", IMP
        opcode $38, "SEC", IMP
        opcode $40, "RTI", IMP
        opcode $48, "PHA", IMP
        opcode $58, "CLI", IMP
        opcode $60, "RTS", IMP
        opcode $68, "PLA", IMP
        opcode $78, "SEI", IMP
        opcode $88, "DEY", IMP
        opcode $8A, "TXA", IMP
        opcode $98, "TYA", IMP
        opcode $9A, "TXS", IMP
        opcode $A8, "TAY", IMP
        opcode $AA, "TAX", IMP
        opcode $B8, "CLV", IMP
        opcode $BA, "TSX", IMP
        opcode $C8, "INY", IMP
        opcode $CA, "DEX", IMP
        opcode $D8, "CLD", IMP
        opcode $E8, "INX", IMP
        opcode $EA, "NOP", IMP
        opcode $F8, "SED", IMP

opcode_mnemonics:
.repeat 256, code
  .ifdef .ident(.sprintf("mnemonic_of_%02X", code))
        .byte .ident(.sprintf("mnemonic_of_%02X", code))
  .else
        .byte M_UNKNOWN
  .endif
.endrepeat

opcode_modes:
.repeat 256, code
  .ifdef .ident(.sprintf("mode_of_%02X", code))
        .byte .ident(.sprintf("mode_of_%02X", code))
  .else
        .byte UNKNOWN
  .endif
.endrepeat

; Per mode: the instruction's length, and the text around its operand.
mode_lengths:
        .byte 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 2, 2, 2, 1
mode_prefixes:
        .byte 0, 0, '#', 0, 0, 0, 0, 0, 0, '(', '(', '(', 0, 0
mode_suffixes:
        .byte suffix_none, suffix_none, suffix_none, suffix_none, suffix_x
        .byte suffix_y, suffix_none, suffix_x, suffix_y, suffix_close
        .byte suffix_x_close, suffix_close_y, suffix_none, suffix_none

suffix_texts:
suffix_none = * - suffix_texts
        .byte 0
suffix_x = * - suffix_texts
        .byte ",X", 0
suffix_y = * - suffix_texts
        .byte ",Y", 0
suffix_close = * - suffix_texts
        .byte ")", 0
suffix_x_close = * - suffix_texts
        .byte ",X)", 0
suffix_close_y = * - suffix_texts
        .byte "),Y", 0

.export mnemonic_names, opcode_mnemonics, opcode_modes, mode_lengths
.export mode_prefixes, mode_suffixes, suffix_texts
.exportzp MNEMONIC_COUNT
