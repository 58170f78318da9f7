// The two interval timers and the interrupt control register that CIA 1
// and CIA 2 share: latches, counters and their control bits.
#pragma once
#include <stdint.h>

class Cpu;

struct CiaTimer {
  // Run modes: reload from the latch and go on counting, or stop.
  static constexpr uint8_t kContinuous = 0;
  static constexpr uint8_t kOneShot = 1;

  // Counts elapsed processor cycles (input mode 0 only). Returns true when
  // the counter reached zero or below with its interrupt enabled.
  bool count(uint32_t elapsed);
  // After an underflow: reload and go on, or stop in one-shot mode.
  void reset();

  uint16_t latch = 0;
  uint16_t counter = 0;
  bool running = false;
  bool irq_enabled = false;
  bool fired = false;  // nothing clears it, not even reading register 13
  uint8_t run_mode = kContinuous;
  uint8_t input_mode = 0;  // 0 counts processor cycles; the others are not modelled
};

class CiaTimers {
 public:
  // Register numbers (6526 names: TA LO/HI, TB LO/HI, ICR, CRA, CRB).
  static constexpr uint8_t kTimerALow = 0x04;
  static constexpr uint8_t kTimerAHigh = 0x05;
  static constexpr uint8_t kTimerBLow = 0x06;
  static constexpr uint8_t kTimerBHigh = 0x07;
  static constexpr uint8_t kInterruptControl = 0x0D;
  static constexpr uint8_t kControlA = 0x0E;
  static constexpr uint8_t kControlB = 0x0F;

  // Interrupt control bits.
  static constexpr uint8_t kTimerAInterrupt = 0x01;
  static constexpr uint8_t kTimerBInterrupt = 0x02;
  static constexpr uint8_t kSetClear = 0x80;  // written: set (1) or clear (0) the named bits
  static constexpr uint8_t kInterruptOccurred = 0x80;  // read: any source has fired
  // Control register bits.
  static constexpr uint8_t kStart = 0x01;
  static constexpr uint8_t kForceLoad = 0x10;
  static constexpr uint8_t kInputModeA = 0x20;  // CNT pulses instead of cycles

  // True for the registers 4-7 and 13-15 that these timers own.
  static bool owns(uint8_t reg);
  // Reads and writes of the registers owns() accepts; the counters are
  // read, the latches written.
  uint8_t read(uint8_t reg) const;
  void write(uint8_t reg, uint8_t value);

  // Advances both timers by the cycles cpu counted since the last call and
  // calls signal on cpu once for every enabled timer that underflowed.
  // Without a cpu, no time passes.
  void emulate(Cpu* cpu, void (Cpu::*signal)());

  CiaTimer a;
  CiaTimer b;
  uint32_t previous_cycles = 0;
};
