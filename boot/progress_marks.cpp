// The boot progress marks.
#include "boot/progress_marks.h"

#include "boot/framebuffer.h"
#include "core/x86.h"
#include "lib/pixel.h"

namespace korvan {

static constexpr uint32_t kMarkSide = 32;
static constexpr uint32_t kMarkSpacing = 40;

void fill_framebuffer_square(uint32_t left, uint32_t top, uint32_t side, uint16_t rgb565) {
  if (!framebuffer_usable()) return;
  uint8_t bytes_per_pixel = fb_bytes_per_pixel(g_fb_bpp);
  for (uint32_t y = top; y < top + side && y < g_fb_height; y++) {
    uint8_t* row = x86::physical(g_fb_addr + y * g_fb_pitch);
    for (uint32_t x = left; x < left + side && x < g_fb_width; x++)
      fb_store_rgb565(row + x * bytes_per_pixel, g_fb_bpp, rgb565);
  }
}

void draw_progress_mark(ProgressMark mark) {
  static const uint16_t kMarkColours[4] = {0x07E0, 0x07FF, 0xFFE0, 0xFFFF};
  unsigned index = static_cast<unsigned>(mark) - 1;
  if (index >= 4) return;
  fill_framebuffer_square(kMarkSpacing * index, 0, kMarkSide, kMarkColours[index]);
}

void paint_fatal_square(uint32_t side, uint16_t rgb565) { fill_framebuffer_square(0, 0, side, rgb565); }

}  // namespace korvan
