// The jiffy clock: SETTIM/RDTIM, UDTIM and the 24-hour wrap.
#include <gtest/gtest.h>

#include "tests/roms/kernal/kernal_fixture.h"

namespace {

using JiffyTest = KernalTest;
constexpr uint32_t kJiffiesPerDay = 5184000;

uint32_t Clock(const CallResult& r) { return r.a | r.x << 8 | r.y << 16; }

TEST_F(JiffyTest, SettimThenRdtim) {
  machine.call(kernal::kSettim, 0x56, 0x34, 0x12);
  EXPECT_EQ(machine.peek(0xA0), 0x12);
  EXPECT_EQ(machine.peek(0xA2), 0x56);
  uint32_t read = Clock(machine.call(kernal::kRdtim));
  EXPECT_GE(read, 0x123456u);
  EXPECT_LE(read, 0x123457u);
}

TEST_F(JiffyTest, UdtimCarriesThroughAllThreeBytes) {
  machine.poke(0xA0, 0x00);
  machine.poke(0xA1, 0xFF);
  machine.poke(0xA2, 0xFF);
  machine.call(kernal::kUdtim);
  EXPECT_GE(machine.peek(0xA0), 0x01);
  EXPECT_EQ(machine.peek(0xA1), 0x00);
}

TEST_F(JiffyTest, ClockWrapsAtTwentyFourHours) {
  const uint32_t last = kJiffiesPerDay - 1;
  machine.call(kernal::kSettim, last & 0xFF, (last >> 8) & 0xFF, last >> 16);
  machine.call(kernal::kUdtim);
  uint32_t after = Clock(machine.call(kernal::kRdtim));
  EXPECT_LT(after, 3u);
}

TEST_F(JiffyTest, InterruptAdvancesTheClockEveryJiffy) {
  machine.call(kernal::kSettim, 0, 0, 0);
  machine.run_jiffies(10);
  uint32_t read = Clock(machine.call(kernal::kRdtim));
  EXPECT_GE(read, 10u);
  EXPECT_LE(read, 11u);
}

// CIA 1's timer A, as the KERNAL programs it, is the jiffy: sixty to a
// PAL C64's second of processor time (985,248 cycles).
TEST_F(JiffyTest, SixtyJiffiesToTheSecondOfProcessorTime) {
  machine.call(kernal::kSettim, 0, 0, 0);
  machine.run_cycles(985248);
  uint32_t read = Clock(machine.call(kernal::kRdtim));
  EXPECT_GE(read, 59u);
  EXPECT_LE(read, 61u);
}

// With CIA 1's interrupts masked off there is no jiffy at all.
TEST_F(JiffyTest, MaskingCia1StopsTheClock) {
  machine.call(kernal::kSettim, 0, 0, 0);
  machine.poke(0xC3F0, 0x7F);
  machine.load(0xC300, {0xAD, 0xF0, 0xC3, 0x8D, 0x0D, 0xDC, 0x60});  // LDA $C3F0; STA $DC0D; RTS
  machine.call(0xC300);
  machine.run_jiffies(10);
  EXPECT_EQ(Clock(machine.call(kernal::kRdtim)), 0u);
  machine.poke(0xC3F0, 0x81);
  machine.call(0xC300);
  machine.run_jiffies(10);
  EXPECT_GE(Clock(machine.call(kernal::kRdtim)), 9u);
}

}  // namespace
