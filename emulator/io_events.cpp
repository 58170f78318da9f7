// The kernel event handlers of the machine's host bridge.
#include "emulator/io_events.h"

#include "drivers/timestamp_clock.h"
#include "emulator/c64.h"
#include "emulator/io.h"
#include "emulator/monitor.h"

using namespace korvan::drivers;

volatile uint32_t current_milli = 0;

void IOPITEventHandler::follow(const TimestampClock* wall) {
  wall_ = wall;
  if (wall_ != nullptr) wall_base_ = current_milli - wall_->Millis();
}

// The timer runs at about 1000 Hz.
void IOPITEventHandler::OnTick() {
  current_milli = wall_ != nullptr ? wall_base_ + wall_->Millis() : current_milli + 1;
}

void IOKeyboardEventHandler::OnKeyDown(uint8_t code) {
  C64* machine = c64ptr;
  if (machine == nullptr || machine->io == nullptr || machine->monitor == nullptr) return;
  if (code == kKeyEscape) {
    machine->mode.on_interrupt(C64Mode::kEscape);
    return;
  }
  if (code == kKeyF10) {
    // From the monitor too: it is left first, so the rebuild is not held up.
    machine->mode.on_interrupt(C64Mode::kFreshMachine);
    return;
  }
  if (code == kKeyF12) machine->io->toggle_frame_skip();
  if (!machine->mode.offer_monitor_key(code)) machine->io->OnKeyDown(code);
}

void IOKeyboardEventHandler::OnKeyUp(uint8_t code) {
  C64* machine = c64ptr;
  if (machine == nullptr || machine->io == nullptr || machine->monitor == nullptr) return;
  machine->io->OnKeyUp(code);
}
