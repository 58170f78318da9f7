// The 6510 register model: the machine's view of the running fake6502 core.
//
// There is one processor. Cpu reads and sets the running core's registers
// and hands the chips' interrupt lines to it; the core writes the interrupt
// frames when it takes them. The chips keep time by the core's own cycle
// count (emulator/clock.h); the counter here (6 after reset, 7 more for
// every NMI handed on) keeps time for nothing.
#pragma once
#include <stdint.h>

class Memory;
struct fake6502_context;

class Cpu {
 public:
  Cpu();

  void memory(Memory* memory) { memory_ = memory; }
  // Clears the registers and flags, loads the reset vector through the
  // memory map and drops pending requests. Needs memory().
  void reset();

  uint16_t pc() const;
  void pc(uint16_t value);
  uint8_t sp() const;
  void sp(uint8_t value);
  uint8_t a() const;
  void a(uint8_t value);
  uint8_t x() const;
  void x(uint8_t value);
  uint8_t y() const;
  void y(uint8_t value);

  bool cf() const;
  void cf(bool value);
  bool zf() const;
  void zf(bool value);
  bool idf() const;
  void idf(bool value);
  bool dmf() const;
  void dmf(bool value);
  bool of() const;
  void of(bool value);
  bool nf() const;
  void nf(bool value);
  void bcf(bool value);

  // The status byte with bits 4 and 5 set; flags(value) ignores them.
  uint8_t flags() const;
  void flags(uint8_t value);

  // Through the memory map, on the page-$01 stack of the running core.
  void push(uint8_t value);
  uint8_t pop();

  void tick(uint8_t n) { cycles_ += n; }
  uint32_t cycles() const { return cycles_; }

  // Sources of the IRQ line, one bit each.
  static constexpr uint8_t kIrqCia1 = 0x01;
  static constexpr uint8_t kIrqVic = 0x02;

  // The IRQ line is a wired OR: held while any source holds it, taken by
  // the core at every instruction boundary with I clear.
  void irq_line(uint8_t source, bool active);
  // CIA 2's NMI output. The NMI input is edge-triggered: only the line
  // going active starts an NMI.
  void nmi_line(bool active);
  // The RESTORE key's pulse on the same line: an NMI, unless CIA 2 holds
  // the line already, so that no edge can occur.
  void nmi();

 private:
  bool flag(uint8_t bit) const;
  void flag(uint8_t bit, bool value);
  void request_nmi();

  fake6502_context* core_;
  Memory* memory_ = nullptr;
  uint32_t cycles_ = 0;
  bool nmi_held_ = false;
};
