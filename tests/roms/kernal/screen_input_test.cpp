// CHRIN from the keyboard: the screen editor's line input, typed through the
// face as the machine types; and GETIN.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/roms/kernal/kernal_fixture.h"

namespace {

using ScreenInputTest = KernalTest;

const std::string kLeft = "\x9D", kUp = "\x91", kDel = "\x14", kInst = "\x94";

TEST_F(ScreenInputTest, TypedLineComesBackWithReturn) {
  EXPECT_EQ(machine.input_line("HELLO\r"), "HELLO");
  EXPECT_EQ(machine.screen_text(0), "HELLO");
  EXPECT_EQ(machine.peek(0xD6), 1);  // the cursor went on to the next line
  EXPECT_EQ(machine.peek(0xD3), 0);
}

TEST_F(ScreenInputTest, LowerCaseTypingArrivesAsCapitals) {
  EXPECT_EQ(machine.input_line("print\r"), "PRINT");
}

TEST_F(ScreenInputTest, DeleteEditsTheLine) {
  EXPECT_EQ(machine.input_line("HELLQ" + kDel + "O\r"), "HELLO");
}

TEST_F(ScreenInputTest, HostBackspaceDeletesToo) {
  EXPECT_EQ(machine.input_line("HELLQ\bO\r"), "HELLO");
}

TEST_F(ScreenInputTest, CursorLeftAndInsertEditInTheMiddle) {
  EXPECT_EQ(machine.input_line("HLLO" + kLeft + kLeft + kLeft + kInst + "E\r"), "HELLO");
}

TEST_F(ScreenInputTest, ReturnAnywhereTakesTheWholeLine) {
  EXPECT_EQ(machine.input_line("ABCDEF" + kLeft + kLeft + kLeft + "\r"), "ABCDEF");
}

TEST_F(ScreenInputTest, TrailingBlanksAreDropped) {
  EXPECT_EQ(machine.input_line("AB   \r"), "AB");
}

TEST_F(ScreenInputTest, EmptyLineGivesJustReturn) {
  CallResult result = machine.call_typing(kernal::kChrin, "\r");
  ASSERT_TRUE(result.completed);
  EXPECT_EQ(result.a, 0x0D);
}

TEST_F(ScreenInputTest, PromptBeforeTheInputStaysOut) {
  machine.print("? ");
  EXPECT_EQ(machine.input_line("42\r"), "42");
}

TEST_F(ScreenInputTest, ReturnOnAnotherLineTakesItFromColumnZero) {
  machine.print("PRINT 7\r\r? ");
  EXPECT_EQ(machine.input_line(kUp + kUp + "\r"), "PRINT 7");
}

TEST_F(ScreenInputTest, ReversedCharactersInQuotesReadBackAsControlCodes) {
  machine.print(std::vector<uint8_t>{'"', 0x93, 0x11, '"', 0x12, 'X', 0x92, 0x0D});
  std::string line = machine.input_line(kUp + "\r");
  EXPECT_EQ(line, std::string("\"\x93\x11\"X"));
}

TEST_F(ScreenInputTest, TwoRowLineIsOneLogicalLine) {
  std::string typed(60, 'W');
  EXPECT_EQ(machine.input_line(typed + "\r"), typed);
  EXPECT_EQ(machine.peek(0xD6), 2);
}

TEST_F(ScreenInputTest, ChrinKeepsXAndY) {
  machine.poke(KernalMachine::kMailbox + 2, 0x5A);
  machine.poke(KernalMachine::kMailbox + 3, 0xA5);
  CallResult read = machine.call_typing(kernal::kChrin, "Z\r");
  EXPECT_EQ(read.a, 'Z');
  EXPECT_EQ(read.x, 0x5A);
  EXPECT_EQ(read.y, 0xA5);
}

TEST_F(ScreenInputTest, CursorBlinksWhileInputWaits) {
  machine.print("Q");
  machine.poke(KernalMachine::kMailbox + 4, 0);
  // Start CHRIN and let it wait without keys.
  machine.poke(KernalMachine::kMailbox + 5, 0xCF);
  machine.poke(KernalMachine::kMailbox + 6, 0xFF);
  machine.poke(KernalMachine::kMailbox, 1);
  bool seen_reversed = false, seen_plain = false;
  for (int jiffy = 0; jiffy < 60; jiffy++) {
    machine.run_jiffies(1);
    uint8_t under = machine.peek(KernalMachine::kScreen + 1);
    seen_reversed |= under == 0xA0;
    seen_plain |= under == 0x20;
  }
  EXPECT_TRUE(seen_reversed);
  EXPECT_TRUE(seen_plain);
  EXPECT_EQ(machine.peek(KernalMachine::kMailbox), 1);  // still waiting
}

TEST_F(ScreenInputTest, GetinTakesOneKeyOrZero) {
  CallResult empty = machine.call(kernal::kGetin);
  EXPECT_EQ(empty.a, 0);
  EXPECT_FALSE(empty.carry());
  machine.type('a');
  CallResult typed = machine.call(kernal::kGetin);
  EXPECT_EQ(typed.a, 'A');
  EXPECT_EQ(machine.peek(0x00C6), 0);
}

TEST_F(ScreenInputTest, GetinReturnsBufferedKeysInOrder) {
  machine.poke(0x0277, 'A');
  machine.poke(0x0278, 'B');
  machine.poke(0x00C6, 2);
  EXPECT_EQ(machine.call(kernal::kGetin).a, 'A');
  EXPECT_EQ(machine.peek(0x00C6), 1);
  EXPECT_EQ(machine.call(kernal::kGetin).a, 'B');
  EXPECT_EQ(machine.call(kernal::kGetin).a, 0);
}

TEST_F(ScreenInputTest, ShiftRunStopTypesLoadAndRun) {
  machine.poke(0x0277, 0x83);
  machine.poke(0x00C6, 1);
  std::string first = machine.input_line("");
  EXPECT_EQ(first, "LOAD");
  EXPECT_EQ(machine.input_line(""), "RUN");
}

}  // namespace
