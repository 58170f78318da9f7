// The VIC-II's painters: one raster line of border, character or bitmap
// screen and sprites into IO's frame. Frame x 42 is the pixel left of the
// first screen column; frame row y is raster line y + 14.
#include "emulator/io.h"
#include "emulator/memory.h"
#include "emulator/vic.h"

namespace {
constexpr int kCellWidth = 8;
constexpr int kScreenLeft = 42;
constexpr int kRightEdge = 362;     // the last pixel of the 40-column screen
constexpr int kNarrowLeft = 50;     // 38 columns: the border covers up to here
constexpr int kNarrowRight = 353;   // ... and from beyond here
constexpr int kShortTop = 44;       // 24 rows: the border covers rows up to here
constexpr int kShortBottom = 238;   // ... and from here
constexpr int kWideWidth = 320;
constexpr int kNarrowWidth = 304;
constexpr int kDefaultYScroll = 3;  // the scroll at which row 0 starts on line 56
// Sprites: Y is compared with raster - 6 and X is shifted by 18.
constexpr int kSpriteYOffset = 6;
constexpr int kSpriteXOffset = 18;
constexpr int kSpriteHeight = 21;
constexpr int kSpriteBytesPerRow = 3;
constexpr int kSpriteTop = 42;
constexpr int kSpriteBottom = 242;
// Extended background: the top two bits of the code pick the background.
constexpr int kExtendedBackgroundShift = 6;
constexpr int kBlack = 0;
}  // namespace

void Vic::draw_line() {
  int y = raster_counter() - kFirstVisibleLine;
  io_->screen_draw_border(y, border_colour_);
  switch (graphic_mode_) {
    case kCharacterMode:
    case kMulticolourCharacterMode:
    case kExtendedBackgroundMode: draw_raster_char_mode(); break;
    case kBitmapMode:
    case kMulticolourBitmapMode: draw_raster_bitmap_mode(); break;
    default: draw_raster_invalid_mode(); break;
  }
  draw_raster_sprites();
}

// The screen codes and colours of a character row, fetched once for its
// eight lines as the chip does on a bad line; a new frame or a moved screen
// fetches again.
void Vic::fetch_row(int row) {
  if (row == fetched_row_ && frame_count_ == fetched_frame_ && screen_memory_ == fetched_screen_) return;
  for (int c = 0; c < kScreenColumns; c++) {
    row_codes_[c] = get_screen_char(c, row);
    row_colours_[c] = get_char_color(c, row);
  }
  fetched_row_ = row;
  fetched_frame_ = frame_count_;
  fetched_screen_ = screen_memory_;
}

bool Vic::in_side_border(int px, int y) const {
  if (!forty_columns() && (px <= kNarrowLeft || px > kNarrowRight)) return true;
  return !twenty_five_rows() && (y <= kShortTop || y >= kShortBottom);
}

void Vic::draw_raster_char_mode() {
  int r = raster_counter();
  if (r < kFirstDisplayLine || r > kLastDisplayLine || is_screen_off()) return;
  int y = r - kFirstVisibleLine;
  if (forty_columns()) {
    io_->screen_draw_rect(kScreenLeft, y, kWideWidth, background_colours_[0]);
  } else {
    io_->screen_draw_rect(kNarrowLeft, y, kNarrowWidth, background_colours_[0]);
  }
  y_scroll_offset_ = vertical_scroll() - kDefaultYScroll;
  int line = r - kFirstDisplayLine - y_scroll_offset_;
  int row = line / kCellWidth;
  int char_line = line % kCellWidth;
  fetch_row(row);
  for (int c = 0; c < kScreenColumns; c++) {
    int x = kScreenLeft + kCellWidth * c;
    uint8_t ch = row_codes_[c];
    uint8_t data = get_char_data(ch, char_line);
    uint8_t colour = row_colours_[c];
    if (graphic_mode_ == kExtendedBackgroundMode) {
      draw_ext_backcolor_char(x, y, data, colour, ch);
    } else if (graphic_mode_ == kMulticolourCharacterMode && (colour & 0x08) != 0) {
      draw_mcchar(x, y, data, colour & 0x07);
    } else {
      // Multicolour mode shows colours 0-7 as ordinary characters.
      draw_char(x, y, data, colour);
    }
  }
}

// ECM with BMM or MCM: the chip shows black where the screen would be.
void Vic::draw_raster_invalid_mode() {
  int r = raster_counter();
  if (r < kFirstDisplayLine || r > kLastDisplayLine || is_screen_off()) return;
  io_->screen_draw_rect(kScreenLeft, r - kFirstVisibleLine, kWideWidth, kBlack);
}

void Vic::draw_char(int x, int y, uint8_t data, int colour) { draw_hires_char(x, y, data, colour, -1); }

void Vic::draw_ext_backcolor_char(int x, int y, uint8_t data, int colour, int ch) {
  int background = (ch & 0xFF) >> kExtendedBackgroundShift;
  draw_hires_char(x, y, data, colour, background == 0 ? -1 : background_colours_[background]);
}

// Bit 7 is the leftmost pixel. A clear bit keeps the background already
// painted, or paints clear_colour when that is not -1.
void Vic::draw_hires_char(int x, int y, uint8_t data, int colour, int clear_colour) {
  for (int i = 0; i < 8; i++) {
    int px = x + 8 - i + horizontal_scroll();
    if (px > kRightEdge) continue;
    if (in_side_border(px, y)) {
      io_->screen_update_pixel(px, y, border_colour_);
    } else if (data & (1u << i)) {
      io_->screen_update_pixel(px, y, colour);
    } else if (clear_colour >= 0) {
      io_->screen_update_pixel(px, y, clear_colour);
    }
  }
}

// Bit pairs: %00 background 0, %01 background 1, %10 background 2, %11 colour.
void Vic::draw_mcchar(int x, int y, uint8_t data, int colour) {
  for (int i = 0; i < 4; i++) {
    int value = (data >> (2 * i)) & 3;
    int pair_colour = value == 3 ? colour : background_colours_[value];
    int px = x + 8 - 2 * i + horizontal_scroll();
    if (in_side_border(px, y)) {
      io_->screen_update_pixel(px, y, border_colour_);
      continue;
    }
    io_->screen_update_pixel(px, y, pair_colour);
    io_->screen_update_pixel(px + 1, y, pair_colour);
  }
}

void Vic::draw_raster_bitmap_mode() {
  int r = raster_counter();
  if (r < kFirstDisplayLine || r > kLastDisplayLine || is_screen_off()) return;
  int y = r - kFirstVisibleLine;
  io_->screen_draw_rect(kScreenLeft, y, kWideWidth, background_colours_[0]);
  int line = r - kFirstDisplayLine;
  int row = line / kCellWidth;
  int char_line = line % kCellWidth;
  fetch_row(row);
  for (int c = 0; c < kScreenColumns; c++) {
    int x = kScreenLeft + kCellWidth * c;
    uint8_t data = get_bitmap_data(c, row, char_line);
    if (graphic_mode_ == kBitmapMode) {
      draw_bitmap(x, y, data, row_codes_[c]);
    } else {
      draw_mcbitmap(x, y, data, row_codes_[c], row_colours_[c]);
    }
  }
}

// The screen byte holds the cell's colours: high nibble for set bits.
void Vic::draw_bitmap(int x, int y, uint8_t data, uint8_t screen_byte) {
  for (int i = 0; i < 8; i++) {
    int px = x + 8 - i + horizontal_scroll();
    if (px > kRightEdge) continue;
    io_->screen_update_pixel(px, y, (data & (1u << i)) ? screen_byte >> 4 : screen_byte & 0x0F);
  }
}

// Bit pairs: %00 background 0, %01 screen high nibble, %10 screen low
// nibble, %11 colour RAM.
void Vic::draw_mcbitmap(int x, int y, uint8_t data, uint8_t screen_byte, int colour) {
  for (int i = 0; i < 4; i++) {
    int value = (data >> (2 * i)) & 3;
    int pair_colour = value == 0   ? background_colours_[0]
                      : value == 1 ? screen_byte >> 4
                      : value == 2 ? screen_byte & 0x0F
                                   : colour;
    int px = x + 8 - 2 * i + horizontal_scroll();
    io_->screen_update_pixel(px, y, pair_colour);
    io_->screen_update_pixel(px + 1, y, pair_colour);
  }
}

// Sprite 0 is painted last, so it covers the others; every sprite is in
// front of the screen.
void Vic::draw_raster_sprites() {
  if (sprite_enable_ == 0) return;
  int r = raster_counter();
  int y = r - kFirstVisibleLine;
  int sy = r - kSpriteYOffset;
  for (int n = kSprites - 1; n >= 0; n--) {
    if (!is_sprite_enabled(n)) continue;
    bool tall = is_double_height_sprite(n);
    int height = tall ? 2 * kSpriteHeight : kSpriteHeight;
    if (sy < sprite_y_[n] || sy >= sprite_y_[n] + height) continue;
    int row = tall ? (sy - sprite_y_[n]) / 2 : sy - sprite_y_[n];
    int x = sprite_x(n) + kSpriteXOffset;
    if (is_multicolor_sprite(n)) {
      draw_mcsprite(x, y, n, row);
    } else {
      draw_sprite(x, y, n, row);
    }
  }
}

// Sprites are clipped to the screen window as the border narrows it.
void Vic::paint_sprite_pixel(int px, int y, int colour) {
  int side = forty_columns() ? 0 : 8;
  int top = twenty_five_rows() ? 0 : 2;
  int bottom = twenty_five_rows() ? 0 : 4;
  if (px <= kScreenLeft + side || px > kRightEdge - side) return;
  if (y < kSpriteTop + top || y >= kSpriteBottom - bottom) return;
  io_->screen_update_pixel(px, y, colour);
}

void Vic::draw_sprite(int x, int y, int n, int row) {
  int w = is_double_width_sprite(n) ? 2 : 1;
  uint16_t data = static_cast<uint16_t>(get_sprite_ptr(n) + kSpriteBytesPerRow * row);
  for (int i = 0; i < w; i++) {
    for (int j = 0; j < kSpriteBytesPerRow; j++) {
      uint8_t byte = memory_ != nullptr ? memory_->vic_read_byte(static_cast<uint16_t>(data + j)) : 0;
      for (int k = 0; k < 8; k++)
        if (byte & (1u << k)) paint_sprite_pixel(x + i + 8 * w * (j + 1) - k * w, y, sprite_colours_[n]);
    }
  }
}

// Bit pairs: %00 transparent, %01 shared colour 0, %10 the sprite's own
// colour, %11 shared colour 1.
void Vic::draw_mcsprite(int x, int y, int n, int row) {
  int w = is_double_width_sprite(n) ? 2 : 1;
  uint16_t data = static_cast<uint16_t>(get_sprite_ptr(n) + kSpriteBytesPerRow * row);
  for (int i = 0; i < w; i++) {
    for (int j = 0; j < kSpriteBytesPerRow; j++) {
      uint8_t byte = memory_ != nullptr ? memory_->vic_read_byte(static_cast<uint16_t>(data + j)) : 0;
      for (int k = 0; k < 4; k++) {
        int value = (byte >> (2 * k)) & 3;
        if (value == 0) continue;
        int colour = value == 1   ? sprite_shared_colours_[0]
                     : value == 2 ? sprite_colours_[n]
                                  : sprite_shared_colours_[1];
        int px = x + i + 8 * w * (j + 1) - 2 * w * k;
        paint_sprite_pixel(px, y, colour);
        paint_sprite_pixel(px + 1, y, colour);
        if (w == 2) paint_sprite_pixel(px + 2, y, colour);
      }
    }
  }
}
