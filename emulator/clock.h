// The machine's one time base: the running processor's cycle count, and the
// chips' next events scheduled against it.
//
// The processor core counts the cycles it executes; the video chip adds the
// cycles it takes from the processor (bad lines, sprite DMA). Everything
// else that keeps time (the CIAs' timers and clocks, the raster, the sound
// chip) reads now() and is run by serve() after the instruction during which
// its next event falls, so an interrupt reaches the processor at the
// instruction where it happens.
#pragma once
#include <stdint.h>

// A chip that keeps time by the clock.
class Clocked {
 public:
  // Brings the chip up to now; returns the cycle of its next event (an
  // interrupt line that may change), or a cycle far ahead when it has none.
  virtual uint32_t run(uint32_t now) = 0;

 protected:
  ~Clocked() = default;
};

class Clock {
 public:
  // A PAL C64's processor clock.
  static constexpr uint32_t kCyclesPerSecond = 985248;
  // The most cycles a chip may go without being run; chips without an event
  // name this far ahead.
  static constexpr uint32_t kIdleCycles = 1u << 20;
  static constexpr int kMaxChips = 4;

  // Over the counter of the running core; without one no time passes.
  explicit Clock(uint32_t* cycles = nullptr) : cycles_(cycles) {}
  Clock(const Clock&) = delete;
  Clock& operator=(const Clock&) = delete;

  void source(uint32_t* cycles) { cycles_ = cycles; }
  uint32_t now() const { return cycles_ != nullptr ? *cycles_ : 0; }
  // The processor stands still for this many cycles while time goes on.
  void stall(uint32_t cycles) {
    if (cycles_ == nullptr) return;
    *cycles_ += cycles;
    stalled_ += cycles;
  }
  // All the cycles stall() has added: now() less these is what the processor ran.
  uint32_t stalled() const { return stalled_; }

  // Runs the chip once to learn its first event; false when all slots are taken.
  bool attach(Clocked* chip);
  // A chip whose next event moved (a register write) names it here.
  void wake(const Clocked* chip, uint32_t at);
  // True once the earliest event's cycle has come; checked after every instruction.
  bool due() const { return static_cast<int32_t>(now() - next_) >= 0; }
  // Runs the chips whose events have come and takes the earliest next one.
  void serve();

 private:
  void settle();

  uint32_t* cycles_;
  Clocked* chips_[kMaxChips] = {};
  uint32_t at_[kMaxChips] = {};
  int chip_count_ = 0;
  uint32_t next_ = 0;
  uint32_t stalled_ = 0;
};
