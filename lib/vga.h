// The framebuffer console: 8 x 16 glyphs on a grid of up to 100 x 37 cells,
// with a shadow of the characters for scrolling and an underscore cursor.
#pragma once
#include <stdint.h>
#include "lib/runtime_scope.h"

QLIB_BEGIN

constexpr uint8_t kConsoleMaxCols = 100;
constexpr uint8_t kConsoleMaxRows = 37;
// Byte 14 is the console's backspace: the keyboard driver delivers Backspace as 14.
constexpr uint8_t kConsoleBackspace = 14;

extern uint8_t* vga_framebuffer;
extern uint32_t vga_width;
extern uint32_t vga_height;
extern uint32_t vga_pitch;
extern uint8_t vga_mode_bpp;
extern uint8_t vga_pixel_width;
extern uint8_t vga_textCols;
extern uint8_t vga_textRows;
extern uint8_t vga_cursorCol;
extern uint8_t vga_cursorRow;
extern uint8_t vga_foreColor;
extern uint8_t vga_backColor;
extern uint8_t vga_cursorOn;
extern uint16_t vga_color_palette[16];
// Column-major: the character of column X, row Y is at X * kConsoleMaxRows + Y.
extern uint8_t vga_textscreen[kConsoleMaxCols * kConsoleMaxRows];

// Every byte the console writes is also handed to this sink (the serial
// mirror in the kernel, a capture buffer in host tests); null for none.
typedef void (*ConsoleMirror)(uint8_t byte);
void vga_set_mirror(ConsoleMirror mirror);

// Stores the framebuffer and loads the palette; draws nothing, needs no heap.
// A framebuffer smaller than 800 x 592 gets a smaller grid.
void vga_init(uint8_t* framebuffer, uint32_t width, uint32_t height, uint32_t pitch, uint8_t bpp);
void vga_set_color_palette();
// Pixels outside the framebuffer are dropped.
void vga_put_pixel(int x, int y, uint8_t color);
void vga_clear();
void putc_col_row(int8_t col, uint8_t row, uint8_t ch);
void putc(uint8_t ch);
void puts(const char* s);
void vga_cursor_enable();
void vga_cursor_disable();
void vga_cursor_update();
void vga_scroll();
void vga_restore_textscreen();
void vga_draw_line(int x1, int y1, int x2, int y2, uint8_t color);

QLIB_END
