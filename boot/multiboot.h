// The fields of the multiboot information record that the kernel reads, at
// their byte offsets. The record is read byte-wise so that synthetic records
// built by host tests are read exactly as the loader's.
#pragma once
#include <stdint.h>

namespace korvan::multiboot {

constexpr uint32_t kFlagMemory = 1u << 0;
constexpr uint32_t kFlagFramebuffer = 1u << 12;

constexpr uint32_t kOffsetFlags = 0;
constexpr uint32_t kOffsetMemUpper = 8;
constexpr uint32_t kOffsetFramebufferAddr = 88;  // 64 bits
constexpr uint32_t kOffsetFramebufferPitch = 96;
constexpr uint32_t kOffsetFramebufferWidth = 100;
constexpr uint32_t kOffsetFramebufferHeight = 104;
constexpr uint32_t kOffsetFramebufferBpp = 108;  // 8 bits

inline uint32_t read32(const uint8_t* record, uint32_t offset) {
  const uint8_t* p = record + offset;
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline uint32_t flags(const uint8_t* r) { return read32(r, kOffsetFlags); }
inline uint32_t mem_upper(const uint8_t* r) { return read32(r, kOffsetMemUpper); }
inline uint32_t framebuffer_addr_low(const uint8_t* r) { return read32(r, kOffsetFramebufferAddr); }
inline uint32_t framebuffer_addr_high(const uint8_t* r) { return read32(r, kOffsetFramebufferAddr + 4); }
inline uint32_t framebuffer_pitch(const uint8_t* r) { return read32(r, kOffsetFramebufferPitch); }
inline uint32_t framebuffer_width(const uint8_t* r) { return read32(r, kOffsetFramebufferWidth); }
inline uint32_t framebuffer_height(const uint8_t* r) { return read32(r, kOffsetFramebufferHeight); }
inline uint8_t framebuffer_bpp(const uint8_t* r) { return r[kOffsetFramebufferBpp]; }

}  // namespace korvan::multiboot
