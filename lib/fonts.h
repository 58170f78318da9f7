// The console's bitmap fonts, 256 glyphs each: glyph n starts at byte n x rows,
// one byte per pixel row from the top, bit 7 the leftmost pixel. Both are
// drawn as text art in font8x16.cpp and font8x8.cpp.
#pragma once
#include <stdint.h>

extern const uint8_t g_8x16_font[4096];
extern const uint8_t g_8x8_font[2048];
