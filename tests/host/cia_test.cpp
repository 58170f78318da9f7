// CIA 1 and CIA 2: the keyboard matrix and joystick seen through CIA 1's
// ports, the interval timers and their interrupts, and CIA 2's video bank.
#include <gtest/gtest.h>

#include "drivers/keyboard.h"
#include "emulator/cia1.h"
#include "emulator/cia2.h"
#include "emulator/cpu.h"
#include "emulator/io.h"
#include "face/fake6502.h"

namespace {

using namespace korvan::drivers;

constexpr uint8_t kPortA = 0x00, kPortB = 0x01, kDdrA = 0x02, kDdrB = 0x03;
constexpr uint8_t kTimerALow = 0x04, kTimerAHigh = 0x05, kTimerBLow = 0x06, kTimerBHigh = 0x07;
constexpr uint8_t kIcr = 0x0D, kCra = 0x0E, kCrb = 0x0F;
constexpr uint8_t kStartForceLoad = 0x11;

// The chips on a Cpu over the running core, whose interrupt requests show
// what the chips signalled.
class CiaTest : public ::testing::Test {
 protected:
  CiaTest() {
    g_face_active = 0;
    core()->irq_request = 0;
    core()->nmi_request = 0;
    cia1.cpu(&cpu);
    cia1.io(&io);
    cia2.cpu(&cpu);
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

  Cpu cpu;
  IO io;
  Cia1 cia1;
  Cia2 cia2;
};

// DEL is row 0 column 0, Q row 7 column 6, A row 1 column 2.
TEST_F(CiaTest, KeyboardReadsTheRowPortADrivesLow) {
  io.OnKeyDown(kKeyBackspace);
  io.OnKeyDown('Q');
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
  io.OnKeyDown('A');
  EXPECT_EQ(cia1.read_register(kPortB), 0xFB);
  io.OnKeyDown('Q');
  EXPECT_EQ(cia1.read_register(kPortB), 0xBB);
  io.OnKeyUp('A');
  io.OnKeyUp('Q');
  EXPECT_EQ(cia1.read_register(kPortB), 0xFF);
}

TEST_F(CiaTest, PortBIgnoresWrites) {
  io.OnKeyDown('A');
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

TEST_F(CiaTest, InterruptControlSetsAndClearsTheNamedTimers) {
  start_timer_a(cia1, 0x0000);
  start(cia1, kTimerBLow, kCrb, 0x0000);
  cia1.write_register(kIcr, 0x81);
  cia1.write_register(kIcr, 0x82);
  cia1.write_register(kIcr, 0x02);  // bit 7 clear: timer B off, timer A stays on
  cia1.emulate();
  EXPECT_EQ(cia1.read_register(kIcr), 0x81) << "timer B underflowed without firing";
  Cia1 fresh;
  fresh.cpu(&cpu);
  fresh.write_register(kIcr, 0x81);
  fresh.write_register(kIcr, 0x01);
  start_timer_a(fresh, 0x0000);
  fresh.emulate();
  EXPECT_EQ(fresh.read_register(kIcr), 0x00) << "a disabled timer never fires";
}

TEST_F(CiaTest, ZeroAndNegativeLatchesFireOnEveryCall) {
  for (uint16_t latch : {0x0000, 0x8000, 0xFFFF}) {
    Cia1 cia;
    cia.cpu(&cpu);
    cia.emulate();  // the count starts from now
    cia.write_register(kIcr, 0x81);
    start_timer_a(cia, latch);
    for (int call = 0; call < 3; call++) {
      core()->irq_request = 0;
      uint32_t before = cpu.cycles();
      cia.emulate();
      EXPECT_EQ(core()->irq_request, 1) << std::hex << latch << " call " << call;
      EXPECT_EQ(cpu.cycles(), before + 7) << "the interrupt entry takes its cycles";
    }
    EXPECT_EQ(cia.read_register(kIcr), 0x81);
  }
}

TEST_F(CiaTest, TimerCountsCyclesAndReloadsOnUnderflow) {
  cia1.emulate();  // the count starts from now
  cia1.write_register(kIcr, 0x81);
  start_timer_a(cia1, 0x0100);
  cpu.tick(0x80);
  cia1.emulate();
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0080);
  EXPECT_EQ(core()->irq_request, 0);
  EXPECT_EQ(cia1.read_register(kIcr), 0x00);
  cpu.tick(0x80);
  cia1.emulate();
  EXPECT_EQ(core()->irq_request, 1);
  EXPECT_EQ(cia1.read_register(kIcr), 0x81);
  EXPECT_EQ(cia1.read_register(kIcr), 0x81) << "reading does not clear";
  // The interrupt entry's own 7 cycles fall before the call's end mark.
  cia1.emulate();
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0100);
}

TEST_F(CiaTest, LatchWritesWaitForAForceLoad) {
  cia1.write_register(kTimerALow, 0x34);
  cia1.write_register(kTimerAHigh, 0x12);
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0000);
  cia1.write_register(kCra, 0x10);  // force load, not started
  EXPECT_EQ(counter(cia1, kTimerALow), 0x1234);
  cpu.tick(50);
  cia1.emulate();
  EXPECT_EQ(counter(cia1, kTimerALow), 0x1234) << "a stopped timer does not count";
  cia1.write_register(kTimerBLow, 0x78);
  cia1.write_register(kTimerBHigh, 0x56);
  cia1.write_register(kCrb, 0x10);
  EXPECT_EQ(counter(cia1, kTimerBLow), 0x5678);
}

TEST_F(CiaTest, UnderflowWithoutInterruptReloadsSilently) {
  cia1.emulate();
  start_timer_a(cia1, 0x0010);
  cpu.tick(0x20);
  cia1.emulate();
  EXPECT_EQ(counter(cia1, kTimerALow), 0x0010);
  EXPECT_EQ(core()->irq_request, 0);
  EXPECT_EQ(cia1.read_register(kIcr), 0x00);
}

TEST_F(CiaTest, OnlyCycleInputModeCounts) {
  cia1.emulate();
  cia1.write_register(kTimerALow, 0x40);
  cia1.write_register(kTimerAHigh, 0x00);
  cia1.write_register(kCra, 0x31);  // CNT input
  cia1.write_register(kTimerBLow, 0x40);
  cia1.write_register(kTimerBHigh, 0x00);
  cia1.write_register(kCrb, 0x51);  // timer A underflows
  cpu.tick(0x10);
  cia1.emulate();
  EXPECT_EQ(counter(cia1, kTimerALow), 0x40);
  EXPECT_EQ(counter(cia1, kTimerBLow), 0x40);
  cia1.write_register(kCrb, 0x01);
  cpu.tick(0x10);
  cia1.emulate();
  EXPECT_EQ(counter(cia1, kTimerBLow), 0x30) << "timer B counts cycles, not timer A";
}

TEST_F(CiaTest, TimerBFiresOnItsOwnAndBothCanFireTogether) {
  cia1.emulate();
  cia1.write_register(kIcr, 0x83);
  start(cia1, kTimerBLow, kCrb, 0x0008);
  cpu.tick(8);
  cia1.emulate();
  EXPECT_EQ(cia1.read_register(kIcr), 0x82);
  start_timer_a(cia1, 0x0000);
  uint32_t before = cpu.cycles();
  cia1.emulate();
  EXPECT_EQ(cia1.read_register(kIcr), 0x83);
  EXPECT_EQ(cpu.cycles(), before + 7) << "timer B, reloaded to 8, has 7 to go";
}

TEST_F(CiaTest, UnmodelledRegistersReadZero) {
  for (uint8_t reg = 0x08; reg <= 0x0C; reg++) {
    cia1.write_register(reg, 0x55);
    EXPECT_EQ(cia1.read_register(reg), 0x00) << int(reg);
  }
  cia1.write_register(kCra, 0x01);
  EXPECT_EQ(cia1.read_register(kCra), 0x00);
  EXPECT_EQ(cia2.read_register(kDdrA), 0x00);
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

TEST_F(CiaTest, Cia2TimersRaiseNmi) {
  cia2.write_register(kIcr, 0x82);
  start(cia2, kTimerBLow, kCrb, 0x0000);
  cia2.emulate();
  EXPECT_EQ(core()->nmi_request, 1);
  EXPECT_EQ(core()->irq_request, 0);
  EXPECT_EQ(cia2.read_register(kIcr), 0x82);
}

TEST_F(CiaTest, Cia2TimerCountsLikeCia1) {
  cia2.emulate();
  start(cia2, kTimerALow, kCra, 0x0200);
  cpu.tick(0x40);
  cia2.emulate();
  EXPECT_EQ(counter(cia2, kTimerALow), 0x01C0);
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
