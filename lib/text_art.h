// Bitmap fonts kept as text art: glyphs drawn with '.' and '#' in the source and
// turned into glyph bytes by the compiler, so the drawing is the only copy.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace text_art {

constexpr char kInk = '#';
constexpr char kPaper = '.';
constexpr char kGap = ' ';

// Glyphs for consecutive character codes drawn side by side: each row string
// holds that pixel row of every glyph in the strip, neighbours one space apart.
template <int Rows>
struct Strip {
  uint8_t first;  // code of the leftmost glyph
  const char* rows[Rows];
};

// Why a drawing cannot be converted; kNone when it can.
enum class Problem : uint8_t {
  kNone,
  kMissingRow,      // fewer row strings than the font has pixel rows
  kBadRowLength,    // a row is not a whole number of glyphs with gaps between
  kRaggedRows,      // the rows of one strip differ in length
  kBadPixel,        // a glyph cell holds something other than '.' or '#'
  kBadGap,          // neighbouring glyphs are not separated by one space
  kCodeOutOfRange,  // a glyph's code lies outside the font
  kDrawnTwice,      // two glyphs are drawn for the same code
};

constexpr size_t length(const char* s) {
  size_t n = 0;
  while (s[n] != '\0') n++;
  return n;
}

// A font of Glyphs glyphs for the codes FirstCode onward, Rows bytes each, one
// byte per pixel row from the top; of the Width pixel columns the leftmost is
// bit Width - 1 and the rightmost bit 0.
template <int Width, int Rows, int FirstCode, int Glyphs>
struct Font {
  static_assert(Width >= 1 && Width <= 8, "a glyph row must fit in one byte");
  static_assert(Rows >= 1 && Glyphs >= 1 && FirstCode >= 0, "a font needs glyphs");

  static constexpr int kBytes = Rows * Glyphs;
  static constexpr size_t kCell = Width + 1;  // one glyph and the gap after it

  struct Bytes {
    uint8_t at[kBytes];
  };

  template <size_t N>
  static constexpr Problem check(const Strip<Rows> (&strips)[N]) {
    bool drawn[Glyphs] = {};
    for (const Strip<Rows>& strip : strips) {
      Problem problem = check_rows(strip);
      if (problem != Problem::kNone) return problem;
      size_t count = glyphs_in(strip);
      for (size_t g = 0; g < count; g++) {
        int code = strip.first + static_cast<int>(g);
        if (code < FirstCode || code >= FirstCode + Glyphs) return Problem::kCodeOutOfRange;
        if (drawn[code - FirstCode]) return Problem::kDrawnTwice;
        drawn[code - FirstCode] = true;
      }
    }
    return Problem::kNone;
  }

  // Codes no strip draws stay blank. Expects a drawing that check accepts.
  template <size_t N>
  static constexpr Bytes build(const Strip<Rows> (&strips)[N]) {
    Bytes font = {};
    for (const Strip<Rows>& strip : strips) {
      size_t count = glyphs_in(strip);
      for (size_t g = 0; g < count; g++) {
        int glyph = strip.first + static_cast<int>(g) - FirstCode;
        for (int r = 0; r < Rows; r++) {
          const char* cells = strip.rows[r] + g * kCell;
          uint8_t byte = 0;
          for (int c = 0; c < Width; c++)
            if (cells[c] == kInk) byte = static_cast<uint8_t>(byte | (1u << (Width - 1 - c)));
          font.at[glyph * Rows + r] = byte;
        }
      }
    }
    return font;
  }

  // Lets a font file prove that its exported table holds every built byte.
  static constexpr bool same(const uint8_t (&table)[kBytes], const Bytes& built) {
    for (int i = 0; i < kBytes; i++)
      if (table[i] != built.at[i]) return false;
    return true;
  }

 private:
  static constexpr size_t glyphs_in(const Strip<Rows>& strip) {
    return (length(strip.rows[0]) + 1) / kCell;
  }

  static constexpr Problem check_rows(const Strip<Rows>& strip) {
    for (int r = 0; r < Rows; r++)
      if (strip.rows[r] == nullptr) return Problem::kMissingRow;
    size_t row_length = length(strip.rows[0]);
    if (row_length == 0 || (row_length + 1) % kCell != 0) return Problem::kBadRowLength;
    for (int r = 0; r < Rows; r++) {
      const char* row = strip.rows[r];
      if (length(row) != row_length) return Problem::kRaggedRows;
      for (size_t i = 0; i < row_length; i++) {
        bool gap = i % kCell == Width;
        if (gap && row[i] != kGap) return Problem::kBadGap;
        if (!gap && row[i] != kInk && row[i] != kPaper) return Problem::kBadPixel;
      }
    }
    return Problem::kNone;
  }
};

}  // namespace text_art

// C++17 cannot unpack a constexpr array into the initializer of a named array
// outside a template, so the element lists are spelled out by the preprocessor.
#define TEXT_ART_SPREAD_16(a, i)                                                          \
  a[(i) + 0], a[(i) + 1], a[(i) + 2], a[(i) + 3], a[(i) + 4], a[(i) + 5], a[(i) + 6],     \
      a[(i) + 7], a[(i) + 8], a[(i) + 9], a[(i) + 10], a[(i) + 11], a[(i) + 12],          \
      a[(i) + 13], a[(i) + 14], a[(i) + 15]
#define TEXT_ART_SPREAD_256(a, i)                                                         \
  TEXT_ART_SPREAD_16(a, (i) + 0x00), TEXT_ART_SPREAD_16(a, (i) + 0x10),                   \
      TEXT_ART_SPREAD_16(a, (i) + 0x20), TEXT_ART_SPREAD_16(a, (i) + 0x30),               \
      TEXT_ART_SPREAD_16(a, (i) + 0x40), TEXT_ART_SPREAD_16(a, (i) + 0x50),               \
      TEXT_ART_SPREAD_16(a, (i) + 0x60), TEXT_ART_SPREAD_16(a, (i) + 0x70),               \
      TEXT_ART_SPREAD_16(a, (i) + 0x80), TEXT_ART_SPREAD_16(a, (i) + 0x90),               \
      TEXT_ART_SPREAD_16(a, (i) + 0xA0), TEXT_ART_SPREAD_16(a, (i) + 0xB0),               \
      TEXT_ART_SPREAD_16(a, (i) + 0xC0), TEXT_ART_SPREAD_16(a, (i) + 0xD0),               \
      TEXT_ART_SPREAD_16(a, (i) + 0xE0), TEXT_ART_SPREAD_16(a, (i) + 0xF0)
