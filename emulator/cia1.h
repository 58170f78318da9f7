// CIA 1 ($DC00): the keyboard matrix and joystick port 2 as the processor
// scans them, and two interval timers that raise IRQ.
#pragma once
#include <stdint.h>

#include "emulator/cia_timers.h"

class Clock;
class Cpu;
class IO;

class Cia1 {
 public:
  static constexpr uint8_t kRegisterMask = 0x0F;
  static constexpr uint8_t kPortA = 0x00;  // PRA: keyboard row select (out), joystick 2 (in)
  static constexpr uint8_t kPortB = 0x01;  // PRB: keyboard columns (in)
  static constexpr uint8_t kDataDirectionA = 0x02;
  static constexpr uint8_t kDataDirectionB = 0x03;
  static constexpr int kMatrixRows = 8;

  // The register number is taken modulo 16, as the chip repeats through its page.
  uint8_t read_register(uint8_t reg);
  void write_register(uint8_t reg, uint8_t value);
  // Brings the timers and the clock up to the current cycle; always true.
  bool emulate();

  // Timer and alarm interrupts go to the processor's IRQ line.
  void cpu(Cpu* cpu);
  // The machine's time base, which the timers and the clock count.
  void clock(Clock* clock) { timers_.clock(clock); }
  // Without an IO no key is held and the joystick rests.
  void io(IO* io) { io_ = io; }

 private:
  uint8_t read_keyboard() const;
  uint8_t matrix_row(int row) const;

  IO* io_ = nullptr;
  CiaTimers timers_;
  uint8_t port_a_ = 0xFF;
  uint8_t port_b_ = 0xFF;
  uint8_t data_direction_a_ = 0xFF;
  uint8_t data_direction_b_ = 0x00;
};
