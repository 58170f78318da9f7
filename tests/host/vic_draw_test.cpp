// The VIC-II's picture on a test frame: border, the character, extended
// background, multicolour and bitmap modes, the 38-column and 24-row
// borders, scrolling, and sprites.
#include <gtest/gtest.h>

#include "emulator/io_events.h"
#include "tests/host/vic_test_support.h"

namespace {

using vic_test::kBackground;
using vic_test::kBorder;
using vic_test::VicBench;

constexpr int kFirstLine = 56;        // raster line of character row 0, line 0
constexpr int kTop = kFirstLine - 14;  // its frame row
constexpr int kLeft = 43;             // frame x of column 0's leftmost pixel

class VicDrawTest : public ::testing::Test, public VicBench {
 protected:
  VicDrawTest() { text_screen(); }
  // Glyph line of a character in the RAM character set at $2000.
  void glyph(uint8_t code, int line, uint8_t bits) {
    memory.write_byte_no_io(static_cast<uint16_t>(0x2000 + code * 8 + line), bits);
  }
  void put(int column, int row, uint8_t code, uint8_t colour) {
    memory.write_byte_no_io(static_cast<uint16_t>(0x0400 + row * 40 + column), code);
    memory.write_byte_no_io(static_cast<uint16_t>(0xD800 + row * 40 + column), colour);
  }
  // The eight pixels of column c on frame row y, left to right.
  std::vector<int> cell(int column, int y) const {
    std::vector<int> pixels;
    for (int i = 0; i < 8; i++) pixels.push_back(pixel(kLeft + 8 * column + i, y));
    return pixels;
  }
  void draw_through(int line) { ASSERT_TRUE(run_through(line)); }
  using Pixels = std::vector<int>;
};

TEST_F(VicDrawTest, BorderFillsEveryVisibleLine) {
  draw_through(20);
  for (int x = 0; x < static_cast<int>(IO::kFrameWidth); x++) ASSERT_EQ(pixel(x, row_of(20)), kBorder) << x;
  draw_through(kFirstLine);
  EXPECT_EQ(pixel(42, kTop), kBorder);
  EXPECT_EQ(pixel(kLeft, kTop), kBackground);
  EXPECT_EQ(pixel(362, kTop), kBackground);
  EXPECT_EQ(pixel(363, kTop), kBorder);
}

TEST_F(VicDrawTest, CharacterModePaintsGlyphBitsInTheCellColour) {
  glyph(1, 0, 0x81);
  glyph(1, 1, 0x3C);
  put(0, 0, 1, 5);
  put(39, 0, 1, 2);
  draw_through(kFirstLine + 1);
  const int B = kBackground;
  EXPECT_EQ(cell(0, kTop), (Pixels{5, B, B, B, B, B, B, 5}));
  EXPECT_EQ(cell(0, kTop + 1), (Pixels{B, B, 5, 5, 5, 5, B, B}));
  EXPECT_EQ(cell(39, kTop), (Pixels{2, B, B, B, B, B, B, 2}));
  EXPECT_EQ(cell(1, kTop), (Pixels{B, B, B, B, B, B, B, B}));
}

TEST_F(VicDrawTest, RowsFollowTheScreenMatrix) {
  glyph(2, 3, 0xFF);
  put(4, 2, 2, 7);
  draw_through(kFirstLine + 2 * 8 + 3);
  EXPECT_EQ(cell(4, kTop + 19), (Pixels(8, 7)));
  EXPECT_EQ(cell(4, kTop + 18), (Pixels(8, kBackground)));
}

TEST_F(VicDrawTest, ScrollingMovesThePicture) {
  glyph(1, 0, 0x80);
  put(0, 0, 1, 5);
  vic.write_register(Vic::kControl2, 0x0A);  // two pixels right
  vic.write_register(Vic::kControl1, 0x1C);  // one line down
  draw_through(kFirstLine + 1);
  EXPECT_EQ(pixel(kLeft + 2, kTop + 1), 5);
  EXPECT_EQ(pixel(kLeft, kTop + 1), kBackground);
  EXPECT_EQ(pixel(kLeft + 2, kTop), kBackground);
}

TEST_F(VicDrawTest, ThirtyEightColumnsNarrowTheScreen) {
  glyph(1, 0, 0xFF);
  for (int column = 0; column < 40; column++) put(column, 0, 1, 5);
  vic.write_register(Vic::kControl2, 0x00);
  draw_through(kFirstLine);
  EXPECT_EQ(cell(0, kTop), (Pixels(8, kBorder)));
  EXPECT_EQ(pixel(51, kTop), 5) << "column 1 is the first one shown";
  EXPECT_EQ(pixel(353, kTop), 5);
  EXPECT_EQ(pixel(354, kTop), kBorder);
  EXPECT_EQ(cell(39, kTop), (Pixels(8, kBorder)));
}

TEST_F(VicDrawTest, TwentyFourRowsNarrowTheScreen) {
  glyph(0, 2, 0xFF);
  glyph(0, 3, 0xFF);
  vic.write_register(Vic::kControl1, 0x13);
  draw_through(kFirstLine + 3);
  EXPECT_EQ(pixel(100, kTop + 2), kBorder);
  EXPECT_EQ(pixel(100, kTop + 3), 1);
}

TEST_F(VicDrawTest, ScreenOffShowsOnlyTheBorder) {
  glyph(0, 0, 0xFF);
  vic.write_register(Vic::kControl1, 0x0B);
  draw_through(kFirstLine);
  EXPECT_EQ(pixel(100, kTop), kBorder);
}

TEST_F(VicDrawTest, ExtendedBackgroundPicksTheBackgroundFromTheCode) {
  glyph(1, 0, 0xF0);
  vic.write_register(Vic::kBackgroundColour0 + 1, 3);
  vic.write_register(Vic::kBackgroundColour0 + 2, 4);
  vic.write_register(Vic::kBackgroundColour0 + 3, 7);
  put(0, 0, 0x01, 5);
  put(1, 0, 0x41, 5);
  put(2, 0, 0x81, 5);
  put(3, 0, 0xC1, 5);
  vic.write_register(Vic::kControl1, 0x5B);
  draw_through(kFirstLine);
  const int B = kBackground;
  EXPECT_EQ(cell(0, kTop), (Pixels{5, 5, 5, 5, B, B, B, B}));
  EXPECT_EQ(cell(1, kTop), (Pixels{5, 5, 5, 5, 3, 3, 3, 3}));
  EXPECT_EQ(cell(2, kTop), (Pixels{5, 5, 5, 5, 4, 4, 4, 4}));
  EXPECT_EQ(cell(3, kTop), (Pixels{5, 5, 5, 5, 7, 7, 7, 7})) << "$C1 is the glyph of $01 on background 3";
}

TEST_F(VicDrawTest, MulticolourCharactersUseBitPairs) {
  vic.write_register(Vic::kBackgroundColour0 + 1, 3);
  vic.write_register(Vic::kBackgroundColour0 + 2, 4);
  glyph(1, 0, 0x1B);  // %00 %01 %10 %11
  put(0, 0, 1, 0x0A);
  put(1, 0, 1, 0x02);
  vic.write_register(Vic::kControl2, 0x18);
  draw_through(kFirstLine);
  const int B = kBackground;
  // Pair pixels sit one to the right of the hires grid, so the cell's last
  // pair reaches into the next column.
  EXPECT_EQ(cell(0, kTop), (Pixels{B, B, B, 3, 3, 4, 4, 2}));
  EXPECT_EQ(pixel(kLeft + 8, kTop), 2);
  // Colours 0-7 stay ordinary characters; their clear bits leave what is there.
  EXPECT_EQ(cell(1, kTop), (Pixels{2, B, B, 2, 2, B, 2, 2}));
}

TEST_F(VicDrawTest, BitmapTakesItsColoursFromTheScreenMatrix) {
  memory.write_byte_no_io(0x2000, 0xF0);           // cell 0, line 0
  memory.write_byte_no_io(0x2000 + 8 * 41 + 2, 0x0F);  // cell 41 (row 1 column 1), line 2
  memory.write_byte_no_io(0x0400, 0x52);
  memory.write_byte_no_io(0x0400 + 41, 0x73);
  vic.write_register(Vic::kControl1, 0x3B);
  draw_through(kFirstLine + 10);
  EXPECT_EQ(cell(0, kTop), (Pixels{5, 5, 5, 5, 2, 2, 2, 2}));
  EXPECT_EQ(cell(1, kTop + 10), (Pixels{3, 3, 3, 3, 7, 7, 7, 7}));
}

TEST_F(VicDrawTest, MulticolourBitmapAddsColourRam) {
  memory.write_byte_no_io(0x2000, 0x1B);
  memory.write_byte_no_io(0x0400, 0x52);
  memory.write_byte_no_io(0xD800, 0x09);
  vic.write_register(Vic::kControl1, 0x3B);
  vic.write_register(Vic::kControl2, 0x18);
  draw_through(kFirstLine);
  EXPECT_EQ(cell(0, kTop), (Pixels{kBackground, kBackground, kBackground, 5, 5, 2, 2, 9}));
}

TEST_F(VicDrawTest, InvalidModeShowsBlack) {
  glyph(0, 0, 0xFF);
  vic.write_register(Vic::kControl1, 0x7B);
  draw_through(kFirstLine);
  EXPECT_EQ(cell(0, kTop), (Pixels(8, 0)));
  EXPECT_EQ(pixel(42, kTop), kBorder);
}

TEST_F(VicDrawTest, TheFacesTextViewLeavesTheFrameUnpainted) {
  g_face_active = 1;
  draw_through(20);
  EXPECT_EQ(pixel(0, row_of(20)), 0);
  g_video_view = 1;  // the user asks for the picture
  draw_through(21);
  EXPECT_EQ(pixel(0, row_of(21)), kBorder);
}

// At a frame's end the host screen shows the picture, unless the main loop
// draws the face's text instead.
TEST_F(VicDrawTest, FrameEndRefreshesTheHostScreenOnlyWithoutTheFace) {
  uint16_t host[4 * 4];
  for (uint16_t& p : host) p = 0x1234;
  io.init_display(reinterpret_cast<uint32_t*>(host), 4, 4, 8, 16);
  vic.write_register(Vic::kBorderColour, 2);
  g_face_active = 1;
  current_milli = current_milli + 100;  // so the display's pacing does not wait
  clock += 312 * 63;
  vic.emulate();
  EXPECT_EQ(vic.frame_count(), 1u);
  EXPECT_EQ(host[0], 0x1234);
  g_face_active = 0;
  current_milli = current_milli + 100;
  clock += 312 * 63;
  vic.emulate();
  EXPECT_EQ(vic.frame_count(), 2u);
  EXPECT_EQ(host[0], io.palette(2));
}

class VicSpriteTest : public VicDrawTest {
 protected:
  // Sprite n at (x, y), its data in block 13 + n ($0340 + 64n), every row
  // the same three bytes.
  void sprite(int n, int x, int y, uint8_t b0, uint8_t b1, uint8_t b2, uint8_t colour) {
    memory.write_byte_no_io(static_cast<uint16_t>(0x07F8 + n), static_cast<uint8_t>(13 + n));
    for (int row = 0; row < 21; row++) {
      uint16_t at = static_cast<uint16_t>(0x0340 + 64 * n + 3 * row);
      memory.write_byte_no_io(at, b0);
      memory.write_byte_no_io(static_cast<uint16_t>(at + 1), b1);
      memory.write_byte_no_io(static_cast<uint16_t>(at + 2), b2);
    }
    vic.write_register(static_cast<uint8_t>(2 * n), static_cast<uint8_t>(x));
    uint8_t high = vic.read_register(Vic::kSpriteXHighBits);
    high = static_cast<uint8_t>(x > 255 ? high | (1 << n) : high & ~(1 << n));
    vic.write_register(Vic::kSpriteXHighBits, high);
    vic.write_register(static_cast<uint8_t>(2 * n + 1), static_cast<uint8_t>(y));
    vic.write_register(static_cast<uint8_t>(Vic::kSpriteColour0 + n), colour);
    vic.write_register(Vic::kSpriteEnable, static_cast<uint8_t>(vic.read_register(Vic::kSpriteEnable) | (1 << n)));
  }
  // Frame x of a sprite's first pixel.
  static int left_of(int x) { return x + 18 + 1; }
};

TEST_F(VicSpriteTest, SpriteAtY50CoversRasters56To76) {
  sprite(0, 100, 50, 0x80, 0x00, 0x01, 1);
  for (int line = 55; line <= 77; line++) {
    draw_through(line);
    bool inside = line >= 56 && line <= 76;
    EXPECT_EQ(pixel(left_of(100), row_of(line)), inside ? 1 : (line == 55 ? kBorder : kBackground)) << line;
  }
  EXPECT_EQ(pixel(left_of(100) + 23, row_of(60)), 1);
  EXPECT_EQ(pixel(left_of(100) + 1, row_of(60)), kBackground);
}

TEST_F(VicSpriteTest, DoubledSpritesAreTwiceAsWideAndTall) {
  sprite(0, 100, 50, 0x80, 0x00, 0x00, 1);
  vic.write_register(Vic::kSpriteDoubleWidth, 0x01);
  vic.write_register(Vic::kSpriteDoubleHeight, 0x01);
  draw_through(97);
  // Doubled pixels sit one to the right of the single-width grid.
  EXPECT_EQ(pixel(left_of(100), row_of(97)), kBackground);
  EXPECT_EQ(pixel(left_of(100) + 1, row_of(97)), 1);
  EXPECT_EQ(pixel(left_of(100) + 2, row_of(97)), 1);
  EXPECT_EQ(pixel(left_of(100) + 3, row_of(97)), kBackground);
  draw_through(98);
  EXPECT_EQ(pixel(left_of(100) + 1, row_of(98)), kBackground) << "42 lines from 56";
}

TEST_F(VicSpriteTest, LowerNumberedSpritesCoverHigherOnes) {
  sprite(1, 120, 60, 0xFF, 0xFF, 0xFF, 2);
  sprite(0, 124, 60, 0xFF, 0x00, 0x00, 7);
  draw_through(70);
  EXPECT_EQ(pixel(left_of(120), row_of(70)), 2);
  EXPECT_EQ(pixel(left_of(124), row_of(70)), 7);
  EXPECT_EQ(pixel(left_of(124) + 8, row_of(70)), 2);
}

TEST_F(VicSpriteTest, NinthXBitAndClippingAtTheRightBorder) {
  sprite(2, 330, 60, 0xFF, 0xFF, 0xFF, 3);
  draw_through(70);
  EXPECT_EQ(pixel(left_of(330), row_of(70)), 3);
  EXPECT_EQ(pixel(362, row_of(70)), 3);
  EXPECT_EQ(pixel(363, row_of(70)), kBorder);
}

TEST_F(VicSpriteTest, MulticolourSpritesUseSharedColours) {
  sprite(0, 100, 60, 0x1B, 0x00, 0x00, 2);
  vic.write_register(Vic::kSpriteSharedColour0, 9);
  vic.write_register(Vic::kSpriteSharedColour0 + 1, 10);
  vic.write_register(Vic::kSpriteMulticolour, 0x01);
  draw_through(70);
  std::vector<int> pixels;
  for (int i = 0; i < 10; i++) pixels.push_back(pixel(left_of(100) + i, row_of(70)));
  const int B = kBackground;
  // %00 transparent, %01 shared 0, %10 own colour, %11 shared 1.
  EXPECT_EQ(pixels, (std::vector<int>{B, B, B, 9, 9, 2, 2, 10, 10, B}));
}

TEST_F(VicSpriteTest, DisabledSpritesAreNotDrawn) {
  sprite(0, 100, 60, 0xFF, 0xFF, 0xFF, 2);
  vic.write_register(Vic::kSpriteEnable, 0x00);
  draw_through(70);
  EXPECT_EQ(pixel(left_of(100), row_of(70)), kBackground);
}

}  // namespace
