// The fake6502 opcode table: addressing mode, operation and base cycles of
// every one of the 256 NMOS 6502 opcodes.
//
// The table is data the compiler can read: the core builds one executor per
// opcode from it at compile time, so the matrix below is the single place
// where an instruction's mode and timing are decided.
#pragma once
#include <stdint.h>

namespace fake6502 {

// acc and imp touch no operand bytes; they differ only in that an acc
// instruction takes its operand from, and puts its result into, A.
enum class Mode : uint8_t {
  imp, acc, imm, zp, zpx, zpy, rel, abso, absx, absy, absx_p, absy_p, ind, indx, indy, indy_p
};

enum class Operation : uint8_t {
  adc, op_and, asl, bcc, bcs, beq, bit, bmi, bne, bpl, brk, bvc, bvs, clc, cld, cli, clv,
  cmp, cpx, cpy, dec, dex, dey, eor, inc, inx, iny, jmp, jsr, lda, ldx, ldy, lsr, nop,
  ora, pha, php, pla, plp, rol, ror, rti, rts, sbc, sec, sed, sei, sta, stx, sty, tax,
  tay, tsx, txa, txs, tya,
  // The undocumented combinations C64 software relies on.
  lax, sax, dcp, isb, slo, rla, sre, rra,
  // The undocumented immediate operations, LAS, and the stores that AND
  // their value with the target's high byte plus one.
  anc, alr, arr, ane, lxa, sbx, las, sha, shx, shy, tas
};

struct Opcode {
  Mode mode;
  Operation operation;
  uint32_t cycles;
};

}  // namespace fake6502

namespace fake6502::table {
// Short names so that each row of the matrix fits on a line.
using M = Mode;
using O = Operation;
constexpr Opcode e(O o, M m, uint32_t c) { return Opcode{m, o, c}; }

// Indexed by opcode; row n holds opcodes $n0-$nF.
inline constexpr Opcode kMatrix[256] = {
    // $0x
    e(O::brk, M::imp, 7), e(O::ora, M::indx, 6), e(O::nop, M::imp, 2), e(O::slo, M::indx, 8),
    e(O::nop, M::zp, 3), e(O::ora, M::zp, 3), e(O::asl, M::zp, 5), e(O::slo, M::zp, 5),
    e(O::php, M::imp, 3), e(O::ora, M::imm, 2), e(O::asl, M::acc, 2), e(O::anc, M::imm, 2),
    e(O::nop, M::abso, 4), e(O::ora, M::abso, 4), e(O::asl, M::abso, 6), e(O::slo, M::abso, 6),
    // $1x
    e(O::bpl, M::rel, 2), e(O::ora, M::indy_p, 5), e(O::nop, M::imp, 2), e(O::slo, M::indy, 8),
    e(O::nop, M::zpx, 4), e(O::ora, M::zpx, 4), e(O::asl, M::zpx, 6), e(O::slo, M::zpx, 6),
    e(O::clc, M::imp, 2), e(O::ora, M::absy_p, 4), e(O::nop, M::imp, 2), e(O::slo, M::absy, 7),
    e(O::nop, M::absx_p, 4), e(O::ora, M::absx_p, 4), e(O::asl, M::absx, 7), e(O::slo, M::absx, 7),
    // $2x
    e(O::jsr, M::abso, 6), e(O::op_and, M::indx, 6), e(O::nop, M::imp, 2), e(O::rla, M::indx, 8),
    e(O::bit, M::zp, 3), e(O::op_and, M::zp, 3), e(O::rol, M::zp, 5), e(O::rla, M::zp, 5),
    e(O::plp, M::imp, 4), e(O::op_and, M::imm, 2), e(O::rol, M::acc, 2), e(O::anc, M::imm, 2),
    e(O::bit, M::abso, 4), e(O::op_and, M::abso, 4), e(O::rol, M::abso, 6), e(O::rla, M::abso, 6),
    // $3x
    e(O::bmi, M::rel, 2), e(O::op_and, M::indy_p, 5), e(O::nop, M::imp, 2), e(O::rla, M::indy, 8),
    e(O::nop, M::zpx, 4), e(O::op_and, M::zpx, 4), e(O::rol, M::zpx, 6), e(O::rla, M::zpx, 6),
    e(O::sec, M::imp, 2), e(O::op_and, M::absy_p, 4), e(O::nop, M::imp, 2), e(O::rla, M::absy, 7),
    e(O::nop, M::absx_p, 4), e(O::op_and, M::absx_p, 4), e(O::rol, M::absx, 7), e(O::rla, M::absx, 7),
    // $4x
    e(O::rti, M::imp, 6), e(O::eor, M::indx, 6), e(O::nop, M::imp, 2), e(O::sre, M::indx, 8),
    e(O::nop, M::zp, 3), e(O::eor, M::zp, 3), e(O::lsr, M::zp, 5), e(O::sre, M::zp, 5),
    e(O::pha, M::imp, 3), e(O::eor, M::imm, 2), e(O::lsr, M::acc, 2), e(O::alr, M::imm, 2),
    e(O::jmp, M::abso, 3), e(O::eor, M::abso, 4), e(O::lsr, M::abso, 6), e(O::sre, M::abso, 6),
    // $5x
    e(O::bvc, M::rel, 2), e(O::eor, M::indy_p, 5), e(O::nop, M::imp, 2), e(O::sre, M::indy, 8),
    e(O::nop, M::zpx, 4), e(O::eor, M::zpx, 4), e(O::lsr, M::zpx, 6), e(O::sre, M::zpx, 6),
    e(O::cli, M::imp, 2), e(O::eor, M::absy_p, 4), e(O::nop, M::imp, 2), e(O::sre, M::absy, 7),
    e(O::nop, M::absx_p, 4), e(O::eor, M::absx_p, 4), e(O::lsr, M::absx, 7), e(O::sre, M::absx, 7),
    // $6x
    e(O::rts, M::imp, 6), e(O::adc, M::indx, 6), e(O::nop, M::imp, 2), e(O::rra, M::indx, 8),
    e(O::nop, M::zp, 3), e(O::adc, M::zp, 3), e(O::ror, M::zp, 5), e(O::rra, M::zp, 5),
    e(O::pla, M::imp, 4), e(O::adc, M::imm, 2), e(O::ror, M::acc, 2), e(O::arr, M::imm, 2),
    e(O::jmp, M::ind, 5), e(O::adc, M::abso, 4), e(O::ror, M::abso, 6), e(O::rra, M::abso, 6),
    // $7x
    e(O::bvs, M::rel, 2), e(O::adc, M::indy_p, 5), e(O::nop, M::imp, 2), e(O::rra, M::indy, 8),
    e(O::nop, M::zpx, 4), e(O::adc, M::zpx, 4), e(O::ror, M::zpx, 6), e(O::rra, M::zpx, 6),
    e(O::sei, M::imp, 2), e(O::adc, M::absy_p, 4), e(O::nop, M::imp, 2), e(O::rra, M::absy, 7),
    e(O::nop, M::absx_p, 4), e(O::adc, M::absx_p, 4), e(O::ror, M::absx, 7), e(O::rra, M::absx, 7),
    // $8x
    e(O::nop, M::imm, 2), e(O::sta, M::indx, 6), e(O::nop, M::imm, 2), e(O::sax, M::indx, 6),
    e(O::sty, M::zp, 3), e(O::sta, M::zp, 3), e(O::stx, M::zp, 3), e(O::sax, M::zp, 3),
    e(O::dey, M::imp, 2), e(O::nop, M::imm, 2), e(O::txa, M::imp, 2), e(O::ane, M::imm, 2),
    e(O::sty, M::abso, 4), e(O::sta, M::abso, 4), e(O::stx, M::abso, 4), e(O::sax, M::abso, 4),
    // $9x
    e(O::bcc, M::rel, 2), e(O::sta, M::indy, 6), e(O::nop, M::imp, 2), e(O::sha, M::indy, 6),
    e(O::sty, M::zpx, 4), e(O::sta, M::zpx, 4), e(O::stx, M::zpy, 4), e(O::sax, M::zpy, 4),
    e(O::tya, M::imp, 2), e(O::sta, M::absy, 5), e(O::txs, M::imp, 2), e(O::tas, M::absy, 5),
    e(O::shy, M::absx, 5), e(O::sta, M::absx, 5), e(O::shx, M::absy, 5), e(O::sha, M::absy, 5),
    // $Ax
    e(O::ldy, M::imm, 2), e(O::lda, M::indx, 6), e(O::ldx, M::imm, 2), e(O::lax, M::indx, 6),
    e(O::ldy, M::zp, 3), e(O::lda, M::zp, 3), e(O::ldx, M::zp, 3), e(O::lax, M::zp, 3),
    e(O::tay, M::imp, 2), e(O::lda, M::imm, 2), e(O::tax, M::imp, 2), e(O::lxa, M::imm, 2),
    e(O::ldy, M::abso, 4), e(O::lda, M::abso, 4), e(O::ldx, M::abso, 4), e(O::lax, M::abso, 4),
    // $Bx
    e(O::bcs, M::rel, 2), e(O::lda, M::indy_p, 5), e(O::nop, M::imp, 2), e(O::lax, M::indy_p, 5),
    e(O::ldy, M::zpx, 4), e(O::lda, M::zpx, 4), e(O::ldx, M::zpy, 4), e(O::lax, M::zpy, 4),
    e(O::clv, M::imp, 2), e(O::lda, M::absy_p, 4), e(O::tsx, M::imp, 2), e(O::las, M::absy_p, 4),
    e(O::ldy, M::absx_p, 4), e(O::lda, M::absx_p, 4), e(O::ldx, M::absy_p, 4), e(O::lax, M::absy_p, 4),
    // $Cx
    e(O::cpy, M::imm, 2), e(O::cmp, M::indx, 6), e(O::nop, M::imm, 2), e(O::dcp, M::indx, 8),
    e(O::cpy, M::zp, 3), e(O::cmp, M::zp, 3), e(O::dec, M::zp, 5), e(O::dcp, M::zp, 5),
    e(O::iny, M::imp, 2), e(O::cmp, M::imm, 2), e(O::dex, M::imp, 2), e(O::sbx, M::imm, 2),
    e(O::cpy, M::abso, 4), e(O::cmp, M::abso, 4), e(O::dec, M::abso, 6), e(O::dcp, M::abso, 6),
    // $Dx
    e(O::bne, M::rel, 2), e(O::cmp, M::indy_p, 5), e(O::nop, M::imp, 2), e(O::dcp, M::indy, 8),
    e(O::nop, M::zpx, 4), e(O::cmp, M::zpx, 4), e(O::dec, M::zpx, 6), e(O::dcp, M::zpx, 6),
    e(O::cld, M::imp, 2), e(O::cmp, M::absy_p, 4), e(O::nop, M::imp, 2), e(O::dcp, M::absy, 7),
    e(O::nop, M::absx_p, 4), e(O::cmp, M::absx_p, 4), e(O::dec, M::absx, 7), e(O::dcp, M::absx, 7),
    // $Ex
    e(O::cpx, M::imm, 2), e(O::sbc, M::indx, 6), e(O::nop, M::imm, 2), e(O::isb, M::indx, 8),
    e(O::cpx, M::zp, 3), e(O::sbc, M::zp, 3), e(O::inc, M::zp, 5), e(O::isb, M::zp, 5),
    e(O::inx, M::imp, 2), e(O::sbc, M::imm, 2), e(O::nop, M::imp, 2), e(O::sbc, M::imm, 2),
    e(O::cpx, M::abso, 4), e(O::sbc, M::abso, 4), e(O::inc, M::abso, 6), e(O::isb, M::abso, 6),
    // $Fx
    e(O::beq, M::rel, 2), e(O::sbc, M::indy_p, 5), e(O::nop, M::imp, 2), e(O::isb, M::indy, 8),
    e(O::nop, M::zpx, 4), e(O::sbc, M::zpx, 4), e(O::inc, M::zpx, 6), e(O::isb, M::zpx, 6),
    e(O::sed, M::imp, 2), e(O::sbc, M::absy_p, 4), e(O::nop, M::imp, 2), e(O::isb, M::absy, 7),
    e(O::nop, M::absx_p, 4), e(O::sbc, M::absx_p, 4), e(O::inc, M::absx, 7), e(O::isb, M::absx, 7),
};
}  // namespace fake6502::table

inline constexpr const fake6502::Opcode (&fake6502_opcodes)[256] = fake6502::table::kMatrix;
