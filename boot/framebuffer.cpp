// Choosing the framebuffer.
#include "boot/framebuffer.h"

#include "boot/display_adapter.h"
#include "boot/multiboot.h"

uint32_t g_fb_addr = 0;
uint32_t g_fb_width = 0;
uint32_t g_fb_height = 0;
uint32_t g_fb_pitch = 0;
uint8_t g_fb_bpp = 0;

namespace korvan {

static constexpr uint32_t kMinimumWidth = 320;
static constexpr uint8_t kMinimumBpp = 15;
static constexpr uint16_t kAdapterWidth = 800;
static constexpr uint16_t kAdapterHeight = 600;
static constexpr uint16_t kAdapterBpp = 16;

static void take_loader_framebuffer(const uint8_t* record) {
  g_fb_addr = multiboot::framebuffer_addr_low(record);
  g_fb_width = multiboot::framebuffer_width(record);
  g_fb_height = multiboot::framebuffer_height(record);
  g_fb_pitch = multiboot::framebuffer_pitch(record);
  g_fb_bpp = multiboot::framebuffer_bpp(record);
}

static bool loader_framebuffer_acceptable(const uint8_t* record) {
  bool has_address = multiboot::framebuffer_addr_low(record) != 0 || multiboot::framebuffer_addr_high(record) != 0;
  return (multiboot::flags(record) & multiboot::kFlagFramebuffer) && has_address &&
         multiboot::framebuffer_width(record) >= kMinimumWidth && multiboot::framebuffer_bpp(record) >= kMinimumBpp;
}

FramebufferSource choose_framebuffer(const uint8_t* record) {
  if (loader_framebuffer_acceptable(record)) {
    take_loader_framebuffer(record);
    return FramebufferSource::Loader;
  }
  if (vbe_set_mode(kAdapterWidth, kAdapterHeight, kAdapterBpp)) {
    uint32_t lfb = vbe_find_lfb();
    if (lfb != 0) {
      g_fb_addr = lfb;
      g_fb_width = kAdapterWidth;
      g_fb_height = kAdapterHeight;
      g_fb_pitch = kAdapterWidth * (kAdapterBpp / 8);
      g_fb_bpp = kAdapterBpp;
      return FramebufferSource::DisplayAdapter;
    }
  }
  take_loader_framebuffer(record);
  return FramebufferSource::LoaderUnchecked;
}

bool framebuffer_usable() { return g_fb_addr != 0 && g_fb_pitch != 0 && g_fb_bpp >= kMinimumBpp; }

}  // namespace korvan
