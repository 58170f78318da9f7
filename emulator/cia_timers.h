// What CIA 1 and CIA 2 share: the two interval timers, the time-of-day
// clock and the interrupt control register, kept by the machine's clock.
//
// The timers are computed on access: a register access or the clock's call
// first brings them up to the current cycle in closed form. The clock is
// asked to call again at the next underflow (or alarm tick) that could
// change the interrupt line, so the line changes at the instruction during
// which that happens.
#pragma once
#include <stdint.h>

#include "emulator/cia_time_of_day.h"
#include "emulator/clock.h"

class Cpu;

// One 16-bit down-counter: from the value it is loaded with down to 0, then
// the underflow reloads the latch, so a latch of N underflows every N + 1 counts.
struct CiaTimer {
  // What a count is: a processor cycle, an underflow of timer A (timer B
  // only), or a CNT pulse, which the C64 never gives.
  enum class Input : uint8_t { kCycles, kTimerA, kNothing };

  // Lets ticks counts pass; returns how many underflows they brought. In
  // one-shot mode the first underflow stops the timer.
  uint32_t count(uint32_t ticks);
  // Counts until the next underflow.
  uint32_t to_underflow() const { return counter + 1u; }

  // After reset both hold all ones.
  uint16_t latch = 0xFFFF;
  uint16_t counter = 0xFFFF;
  bool running = false;
  bool one_shot = false;
  Input input = Input::kCycles;
};

class CiaTimers final : public Clocked {
 public:
  // Register numbers (6526 names: TA LO/HI, TB LO/HI, TOD 10THS/SEC/MIN/HR,
  // ICR, CRA, CRB).
  static constexpr uint8_t kTimerALow = 0x04;
  static constexpr uint8_t kTimerAHigh = 0x05;
  static constexpr uint8_t kTimerBLow = 0x06;
  static constexpr uint8_t kTimerBHigh = 0x07;
  static constexpr uint8_t kTodTenths = 0x08;
  static constexpr uint8_t kTodHours = 0x0B;
  static constexpr uint8_t kInterruptControl = 0x0D;
  static constexpr uint8_t kControlA = 0x0E;
  static constexpr uint8_t kControlB = 0x0F;

  // Interrupt control bits.
  static constexpr uint8_t kTimerAInterrupt = 0x01;
  static constexpr uint8_t kTimerBInterrupt = 0x02;
  static constexpr uint8_t kAlarmInterrupt = 0x04;
  static constexpr uint8_t kInterruptSources = 0x1F;  // the serial port and FLAG never fire here
  static constexpr uint8_t kSetClear = 0x80;  // written: set (1) or clear (0) the named mask bits
  static constexpr uint8_t kInterruptOccurred = 0x80;  // read: an enabled source has fired
  // Control register bits.
  static constexpr uint8_t kStart = 0x01;
  static constexpr uint8_t kOneShot = 0x08;
  static constexpr uint8_t kForceLoad = 0x10;  // a strobe: reads back as 0
  static constexpr uint8_t kCountCnt = 0x20;   // CRA: CNT pulses instead of cycles
  static constexpr uint8_t kTod50Hz = 0x80;    // CRA
  static constexpr uint8_t kWriteAlarm = 0x80; // CRB: TOD writes set the alarm

  // How the chip's interrupt output reaches the processor.
  using Line = void (*)(Cpu* cpu, bool active);

  // True for the registers 4-11 and 13-15 that these own.
  static bool owns(uint8_t reg);
  uint8_t read(uint8_t reg);
  void write(uint8_t reg, uint8_t value);

  // The output goes to cpu through line; without a cpu it goes nowhere.
  void output(Cpu* cpu, Line line) {
    cpu_ = cpu;
    line_hook_ = line;
  }
  // Keeps time by clock from now on; without one no time passes.
  void clock(Clock* clock);
  // Brings everything up to now; returns the next cycle the line may change.
  uint32_t run(uint32_t now) override;
  // The same, for the main loop's pass, on the clock's own time.
  void emulate();

  const CiaTimer& timer_a() const { return a_; }
  const CiaTimer& timer_b() const { return b_; }

 private:
  uint32_t now() const { return clock_ != nullptr ? clock_->now() : last_; }
  void catch_up(uint32_t now);
  void update_line();
  uint32_t cycles_to_next_event() const;
  void write_control(CiaTimer* timer, uint8_t value);
  uint8_t read_control(const CiaTimer& timer, uint8_t stored) const;

  CiaTimer a_;
  CiaTimer b_;
  CiaTimeOfDay tod_;
  uint8_t control_a_ = 0;
  uint8_t control_b_ = 0;
  uint8_t flags_ = 0;
  uint8_t mask_ = 0;
  bool line_ = false;
  Clock* clock_ = nullptr;
  uint32_t last_ = 0;  // the cycle everything above is computed for
  Cpu* cpu_ = nullptr;
  Line line_hook_ = nullptr;
};
