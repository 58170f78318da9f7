// The framebuffer the whole system draws into, chosen once at boot.
#pragma once
#include <stdint.h>

extern uint32_t g_fb_addr;
extern uint32_t g_fb_width;
extern uint32_t g_fb_height;
extern uint32_t g_fb_pitch;
extern uint8_t g_fb_bpp;

namespace korvan {

enum class FramebufferSource { Loader, DisplayAdapter, LoaderUnchecked };

// The loader's framebuffer when the record vouches for a usable one, else the
// display adapter in 800 x 600 x 16, else whatever the record holds.
FramebufferSource choose_framebuffer(const uint8_t* multiboot_record);

// Whether the chosen framebuffer can be drawn into at all.
bool framebuffer_usable();

}  // namespace korvan
