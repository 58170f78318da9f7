// Storing one palette colour into a framebuffer pixel of any depth.
//
// Colours are kept as RGB565. Deeper framebuffers take the channels shifted to
// the top of each byte (no low-bit fill), so a colour looks the same whichever
// depth the loader handed over; the console, the boot marks and the fatal
// squares all store through here.
#pragma once
#include <stdint.h>

inline uint8_t fb_bytes_per_pixel(uint8_t bpp) { return static_cast<uint8_t>((bpp + 7) / 8); }

inline void fb_store_rgb565(uint8_t* pixel, uint8_t bpp, uint16_t rgb565) {
  if (bpp <= 16) {
    uint16_t value = rgb565;
    if (bpp == 15) value = static_cast<uint16_t>(((rgb565 >> 1) & 0x7FE0) | (rgb565 & 0x001F));
    pixel[0] = static_cast<uint8_t>(value);
    pixel[1] = static_cast<uint8_t>(value >> 8);
    return;
  }
  // 24 and 32 bits: blue, green, red; a fourth byte is left alone.
  pixel[0] = static_cast<uint8_t>((rgb565 & 0x001F) << 3);
  pixel[1] = static_cast<uint8_t>(((rgb565 >> 5) & 0x003F) << 2);
  pixel[2] = static_cast<uint8_t>(((rgb565 >> 11) & 0x001F) << 3);
}
