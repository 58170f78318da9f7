// The framebuffer console on an in-memory framebuffer at several depths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/stdio.h"
#include "lib/vga.h"
#include "hosted/console_capture.h"

namespace {

struct Framebuffer {
  Framebuffer(uint32_t width, uint32_t height, uint8_t bpp, uint32_t slack = 0)
      : width(width), height(height), bpp(bpp), pitch(width * ((bpp + 7) / 8) + slack),
        bytes(pitch * height + 64, 0xEE) {
    qlib::vga_init(bytes.data(), width, height, pitch, bpp);
    qlib::vga_clear();
    qlib::vga_cursor_disable();
  }
  const uint8_t* pixel(uint32_t x, uint32_t y) const { return &bytes[y * pitch + x * ((bpp + 7) / 8)]; }
  // True when any pixel of the cell differs from the background colour.
  bool cell_inked(int col, int row) const {
    for (int y = 0; y < 16; y++)
      for (int x = 0; x < 8; x++)
        if (pixel(col * 8 + x, row * 16 + y)[0] != 0 || pixel(col * 8 + x, row * 16 + y)[1] != 0) return true;
    return false;
  }
  uint32_t width, height;
  uint8_t bpp;
  uint32_t pitch;
  std::vector<uint8_t> bytes;
};

char shadow(int col, int row) { return static_cast<char>(qlib::vga_textscreen[col * 37 + row]); }

std::string shadow_row(int row, int count) {
  std::string s;
  for (int col = 0; col < count; col++) s += shadow(col, row);
  return s;
}

TEST(Console, HundredthCharacterWrapsToTheNextRow) {
  Framebuffer fb(800, 600, 16);
  for (int i = 0; i < 100; i++) qlib::putc('a');
  EXPECT_EQ(qlib::vga_cursorCol, 0);
  EXPECT_EQ(qlib::vga_cursorRow, 1);
  EXPECT_EQ(shadow(99, 0), 'a');
}

TEST(Console, WrapOnTheLastRowScrollsOneRow) {
  Framebuffer fb(800, 600, 16);
  qlib::puts("top line");
  for (int i = 0; i < 36; i++) qlib::putc('\n');
  qlib::puts("bottom");
  EXPECT_EQ(qlib::vga_cursorRow, 36);
  for (int i = 0; i < 94; i++) qlib::putc('z');
  EXPECT_EQ(qlib::vga_cursorRow, 36);
  EXPECT_EQ(qlib::vga_cursorCol, 0);
  EXPECT_EQ(shadow_row(35, 6), "bottom");
  EXPECT_EQ(shadow_row(36, 3), "   ");
  // The first line scrolled away: row 0 was row 1 (blank).
  EXPECT_EQ(shadow_row(0, 8), "        ");
}

TEST(Console, NewlineOnTheLastRowScrollsExactlyOnce) {
  Framebuffer fb(800, 600, 16);
  for (int row = 0; row < 37; row++) {
    qlib::putc(static_cast<uint8_t>('A' + row % 26));
    if (row < 36) qlib::putc('\n');
  }
  EXPECT_EQ(shadow(0, 0), 'A');
  qlib::putc('\n');
  EXPECT_EQ(shadow(0, 0), 'B');
  EXPECT_EQ(shadow(0, 35), static_cast<char>('A' + 36 % 26));
  EXPECT_EQ(shadow(0, 36), ' ');
  EXPECT_EQ(qlib::vga_cursorRow, 36);
  EXPECT_TRUE(fb.cell_inked(0, 0));
  EXPECT_FALSE(fb.cell_inked(0, 36));
}

TEST(Console, BackspaceAtColumnZeroGoesToTheEndOfThePreviousRow) {
  Framebuffer fb(800, 600, 16);
  for (int i = 0; i < 5; i++) qlib::putc('\n');
  for (int i = 0; i < 99; i++) qlib::putc('x');
  qlib::putc('\n');
  qlib::vga_cursorRow = 5;
  qlib::vga_cursorCol = 0;
  qlib::vga_textscreen[99 * 37 + 4] = 'q';
  qlib::putc(qlib::kConsoleBackspace);
  EXPECT_EQ(qlib::vga_cursorCol, 99);
  EXPECT_EQ(qlib::vga_cursorRow, 4);
  EXPECT_EQ(shadow(99, 4), ' ');
}

TEST(Console, BackspaceAtTheOriginDoesNothing) {
  Framebuffer fb(800, 600, 16);
  qlib::putc(qlib::kConsoleBackspace);
  EXPECT_EQ(qlib::vga_cursorCol, 0);
  EXPECT_EQ(qlib::vga_cursorRow, 0);
  qlib::puts("ab");
  qlib::putc(qlib::kConsoleBackspace);
  EXPECT_EQ(qlib::vga_cursorCol, 1);
  EXPECT_EQ(shadow(1, 0), ' ');
  EXPECT_EQ(shadow(0, 0), 'a');
}

TEST(Console, CursorFollowsTextAndIsErasedByNewline) {
  Framebuffer fb(800, 600, 16);
  qlib::vga_cursor_enable();
  qlib::puts("hi");
  EXPECT_TRUE(fb.cell_inked(2, 0));  // the underscore
  EXPECT_EQ(shadow(2, 0), ' ');      // drawn on screen only
  qlib::putc('\n');
  EXPECT_FALSE(fb.cell_inked(2, 0));
  EXPECT_TRUE(fb.cell_inked(0, 1));
  qlib::putc(qlib::kConsoleBackspace);  // column 0 of row 1: back to row 0, column 99
  EXPECT_FALSE(fb.cell_inked(0, 1));
  qlib::vga_cursor_disable();
}

TEST(Console, GlyphPixelsUseTheConsoleColoursAtEachDepth) {
  for (uint8_t bpp : {16, 24, 32}) {
    Framebuffer fb(800, 600, bpp);
    qlib::putc('#');
    bool found_foreground = false;
    for (int y = 0; y < 16 && !found_foreground; y++)
      for (int x = 0; x < 8; x++) {
        const uint8_t* p = fb.pixel(x, y);
        if (bpp == 16 && p[0] == 0xB2 && p[1] == 0x94) found_foreground = true;  // light grey 0x94B2
        if (bpp > 16 && p[0] == 0x90 && p[1] == 0x94 && p[2] == 0x90) found_foreground = true;
      }
    EXPECT_TRUE(found_foreground) << "bpp " << int(bpp);
    if (bpp == 32) EXPECT_EQ(fb.pixel(0, 0)[3], 0xEE) << "the fourth byte is left alone";
  }
}

TEST(Console, ClearPaintsTheWholeFramebufferAndNothingBeyond) {
  Framebuffer fb(640, 480, 32, 16);
  for (uint32_t y = 0; y < fb.height; y++) {
    EXPECT_EQ(fb.pixel(639, y)[0], 0x00);
    EXPECT_EQ(fb.bytes[y * fb.pitch + 640 * 4], 0xEE) << "pitch padding of row " << y;
  }
  EXPECT_EQ(fb.bytes[fb.pitch * fb.height], 0xEE);
}

TEST(Console, SmallFramebufferShrinksTheGridAndNeverWritesOutside) {
  Framebuffer fb(320, 200, 16);
  EXPECT_EQ(qlib::vga_textCols, 40);
  EXPECT_EQ(qlib::vga_textRows, 12);
  for (int i = 0; i < 3000; i++) qlib::putc(static_cast<uint8_t>('!' + i % 90));
  EXPECT_LT(qlib::vga_cursorRow, 12);
  for (size_t i = fb.pitch * fb.height; i < fb.bytes.size(); i++) ASSERT_EQ(fb.bytes[i], 0xEE);
  // Drawing past the edge is clipped, not wrapped into the next row.
  qlib::vga_put_pixel(320, 0, 15);
  qlib::vga_put_pixel(-1, 5, 15);
  for (size_t i = fb.pitch * fb.height; i < fb.bytes.size(); i++) ASSERT_EQ(fb.bytes[i], 0xEE);
}

TEST(Console, RestoreRedrawsFromTheShadow) {
  Framebuffer fb(800, 600, 16);
  qlib::puts("keep");
  std::fill(fb.bytes.begin(), fb.bytes.end(), 0);
  EXPECT_FALSE(fb.cell_inked(0, 0));
  qlib::vga_restore_textscreen();
  EXPECT_TRUE(fb.cell_inked(0, 0));
  EXPECT_FALSE(fb.cell_inked(4, 0));
}

TEST(Console, LineDrawsBothEndpoints) {
  Framebuffer fb(800, 600, 16);
  qlib::vga_draw_line(10, 10, 20, 15, 1);
  EXPECT_EQ(fb.pixel(10, 10)[0], 0xFF);
  EXPECT_EQ(fb.pixel(20, 15)[0], 0xFF);
  EXPECT_EQ(fb.pixel(20, 10)[0], 0x00);
}

TEST(Console, EveryByteReachesTheMirror) {
  Framebuffer fb(800, 600, 16);
  korvan::hosted::ConsoleCapture capture;
  qlib::puts("boot\n");
  qlib::putc(qlib::kConsoleBackspace);
  EXPECT_EQ(std::string(capture.text()), "boot\n\x0e");
}

}  // namespace
