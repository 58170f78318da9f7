// CIA 2 ($DD00): the video bank its port A selects, and two interval timers
// that raise NMI.
#pragma once
#include <stdint.h>

#include "emulator/cia_timers.h"

class Clock;
class Cpu;

class Cia2 {
 public:
  static constexpr uint8_t kRegisterMask = 0x0F;
  static constexpr uint8_t kPortA = 0x00;  // PRA: bits 1-0 the video bank, inverted
  static constexpr uint8_t kPortB = 0x01;  // PRB: the user port
  static constexpr uint16_t kVicBankSize = 0x4000;

  // The register number is taken modulo 16, as the chip repeats through its page.
  uint8_t read_register(uint8_t reg);
  void write_register(uint8_t reg, uint8_t value);
  // Port A bits 1-0 select the VIC's bank, inverted: %11 is $0000, %00 $C000.
  uint16_t vic_base_address() const;
  // Brings the timers and the clock up to the current cycle; always true.
  bool emulate();

  // Timer and alarm interrupts go to the processor's NMI line.
  void cpu(Cpu* cpu);
  // The machine's time base, which the timers and the clock count.
  void clock(Clock* clock) { timers_.clock(clock); }

 private:
  CiaTimers timers_;
  uint8_t port_a_ = 0xFF;
  uint8_t port_b_ = 0xFF;
};
