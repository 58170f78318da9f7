// CHROUT to the screen: character conversion, control codes, quote and
// insert modes, line linking and scrolling.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/roms/kernal/kernal_fixture.h"

namespace {

using ScreenOutputTest = KernalTest;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t kReturn = 0x0D, kDown = 0x11, kUp = 0x91, kRight = 0x1D, kLeft = 0x9D;
constexpr uint8_t kHome = 0x13, kClear = 0x93, kDel = 0x14, kInst = 0x94;
constexpr uint8_t kRvsOn = 0x12, kRvsOff = 0x92;
constexpr uint16_t kCursorRow = 0xD6, kCursorColumn = 0xD3, kQuote = 0xD4, kInserts = 0xD8;

TEST_F(ScreenOutputTest, PetsciiBecomesScreenCodes) {
  machine.print(Bytes{'@', 'A', 'Z', '[', 0x5C, ']', 0x5E, 0x5F, ' ', '!', '0', '?', 0x60, 0x7F, 0xA0,
                      0xBF, 0xC1, 0xDF, 0xE0, 0xFE, 0xFF});
  Bytes expected{0x00, 0x01, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x30, 0x3F, 0x40, 0x5F, 0x60,
                 0x7F, 0x41, 0x5F, 0x60, 0x7E, 0x5E};
  Bytes row = machine.screen_row(0);
  EXPECT_EQ(Bytes(row.begin(), row.begin() + expected.size()), expected);
}

TEST_F(ScreenOutputTest, ReturnStartsTheNextLine) {
  machine.print("AB\rC");
  EXPECT_EQ(machine.screen_text(0), "AB");
  EXPECT_EQ(machine.screen_text(1), "C");
  EXPECT_EQ(machine.peek(kCursorRow), 1);
  EXPECT_EQ(machine.peek(kCursorColumn), 1);
}

TEST_F(ScreenOutputTest, CursorKeysMoveWithinTheScreen) {
  machine.print(Bytes{kDown, kDown, kRight, kRight, kRight, kUp, kLeft, 'X'});
  EXPECT_EQ(machine.screen_text(1), "  X");
  machine.print(Bytes{kHome, kLeft, 'Y'});  // left at home stays at home
  EXPECT_EQ(machine.screen_text(0), "Y");
  machine.print(Bytes{kHome, kDown, kLeft, 'Z'});  // left at column 0 goes to the row above's end
  EXPECT_EQ(machine.screen_row(0)[39], 0x1A);
}

TEST_F(ScreenOutputTest, ClearEmptiesTheScreenAndHomes) {
  machine.print("ONE\rTWO");
  machine.print(Bytes{kClear, 'Q'});
  EXPECT_EQ(machine.screen_text(0), "Q");
  EXPECT_EQ(machine.screen_text(1), "");
  EXPECT_EQ(machine.peek(kCursorRow), 0);
}

TEST_F(ScreenOutputTest, SixteenColourCodesSetTheTextColour) {
  const uint8_t codes[16] = {0x90, 0x05, 0x1C, 0x9F, 0x9C, 0x1E, 0x1F, 0x9E,
                             0x81, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B};
  for (int colour = 0; colour < 16; colour++) {
    machine.print(Bytes{codes[colour], 'A'});
    EXPECT_EQ(machine.peek(0x0286), colour);
    EXPECT_EQ(machine.color_at(0, colour), colour);
  }
  EXPECT_EQ(machine.screen_text(0), "AAAAAAAAAAAAAAAA");
}

TEST_F(ScreenOutputTest, ReverseModeUntilOffOrReturn) {
  machine.print(Bytes{kRvsOn, 'A', kRvsOff, 'B', kRvsOn, 'C', kReturn, 'D'});
  EXPECT_EQ(machine.screen_row(0)[0], 0x81);
  EXPECT_EQ(machine.screen_row(0)[1], 0x02);
  EXPECT_EQ(machine.screen_row(0)[2], 0x83);
  EXPECT_EQ(machine.screen_row(1)[0], 0x04);
}

TEST_F(ScreenOutputTest, QuoteModeShowsControlCodesReversed) {
  machine.print(Bytes{'"', kClear, kDown, 0x05, '"', kDown, 'X'});
  Bytes row = machine.screen_row(0);
  EXPECT_EQ(row[0], 0x22);
  EXPECT_EQ(row[1], 0xD3);  // CLR as a reversed heart
  EXPECT_EQ(row[2], 0x91);  // cursor down as a reversed Q
  EXPECT_EQ(row[3], 0x85);  // white as a reversed E
  EXPECT_EQ(row[4], 0x22);
  EXPECT_EQ(machine.peek(0x0286), 0x0E);  // the colour code did not act
  EXPECT_EQ(machine.screen_row(1)[5], 0x18);  // after the closing quote it moves
  EXPECT_EQ(machine.peek(kQuote), 0);
}

TEST_F(ScreenOutputTest, DeleteWorksInsideQuotes) {
  machine.print(Bytes{'"', 'A', 'B', kDel, 'C'});
  EXPECT_EQ(machine.screen_text(0), "\"AC");
}

TEST_F(ScreenOutputTest, ReturnEndsQuoteMode) {
  machine.print(Bytes{'"', kReturn, kDown, 'X'});
  EXPECT_EQ(machine.peek(kQuote), 0);
  EXPECT_EQ(machine.screen_text(2), "X");
}

TEST_F(ScreenOutputTest, DeleteClosesUpTheLine) {
  machine.print(Bytes{'A', 'B', 'C', 'D', kLeft, kLeft, kDel});
  EXPECT_EQ(machine.screen_text(0), "ACD");
  EXPECT_EQ(machine.peek(kCursorColumn), 1);
}

// The colours close up with the characters: each keeps its own.
TEST_F(ScreenOutputTest, DeleteMovesTheColoursWithTheCharacters) {
  machine.print(Bytes{0x05, 'A', 0x1C, 'B', 0x1E, 'C', 0x1F, 'D', kLeft, kLeft});
  uint8_t beyond = machine.color_at(0, 4);
  machine.print(Bytes{kDel});  // B goes
  EXPECT_EQ(machine.screen_text(0), "ACD");
  EXPECT_EQ(machine.color_at(0, 0), 1);  // white A
  EXPECT_EQ(machine.color_at(0, 1), 5);  // green C
  EXPECT_EQ(machine.color_at(0, 2), 6);  // blue D
  EXPECT_EQ(machine.color_at(0, 3), beyond);
}

TEST_F(ScreenOutputTest, DeleteAtTheTopLeftDoesNothing) {
  machine.print(Bytes{'A', kHome, kDel});
  EXPECT_EQ(machine.screen_text(0), "A");
  EXPECT_EQ(machine.peek(kCursorColumn), 0);
}

TEST_F(ScreenOutputTest, InsertOpensBlanksThatShowControlCodes) {
  machine.print(Bytes{'A', 'B', 'C', kLeft, kLeft, kInst, kInst});
  EXPECT_EQ(machine.screen_text(0), "A  BC");
  EXPECT_EQ(machine.peek(kInserts), 2);
  machine.print(Bytes{kDown, 'X'});  // pending inserts show the code instead of moving
  EXPECT_EQ(machine.screen_text(0), "A~XBC");
  EXPECT_EQ(machine.screen_row(0)[1], 0x91);
  EXPECT_EQ(machine.peek(kInserts), 0);
}

TEST_F(ScreenOutputTest, LongLineLinksTheNextRowAndPushesTextDown) {
  machine.print("ONE\rTWO\rTHREE");
  machine.print(Bytes{kHome});
  machine.print(std::string(45, 'A'));
  EXPECT_EQ(machine.screen_text(0), std::string(40, 'A'));
  EXPECT_EQ(machine.screen_text(1), std::string(5, 'A'));
  EXPECT_EQ(machine.screen_text(2), "TWO");
  EXPECT_EQ(machine.screen_text(3), "THREE");
  EXPECT_EQ(machine.peek(0xD9 + 1) & 0x80, 0);     // row 1 continues row 0
  EXPECT_EQ(machine.peek(0xD9 + 2) & 0x80, 0x80);
  EXPECT_EQ(machine.peek(0xD5), 79);
  EXPECT_EQ(machine.peek(kCursorColumn), 45);
  EXPECT_EQ(machine.peek(kCursorRow), 1);
}

TEST_F(ScreenOutputTest, EightyCharactersFillALogicalLine) {
  machine.print(std::string(81, 'B'));
  EXPECT_EQ(machine.screen_text(1), std::string(40, 'B'));
  EXPECT_EQ(machine.screen_text(2), "B");
  EXPECT_EQ(machine.peek(0xD9 + 2) & 0x80, 0x80);  // a new logical line
  machine.print(Bytes{kReturn, 'C'});
  EXPECT_EQ(machine.screen_text(3), "C");
}

TEST_F(ScreenOutputTest, ReturnFromTheFirstRowSkipsTheLinkedRow) {
  machine.print(std::string(50, 'L'));
  machine.print(Bytes{kHome, kReturn, 'N'});
  EXPECT_EQ(machine.screen_text(2), "N");
}

TEST_F(ScreenOutputTest, ReturnOnTheBottomRowScrollsScreenAndColours) {
  for (int row = 0; row < 25; row++) {
    machine.print(Bytes{static_cast<uint8_t>(row % 2 ? 0x05 : 0x1C), static_cast<uint8_t>('A' + row % 26)});
    if (row < 24) machine.print(Bytes{kReturn});
  }
  machine.print(Bytes{kReturn});
  EXPECT_EQ(machine.screen_text(0), "B");
  EXPECT_EQ(machine.color_at(0, 0), 1);
  EXPECT_EQ(machine.screen_text(22), "X");
  EXPECT_EQ(machine.screen_text(23), "Y");
  EXPECT_EQ(machine.color_at(23, 0), 2);
  EXPECT_EQ(machine.screen_text(24), "");
  EXPECT_EQ(machine.peek(kCursorRow), 24);
}

TEST_F(ScreenOutputTest, ScrollingRemovesAWholeTwoRowLine) {
  machine.print(std::string(60, 'T'));
  machine.print(Bytes{kReturn});
  machine.print("NEXT");
  for (int i = 0; i < 22; i++) machine.print(Bytes{kReturn});
  EXPECT_EQ(machine.peek(kCursorRow), 24);
  machine.print(Bytes{kReturn});
  EXPECT_EQ(machine.screen_text(0), "NEXT");
  EXPECT_EQ(machine.peek(kCursorRow), 23);
}

TEST_F(ScreenOutputTest, GrowingTheBottomLineScrolls) {
  for (int i = 0; i < 24; i++) machine.print(Bytes{kReturn});
  machine.print("TOP");
  machine.print(Bytes{kHome});
  machine.print("FIRST");
  CallResult moved = machine.call(kernal::kPlot, 0, 24, 0, false);
  ASSERT_TRUE(moved.completed);
  machine.print(std::string(42, 'G'));
  EXPECT_EQ(machine.screen_text(0), "");  // FIRST scrolled off
  EXPECT_EQ(machine.screen_text(23), std::string(40, 'G'));
  EXPECT_EQ(machine.screen_text(24), "GG");
}

TEST_F(ScreenOutputTest, CaseSwitchCodesSelectTheCharacterSet) {
  machine.print(Bytes{0x0E});
  EXPECT_EQ(machine.vic_register(0x18), 0x17);  // bit 0 reads as 1
  machine.print(Bytes{0x8E});
  EXPECT_EQ(machine.vic_register(0x18), 0x15);
  machine.print(Bytes{0x08});
  EXPECT_EQ(machine.peek(0x0291), 0x80);
  machine.print(Bytes{0x09});
  EXPECT_EQ(machine.peek(0x0291), 0x00);
}

TEST_F(ScreenOutputTest, ChroutKeepsRegistersAndClearsCarry) {
  CallResult result = machine.call(kernal::kChrout, 'A', 0x12, 0x34, true);
  EXPECT_EQ(result.a, 'A');
  EXPECT_EQ(result.x, 0x12);
  EXPECT_EQ(result.y, 0x34);
  EXPECT_FALSE(result.carry());
}

TEST_F(ScreenOutputTest, PlotSetsAndReadsTheCursor) {
  CallResult set = machine.call(kernal::kPlot, 0, 5, 7, false);
  EXPECT_EQ(set.x, 5);
  EXPECT_EQ(set.y, 7);
  machine.print("P");
  EXPECT_EQ(machine.screen_row(5)[7], 0x10);
  CallResult read = machine.call(kernal::kPlot, 0, 0, 0, true);
  EXPECT_EQ(read.x, 5);
  EXPECT_EQ(read.y, 8);
  CallResult clamped = machine.call(kernal::kPlot, 0, 30, 0, false);
  EXPECT_EQ(clamped.x, 24);
}

TEST_F(ScreenOutputTest, ScreenAndIobaseReportTheMachine) {
  CallResult size = machine.call(kernal::kScreen);
  EXPECT_EQ(size.x, 40);
  EXPECT_EQ(size.y, 25);
  CallResult io = machine.call(kernal::kIobase);
  EXPECT_EQ(io.x, 0x00);
  EXPECT_EQ(io.y, 0xDC);
}

TEST_F(ScreenOutputTest, FixedEntriesClearAndHome) {
  machine.print("XYZ");
  machine.call(0xE566);
  machine.print("A");
  EXPECT_EQ(machine.screen_text(0), "AYZ");
  machine.call(0xE544);
  EXPECT_EQ(machine.screen_text(0), "");
  machine.print("B");
  machine.call(0xE716, 'C');
  EXPECT_EQ(machine.screen_text(0), "BC");
}

}  // namespace
