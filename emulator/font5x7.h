// The 5 x 7 font that draws the C64 text screen: one glyph for each character
// kFont5x7FirstCode onward, kFont5x7Rows bytes apart, one byte per pixel row
// from the top, the five pixel columns in bits 4 (left) to 0.
#pragma once
#include <stdint.h>

constexpr int kFont5x7FirstCode = 0x20;
constexpr int kFont5x7Glyphs = 96;
constexpr int kFont5x7Rows = 7;
constexpr int kFont5x7Columns = 5;

extern const uint8_t font5x7[kFont5x7Glyphs * kFont5x7Rows];
