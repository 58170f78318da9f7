// The emulated machine: owns its chips and host bridge, wires them, and runs
// the main loop that drives the running processor through the C64 face.
#pragma once
#include <stdint.h>

#include "emulator/c64_mode.h"
#include "emulator/pass_shape.h"

class Clock;
class Cpu;
class Cia1;
class Cia2;
class Memory;
class IO;
class Sid;
class Vic;
class Monitor;

class C64 {
 public:
  static constexpr uint32_t kInstructionsPerPass = kKernelImagePass.batch_instructions * kKernelImagePass.batches;
  // Passes since boot during which the screen is redrawn unconditionally.
  static constexpr uint32_t kStartupRedrawPasses = 119;
  // The controller holds one byte; this many reads per pass at most.
  static constexpr int kPollLimit = 16;

  explicit C64(const PassShape& shape = kKernelImagePass);
  ~C64();
  C64(const C64&) = delete;
  C64& operator=(const C64&) = delete;

  // Binds and resets the face on this machine's memory, then runs passes
  // until one reports that the machine is done.
  void start();
  // The start-up steps of start(), for drivers that run the passes themselves.
  void begin();
  // One pass of the main loop; false when start() is to return.
  bool run_pass();
  // From the keyboard interrupt (F10): start() returns after the current pass.
  void request_exit() { mode.on_interrupt(C64Mode::kFreshMachine); }
  bool running() const { return mode.machine_runs(); }

  // Passes completed since boot, over every machine built.
  static uint32_t passes_since_boot();

  // Whether the machine or its monitor has the keyboard; Esc and F10 from
  // the keyboard interrupt change it, and the passes follow it.
  C64Mode mode;
  Cpu* cpu = nullptr;
  Cia1* cia1 = nullptr;
  Cia2* cia2 = nullptr;
  Memory* mem = nullptr;
  IO* io = nullptr;
  Sid* sid = nullptr;
  Vic* vic = nullptr;
  Monitor* monitor = nullptr;
  // The chips' time base over the running core's cycle count.
  Clock* clock = nullptr;

 private:
  bool copy_face_text();
  // Binding the face to this machine (its LOAD/SAVE service included) for a
  // fresh start, taking the monitor's turn (the screen repainted afterwards),
  // and the end of a pass (counted, redrawn by the rule, mirrored to COM1).
  void start_face();
  void enter_monitor();
  // picture_due: the video view's picture is drawn this pass.
  void finish_pass(bool text_changed, bool picture_due);
  // Scancodes typed while the monitor had the keyboard only move the shift state.
  void drain_scan_ring();
  void drain_serial_input(bool deliver);
  // The pass's instructions, in the shape's batches.
  void run_batches();

  const PassShape shape_;

  // Set when the host screen must be drawn whatever the text did: a new
  // machine, or the monitor's text to paint over.
  bool redraw_pending_ = true;
};

// The running machine, for the keyboard interrupt; null between machines.
extern C64* volatile c64ptr;
// Characters delivered to the face since boot.
extern uint32_t g_dbg_facekeys;
