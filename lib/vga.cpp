// The framebuffer console.
#include "lib/vga.h"

#include "lib/fonts.h"
#include "lib/pixel.h"
#include "lib/stdlib.h"

QLIB_BEGIN

uint8_t* vga_framebuffer = nullptr;
uint32_t vga_width = 0;
uint32_t vga_height = 0;
uint32_t vga_pitch = 0;
uint8_t vga_mode_bpp = 0;
uint8_t vga_pixel_width = 0;
uint8_t vga_textCols = kConsoleMaxCols;
uint8_t vga_textRows = kConsoleMaxRows;
uint8_t vga_cursorCol = 0;
uint8_t vga_cursorRow = 0;
uint8_t vga_foreColor = 15;
uint8_t vga_backColor = 0;
uint8_t vga_cursorOn = 0;
uint16_t vga_color_palette[16];
uint8_t vga_textscreen[kConsoleMaxCols * kConsoleMaxRows];

static ConsoleMirror g_console_mirror = nullptr;

static constexpr int kGlyphWidth = 8;
static constexpr int kGlyphHeight = 16;

void vga_set_mirror(ConsoleMirror mirror) { g_console_mirror = mirror; }

static uint8_t grid_extent(uint32_t pixels, int cell, uint8_t most) {
  uint32_t cells = pixels / cell;
  if (cells < 1) cells = 1;
  return cells < most ? static_cast<uint8_t>(cells) : most;
}

void vga_init(uint8_t* framebuffer, uint32_t width, uint32_t height, uint32_t pitch, uint8_t bpp) {
  vga_framebuffer = framebuffer;
  vga_width = width;
  vga_height = height;
  vga_pitch = pitch;
  vga_mode_bpp = bpp;
  vga_pixel_width = fb_bytes_per_pixel(bpp);
  vga_textCols = grid_extent(width, kGlyphWidth, kConsoleMaxCols);
  vga_textRows = grid_extent(height, kGlyphHeight, kConsoleMaxRows);
  vga_set_color_palette();
}

void vga_set_color_palette() {
  // The sixteen colours of the C64.
  static const uint16_t kPalette[16] = {
      0x0000, 0xFFFF, 0x69A5, 0x7536, 0x69F0, 0x5C68, 0x314F, 0xBE2D,
      0x6A64, 0x41C0, 0x9B2B, 0x4228, 0x6B6D, 0x9E90, 0x6AF6, 0x94B2,
  };
  for (int i = 0; i < 16; i++) vga_color_palette[i] = kPalette[i];
}

static bool drawable() { return vga_framebuffer != nullptr && vga_pixel_width != 0; }

void vga_put_pixel(int x, int y, uint8_t color) {
  if (!drawable() || x < 0 || y < 0 || static_cast<uint32_t>(x) >= vga_width ||
      static_cast<uint32_t>(y) >= vga_height)
    return;
  uint8_t* pixel = vga_framebuffer + static_cast<uint32_t>(y) * vga_pitch +
                   static_cast<uint32_t>(x) * vga_pixel_width;
  fb_store_rgb565(pixel, vga_mode_bpp, vga_color_palette[color & 0x0F]);
}

void vga_clear() {
  for (uint32_t x = 0; x < vga_width; x++)
    for (uint32_t y = 0; y < vga_height; y++) vga_put_pixel(x, y, vga_backColor);
  vga_cursorCol = 0;
  vga_cursorRow = 0;
  for (uint8_t& cell : vga_textscreen) cell = ' ';
}

void putc_col_row(int8_t col, uint8_t row, uint8_t ch) {
  const uint8_t* glyph = &g_8x16_font[ch * kGlyphHeight];
  int left = col * kGlyphWidth;
  int top = row * kGlyphHeight;
  for (int i = 0; i < kGlyphHeight; i++)
    for (int k = 0; k < kGlyphWidth; k++)
      vga_put_pixel(left + k, top + i, (glyph[i] & (0x80 >> k)) ? vga_foreColor : vga_backColor);
}

static uint8_t& shadow_cell(uint8_t col, uint8_t row) {
  return vga_textscreen[col * kConsoleMaxRows + row];
}

static void erase_cursor() {
  if (vga_cursorOn == 1) putc_col_row(vga_cursorCol, vga_cursorRow, ' ');
}

static void blank_cursor_cell() {
  putc_col_row(vga_cursorCol, vga_cursorRow, ' ');
  shadow_cell(vga_cursorCol, vga_cursorRow) = ' ';
}

static void mirror(uint8_t ch) {
  if (g_console_mirror != nullptr) g_console_mirror(ch);
}

static void backspace() {
  if (vga_cursorCol > 0) {
    erase_cursor();
    vga_cursorCol--;
  } else if (vga_cursorRow > 0) {
    erase_cursor();
    vga_cursorCol = vga_textCols - 1;
    vga_cursorRow--;
  } else {
    return;
  }
  blank_cursor_cell();
  vga_cursor_update();
}

void putc(uint8_t ch) {
  mirror(ch);
  if (ch == kConsoleBackspace) {
    backspace();
    return;
  }
  if (ch == '\n') {
    erase_cursor();
    vga_cursorCol = 0;
    vga_cursorRow++;
  } else {
    // A cursor moved off the grid by a smaller framebuffer is brought back.
    if (vga_cursorCol >= vga_textCols) vga_cursorCol = vga_textCols - 1;
    if (vga_cursorRow >= vga_textRows) vga_cursorRow = vga_textRows - 1;
    putc_col_row(vga_cursorCol, vga_cursorRow, ch);
    shadow_cell(vga_cursorCol, vga_cursorRow) = ch;
    vga_cursorCol++;
  }
  if (vga_cursorCol >= vga_textCols) {
    vga_cursorCol = 0;
    vga_cursorRow++;
  }
  vga_scroll();
  vga_cursor_update();
}

void puts(const char* s) {
  while (*s != 0) putc(static_cast<uint8_t>(*s++));
}

void vga_cursor_enable() { vga_cursorOn = 1; }

void vga_cursor_disable() { vga_cursorOn = 0; }

void vga_cursor_update() {
  if (vga_cursorOn == 1) putc_col_row(vga_cursorCol, vga_cursorRow, '_');
}

void vga_scroll() {
  if (vga_cursorRow < vga_textRows) return;
  uint8_t last = vga_textRows - 1;
  for (uint8_t col = 0; col < vga_textCols; col++) {
    for (uint8_t row = 0; row < last; row++) shadow_cell(col, row) = shadow_cell(col, row + 1);
    shadow_cell(col, last) = ' ';
  }
  vga_restore_textscreen();
  vga_cursorCol = 0;
  vga_cursorRow = last;
}

void vga_restore_textscreen() {
  for (uint8_t row = 0; row < vga_textRows; row++)
    for (uint8_t col = 0; col < vga_textCols; col++)
      putc_col_row(col, row, shadow_cell(col, row));
}

void vga_draw_line(int x1, int y1, int x2, int y2, uint8_t color) {
  int dx = abs(x2 - x1), sx = sgn(x2 - x1);
  int dy = -abs(y2 - y1), sy = sgn(y2 - y1);
  int error = dx + dy;
  for (;;) {
    vga_put_pixel(x1, y1, color);
    if (x1 == x2 && y1 == y2) return;
    int doubled = 2 * error;
    if (doubled >= dy) {
      error += dy;
      x1 += sx;
    }
    if (doubled <= dx) {
      error += dx;
      y1 += sy;
    }
  }
}

QLIB_END
