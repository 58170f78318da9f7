// Collects the console's output through its mirror hook.
#include "hosted/console_capture.h"

#include "lib/vga.h"

namespace korvan::hosted {

namespace {

constexpr unsigned kCapacity = 1 << 20;
char g_text[kCapacity + 1];
unsigned g_length = 0;

void capture_byte(uint8_t byte) {
  if (g_length < kCapacity) g_text[g_length++] = static_cast<char>(byte);
  g_text[g_length] = 0;
}

}  // namespace

ConsoleCapture::ConsoleCapture() {
  reset();
  vga_set_mirror(capture_byte);
}

ConsoleCapture::~ConsoleCapture() { vga_set_mirror(nullptr); }

const char* ConsoleCapture::text() const { return g_text; }

void ConsoleCapture::reset() {
  g_length = 0;
  g_text[0] = 0;
}

}  // namespace korvan::hosted
