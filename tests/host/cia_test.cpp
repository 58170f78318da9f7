// CIA 1 and CIA 2: the keyboard matrix and joystick seen through CIA 1's
// ports, the interval timers and their interrupts, and CIA 2's video bank.
#include <gtest/gtest.h>

#include "drivers/keyboard.h"
#include "emulator/cia1.h"
#include "emulator/cia2.h"
#include "emulator/clock.h"
#include "emulator/cpu.h"
#include "emulator/io.h"
#include "face/fake6502.h"

namespace {

using namespace korvan::drivers;

constexpr uint8_t kPortA = 0x00, kPortB = 0x01, kDdrA = 0x02, kDdrB = 0x03;
constexpr uint8_t kTimerALow = 0x04, kTimerAHigh = 0x05, kTimerBLow = 0x06, kTimerBHigh = 0x07;
constexpr uint8_t kTodTenths = 0x08, kTodSeconds = 0x09, kTodMinutes = 0x0A, kTodHours = 0x0B;
constexpr uint8_t kIcr = 0x0D, kCra = 0x0E, kCrb = 0x0F;
constexpr uint32_t kCyclesPerSecond = Clock::kCyclesPerSecond;
constexpr uint8_t kStartForceLoad = 0x11;

// The chips on a clock of their own and a Cpu over the running core, whose
// interrupt lines show what the chips signalled.
class CiaTest : public ::testing::Test {
 protected:
  CiaTest() {
    g_face_active = 0;
    core()->irq_request = 0;
    core()->nmi_request = 0;
    cia1.cpu(&cpu);
    cia1.io(&io);
    cia1.clock(&clock);
    cia2.cpu(&cpu);
    cia2.clock(&clock);
  }
  ~CiaTest() override {
    core()->irq_request = 0;
    core()->nmi_request = 0;
  }
  static fake6502_context* core() { return f6502_context(); }

  void start_timer_a(Cia1& cia, uint16_t latch) { start(cia, kTimerALow, kCra, latch); }
  template <class Cia>
  void start(Cia& cia, uint8_t low_reg, uint8_t control_reg, uint16_t latch) {
    cia.write_register(low_reg, static_cast<uint8_t>(latch));
    cia.write_register(static_cast<uint8_t>(low_reg + 1), static_cast<uint8_t>(latch >> 8));
    cia.write_register(control_reg, kStartForceLoad);
  }
  template <class Cia>
  uint16_t counter(Cia& cia, uint8_t low_reg) {
    return static_cast<uint16_t>(cia.read_register(low_reg) |
                                 (cia.read_register(static_cast<uint8_t>(low_reg + 1)) << 8));
  }

  uint32_t cycles = 0;
  Clock clock{&cycles};
  Cpu cpu;
  IO io;
  Cia1 cia1;
  Cia2 cia2;
};

// Key numbers are row * 8 + column: DEL is row 0 column 0, Q row 7 column 6,
// A row 1 column 2.
constexpr uint8_t kDel = 0, kQ = 62, kA = 10;

TEST_F(CiaTest, KeyboardReadsTheRowPortADrivesLow) {
  io.hold_c64_key(kDel, true);
  io.hold_c64_key(kQ, true);
  cia1.write_register(kPortA, 0xFE);
  EXPECT_EQ(cia1.read_register(kPortB), 0xFE);
  cia1.write_register(kPortA, 0x7F);
  EXPECT_EQ(cia1.read_register(kPortB), 0xBF);
  cia1.write_register(kPortA, 0x7E);
  EXPECT_EQ(cia1.read_register(kPortB), 0xBF) << "only the highest driven row answers";
  cia1.write_register(kPortA, 0xFD);
  EXPECT_EQ(cia1.read_register(kPortB), 0xFF);
  cia1.write_register(kPortA, 0xFF);
  EXPECT_EQ(cia1.read_register(kPortB), 0xFF);
}

TEST_F(CiaTest, AllRowsDrivenLowShowEveryHeldKey) {
  cia1.write_register(kPortA, 0x00);
  EXPECT_EQ(cia1.read_register(kPortB), 0xFF) << "no key held";
  io.hold_c64_key(kA, true);
  EXPECT_EQ(cia1.read_register(kPortB), 0xFB);
  io.hold_c64_key(kQ, true);
  EXPECT_EQ(cia1.read_register(kPortB), 0xBB);
  io.hold_c64_key(kA, false);
  io.hold_c64_key(kQ, false);
  EXPECT_EQ(cia1.read_register(kPortB), 0xFF);
}

TEST_F(CiaTest, PortBIgnoresWrites) {
  io.hold_c64_key(kA, true);
  cia1.write_register(kPortA, 0xFD);
  cia1.write_register(kPortB, 0x00);
  EXPECT_EQ(cia1.read_register(kPortB), 0xFB);
}

TEST_F(CiaTest, JoystickTwoPullsPortALinesLow) {
  cia1.write_register(kPortA, 0x7F);
  EXPECT_EQ(cia1.read_register(kPortA), 0x7F);
  io.OnKeyDown(kKeyUp);
  io.OnKeyDown(kKeyShift);  // fire
  EXPECT_EQ(cia1.read_register(kPortA), 0x6E);
  io.OnKeyUp(kKeyShift);
  EXPECT_EQ(cia1.read_register(kPortA), 0x7F);
}

TEST_F(CiaTest, InputLinesOfPortAReadHigh) {
  cia1.write_register(kDdrA, 0x0F);
  cia1.write_register(kPortA, 0x00);
  EXPECT_EQ(cia1.read_register(kPortA), 0xF0);
  EXPECT_EQ(cia1.read_register(kDdrA), 0x0F);
  cia1.write_register(kDdrB, 0x21);
  EXPECT_EQ(cia1.read_register(kDdrB), 0x21);
}

TEST_F(CiaTest, WithoutIoNoKeyIsHeld) {
  Cia1 alone;
  alone.write_register(kPortA, 0x00);
  EXPECT_EQ(alone.read_register(kPortB), 0xFF);
  EXPECT_EQ(alone.read_register(kPortA), 0x00);
}

TEST_F(CiaTest, RegistersRepeatEverySixteen) {
  cia1.write_register(0x12, 0x3C);  // data direction A
  EXPECT_EQ(cia1.read_register(0x02), 0x3C);
  EXPECT_EQ(cia1.read_register(0xF2), 0x3C);
}

// Latch N: N, N-1 ... 0, then the underflow reloads N, so the period is
// N + 1 cycles; the counter reads the value of the cycle it is read in.
TEST_F(CiaTest, TimerCountsCyclesReadsMidCountAndReloadsOnUnderflow) {
  cia1.write_register(kIcr, 0x81);
  start_timer_a(cia1, 0x0100);
  cycles += 0x80;
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0080);
  cycles += 0x80;
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0000);
  EXPECT_EQ(core()->irq_request, 0);
  cycles += 1;
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0100) << "reloaded at the underflow";
  EXPECT_EQ(core()->irq_request, Cpu::kIrqCia1);
  cycles += 3 * 0x101 + 5;
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0100 - 5) << "continuous: counting on";
  EXPECT_EQ(cia1.read_register(kCra), 0x01) << "running; the force-load strobe reads 0";
}

// The flags record every underflow, enabled or not; bit 7 and the line
// follow the enabled ones; reading returns the flags, clears them and lets
// the line go; enabling a source whose flag is set asserts the line at once.
TEST_F(CiaTest, InterruptControlMaskFlagsAndClearOnRead) {
  start_timer_a(cia1, 0x0009);
  start(cia1, kTimerBLow, kCrb, 0x0013);
  cia1.write_register(kIcr, 0x82);
  cia1.write_register(kIcr, 0x02);  // bit 7 clear: timer B off again
  cycles += 10;
  EXPECT_EQ(core()->irq_request, 0);
  EXPECT_EQ(cia1.read_register(kIcr), 0x01) << "flagged without bit 7";
  EXPECT_EQ(cia1.read_register(kIcr), 0x00) << "reading cleared it";
  cycles += 20;
  cia1.write_register(kIcr, 0x83);
  EXPECT_EQ(core()->irq_request, Cpu::kIrqCia1) << "enabled while flagged";
  EXPECT_EQ(cia1.read_register(kIcr), 0x83);
  EXPECT_EQ(core()->irq_request, 0);
  cia1.write_register(kIcr, 0x7F);
  cycles += 100;
  EXPECT_EQ(core()->irq_request, 0) << "every source off";
}

// One-shot: the underflow reloads the latch and clears the start bit.
TEST_F(CiaTest, OneShotTimerStopsAtItsUnderflow) {
  cia1.write_register(kIcr, 0x81);
  cia1.write_register(kTimerALow, 0x20);
  cia1.write_register(kTimerAHigh, 0x00);
  cia1.write_register(kCra, 0x19);  // one-shot, force load, start
  EXPECT_EQ(cia1.read_register(kCra), 0x09);
  cycles += 0x21;
  EXPECT_EQ(cia1.read_register(kCra), 0x08) << "stopped, still one-shot";
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0020);
  EXPECT_EQ(cia1.read_register(kIcr), 0x81);
  cycles += 0x100;
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0020);
  EXPECT_EQ(cia1.read_register(kIcr), 0x00) << "no second underflow";
  cia1.write_register(kCra, 0x09);  // started again from the latch
  cycles += 0x10;
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0010);
}

// A stopped timer takes the latch when its high byte is written; a running
// one only on a force load or its underflow.
TEST_F(CiaTest, LatchReachesTheCounterByHighByteForceLoadOrUnderflow) {
  cia1.write_register(kTimerALow, 0x34);
  EXPECT_EQ(counter(cia1, kTimerALow), 0xFFFF) << "all ones after reset";
  cia1.write_register(kTimerAHigh, 0x12);
  EXPECT_EQ(counter(cia1, kTimerALow), 0x1234);
  cia1.write_register(kCra, 0x01);
  cycles += 0x34;
  cia1.write_register(kTimerALow, 0x00);
  cia1.write_register(kTimerAHigh, 0x05);
  EXPECT_EQ(counter(cia1, kTimerALow), 0x1200) << "running: the latch waits";
  cia1.write_register(kCra, 0x11);
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0500);
  cia1.write_register(kCra, 0x00);
  cycles += 0x100;
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0500) << "a stopped timer does not count";
}

// Timer B counts A's underflows in modes %10 and %11 (CNT is high on the
// C64), nothing in the CNT mode %01; timer A nothing in its CNT mode.
TEST_F(CiaTest, TimerBCountsTimerAUnderflowsAndCntModesCountNothing) {
  cia1.write_register(kIcr, 0x82);
  start_timer_a(cia1, 0x0009);  // an underflow every 10 cycles
  cia1.write_register(kTimerBLow, 0x02);
  cia1.write_register(kTimerBHigh, 0x00);
  cia1.write_register(kCrb, 0x51);  // A's underflows, force load, start
  cycles += 29;
  EXPECT_EQ(counter(cia1, kTimerBLow), 0x0000);
  EXPECT_EQ(core()->irq_request, 0);
  cycles += 1;
  EXPECT_EQ(counter(cia1, kTimerBLow), 0x0002);
  EXPECT_EQ(cia1.read_register(kIcr), 0x83);
  cia1.write_register(kCrb, 0x71);
  cycles += 10;
  EXPECT_EQ(counter(cia1, kTimerBLow), 0x0001) << "%11 counts A too";
  cia1.write_register(kCrb, 0x21);
  cia1.write_register(kCra, 0x21);
  cycles += 100;
  EXPECT_EQ(counter(cia1, kTimerBLow), 0x0001);
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0009) << "CNT mode: A stands too";
}

// The clock is told when the line will change, so the machine runs the chip
// right after the instruction during which the underflow happens.
TEST_F(CiaTest, TheClockIsDueAtTheUnderflowOfAnEnabledTimer) {
  clock.serve();
  start_timer_a(cia1, 0x0100);
  EXPECT_FALSE(clock.due()) << "no enabled source";
  cia1.write_register(kIcr, 0x81);
  cycles += 0x100;
  EXPECT_FALSE(clock.due());
  cycles += 1;
  EXPECT_TRUE(clock.due());
  EXPECT_EQ(core()->irq_request, 0) << "the line changes when the chip is run";
  clock.serve();
  EXPECT_EQ(core()->irq_request, Cpu::kIrqCia1);
  EXPECT_FALSE(clock.due());
}

TEST_F(CiaTest, Cia2PortASelectsTheVideoBank) {
  EXPECT_EQ(cia2.vic_base_address(), 0x0000) << "both lines high after construction";
  const uint16_t banks[4] = {0xC000, 0x8000, 0x4000, 0x0000};
  for (uint8_t bits = 0; bits < 4; bits++) {
    cia2.write_register(kPortA, static_cast<uint8_t>(0x94 | bits));
    EXPECT_EQ(cia2.vic_base_address(), banks[bits]) << int(bits);
    EXPECT_EQ(cia2.read_register(kPortA), 0x94 | bits);
  }
  cia2.write_register(kPortB, 0x5A);
  EXPECT_EQ(cia2.read_register(kPortB), 0x5A);
}

// CIA 2's output is the NMI line, an edge: one NMI per new request, and
// none (RESTORE's neither) while the last one is unacknowledged.
TEST_F(CiaTest, Cia2TimersRaiseOneNmiPerAcknowledgedRequest) {
  cia2.write_register(kIcr, 0x82);
  start(cia2, kTimerBLow, kCrb, 0x0040);
  cycles += 0x41;
  clock.serve();
  EXPECT_EQ(core()->nmi_request, 1);
  EXPECT_EQ(core()->irq_request, 0);
  core()->nmi_request = 0;
  cycles += 0x41;
  clock.serve();
  cpu.nmi();
  EXPECT_EQ(core()->nmi_request, 0) << "the line is still held";
  EXPECT_EQ(cia2.read_register(kIcr), 0x82);
  cpu.nmi();
  EXPECT_EQ(core()->nmi_request, 1) << "RESTORE, with the line free again";
  core()->nmi_request = 0;
  cycles += 0x41;
  clock.serve();
  EXPECT_EQ(core()->nmi_request, 1);
  EXPECT_EQ(counter(cia2, kTimerBLow), 0x0040) << "three whole periods";
}

// Time of day: BCD tenths to hours with the PM flag, 50 Hz mains divided
// by 5 with CRA bit 7, by 6 without.
TEST_F(CiaTest, TimeOfDayCountsFromTheMainsAndFlipsPm) {
  cia1.write_register(kCra, 0x80);
  cia1.write_register(kTodHours, 0x91);  // 11 PM, the clock stopped
  cia1.write_register(kTodMinutes, 0x59);
  cia1.write_register(kTodSeconds, 0x59);
  cycles += 2 * kCyclesPerSecond;
  EXPECT_EQ(cia1.read_register(kTodSeconds), 0x59) << "stopped since the hours were written";
  cia1.write_register(kTodTenths, 0x08);
  cycles += kCyclesPerSecond / 10 + 100;
  EXPECT_EQ(cia1.read_register(kTodTenths), 0x09);
  cycles += kCyclesPerSecond / 10;
  EXPECT_EQ(cia1.read_register(kTodHours), 0x12) << "11:59:59.9 PM turns to 12 AM";
  EXPECT_EQ(cia1.read_register(kTodMinutes), 0x00);
  cia1.read_register(kTodTenths);
  cia1.write_register(kTodHours, 0x12);
  cia1.write_register(kTodTenths, 0x00);
  cia1.write_register(kCra, 0x00);  // told the mains is 60 Hz: 5/6 of the speed
  cycles += 6 * kCyclesPerSecond + kCyclesPerSecond / 20;
  EXPECT_EQ(cia1.read_register(kTodSeconds), 0x05);
}

// Reading the hours freezes what the registers show until the tenths are
// read; the clock itself runs on.
TEST_F(CiaTest, TimeOfDayLatchesFromHoursToTenths) {
  cia1.write_register(kCra, 0x80);
  cia1.write_register(kTodHours, 0x01);
  cia1.write_register(kTodTenths, 0x00);
  cycles += kCyclesPerSecond / 2 + 100;
  EXPECT_EQ(cia1.read_register(kTodHours), 0x01);
  cycles += kCyclesPerSecond;
  EXPECT_EQ(cia1.read_register(kTodSeconds), 0x00);
  EXPECT_EQ(cia1.read_register(kTodTenths), 0x05) << "latched at the hours' read";
  EXPECT_EQ(cia1.read_register(kTodTenths), 0x05);
  EXPECT_EQ(cia1.read_register(kTodSeconds), 0x01) << "free again";
}

// CRB bit 7 sends the writes to the alarm; the time reaching it sets flag 4.
TEST_F(CiaTest, TimeOfDayAlarmInterrupts) {
  cia1.write_register(kCra, 0x80);
  cia1.write_register(kCrb, 0x80);
  cia1.write_register(kTodHours, 0x01);
  cia1.write_register(kTodMinutes, 0x00);
  cia1.write_register(kTodSeconds, 0x02);
  cia1.write_register(kTodTenths, 0x05);
  cia1.write_register(kCrb, 0x00);
  cia1.write_register(kTodHours, 0x01);
  cia1.write_register(kTodMinutes, 0x00);
  cia1.write_register(kTodSeconds, 0x00);
  cia1.write_register(kTodTenths, 0x00);
  cia1.write_register(kIcr, 0x84);
  clock.serve();
  cycles += 2 * kCyclesPerSecond + kCyclesPerSecond / 2 - 1000;
  clock.serve();
  EXPECT_EQ(core()->irq_request, 0);
  for (int i = 0; i < 10000 && !clock.due(); i++) cycles += 100;
  clock.serve();
  EXPECT_EQ(core()->irq_request, Cpu::kIrqCia1);
  EXPECT_EQ(cia1.read_register(kIcr), 0x84);
  EXPECT_EQ(cia1.read_register(kTodSeconds), 0x02);
}

TEST_F(CiaTest, EmulateAlwaysSucceeds) {
  Cia1 unwired1;
  Cia2 unwired2;
  EXPECT_TRUE(unwired1.emulate());
  EXPECT_TRUE(unwired2.emulate());
  EXPECT_TRUE(cia1.emulate());
  EXPECT_TRUE(cia2.emulate());
}

}  // namespace
