// What the two bootable images' main-loop passes differ in. Each image's
// outer loop builds its machine with one of these; the pass itself is one.
#pragma once
#include <stdint.h>

struct PassShape {
  // Instructions per batch, and batches per pass; the keyboard controller is
  // polled before each batch.
  uint32_t batch_instructions;
  uint32_t batches;
  // The substrate's faces tick with the machine.
  bool substrate;
  // Shift, the cursor keys, F11 and the serial terminal reach the machine;
  // otherwise only unshifted characters can be typed.
  bool full_keyboard;
  // Held to a C64's speed against the wall clock (the warp key lets it free).
  bool real_speed;
  // Typed into the keyboard buffer once per boot, when the machine has run
  // script_after instructions; null for none.
  const char* script;
  uint32_t script_after;
};

// The image people boot.
inline constexpr PassShape kKernelImagePass = {12000, 1, true, true, true, nullptr, 0};

// The self-test image: twenty smaller batches per pass, no substrate,
// unshifted keys, unthrottled, and its test line typed once READY. is there.
inline constexpr PassShape kSelfTestPass = {10000, 20, false, false, false, "PRINT 3+4\r", 4000000};
