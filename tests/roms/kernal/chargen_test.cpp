// The character ROM as built from its text art: layout, reverse halves and
// the shapes a C64 user expects.
#include <gtest/gtest.h>

#include <stdint.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr int kGlyphBytes = 8;
constexpr int kSet1 = 0x000, kSet1Reverse = 0x400, kSet2 = 0x800, kSet2Reverse = 0xC00;

class ChargenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ifstream in(CHARGEN_IMAGE, std::ios::binary);
    rom.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    ASSERT_EQ(rom.size(), 4096u) << CHARGEN_IMAGE;
  }
  std::vector<uint8_t> Glyph(int set, int code) const {
    return std::vector<uint8_t>(rom.begin() + set + code * kGlyphBytes, rom.begin() + set + (code + 1) * kGlyphBytes);
  }
  bool Blank(const std::vector<uint8_t>& glyph) const {
    for (uint8_t row : glyph)
      if (row != 0) return false;
    return true;
  }
  std::vector<uint8_t> rom;
};

TEST_F(ChargenTest, ReverseHalvesAreExactInverses) {
  for (int i = 0; i < 0x400; i++) {
    ASSERT_EQ(rom[kSet1Reverse + i], static_cast<uint8_t>(~rom[kSet1 + i])) << i;
    ASSERT_EQ(rom[kSet2Reverse + i], static_cast<uint8_t>(~rom[kSet2 + i])) << i;
  }
}

TEST_F(ChargenTest, OnlyTheSpacesAreBlank) {
  for (int set : {kSet1, kSet2}) {
    for (int code = 0; code < 0x80; code++) {
      bool space = code == 0x20 || code == 0x60;
      EXPECT_EQ(Blank(Glyph(set, code)), space) << "set at " << set << " code " << code;
    }
  }
}

TEST_F(ChargenTest, EveryGlyphIsDistinctWithinItsSet) {
  for (int set : {kSet1, kSet2}) {
    for (int a = 0; a < 0x80; a++) {
      for (int b = a + 1; b < 0x80; b++) {
        if ((a == 0x20 && b == 0x60)) continue;        // the two blanks
        if ((a == 0x42 && b == 0x5D)) continue;        // two vertical bars, as on the C64
        if ((a == 0x45 && b == 0x77)) continue;        // top line and upper quarter
        EXPECT_NE(Glyph(set, a), Glyph(set, b)) << "set at " << set << ": " << a << " and " << b;
      }
    }
  }
}

TEST_F(ChargenTest, SetTwoMovesCapitalsUpAndAddsSmallLetters) {
  for (int letter = 1; letter <= 26; letter++) {
    EXPECT_EQ(Glyph(kSet2, 0x40 + letter), Glyph(kSet1, letter)) << letter;
    EXPECT_NE(Glyph(kSet2, letter), Glyph(kSet1, letter)) << letter;
  }
  for (int code : {0x00, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x30, 0x39, 0x3F, 0x40, 0x5B, 0x60, 0x7F})
    EXPECT_EQ(Glyph(kSet2, code), Glyph(kSet1, code)) << code;
}

TEST_F(ChargenTest, TextStrokesAreTwoPixelsWide) {
  // Every set pixel of a letter, digit or punctuation mark has a set
  // neighbour beside it, so the glyphs survive scaling.
  for (int set : {kSet1, kSet2}) {
    for (int code = 0; code < 0x40; code++) {
      std::vector<uint8_t> glyph = Glyph(set, code);
      for (int row = 0; row < 8; row++) {
        uint8_t bits = glyph[row];
        uint8_t neighbours = static_cast<uint8_t>((bits << 1) | (bits >> 1));
        EXPECT_EQ(bits & ~neighbours, 0) << "set at " << set << " code " << code << " row " << row;
      }
    }
  }
}

TEST_F(ChargenTest, LetterAHasItsCrossbarAndLegs) {
  std::vector<uint8_t> a = Glyph(kSet1, 0x01);
  EXPECT_EQ(a[0] & 0x18, 0x18);  // apex in the middle
  EXPECT_EQ(a[3], 0x7E);         // full crossbar
  EXPECT_EQ(a[6] & 0x66, 0x66);  // two legs
  EXPECT_EQ(a[7], 0x00);         // the descender row stays free
}

TEST_F(ChargenTest, BlockGraphicsFillTheirHalves) {
  std::vector<uint8_t> left_half = Glyph(kSet1, 0x61), lower_half = Glyph(kSet1, 0x62);
  for (int row = 0; row < 8; row++) {
    EXPECT_EQ(left_half[row], 0xF0);
    EXPECT_EQ(lower_half[row], row < 4 ? 0x00 : 0xFF);
  }
}

}  // namespace
