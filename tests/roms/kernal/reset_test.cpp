// The state our KERNAL hands to BASIC after reset.
#include <gtest/gtest.h>

#include "tests/roms/kernal/kernal_fixture.h"

namespace {

using ResetTest = KernalTest;
TEST_F(ResetTest, ScreenIsBlankInLightBlue) {
  for (int i = 0; i < 1000; i++) {
    ASSERT_EQ(machine.peek(KernalMachine::kScreen + i), 0x20) << "screen offset " << i;
    ASSERT_EQ(machine.peek(KernalMachine::kColorRam + i), 0x0E) << "colour offset " << i;
  }
}

TEST_F(ResetTest, VicRegistersAsAtPowerOn) {
  EXPECT_EQ(machine.vic_register(0x11), 0x1B);
  EXPECT_EQ(machine.vic_register(0x16), 0x08);
  // The unconnected bits read as 1: bit 0 of $18, the top nibble of colours.
  EXPECT_EQ(machine.vic_register(0x18), 0x15);
  EXPECT_EQ(machine.vic_register(0x20), 0xFE);
  EXPECT_EQ(machine.vic_register(0x21), 0xF6);
}

TEST_F(ResetTest, VectorsHoldTheDocumentedDefaults) {
  const uint16_t expected[16] = {0xEA31, 0xFE66, 0xFE47, 0xF34A, 0xF291, 0xF20E, 0xF250, 0xF333,
                                 0xF157, 0xF1CA, 0xF6ED, 0xF13E, 0xF32F, 0xFE66, 0xF4A5, 0xF5ED};
  for (int i = 0; i < 16; i++)
    EXPECT_EQ(machine.peek_word(0x0314 + 2 * i), expected[i]) << "vector at $" << std::hex << 0x0314 + 2 * i;
}

TEST_F(ResetTest, MemoryBoundsAndSystemPointers) {
  EXPECT_EQ(machine.peek_word(0x0281), 0x0800);  // bottom of BASIC memory
  EXPECT_EQ(machine.peek_word(0x0283), 0xA000);  // top: BASIC ROM starts there
  EXPECT_EQ(machine.peek(0x0288), 0x04);         // screen page
  EXPECT_EQ(machine.peek_word(0x00B2), 0x033C);  // tape buffer
  EXPECT_EQ(machine.peek(0x0001), 0x37);
  EXPECT_EQ(machine.peek(0x0000), 0x2F);
  EXPECT_EQ(machine.peek(0x0289), 10);           // keyboard buffer size
  EXPECT_EQ(machine.peek(0x0286), 0x0E);         // text colour
  EXPECT_EQ(machine.peek_word(0x028F), 0xEB48);  // KEYLOG
  EXPECT_EQ(machine.peek(0x0099), 0);            // input: keyboard
  EXPECT_EQ(machine.peek(0x009A), 3);            // output: screen
}

TEST_F(ResetTest, IoChipsSetUpForKeyboardAndVideoBankZero) {
  EXPECT_EQ(machine.read(0xDC02), 0xFF);  // keyboard rows driven
  EXPECT_EQ(machine.read(0xDC03), 0x00);  // keyboard columns read
  EXPECT_EQ(machine.read(0xDD00) & 0x03, 0x03);  // VIC sees $0000-$3FFF
}

TEST_F(ResetTest, CursorHomeOnSingleRowLines) {
  EXPECT_EQ(machine.peek(0x00D6), 0);
  EXPECT_EQ(machine.peek(0x00D3), 0);
  EXPECT_EQ(machine.peek_word(0x00D1), 0x0400);
  EXPECT_EQ(machine.peek_word(0x00F3), 0xD800);
  EXPECT_EQ(machine.peek(0x00D5), 39);
  for (int row = 0; row < 25; row++)
    EXPECT_EQ(machine.peek(0x00D9 + row), 0x84 + (row * 40) / 256) << "link entry of row " << row;
}

TEST_F(ResetTest, BasicStartsWithInterruptsOnAndAFreshStack) {
  EXPECT_EQ(machine.peek(KernalMachine::kColdSp), 0xFF);  // JMP, not JSR, through ($A000)
  EXPECT_EQ(machine.peek(KernalMachine::kColdP) & 0x04, 0);
  EXPECT_EQ(machine.peek(KernalMachine::kColdP) & 0x08, 0);  // decimal mode off
}

TEST_F(ResetTest, JiffyClockRunsFromZero) {
  uint32_t before = machine.peek(0xA2) | machine.peek(0xA1) << 8 | machine.peek(0xA0) << 16;
  machine.run_jiffies(3);
  uint32_t after = machine.peek(0xA2) | machine.peek(0xA1) << 8 | machine.peek(0xA0) << 16;
  EXPECT_EQ(after - before, 3u);
}

TEST_F(ResetTest, SysResetRepeatsTheColdStart) {
  machine.print("HELLO");
  ASSERT_EQ(machine.screen_text(0), "HELLO");
  machine.poke(KernalMachine::kReady, 0);
  // Clears the mailbox command first, or the fixture, started again by the
  // cold start, would reset the machine again and again.
  machine.load(0xC200, {0xA9, 0x00, 0x8D, 0x00, 0xC0, 0x4C, 0xE2, 0xFC});  // LDA #0; STA $C000; JMP $FCE2
  machine.call(0xC200, 0, 0, 0, false, 300000);
  ASSERT_TRUE(machine.boot());
  EXPECT_EQ(machine.screen_text(0), "");
  EXPECT_EQ(machine.peek_word(0x0314), 0xEA31);
}

TEST_F(ResetTest, BrkWarmStartsThroughA002) {
  // Clears the mailbox command first so the fixture does not call it again.
  machine.load(0xC200, {0xA9, 0x00, 0x8D, 0x00, 0xC0, 0x00, 0xEA});  // LDA #0; STA $C000; BRK
  machine.print("BEFORE");
  machine.poke(0x0326, 0x00);  // a program's own CHROUT vector
  machine.call(0xC200, 0, 0, 0, false, 200000);
  machine.run(100000);  // the call reports done before its BRK
  EXPECT_EQ(machine.peek(KernalMachine::kWarmStarts), 1);
  EXPECT_EQ(machine.peek_word(0x0326), 0xF1CA);
  EXPECT_EQ(machine.screen_text(0), "");
}

TEST_F(ResetTest, RunStopRestoreWarmStartsButRestoreAloneDoesNot) {
  machine.nmi();
  machine.run(20000);
  EXPECT_EQ(machine.peek(KernalMachine::kWarmStarts), 0);
  EXPECT_TRUE(machine.call(0xFFE4).completed);  // the machine carries on
  machine.press({63});                        // RUN/STOP
  machine.run_jiffies(2);
  machine.nmi();
  machine.run(20000);
  EXPECT_EQ(machine.peek(KernalMachine::kWarmStarts), 1);
}

TEST_F(ResetTest, ProgramsCanChainTheIrqVector) {
  machine.load(0xC300, {0xEE, 0xF0, 0xC3, 0x4C, 0x31, 0xEA});  // INC $C3F0; JMP $EA31
  machine.poke(0xC3F0, 0);
  machine.call(0xFFDB, 0, 0, 0);  // SETTIM 0
  machine.poke(0x0314, 0x00);
  machine.poke(0x0315, 0xC3);
  machine.run_jiffies(4);
  EXPECT_GE(machine.peek(0xC3F0), 3);
  EXPECT_LE(machine.peek(0xC3F0), 5);
  EXPECT_EQ(machine.peek(0xC3F0), machine.peek(0xA2));  // each one also ran the jiffy clock
}

TEST_F(ResetTest, AutostartCartridgeTakesOverAtReset) {
  machine.load(0x8000, {0x09, 0x80, 0x09, 0x80, 0xC3, 0xC2, 0xCD, 0x38, 0x30});
  machine.load(0x8009, {0xEE, 0x20, 0xD0, 0x4C, 0x09, 0x80});  // INC $D020 for ever
  machine.call(0xFCE2, 0, 0, 0, false, 2000);
  uint8_t before = machine.vic_register(0x20);
  machine.run(50);
  EXPECT_NE(machine.vic_register(0x20), before);
  EXPECT_EQ(machine.peek_word(0x0314), 0xEA31);  // nothing else was set up again
}

}  // namespace
