// The host display: the face's text screen in its colours, with the 5 x 7
// font and the character ROM's graphics, or the video frame scaled onto the
// framebuffer, at 16, 24 or 32 bits per pixel.
#include "emulator/face_cells.h"
#include "emulator/font5x7.h"
#include "emulator/io.h"
#include "emulator/memory.h"
#include "lib/pixel.h"
#include "lib/string.h"

namespace {
constexpr uint8_t kBlankCode = 0x20;
constexpr int kCharacterRomGlyphSize = 8;
constexpr uint32_t kLowerCaseSetOffset = 0x800;
constexpr uint8_t kPaletteBlue = 6;
constexpr uint8_t kPaletteLightBlue = 14;
}  // namespace

void IO::store_pixel(uint32_t x, uint32_t y, uint16_t rgb565) {
  uint8_t* row = reinterpret_cast<uint8_t*>(framebuffer_) + y * pitch_;
  fb_store_rgb565(row + x * bytes_per_pixel_, bpp_, rgb565);
}

void IO::fill_box(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom, uint16_t rgb565) {
  for (uint32_t y = top; y < bottom && y < height_; y++)
    for (uint32_t x = left; x < right && x < width_; x++) store_pixel(x, y, rgb565);
}

// The text view keeps its long-standing blue and light blue, so that a screen
// in the start-up colours looks as it always has; the other colours are the
// video palette's.
uint16_t IO::text_colour(uint8_t index) const {
  if ((index & 0x0F) == kPaletteBlue) return kFaceBackground;
  if ((index & 0x0F) == kPaletteLightBlue) return kFaceForeground;
  return palette(index);
}

// Letters, digits and punctuation take the 5 x 7 font as 2 x 2 dots; the
// C64's own symbols take the character ROM's glyph stretched over the whole
// 12 x 18 cell, so that lines and blocks meet their neighbours as on the C64.
// A reversed code swaps ink and paper. Pixels beyond the framebuffer are
// skipped.
void IO::draw_face_cell(int r, int c, uint8_t code, uint8_t colour) {
  uint32_t left = kFaceOrigin + kFaceCellWidth * c;
  uint32_t top = kFaceOrigin + kFaceCellHeight * r;
  bool reversed = (code & kScreenCodeReverse) != 0;
  uint16_t ink = text_colour(colour);
  uint16_t paper = text_colour(g_face_cells.background);
  if (reversed) {
    uint16_t swap = ink;
    ink = paper;
    paper = swap;
  }
  fill_box(left, top, left + kFaceCellWidth, top + kFaceCellHeight, paper);
  uint8_t ascii = screen_code_ascii(code, g_face_cells.lower_case);
  if (ascii == kBlankCode) return;
  if (ascii == 0) {
    draw_rom_glyph(left, top, code, ink);
    return;
  }
  const uint8_t* glyph = &font5x7[(ascii - kFont5x7FirstCode) * kFont5x7Rows];
  for (int k = 0; k < kFont5x7Rows; k++) {
    for (int l = 0; l < kFont5x7Columns; l++) {
      if ((glyph[k] & (1u << (kFont5x7Columns - 1 - l))) == 0) continue;
      uint32_t x = left + kFaceDotSize * l;
      uint32_t y = top + kFaceDotSize * k;
      fill_box(x, y, x + kFaceDotSize, y + kFaceDotSize, ink);
    }
  }
}

// Nearest neighbour from the 8 x 8 glyph; ink only, the paper is down.
void IO::draw_rom_glyph(uint32_t left, uint32_t top, uint8_t code, uint16_t ink) {
  if (memory_ == nullptr) return;
  uint32_t base = (g_face_cells.lower_case ? kLowerCaseSetOffset : 0) +
                  static_cast<uint32_t>(code & static_cast<uint8_t>(~kScreenCodeReverse)) * kCharacterRomGlyphSize;
  const uint8_t* glyph = memory_->character_rom() + base;
  for (uint32_t dy = 0; dy < kFaceCellHeight; dy++) {
    uint8_t bits = glyph[dy * kCharacterRomGlyphSize / kFaceCellHeight];
    for (uint32_t dx = 0; dx < kFaceCellWidth; dx++) {
      uint32_t x = left + dx, y = top + dy;
      if ((bits & (0x80u >> (dx * kCharacterRomGlyphSize / kFaceCellWidth))) != 0 && x < width_ && y < height_)
        store_pixel(x, y, ink);
    }
  }
}

// Everything the text view shows, or (everything false) only what differs
// from what it drew last: a cell whose code or colour changed, all cells when
// the background or the character set did, the border when its colour did.
// Repainting 800 x 600 pixels for one typed key would flicker and cost a
// frame's time.
void IO::draw_face_screen(bool everything) {
  const FaceCells& cells = g_face_cells;
  bool all = everything || !face_drawn_valid_ || cells.background != face_drawn_.background ||
             cells.lower_case != face_drawn_.lower_case;
  if (all || cells.border != face_drawn_.border) {
    uint16_t border = text_colour(cells.border);
    uint32_t right = kFaceOrigin + kFaceCellWidth * kFaceScreenColumns;
    uint32_t bottom = kFaceOrigin + kFaceCellHeight * kFaceScreenRows;
    fill_box(0, 0, width_, kFaceOrigin, border);
    fill_box(0, bottom, width_, height_, border);
    fill_box(0, kFaceOrigin, kFaceOrigin, bottom, border);
    fill_box(right, kFaceOrigin, width_, bottom, border);
  }
  for (int r = 0; r < kFaceScreenRows; r++) {
    for (int c = 0; c < kFaceScreenColumns; c++) {
      int i = r * kFaceScreenColumns + c;
      uint8_t code = cells.codes[i], colour = cells.colours[i];
      if (!all && face_drawn_.codes[i] == code && face_drawn_.colours[i] == colour) continue;
      draw_face_cell(r, c, code, colour);
    }
  }
  face_drawn_ = cells;
  face_drawn_valid_ = true;
}

// Nearest neighbour, truncating: host pixel (x, y) shows frame pixel
// (x x frame width / host width, y x frame height / host height). Each frame
// row is converted once into the row buffer, in the framebuffer's format, and
// copied to every host row that shows it: the framebuffer is only written,
// never read back (slow on real cards), and the work per frame is a frame's
// pixels plus copies.
void IO::draw_video_frame() {
  if (frame_ == nullptr || columns_ == nullptr || row_ == nullptr) return;
  uint32_t row_bytes = width_ * bytes_per_pixel_;
  uint32_t converted = kFrameHeight;
  for (uint32_t y = 0; y < height_; y++) {
    uint32_t source_row = y * kFrameHeight / height_;
    if (source_row != converted) {
      const uint16_t* source = frame_ + source_row * kFrameWidth;
      for (uint32_t x = 0; x < width_; x++)
        fb_store_rgb565(row_ + x * bytes_per_pixel_, bpp_, palette_[source[columns_[x]] & 0x0F]);
      converted = source_row;
    }
    memcpy(reinterpret_cast<uint8_t*>(framebuffer_) + y * pitch_, row_, row_bytes);
  }
  face_drawn_valid_ = false;
}

bool IO::can_draw() const { return framebuffer_ != nullptr && bytes_per_pixel_ >= 2; }

void IO::screen_redraw() {
  if (!can_draw()) return;
  draw(true);
}

void IO::draw(bool everything) {
  if (g_face_active != 0 && g_video_view == 0) {
    draw_face_screen(everything);
  } else {
    draw_video_frame();
  }
  sync();
  skip_ctr_ = 0;
}

// Without a framebuffer (a machine run headless) there is nothing to draw
// and nothing to pace.
void IO::screen_refresh() {
  if (!can_draw()) return;
  if (frame_skip_ == 0 || skip_ctr_ == frame_skip_) {
    draw(false);
    // The face path leaves the skip counter at 0 for the next call.
    if (g_face_active != 0 && g_video_view == 0) return;
  }
  if (frame_skip_ != 0) {
    skip_ctr_++;
  } else {
    skip_ctr_ = 0;
  }
}
