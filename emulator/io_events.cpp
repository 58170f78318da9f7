// The kernel event handlers of the machine's host bridge.
#include "emulator/io_events.h"

#include "emulator/c64.h"
#include "emulator/io.h"
#include "emulator/monitor.h"

using namespace korvan::drivers;

volatile uint32_t current_milli = 0;

// The timer runs at about 1000 Hz.
void IOPITEventHandler::OnTick() { current_milli = current_milli + 1; }

void IOKeyboardEventHandler::OnKeyDown(uint8_t code) {
  C64* machine = c64ptr;
  if (machine == nullptr || machine->io == nullptr || machine->monitor == nullptr) return;
  if (code == kKeyEscape) {
    if (mode_ == kMachineMode) {
      mode_ = kMonitorMode;
      machine->stop();
    } else {
      mode_ = kMachineMode;
      machine->resume();
    }
    return;
  }
  if (code == kKeyF10) {
    // From the monitor too: it is left first, so the rebuild is not held up.
    if (mode_ == kMonitorMode) {
      mode_ = kMachineMode;
      machine->resume();
    }
    machine->request_exit();
    return;
  }
  if (code == kKeyF12) machine->io->toggle_frame_skip();
  if (mode_ == kMachineMode) {
    machine->io->OnKeyDown(code);
  } else {
    machine->monitor->OnKeyDown(code);
  }
}

void IOKeyboardEventHandler::OnKeyUp(uint8_t code) {
  C64* machine = c64ptr;
  if (machine == nullptr || machine->io == nullptr || machine->monitor == nullptr) return;
  if (mode_ == kMachineMode) {
    machine->io->OnKeyUp(code);
  } else {
    machine->monitor->OnKeyUp(code);
  }
}
