// Decimal mode against the NMOS 6502's documented rules, for every pair of
// operands and both carries, valid BCD or not.
#include <gtest/gtest.h>

#include "tests/host/cpu_test_bus.h"

namespace {

using cpu_test::Machine;

struct Outcome {
  uint8_t a;
  bool carry, zero, negative, overflow;
};

// The NMOS rules in their step-by-step form: the low digit is corrected and
// carried as $10, the whole sum corrected by $60 when it reaches $A0; N and
// V are taken from the sum before that correction, with signed high halves;
// Z from the binary sum.
Outcome nmos_adc(uint8_t a, uint8_t b, bool c) {
  int al = (a & 0x0F) + (b & 0x0F) + c;
  if (al >= 0x0A) al = ((al + 0x06) & 0x0F) + 0x10;
  int sum = (a & 0xF0) + (b & 0xF0) + al;
  int signed_sum = static_cast<int8_t>(a & 0xF0) + static_cast<int8_t>(b & 0xF0) + al;
  Outcome out;
  out.negative = (sum & 0x80) != 0;
  out.overflow = signed_sum < -128 || signed_sum > 127;
  out.zero = ((a + b + c) & 0xFF) == 0;
  if (sum >= 0xA0) sum += 0x60;
  out.a = static_cast<uint8_t>(sum);
  out.carry = sum >= 0x100;
  return out;
}

// SBC: the result is corrected digit by digit; every flag is the binary one.
Outcome nmos_sbc(uint8_t a, uint8_t b, bool c) {
  int al = (a & 0x0F) - (b & 0x0F) + c - 1;
  if (al < 0) al = ((al - 0x06) & 0x0F) - 0x10;
  int diff = (a & 0xF0) - (b & 0xF0) + al;
  if (diff < 0) diff -= 0x60;
  int binary = a - b - (c ? 0 : 1);
  Outcome out;
  out.a = static_cast<uint8_t>(diff);
  out.carry = binary >= 0;
  out.zero = (binary & 0xFF) == 0;
  out.negative = (binary & 0x80) != 0;
  out.overflow = ((a ^ b) & (a ^ binary) & 0x80) != 0;
  return out;
}

Outcome run(uint8_t opcode, uint8_t a, uint8_t b, bool c, bool decimal) {
  Machine m;
  m.cpu.a = a;
  m.set(kFlagCarry, c);
  m.set(kFlagDecimal, decimal);
  m.run({opcode, b});
  return {m.cpu.a, m.flag(kFlagCarry), m.flag(kFlagZero), m.flag(kFlagNegative),
          m.flag(kFlagOverflow)};
}

void expect_same(const Outcome& got, const Outcome& want, const char* what, int a, int b, int c) {
  ASSERT_TRUE(got.a == want.a && got.carry == want.carry && got.zero == want.zero &&
              got.negative == want.negative && got.overflow == want.overflow)
      << what << " a=" << a << " b=" << b << " c=" << c << ": got " << int(got.a) << " C"
      << got.carry << " Z" << got.zero << " N" << got.negative << " V" << got.overflow
      << ", want " << int(want.a) << " C" << want.carry << " Z" << want.zero << " N"
      << want.negative << " V" << want.overflow;
}

TEST(CpuDecimal, AdcFollowsTheNmosRulesForEveryOperandPair) {
  for (int c = 0; c < 2; c++)
    for (int a = 0; a < 256; a++)
      for (int b = 0; b < 256; b++)
        expect_same(run(0x69, a, b, c, true), nmos_adc(a, b, c), "ADC", a, b, c);
}

TEST(CpuDecimal, SbcFollowsTheNmosRulesForEveryOperandPair) {
  for (int c = 0; c < 2; c++)
    for (int a = 0; a < 256; a++)
      for (int b = 0; b < 256; b++)
        expect_same(run(0xE9, a, b, c, true), nmos_sbc(a, b, c), "SBC", a, b, c);
}

TEST(CpuDecimal, KnownBcdSums) {
  EXPECT_EQ(run(0x69, 0x09, 0x01, false, true).a, 0x10);
  EXPECT_EQ(run(0x69, 0x58, 0x46, true, true).a, 0x05);
  EXPECT_TRUE(run(0x69, 0x58, 0x46, true, true).carry);
  EXPECT_EQ(run(0x69, 0x99, 0x01, false, true).a, 0x00);
  EXPECT_EQ(run(0xE9, 0x00, 0x01, true, true).a, 0x99);
  EXPECT_FALSE(run(0xE9, 0x00, 0x01, true, true).carry);
  EXPECT_EQ(run(0xE9, 0x46, 0x12, true, true).a, 0x34);
}

TEST(CpuDecimal, BinaryWhenDecimalIsClear) {
  EXPECT_EQ(run(0x69, 0x09, 0x01, false, false).a, 0x0A);
  EXPECT_EQ(run(0xE9, 0x10, 0x01, true, false).a, 0x0F);
}

TEST(CpuDecimal, IsbAndRraUseTheDecimalRules) {
  Machine m;
  m.bus.ram[0x40] = 0x08;  // ISB: incremented to $09, then $10 - $09
  m.cpu.a = 0x10;
  m.set(kFlagDecimal, true);
  m.set(kFlagCarry, true);
  m.run({0xE7, 0x40});
  EXPECT_EQ(m.cpu.a, 0x01);
  m.bus.ram[0x40] = 0x02;  // RRA: rotated to $01 with carry 0, then $09 + $01
  m.cpu.a = 0x09;
  m.set(kFlagCarry, false);
  m.run({0x67, 0x40});
  EXPECT_EQ(m.cpu.a, 0x10);
}

}  // namespace
