// Turns raw PS/2 set-1 scancodes from the ring into the PETSCII characters
// the C64 face types, keeping the state of Shift, C= (either Alt) and CTRL
// (either Ctrl) between bytes, as the C64's keyboard scan combines them.
#pragma once
#include <stdint.h>

class ScanDecoder {
 public:
  static constexpr uint8_t kReleased = 0x80;
  static constexpr uint8_t kLeftShift = 0x2A;
  static constexpr uint8_t kRightShift = 0x36;
  static constexpr uint8_t kControl = 0x1D;  // CTRL: Ctrl (the right one behind $E0)
  static constexpr uint8_t kAlt = 0x38;      // C=: Alt (the right one behind $E0)
  static constexpr uint8_t kF11 = 0x57;
  static constexpr uint8_t kExtendedPrefix = 0xE0;

  // The character of one scancode, or 0 for none: modifier presses and
  // releases, other releases (the extended prefix $E0 among them) and keys
  // without a character give 0. Shift with C= gives 0 and asks for the
  // character set to be switched (take_set_switch).
  uint8_t decode(uint8_t byte);
  // True once after Shift and C= came down together.
  bool take_set_switch();
  // The unshifted character of a scancode without its release bit.
  static uint8_t unshifted(uint8_t code);
  bool shift_down() const { return shift_down_; }

 private:
  bool modifier(uint8_t code, bool released);

  bool shift_down_ = false;
  bool commodore_down_ = false;
  bool control_down_ = false;
  bool set_switch_ = false;
  bool extended_ = false;
};
