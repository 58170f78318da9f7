// The host display: the face's text screen with the 5 x 7 font, or the video
// frame scaled onto the framebuffer, at 16, 24 or 32 bits per pixel.
#include "emulator/font5x7.h"
#include "emulator/io.h"
#include "lib/pixel.h"

namespace {
constexpr uint8_t kBlankCode = 0x20;
constexpr uint8_t kLastGlyphCode = 0x7F;
}  // namespace

void IO::store_pixel(uint32_t x, uint32_t y, uint16_t rgb565) {
  uint8_t* row = reinterpret_cast<uint8_t*>(framebuffer_) + y * pitch_;
  fb_store_rgb565(row + x * bytes_per_pixel_, bpp_, rgb565);
}

// One cell: its 12 x 18 box in the background colour, then the glyph's
// dots as 2 x 2 blocks; pixels beyond the framebuffer are skipped.
void IO::draw_face_cell(int r, int c, uint8_t code) {
  uint32_t left = kFaceOrigin + kFaceCellWidth * c;
  uint32_t top = kFaceOrigin + kFaceCellHeight * r;
  for (uint32_t y = top; y < top + kFaceCellHeight && y < height_; y++)
    for (uint32_t x = left; x < left + kFaceCellWidth && x < width_; x++) store_pixel(x, y, kFaceBackground);
  if (code < kFont5x7FirstCode || code > kLastGlyphCode || code == kBlankCode) return;
  const uint8_t* glyph = &font5x7[(code - kFont5x7FirstCode) * kFont5x7Rows];
  for (int k = 0; k < kFont5x7Rows; k++) {
    for (int l = 0; l < kFont5x7Columns; l++) {
      if ((glyph[k] & (1u << (kFont5x7Columns - 1 - l))) == 0) continue;
      for (uint32_t dy = 0; dy < kFaceDotSize; dy++) {
        for (uint32_t dx = 0; dx < kFaceDotSize; dx++) {
          uint32_t x = left + kFaceDotSize * l + dx;
          uint32_t y = top + kFaceDotSize * k + dy;
          if (x < width_ && y < height_) store_pixel(x, y, kFaceForeground);
        }
      }
    }
  }
}

// The whole screen blue with every cell, or (everything false) only the
// cells whose character differs from the one drawn last: repainting 800 x
// 600 pixels for one typed key would flicker and cost a frame's time.
void IO::draw_face_screen(bool everything) {
  if (everything || !face_drawn_valid_) {
    for (uint32_t y = 0; y < height_; y++)
      for (uint32_t x = 0; x < width_; x++) store_pixel(x, y, kFaceBackground);
  }
  for (int r = 0; r < kFaceScreenRows; r++) {
    for (int c = 0; c < kFaceScreenColumns; c++) {
      int i = r * kFaceScreenColumns + c;
      uint8_t code = g_face_screen[i];
      if (!everything && face_drawn_valid_ && face_drawn_[i] == code) continue;
      draw_face_cell(r, c, code);
      face_drawn_[i] = code;
    }
  }
  face_drawn_valid_ = true;
}

// Nearest neighbour, truncating: host pixel (x, y) shows frame pixel
// (x / scale x, y / scale y).
void IO::draw_video_frame() {
  if (frame_ == nullptr || scaled_ == nullptr) return;
  for (uint32_t y = 0; y < height_; y++) {
    uint32_t source_row = static_cast<uint32_t>(y / scale_y_);
    if (source_row >= kFrameHeight) source_row = kFrameHeight - 1;
    for (uint32_t x = 0; x < width_; x++) {
      uint32_t source_column = static_cast<uint32_t>(x / scale_x_);
      if (source_column >= kFrameWidth) source_column = kFrameWidth - 1;
      scaled_[y * width_ + x] = frame_[source_row * kFrameWidth + source_column];
    }
  }
  for (uint32_t y = 0; y < height_; y++)
    for (uint32_t x = 0; x < width_; x++) store_pixel(x, y, palette_[scaled_[y * width_ + x] & 0x0F]);
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
