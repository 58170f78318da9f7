// The kernel event handlers that belong to the machine's host bridge.
#pragma once
#include <stdint.h>

#include "drivers/keyboard.h"
#include "drivers/pit.h"

namespace korvan::drivers {
class TimestampClock;
}

// Milliseconds since the timer started; written only by the timer interrupt.
extern volatile uint32_t current_milli;

// Each tick moves current_milli on: by one, or, once follow() names a
// calibrated wall clock, to the wall clock's time, so that ticks the
// hardware (or an emulator) drops are not lost time.
class IOPITEventHandler : public korvan::drivers::PITEventHandler {
 public:
  // Called before the timer interrupt is enabled, or with it disabled.
  void follow(const korvan::drivers::TimestampClock* wall);
  void OnTick() override;

 private:
  const korvan::drivers::TimestampClock* wall_ = nullptr;
  uint32_t wall_base_ = 0;
};

// Routes key events, in the keyboard interrupt, to the running machine
// (c64ptr) or to its monitor, as the machine's mode says whose turn it is,
// and carries the hot keys: Esc in and out of the monitor (during a monitor
// command: stop it), F10 a fresh machine, F12 frame skipping. Releases always
// reach the machine's keyboard, so no key stays held across a turn. Made
// once at boot; each machine starts with the keyboard.
class IOKeyboardEventHandler : public korvan::drivers::KeyboardEventHandler {
 public:
  void OnKeyDown(uint8_t code) override;
  void OnKeyUp(uint8_t code) override;
};
