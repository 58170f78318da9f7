// The bitmap fonts as the console and the C64 screen see them, and the text-art
// conversion they are built with.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "emulator/font5x7.h"
#include "lib/fonts.h"
#include "lib/text_art.h"

namespace {

// One font seen as pixels, with the rows its design puts things on.
struct FontView {
  const char* name;
  const uint8_t* bytes;
  int first_code;
  int glyphs;
  int rows;
  int width;
  int cap_top;          // top row of capitals, digits and ascenders
  int baseline;         // bottom row of capitals, digits and the lower case
  int x_top;            // top row of the lower-case body
  int descent;          // bottom row of g, j, p, q and y
  bool spacing_column;  // the rightmost column is kept blank (but for '_')

  const uint8_t* glyph(int code) const { return bytes + (code - first_code) * rows; }
  bool pixel(int code, int row, int col) const {
    return (glyph(code)[row] >> (width - 1 - col)) & 1;
  }
  int row_ink(int code, int row) const {
    int n = 0;
    for (int c = 0; c < width; c++) n += pixel(code, row, c);
    return n;
  }
  int column_ink(int code, int col) const {
    int n = 0;
    for (int r = 0; r < rows; r++) n += pixel(code, r, col);
    return n;
  }
  int ink(int code) const {
    int n = 0;
    for (int r = 0; r < rows; r++) n += row_ink(code, r);
    return n;
  }
  // First and last rows with ink; -1 for a blank glyph.
  int top(int code) const {
    for (int r = 0; r < rows; r++)
      if (glyph(code)[r] != 0) return r;
    return -1;
  }
  int bottom(int code) const {
    for (int r = rows - 1; r >= 0; r--)
      if (glyph(code)[r] != 0) return r;
    return -1;
  }
  int left_half_ink(int code) const {
    int n = 0;
    for (int c = 0; c < width / 2; c++) n += column_ink(code, c);
    return n;
  }
  int right_half_ink(int code) const {
    int n = 0;
    for (int c = width - width / 2; c < width; c++) n += column_ink(code, c);
    return n;
  }
  bool mirrored(int a, int b) const {
    for (int r = 0; r < rows; r++)
      for (int c = 0; c < width; c++)
        if (pixel(a, r, c) != pixel(b, r, width - 1 - c)) return false;
    return true;
  }
};

void PrintTo(const FontView& font, std::ostream* out) { *out << font.name; }

const FontView kFonts[] = {
    {"Console8x16", g_8x16_font, 0x00, 256, 16, 8, 2, 11, 5, 14, true},
    {"Spare8x8", g_8x8_font, 0x00, 256, 8, 8, 0, 6, 2, 7, true},
    {"Screen5x7", font5x7, kFont5x7FirstCode, kFont5x7Glyphs, kFont5x7Rows, kFont5x7Columns,
     0, 6, 2, 6, false},
};

constexpr int kFirstPrintable = 0x20;
constexpr int kLastDrawn = 0x7F;  // the printable characters and the DEL box

std::string describe(int code) {
  char text[16];
  snprintf(text, sizeof text, "0x%02X '%c'", code, code >= 0x20 && code < 0x7F ? code : '?');
  return text;
}

class FontShapes : public ::testing::TestWithParam<FontView> {};

TEST_P(FontShapes, SpaceIsBlankAndEveryOtherDrawnCodeHasInk) {
  const FontView& font = GetParam();
  EXPECT_EQ(font.ink(' '), 0);
  for (int code = kFirstPrintable + 1; code <= kLastDrawn; code++)
    EXPECT_GT(font.ink(code), 0) << describe(code);
}

TEST_P(FontShapes, DrawnGlyphsArePairwiseDistinct) {
  const FontView& font = GetParam();
  for (int a = kFirstPrintable; a <= kLastDrawn; a++)
    for (int b = a + 1; b <= kLastDrawn; b++)
      EXPECT_NE(memcmp(font.glyph(a), font.glyph(b), font.rows), 0)
          << describe(a) << " and " << describe(b);
}

TEST_P(FontShapes, GlyphsStayInsideTheirColumnsWithASpacingColumn) {
  const FontView& font = GetParam();
  for (int code = font.first_code; code < font.first_code + font.glyphs; code++)
    for (int r = 0; r < font.rows; r++)
      EXPECT_EQ(font.glyph(code)[r] >> font.width, 0) << describe(code) << " row " << r;
  if (!font.spacing_column) return;
  for (int code = kFirstPrintable; code <= kLastDrawn; code++) {
    if (code == '_') continue;
    EXPECT_EQ(font.column_ink(code, font.width - 1), 0) << describe(code);
  }
}

TEST_P(FontShapes, UnderscoreIsAFullWidthLineOnTheBottomRows) {
  const FontView& font = GetParam();
  EXPECT_EQ(font.bottom('_'), font.rows - 1);
  EXPECT_GE(font.top('_'), font.rows - 2);
  for (int r = font.top('_'); r < font.rows; r++) EXPECT_EQ(font.row_ink('_', r), font.width);
}

TEST_P(FontShapes, CapitalsAndDigitsShareTopAndBaseline) {
  const FontView& font = GetParam();
  for (const char* c = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"; *c; c++) {
    EXPECT_EQ(font.top(*c), font.cap_top) << describe(*c);
    EXPECT_EQ(font.bottom(*c), font.baseline) << describe(*c);
  }
}

TEST_P(FontShapes, LowerCaseSitsOnTheBaselineWithAscendersAndDescenders) {
  const FontView& font = GetParam();
  for (const char* c = "acemnorsuvwxz"; *c; c++) {
    EXPECT_EQ(font.top(*c), font.x_top) << describe(*c);
    EXPECT_EQ(font.bottom(*c), font.baseline) << describe(*c);
  }
  for (const char* c = "bdfhkl"; *c; c++) {
    EXPECT_EQ(font.top(*c), font.cap_top) << describe(*c);
    EXPECT_EQ(font.bottom(*c), font.baseline) << describe(*c);
  }
  for (const char* c = "gjpqy"; *c; c++) EXPECT_EQ(font.bottom(*c), font.descent) << describe(*c);
}

TEST_P(FontShapes, LeftmostPixelIsTheHighestBit) {
  const FontView& font = GetParam();
  for (int code : {'L', 'b', 'h', '['})
    EXPECT_GT(font.left_half_ink(code), font.right_half_ink(code)) << describe(code);
  for (int code : {'J', 'd', 'q', ']'})
    EXPECT_LT(font.left_half_ink(code), font.right_half_ink(code)) << describe(code);
}

TEST_P(FontShapes, FirstRowIsTheTopOfTheGlyph) {
  const FontView& font = GetParam();
  EXPECT_GT(font.row_ink('T', font.top('T')), font.row_ink('T', font.bottom('T')));
  EXPECT_LT(font.row_ink('L', font.top('L')), font.row_ink('L', font.bottom('L')));
  EXPECT_LT(font.bottom('^'), font.top('_'));
  EXPECT_LT(font.bottom('\''), font.top('.'));
}

TEST_P(FontShapes, BracketPairsAreMirrorImages) {
  const FontView& font = GetParam();
  for (const char* pair : {"()", "[]", "{}", "/\\"})
    EXPECT_TRUE(font.mirrored(pair[0], pair[1])) << pair;
  EXPECT_FALSE(font.mirrored('L', 'J'));
}

INSTANTIATE_TEST_SUITE_P(AllFonts, FontShapes, ::testing::ValuesIn(kFonts),
                         [](const ::testing::TestParamInfo<FontView>& info) {
                           return std::string(info.param.name);
                         });

TEST(ConsoleFont, OnlyTheUnderscoreReachesTheCursorRow) {
  const FontView& font = kFonts[0];
  for (int code = 0; code < font.glyphs; code++) {
    if (code == '_') continue;
    EXPECT_LT(font.bottom(code), font.rows - 1) << describe(code);
  }
}

TEST(ConsoleFont, CodesOutsideTheDrawnRangeAreBlank) {
  for (const FontView& font : {kFonts[0], kFonts[1]}) {
    for (int code = 0; code < kFirstPrintable; code++)
      EXPECT_EQ(font.ink(code), 0) << font.name << " " << describe(code);
    for (int code = kLastDrawn + 1; code < font.glyphs; code++)
      EXPECT_EQ(font.ink(code), 0) << font.name << " " << describe(code);
  }
}

TEST(ScreenFont, GlyphOfACharacterIsSevenBytesPerCodeFromSpace) {
  // The C64 screen finds a glyph at font5x7 + (character - 0x20) x 7.
  const uint8_t* a = font5x7 + ('A' - 0x20) * 7;
  EXPECT_EQ(a[3], 0x1F);  // the crossbar of the A spans all five columns
  EXPECT_EQ(font5x7[0], 0);
}

// The conversion itself, on small drawings whose bytes are known.
using Tiny = text_art::Font<8, 2, 0x00, 4>;
using Narrow = text_art::Font<5, 2, 0x20, 3>;
using text_art::Problem;
using Art = text_art::Strip<2>;

TEST(TextArt, LeftmostColumnBecomesTheTopBitAndRowsRunDownward) {
  static constexpr Art wide[] = {{1, {"#....... .......#", "##...#.. ........"}}};
  constexpr Tiny::Bytes tiny = Tiny::build(wide);
  const uint8_t expected[] = {0, 0, 0x80, 0xC4, 0x01, 0x00, 0, 0};
  EXPECT_EQ(memcmp(tiny.at, expected, sizeof expected), 0);

  static constexpr Art narrow[] = {{0x21, {"#.... ....#", ".#.#. #####"}}};
  constexpr Narrow::Bytes bytes = Narrow::build(narrow);
  const uint8_t narrow_expected[] = {0, 0, 0x10, 0x0A, 0x01, 0x1F};
  EXPECT_EQ(memcmp(bytes.at, narrow_expected, sizeof narrow_expected), 0);
}

TEST(TextArt, StripsFillConsecutiveCodesAndLeaveTheRestBlank) {
  static constexpr Art strips[] = {
      {3, {"########", "#......#"}},
      {0, {"..##.... ...#....", "........ ......##"}},
  };
  EXPECT_EQ(Tiny::check(strips), Problem::kNone);
  constexpr Tiny::Bytes tiny = Tiny::build(strips);
  const uint8_t expected[] = {0x30, 0x00, 0x10, 0x03, 0x00, 0x00, 0xFF, 0x81};
  EXPECT_EQ(memcmp(tiny.at, expected, sizeof expected), 0);
}

TEST(TextArt, CheckNamesWhatIsWrongWithADrawing) {
  static constexpr Art missing_row[] = {{0, {"........"}}};
  static constexpr Art short_row[] = {{0, {".......", "......."}}};
  static constexpr Art no_room_for_second[] = {{0, {"........ ..", "........ .."}}};
  static constexpr Art ragged[] = {{0, {"........ ........", "........"}}};
  static constexpr Art bad_pixel[] = {{0, {"...o....", "........"}}};
  static constexpr Art gap_missing[] = {{0, {"........ ........", "........#........"}}};
  static constexpr Art past_end[] = {{3, {"........ ........", "........ ........"}}};
  static constexpr Art twice[] = {{1, {"........", "........"}},
                                  {0, {"........ ........", "........ ........"}}};
  EXPECT_EQ(Tiny::check(missing_row), Problem::kMissingRow);
  EXPECT_EQ(Tiny::check(short_row), Problem::kBadRowLength);
  EXPECT_EQ(Tiny::check(no_room_for_second), Problem::kBadRowLength);
  EXPECT_EQ(Tiny::check(ragged), Problem::kRaggedRows);
  EXPECT_EQ(Tiny::check(bad_pixel), Problem::kBadPixel);
  EXPECT_EQ(Tiny::check(gap_missing), Problem::kBadGap);
  EXPECT_EQ(Tiny::check(past_end), Problem::kCodeOutOfRange);
  EXPECT_EQ(Tiny::check(twice), Problem::kDrawnTwice);

  static constexpr Art below_first[] = {{0x1F, {"..... .....", "..... ....."}}};
  EXPECT_EQ(Narrow::check(below_first), Problem::kCodeOutOfRange);
}

TEST(TextArt, SameSpotsATableThatDiffersFromTheDrawing) {
  static constexpr Art strips[] = {{0, {"#.......", "........"}}};
  constexpr Tiny::Bytes built = Tiny::build(strips);
  uint8_t table[Tiny::kBytes] = {0x80};
  EXPECT_TRUE(Tiny::same(table, built));
  table[Tiny::kBytes - 1] = 0x01;
  EXPECT_FALSE(Tiny::same(table, built));
}

}  // namespace
