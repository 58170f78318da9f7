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
// (c64ptr) or to its monitor, and carries the hot keys: Esc in and out of
// the monitor, F10 a fresh machine, F12 frame skipping. Made once at boot;
// the mode survives the rebuilding of machines.
class IOKeyboardEventHandler : public korvan::drivers::KeyboardEventHandler {
 public:
  static constexpr uint8_t kMachineMode = 0;
  static constexpr uint8_t kMonitorMode = 1;

  void OnKeyDown(uint8_t code) override;
  void OnKeyUp(uint8_t code) override;
  uint8_t mode() const { return mode_; }

 private:
  volatile uint8_t mode_ = kMachineMode;
};
