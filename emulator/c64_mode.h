// Whose turn it is at the keyboard, the machine's or the debugging monitor's,
// and with it whether the machine runs and who gets each key: one record,
// the machine's, changed in one place (change) with interrupts off. The
// keyboard interrupt brings Esc and F10 (interrupts are off there); the main
// loop brings the monitor's own steps (shown, a command begun and ended), and
// turns interrupts off for them. Whatever the timing, the machine runs only
// in kMachine, the monitor is shown and reads keys only in the other states,
// and each key goes to the one whose turn it was when it came.
#pragma once
#include <stdint.h>

class C64Mode {
 public:
  enum State : uint8_t {
    kMachine,   // the machine runs, and its keys go to it
    kEntering,  // Esc came: the machine stops after its pass, keys wait for the monitor
    kMonitor,   // the monitor is shown and reads a command line
    kCommand,   // the monitor runs a command line
    kStopping,  // Esc or F10 came during the command, which stops at its next look
  };
  enum Event : uint8_t {
    kEscape,         // keyboard interrupt: Esc
    kFreshMachine,   // keyboard interrupt: F10, the machine is to be rebuilt
    kShown,          // main loop: the machine stopped, the monitor is shown
    kCommandBegins,  // main loop: the monitor runs the line typed
    kCommandEnds,    // main loop: the command is done
  };
  // Keys typed ahead of the monitor; more are dropped.
  static constexpr uint32_t kMonitorKeys = 128;

  C64Mode();
  C64Mode(const C64Mode&) = delete;
  C64Mode& operator=(const C64Mode&) = delete;

  // From the keyboard interrupt. False when the event changes nothing.
  bool on_interrupt(Event event) { return change(event); }
  // From the main loop, with interrupts off for the change. False when the
  // event does not apply to the state it finds (a key was quicker): the
  // monitor is then not shown, the command not run.
  bool from_main_loop(Event event);

  State state() const { return state_; }
  bool machine_runs() const { return state_ == kMachine; }
  bool monitor_shown() const { return state_ >= kMonitor; }
  // A running command looks here and stops early.
  bool command_stopping() const { return state_ == kStopping; }
  // F10 came: the main loop ends the machine after its pass, and Esc no
  // longer enters the monitor.
  bool exit_requested() const { return exit_requested_; }

  // From the keyboard interrupt: the key is queued for the monitor, true, if
  // the keyboard is the monitor's; false: it is the machine's.
  bool offer_monitor_key(uint8_t key);
  // From the main loop: the next key typed to the monitor, false if none
  // or if the monitor is not shown.
  bool take_monitor_key(uint8_t& key);
  bool monitor_keys_waiting() const { return keys_head_ != keys_tail_; }

 private:
  bool change(Event event);
  void enter(State state);

  volatile State state_ = kMachine;
  volatile bool exit_requested_ = false;
  volatile uint8_t keys_[kMonitorKeys] = {};
  volatile uint32_t keys_head_ = 0;
  volatile uint32_t keys_tail_ = 0;
};
