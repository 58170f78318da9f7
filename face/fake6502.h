// The fake6502 core's processor record, its entry points over the C64 memory
// map, and the f6502_* wrappers the rest of the system drives it through.
#pragma once
#include <stdint.h>

class Memory;

// Status register bits.
constexpr uint8_t kFlagCarry = 0x01;
constexpr uint8_t kFlagZero = 0x02;
constexpr uint8_t kFlagInterrupt = 0x04;
constexpr uint8_t kFlagDecimal = 0x08;
constexpr uint8_t kFlagBreak = 0x10;
constexpr uint8_t kFlagConstant = 0x20;
constexpr uint8_t kFlagOverflow = 0x40;
constexpr uint8_t kFlagNegative = 0x80;

struct fake6502_context {
  uint8_t a;
  uint8_t x;
  uint8_t y;
  uint8_t status;
  uint8_t sp;
  uint16_t pc;
  uint32_t reserved_count;
  uint32_t cycles;
  uint16_t operand_address;
  uint8_t opcode;
  // Interrupts asserted from outside the core (the chips and RESTORE, through
  // Cpu). irq_request is the IRQ line: one bit per source that holds it, taken
  // at every instruction boundary with I clear while any is set. nmi_request
  // is 1 from an NMI edge until the core takes it, before the next
  // instruction. Reset drops both. One byte each, set by a single store,
  // because RESTORE asserts its NMI from the keyboard interrupt while the
  // main loop may be changing the IRQ line.
  uint8_t irq_request;
  uint8_t nmi_request;
};

// Entry points on a context, with memory through the hooks below.
void fake6502_reset(fake6502_context* context);
void fake6502_step(fake6502_context* context);
void fake6502_irq(fake6502_context* context);
void fake6502_nmi(fake6502_context* context);
// The IRQ line as one source holds (bit set) or releases it, and an NMI edge
// for the core to take before its next instruction.
void fake6502_irq_line(fake6502_context* context, uint8_t source, bool active);
void fake6502_request_nmi(fake6502_context* context);

// The memory hooks: the full C64 map of the bound Memory, I/O included.
// Reads return 0 and writes are dropped while nothing is bound.
uint8_t fake6502_mem_read(fake6502_context* context, uint16_t address);
void fake6502_mem_write(fake6502_context* context, uint16_t address, uint8_t value);
// A stack push's write: plain RAM in page $01, never a trap (Memory::write_stack).
void fake6502_mem_push(fake6502_context* context, uint16_t address, uint8_t value);

// The one running processor.
void f6502_bind(Memory* memory);
void f6502_reset();
void f6502_step();
void f6502_irq();
void f6502_nmi();
uint16_t f6502_pc();
uint8_t f6502_a();
uint8_t f6502_x();
uint8_t f6502_y();
// The running processor's record, for the register model (Cpu) that reads
// and sets its registers and hands it the chips' interrupt requests.
fake6502_context* f6502_context();
