// The undocumented immediate operations (ANC ALR ARR ANE LXA SBX), LAS, and
// the stores that AND their value with the target's high byte plus one
// (SHA SHX SHY TAS), against the NMOS part's rules written out here from
// their descriptions, over every operand, accumulator and flag combination
// that matters.
#include <gtest/gtest.h>

#include "tests/host/cpu_test_bus.h"

namespace {

using cpu_test::Machine;
using cpu_test::W;
using Log = std::vector<cpu_test::Access>;

struct Outcome {
  uint8_t a, x;
  uint8_t flags;  // N V Z C only
};

constexpr uint8_t kNvzc = kFlagNegative | kFlagOverflow | kFlagZero | kFlagCarry;

uint8_t nz_of(uint8_t v) { return (v == 0 ? kFlagZero : 0) | (v & 0x80 ? kFlagNegative : 0); }

// ARR as two steps: AND, then ROR through the carry; then the flag rules
// (binary), or the nibble fix-ups (decimal).
Outcome arr_rule(uint8_t a, uint8_t m, bool carry_in, bool decimal) {
  unsigned anded = a & m;
  unsigned rotated = (anded >> 1) | (carry_in ? 0x80u : 0u);
  unsigned bit6 = (rotated >> 6) & 1, bit5 = (rotated >> 5) & 1;
  uint8_t flags = nz_of(static_cast<uint8_t>(rotated));
  if (!decimal) {
    if (bit6) flags |= kFlagCarry;
    if (bit6 != bit5) flags |= kFlagOverflow;
    return {static_cast<uint8_t>(rotated), 0, flags};
  }
  if (((anded >> 6) & 1) != bit6) flags |= kFlagOverflow;
  unsigned low_nibble = anded & 0x0F, high_nibble = anded >> 4;
  unsigned result = rotated;
  if (low_nibble + (low_nibble & 1) > 5) result = (result & 0xF0) | ((result + 6) & 0x0F);
  if (high_nibble + (high_nibble & 1) > 5) {
    result = (result + 0x60) & 0xFF;
    flags |= kFlagCarry;
  }
  return {static_cast<uint8_t>(result), 0, flags};
}

// Runs one immediate instruction and returns what it left in A, X and the
// flags; everything else about the processor must be unchanged.
Outcome run_immediate(Machine& m, uint8_t op, uint8_t a, uint8_t x, uint8_t operand,
                      bool carry, bool decimal, bool overflow) {
  m.cpu.a = a;
  m.cpu.x = x;
  m.cpu.y = 0x5A;
  m.cpu.sp = 0xF0;
  m.cpu.status = kFlagConstant | (carry ? kFlagCarry : 0) | (decimal ? kFlagDecimal : 0) |
                 (overflow ? kFlagOverflow : 0);
  uint32_t cycles = m.run({op, operand});
  EXPECT_EQ(cycles, 2u);
  EXPECT_EQ(m.cpu.pc, Machine::kOrigin + 2);
  EXPECT_EQ(m.cpu.y, 0x5A);
  EXPECT_EQ(m.cpu.sp, 0xF0);
  EXPECT_EQ(m.cpu.status & kFlagDecimal, decimal ? kFlagDecimal : 0);
  return {m.cpu.a, m.cpu.x, static_cast<uint8_t>(m.cpu.status & kNvzc)};
}

TEST(CpuUndocumentedImmediate, EveryOperandAndAccumulatorInBothDecimalModes) {
  Machine m;
  const uint8_t xs[] = {0x00, 0xFF, 0x5A, 0xA5, 0x0F};
  for (int a = 0; a < 256; a++)
    for (int operand = 0; operand < 256; operand++)
      for (int carry = 0; carry < 2; carry++)
        for (int decimal = 0; decimal < 2; decimal++) {
          uint8_t x = xs[(a + operand) % 5];
          bool v = (a ^ operand) & 1;
          uint8_t kept_v = v ? kFlagOverflow : 0;
          uint8_t c_in = carry ? kFlagCarry : 0;
          uint8_t anded = static_cast<uint8_t>(a & operand);
          SCOPED_TRACE(testing::Message() << "A=" << a << " #" << operand << " X=" << int(x)
                                          << " C=" << carry << " D=" << decimal);

          // ANC $0B/$2B: AND, with C copied from the result's bit 7.
          for (uint8_t op : {0x0B, 0x2B}) {
            Outcome got = run_immediate(m, op, a, x, operand, carry, decimal, v);
            EXPECT_EQ(got.a, anded);
            EXPECT_EQ(got.flags, nz_of(anded) | kept_v | (anded & 0x80 ? kFlagCarry : 0));
          }

          // ALR $4B: AND, then LSR A.
          Outcome alr = run_immediate(m, 0x4B, a, x, operand, carry, decimal, v);
          EXPECT_EQ(alr.a, anded >> 1);
          EXPECT_EQ(alr.flags, nz_of(anded >> 1) | kept_v | (anded & 1 ? kFlagCarry : 0));

          // ARR $6B: its own flag rules, and BCD fix-ups with D set.
          Outcome arr = run_immediate(m, 0x6B, a, x, operand, carry, decimal, v);
          Outcome want = arr_rule(a, operand, carry, decimal);
          EXPECT_EQ(arr.a, want.a);
          EXPECT_EQ(arr.flags, want.flags);

          // ANE $8B: (A OR $EF) AND X AND operand.
          Outcome ane = run_immediate(m, 0x8B, a, x, operand, carry, decimal, v);
          uint8_t ane_result = static_cast<uint8_t>((a | 0xEF) & x & operand);
          EXPECT_EQ(ane.a, ane_result);
          EXPECT_EQ(ane.x, x);
          EXPECT_EQ(ane.flags, nz_of(ane_result) | kept_v | c_in);

          // LXA $AB: A = X = (A OR $EE) AND operand.
          Outcome lxa = run_immediate(m, 0xAB, a, x, operand, carry, decimal, v);
          uint8_t lxa_result = static_cast<uint8_t>((a | 0xEE) & operand);
          EXPECT_EQ(lxa.a, lxa_result);
          EXPECT_EQ(lxa.x, lxa_result);
          EXPECT_EQ(lxa.flags, nz_of(lxa_result) | kept_v | c_in);

          // SBX $CB: X = (A AND X) - operand, a compare's carry, no borrow in,
          // no decimal mode, V untouched.
          Outcome sbx = run_immediate(m, 0xCB, a, x, operand, carry, decimal, v);
          int difference = (a & x) - operand;
          EXPECT_EQ(sbx.a, a);
          EXPECT_EQ(sbx.x, static_cast<uint8_t>(difference));
          EXPECT_EQ(sbx.flags, nz_of(static_cast<uint8_t>(difference)) | kept_v |
                                   (difference >= 0 ? kFlagCarry : 0));
          if (testing::Test::HasFailure()) return;
        }
}

TEST(CpuUndocumentedImmediate, LasAndsMemoryWithTheStackPointerIntoThreeRegisters) {
  for (int sp : {0x00, 0x7F, 0xF3, 0xFF})
    for (int value : {0x00, 0x0F, 0x80, 0xFF}) {
      Machine m;
      m.cpu.sp = sp;
      m.cpu.y = 0x10;
      m.bus.ram[0x3005] = value;
      EXPECT_EQ(m.run({0xBB, 0xF5, 0x2F}), 5u);  // LAS $2FF5,Y crosses into $3005
      uint8_t want = static_cast<uint8_t>(sp & value);
      EXPECT_EQ(m.cpu.a, want);
      EXPECT_EQ(m.cpu.x, want);
      EXPECT_EQ(m.cpu.sp, want);
      EXPECT_EQ(m.flag(kFlagZero), want == 0);
      EXPECT_EQ(m.flag(kFlagNegative), (want & 0x80) != 0);
      m.cpu.sp = sp;
      m.cpu.y = 0x01;
      EXPECT_EQ(m.run({0xBB, 0x04, 0x30}), 4u);  // no crossing
    }
}

// One of the stores, with the registers it stores from.
struct HighAndStore {
  uint8_t opcode;
  const char* name;
  bool indexed_by_x;
  bool indirect;
};

TEST(CpuUndocumentedImmediate, StoresAndWithTheHighBytePlusOneAndReplaceItOnACrossing) {
  const HighAndStore stores[] = {
      {0x9F, "SHA abs,Y", false, false}, {0x93, "SHA (zp),Y", false, true},
      {0x9E, "SHX abs,Y", false, false}, {0x9C, "SHY abs,X", true, false},
      {0x9B, "TAS abs,Y", false, false},
  };
  const uint8_t register_values[] = {0xFF, 0xF0, 0x3C, 0x81};
  for (const HighAndStore& s : stores)
    for (uint16_t base : {0x12F0, 0x7E80, 0xFFF8})
      for (uint8_t index : {0x05, 0x10, 0x7F})
        for (uint8_t a : register_values)
          for (uint8_t xy : register_values) {
            SCOPED_TRACE(testing::Message() << s.name << " base=" << base << " index="
                                            << int(index) << " A=" << int(a)
                                            << " X/Y=" << int(xy));
            Machine m;
            m.cpu.a = a;
            m.cpu.x = s.indexed_by_x ? index : xy;
            m.cpu.y = s.indexed_by_x ? xy : index;
            m.cpu.sp = 0x44;
            uint8_t low = static_cast<uint8_t>(base), high = static_cast<uint8_t>(base >> 8);
            uint32_t cycles;
            if (s.indirect) {
              m.bus.ram[0x70] = low;
              m.bus.ram[0x71] = high;
              cycles = m.run({s.opcode, 0x70});
            } else {
              cycles = m.run({s.opcode, low, high});
            }
            EXPECT_EQ(cycles, s.indirect ? 6u : 5u);

            uint8_t source = s.opcode == 0x9E   ? m.cpu.x
                             : s.opcode == 0x9C ? m.cpu.y
                                                : static_cast<uint8_t>(a & m.cpu.x);
            if (s.opcode == 0x9B) EXPECT_EQ(m.cpu.sp, static_cast<uint8_t>(a & m.cpu.x));
            else EXPECT_EQ(m.cpu.sp, 0x44);
            uint8_t stored = static_cast<uint8_t>(source & (high + 1));
            unsigned sum = base + index;
            bool crossed = (sum >> 8) != (base >> 8);
            uint16_t target = crossed ? static_cast<uint16_t>((stored << 8) | (sum & 0xFF))
                                      : static_cast<uint16_t>(sum);
            EXPECT_EQ(m.bus.writes(), (Log{W(target, stored)}));
          }
}

}  // namespace
