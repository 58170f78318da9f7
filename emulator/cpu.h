// The 6510 register model: the machine's view of the running fake6502 core.
//
// There is one processor. Cpu reads and sets the running core's registers
// and hands the chips' interrupt requests to it; the core writes the
// interrupt frames when it takes them. The cycle counter is the chips' time
// base: 6 after reset and 7 more for every request handed on.
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

  // The core takes an IRQ at the first instruction boundary with I clear,
  // and an NMI before its next instruction.
  void irq();
  void nmi();

 private:
  bool flag(uint8_t bit) const;
  void flag(uint8_t bit, bool value);

  fake6502_context* core_;
  Memory* memory_ = nullptr;
  uint32_t cycles_ = 0;
};
