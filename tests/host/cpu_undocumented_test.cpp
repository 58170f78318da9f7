// The undocumented operations in every addressing mode the table gives
// them, and the undocumented NOPs.
#include <gtest/gtest.h>

#include "tests/host/cpu_test_bus.h"

namespace {

using cpu_test::Machine;
using cpu_test::W;
using fake6502::Mode;
using fake6502::Operation;
using Log = std::vector<cpu_test::Access>;

constexpr uint16_t kZeroPageTarget = 0x0040;
constexpr uint16_t kTarget = 0x3000;
constexpr uint8_t kIndex = 5;

bool zero_page_mode(Mode mode) {
  return mode == Mode::zp || mode == Mode::zpx || mode == Mode::zpy;
}

// Sets up op so that its operand is at kZeroPageTarget or kTarget, and
// returns that address.
uint16_t prepare(Machine& m, uint8_t op) {
  Mode mode = fake6502_opcodes[op].mode;
  m.cpu.x = kIndex;
  m.cpu.y = kIndex;
  m.cpu.pc = Machine::kOrigin;
  uint8_t zp = zero_page_mode(mode) ? kZeroPageTarget : 0x00;
  switch (mode) {
    case Mode::zp: m.load({op, zp}); break;
    case Mode::zpx: case Mode::zpy: m.load({op, static_cast<uint8_t>(zp - kIndex)}); break;
    case Mode::abso: m.load({op, 0x00, 0x30}); break;
    case Mode::absx: case Mode::absy: case Mode::absx_p: case Mode::absy_p:
      m.load({op, 0xFB, 0x2F});
      break;
    case Mode::indx:
      m.load({op, static_cast<uint8_t>(0x60 - kIndex)});
      m.bus.ram[0x60] = 0x00;
      m.bus.ram[0x61] = 0x30;
      break;
    case Mode::indy: case Mode::indy_p:
      m.load({op, 0x70});
      m.bus.ram[0x70] = 0xFB;
      m.bus.ram[0x71] = 0x2F;
      break;
    default: ADD_FAILURE() << "unexpected mode for opcode " << int(op);
  }
  return zero_page_mode(mode) ? kZeroPageTarget : kTarget;
}

struct Result {
  uint8_t a, x, memory;
  bool carry, zero, negative;
};

// What the NMOS part computes, written from its description per operation.
Result expected(Operation o, uint8_t a, uint8_t x, uint8_t m, bool c) {
  Result r{a, x, m, c, false, false};
  auto zn = [&r](uint8_t v) { r.zero = v == 0; r.negative = (v & 0x80) != 0; };
  switch (o) {
    case Operation::slo: r.memory = m << 1; r.carry = m & 0x80; r.a = a | r.memory; zn(r.a); break;
    case Operation::rla:
      r.memory = (m << 1) | c; r.carry = m & 0x80; r.a = a & r.memory; zn(r.a); break;
    case Operation::sre: r.memory = m >> 1; r.carry = m & 1; r.a = a ^ r.memory; zn(r.a); break;
    case Operation::rra: {
      r.memory = (m >> 1) | (c ? 0x80 : 0);
      int sum = a + r.memory + (m & 1);
      r.a = sum;
      r.carry = sum > 0xFF;
      zn(r.a);
      break;
    }
    case Operation::dcp:
      r.memory = m - 1; r.carry = a >= r.memory; zn(static_cast<uint8_t>(a - r.memory)); break;
    case Operation::isb: {
      r.memory = m + 1;
      int diff = a - r.memory - (c ? 0 : 1);
      r.a = diff;
      r.carry = diff >= 0;
      zn(r.a);
      break;
    }
    case Operation::sax: r.memory = a & x; break;
    case Operation::lax: r.a = r.x = m; zn(m); break;
    default: break;
  }
  return r;
}

bool undocumented(Operation o) {
  return o == Operation::slo || o == Operation::rla || o == Operation::sre || o == Operation::rra ||
         o == Operation::dcp || o == Operation::isb || o == Operation::sax || o == Operation::lax;
}

TEST(CpuUndocumented, EveryCombinationInEveryModeComputesItsResult) {
  const uint8_t samples[][2] = {{0x00, 0x00}, {0x81, 0x7F}, {0xFF, 0x01}, {0x3C, 0xC3},
                                {0x80, 0x80}, {0x01, 0xFF}, {0x55, 0x55}};
  int opcodes_checked = 0;
  for (int op = 0; op < 256; op++) {
    Operation o = fake6502_opcodes[op].operation;
    if (!undocumented(o)) continue;
    opcodes_checked++;
    for (const auto& sample : samples)
      for (int c = 0; c < 2; c++) {
        Machine m;
        uint16_t target = prepare(m, static_cast<uint8_t>(op));
        m.cpu.a = sample[0];
        m.bus.ram[target] = sample[1];
        m.set(kFlagCarry, c);
        uint8_t x = m.cpu.x;
        m.step();
        Result want = expected(o, sample[0], x, sample[1], c);
        EXPECT_EQ(m.bus.ram[target], want.memory) << "opcode " << op;
        EXPECT_EQ(m.cpu.a, want.a) << "opcode " << op;
        EXPECT_EQ(m.cpu.x, want.x) << "opcode " << op;
        if (o == Operation::sax) continue;  // SAX sets no flags
        EXPECT_EQ(m.flag(kFlagCarry), want.carry) << "opcode " << op;
        EXPECT_EQ(m.flag(kFlagZero), want.zero) << "opcode " << op;
        EXPECT_EQ(m.flag(kFlagNegative), want.negative) << "opcode " << op;
      }
  }
  // SLO RLA SRE RRA DCP ISB in 7 modes each, SAX in 4, LAX in 6.
  EXPECT_EQ(opcodes_checked, 6 * 7 + 4 + 6);
}

TEST(CpuUndocumented, RlaSreRraWriteTheOldValueThenTheNew) {
  const uint8_t ops[] = {0x2F, 0x4F, 0x6F};  // RLA SRE RRA abs
  const uint8_t results[] = {0x02, 0x40, 0x40};
  for (int i = 0; i < 3; i++) {
    Machine m;
    m.bus.ram[kTarget] = 0x81;
    m.run({ops[i], 0x00, 0x30});
    EXPECT_EQ(m.bus.writes(), (Log{W(kTarget, 0x81), W(kTarget, results[i])})) << int(ops[i]);
  }
}

TEST(CpuUndocumented, SloDcpIsbWriteOnce) {
  const uint8_t ops[] = {0x0F, 0xCF, 0xEF};  // SLO DCP ISB abs
  const uint8_t results[] = {0x02, 0x80, 0x82};
  for (int i = 0; i < 3; i++) {
    Machine m;
    m.bus.ram[kTarget] = 0x81;
    m.run({ops[i], 0x00, 0x30});
    EXPECT_EQ(m.bus.writes(), (Log{W(kTarget, results[i])})) << int(ops[i]);
  }
}

TEST(CpuUndocumented, RraAddsWithTheCarryOfItsRotation) {
  Machine m;
  m.bus.ram[0x40] = 0x01;  // rotates to $00 with carry 1
  m.cpu.a = 0x10;
  m.set(kFlagCarry, false);
  m.run({0x67, 0x40});
  EXPECT_EQ(m.cpu.a, 0x11);
  EXPECT_FALSE(m.flag(kFlagCarry));
}

TEST(CpuUndocumented, NopsConsumeTheirOperandsAndTouchNothingElse) {
  int nops = 0;
  for (int op = 0; op < 256; op++) {
    if (fake6502_opcodes[op].operation != Operation::nop) continue;
    nops++;
    Machine m;
    m.cpu.a = 0x12;
    m.cpu.x = kIndex;
    m.cpu.y = kIndex;
    m.bus.ram[0x60] = 0x00;
    m.bus.ram[0x61] = 0x30;
    uint8_t before = m.cpu.status | kFlagConstant;
    m.run({static_cast<uint8_t>(op), 0x60, 0x30});
    Mode mode = fake6502_opcodes[op].mode;
    int length = (mode == Mode::imp) ? 1
                 : (mode == Mode::abso || mode == Mode::absx_p) ? 3
                                                                                     : 2;
    EXPECT_EQ(m.cpu.pc, Machine::kOrigin + length) << "opcode " << op;
    EXPECT_TRUE(m.bus.writes().empty()) << "opcode " << op;
    EXPECT_EQ(m.cpu.status, before) << "opcode " << op;
    for (const cpu_test::Access& access : m.bus.log) {
      bool operand_byte = access.address >= Machine::kOrigin &&
                          access.address < Machine::kOrigin + length;
      bool pointer = (mode == Mode::indy || mode == Mode::indx) && access.address <= 0xFF;
      EXPECT_TRUE(operand_byte || pointer) << "opcode " << op << " read " << access.address;
    }
  }
  // $EA, the 27 other opcodes that do nothing (most of them fetch an
  // operand and drop it) and the 12 halting opcodes, run as one-byte NOPs.
  EXPECT_EQ(nops, 40);
}

TEST(CpuUndocumented, HaltingOpcodesRunAsOneByteNops) {
  const uint8_t halts[] = {0x02, 0x12, 0x22, 0x32, 0x42, 0x52, 0x62, 0x72, 0x92, 0xB2, 0xD2, 0xF2};
  for (uint8_t op : halts) {
    Machine m;
    EXPECT_EQ(m.run({op}), 2u);
    EXPECT_EQ(m.cpu.pc, Machine::kOrigin + 1);
  }
}

}  // namespace
