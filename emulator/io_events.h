// The kernel event handlers that belong to the machine's host bridge.
#pragma once
#include <stdint.h>

#include "drivers/keyboard.h"
#include "drivers/pit.h"

// Milliseconds since the timer started; written only by the timer interrupt.
extern volatile uint32_t current_milli;

class IOPITEventHandler : public korvan::drivers::PITEventHandler {
 public:
  void OnTick() override;
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
