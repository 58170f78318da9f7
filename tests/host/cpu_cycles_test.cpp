// Cycle counts: every opcode's base count, and the page-crossing and branch
// penalties exactly where the NMOS part pays them.
#include <gtest/gtest.h>

#include "tests/host/cpu_test_bus.h"

namespace {

using cpu_test::Machine;
using fake6502::Mode;

// Base cycles of the NMOS matrix, row $n0-$nF.
constexpr uint8_t kBaseCycles[256] = {
    7, 6, 2, 8, 3, 3, 5, 5, 3, 2, 2, 2, 4, 4, 6, 6,  // 0
    2, 5, 2, 8, 4, 4, 6, 6, 2, 4, 2, 7, 4, 4, 7, 7,  // 1
    6, 6, 2, 8, 3, 3, 5, 5, 4, 2, 2, 2, 4, 4, 6, 6,  // 2
    2, 5, 2, 8, 4, 4, 6, 6, 2, 4, 2, 7, 4, 4, 7, 7,  // 3
    6, 6, 2, 8, 3, 3, 5, 5, 3, 2, 2, 2, 3, 4, 6, 6,  // 4
    2, 5, 2, 8, 4, 4, 6, 6, 2, 4, 2, 7, 4, 4, 7, 7,  // 5
    6, 6, 2, 8, 3, 3, 5, 5, 4, 2, 2, 2, 5, 4, 6, 6,  // 6
    2, 5, 2, 8, 4, 4, 6, 6, 2, 4, 2, 7, 4, 4, 7, 7,  // 7
    2, 6, 2, 6, 3, 3, 3, 3, 2, 2, 2, 2, 4, 4, 4, 4,  // 8
    2, 6, 2, 6, 4, 4, 4, 4, 2, 5, 2, 5, 5, 5, 5, 5,  // 9
    2, 6, 2, 6, 3, 3, 3, 3, 2, 2, 2, 2, 4, 4, 4, 4,  // A
    2, 5, 2, 5, 4, 4, 4, 4, 2, 4, 2, 4, 4, 4, 4, 4,  // B
    2, 6, 2, 8, 3, 3, 5, 5, 2, 2, 2, 2, 4, 4, 6, 6,  // C
    2, 5, 2, 8, 4, 4, 6, 6, 2, 4, 2, 7, 4, 4, 7, 7,  // D
    2, 6, 2, 8, 3, 3, 5, 5, 2, 2, 2, 2, 4, 4, 6, 6,  // E
    2, 5, 2, 8, 4, 4, 6, 6, 2, 4, 2, 7, 4, 4, 7, 7,  // F
};

// Opcodes whose indexed read pays a cycle on a page crossing.
bool pays_page_penalty(int op) {
  int low = op & 0x1F;
  bool read_group = (op & 0x03) == 0x01 && (op & 0xE0) != 0x80;  // ORA AND EOR ADC LDA CMP SBC
  if (read_group && (low == 0x11 || low == 0x19 || low == 0x1D)) return true;
  switch (op) {
    case 0xB3: case 0xBB: case 0xBC: case 0xBE: case 0xBF: return true;
    // The undocumented NOP abs,X reads its operand like any indexed read.
    case 0x1C: case 0x3C: case 0x5C: case 0x7C: case 0xDC: case 0xFC: return true;
    default: return false;
  }
}

bool is_branch(int op) { return (op & 0x1F) == 0x10; }

// Executes op with all operands zero and registers chosen so that no
// indexed address crosses a page and no branch is taken.
uint32_t plain_cycles(int op) {
  Machine m;
  // BMI, BVS, BCS and BEQ (bit 5 of the opcode set) branch on a set flag.
  bool branches_on_set = (op & 0x20) != 0;
  constexpr uint8_t kTested = kFlagNegative | kFlagOverflow | kFlagCarry | kFlagZero;
  m.cpu.status = kFlagConstant | (branches_on_set ? 0 : kTested);
  return m.run({static_cast<uint8_t>(op), 0x00, 0x10});
}

TEST(CpuCycles, EveryOpcodeTakesItsBaseCountWithoutPenalties) {
  for (int op = 0; op < 256; op++)
    EXPECT_EQ(plain_cycles(op), kBaseCycles[op]) << "opcode " << op;
}

TEST(CpuCycles, TheTableAgreesWithTheMatrix) {
  for (int op = 0; op < 256; op++)
    EXPECT_EQ(fake6502_opcodes[op].cycles, kBaseCycles[op]) << "opcode " << op;
}

TEST(CpuCycles, PageCrossingCostsOneCycleExactlyForIndexedReads) {
  for (int op = 0; op < 256; op++) {
    if (is_branch(op)) continue;
    Mode mode = fake6502_opcodes[op].mode;
    Machine m;
    m.cpu.status = kFlagConstant | kFlagInterrupt;
    m.cpu.x = 0xFF;
    m.cpu.y = 0xFF;
    m.bus.ram[0x0080] = 0x01;  // ($80),Y base $1001 -> $1100
    m.bus.ram[0x0081] = 0x10;
    uint32_t cycles = m.run({static_cast<uint8_t>(op), 0x80, 0x10});
    bool crossing_mode = mode == Mode::absx || mode == Mode::absy || mode == Mode::absx_p ||
                         mode == Mode::absy_p || mode == Mode::indy || mode == Mode::indy_p;
    uint32_t expected = kBaseCycles[op] + (crossing_mode && pays_page_penalty(op) ? 1 : 0);
    EXPECT_EQ(cycles, expected) << "opcode " << op;
  }
}

TEST(CpuCycles, LdaAbsoluteXAcrossAPageIsFiveAndStaIsFiveRegardless) {
  Machine m;
  m.cpu.x = 1;
  EXPECT_EQ(m.run({0xBD, 0xFF, 0x12}), 5u);
  EXPECT_EQ(m.run({0x9D, 0xFF, 0x12}), 5u);
  m.cpu.x = 0;
  EXPECT_EQ(m.run({0xBD, 0xFF, 0x12}), 4u);
  EXPECT_EQ(m.run({0x9D, 0xFF, 0x12}), 5u);
}

TEST(CpuCycles, TakenBranchCostsOneWithinAPageAndTwoAcross) {
  Machine m;
  m.set(kFlagZero, true);
  EXPECT_EQ(m.run({0xF0, 0x10}), 3u);  // $0202 -> $0212
  EXPECT_EQ(m.run({0xF0, 0xF0}), 4u);  // $0202 -> $01F2
  m.set(kFlagZero, false);
  EXPECT_EQ(m.run({0xF0, 0xF0}), 2u);
  m.cpu.pc = 0x02F0;
  m.load({0xD0, 0x0E}, 0x02F0);  // BNE from $02F2 to $0300
  EXPECT_EQ(m.step(), 4u);
  EXPECT_EQ(m.cpu.pc, 0x0300);
}

TEST(CpuCycles, CyclesAccumulate) {
  Machine m;
  m.load({0xEA, 0xEA, 0xA9, 0x00});
  m.step();
  m.step();
  m.step();
  EXPECT_EQ(m.cpu.cycles, 6u);
}

}  // namespace
