// The keyboard's turn between the machine and the monitor.
#include "emulator/c64_mode.h"

#include "core/x86.h"
#include "emulator/scan_ring.h"

C64Mode::C64Mode() { enter(kMachine); }

bool C64Mode::from_main_loop(Event event) {
  korvan::x86::disable_interrupts();
  bool changed = change(event);
  korvan::x86::enable_interrupts();
  return changed;
}

// The one place the state changes; interrupts are off.
bool C64Mode::change(Event event) {
  State now = state_;
  switch (event) {
    case kEscape:
      // After F10 the machine is on its way out: no monitor for it.
      if (exit_requested_) return false;
      if (now == kMachine) enter(kEntering);
      else if (now == kEntering || now == kMonitor) enter(kMachine);
      else if (now == kCommand) enter(kStopping);
      else return false;
      return true;
    case kFreshMachine:
      exit_requested_ = true;
      if (now == kEntering || now == kMonitor) enter(kMachine);
      else if (now == kCommand) enter(kStopping);
      return true;
    case kShown:
      if (now != kEntering) return false;
      enter(kMonitor);
      return true;
    case kCommandBegins:
      if (now != kMonitor) return false;
      enter(kCommand);
      return true;
    case kCommandEnds:
      if (now != kCommand && now != kStopping) return false;
      enter(exit_requested_ ? kMachine : kMonitor);
      return true;
  }
  return false;
}

// Keys typed to a monitor that is left are nobody's: they are dropped, and
// the scancodes that follow are the machine's again.
void C64Mode::enter(State state) {
  state_ = state;
  if (state == kMachine) keys_tail_ = keys_head_;
  g_scan_to_monitor = state == kMachine ? 0 : 1;
}

bool C64Mode::offer_monitor_key(uint8_t key) {
  if (state_ == kMachine) return false;
  if (keys_head_ - keys_tail_ < kMonitorKeys) {
    keys_[keys_head_ % kMonitorKeys] = key;
    keys_head_ = keys_head_ + 1;
  }
  return true;
}

// Only a shown monitor takes keys: those typed after Esc left it and Esc
// came again wait for the monitor shown next, not the one on its way out.
bool C64Mode::take_monitor_key(uint8_t& key) {
  korvan::x86::disable_interrupts();
  bool waiting = monitor_shown() && keys_tail_ != keys_head_;
  if (waiting) {
    key = keys_[keys_tail_ % kMonitorKeys];
    keys_tail_ = keys_tail_ + 1;
  }
  korvan::x86::enable_interrupts();
  return waiting;
}
