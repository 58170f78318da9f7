// Turns raw PS/2 set-1 scancodes from the ring into the characters the C64
// face types, keeping the shift state between bytes.
#pragma once
#include <stdint.h>

class ScanDecoder {
 public:
  static constexpr uint8_t kReleased = 0x80;
  static constexpr uint8_t kLeftShift = 0x2A;
  static constexpr uint8_t kRightShift = 0x36;
  static constexpr uint8_t kF11 = 0x57;

  // The character of one scancode, or 0 for none: shift presses and
  // releases, other releases (the extended prefix $E0 among them) and keys
  // without a character give 0.
  uint8_t decode(uint8_t byte);
  // The unshifted character of a scancode without its release bit.
  static uint8_t unshifted(uint8_t code);
  bool shift_down() const { return shift_down_; }

 private:
  bool shift_down_ = false;
};
