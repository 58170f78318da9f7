// The fake6502 interpreter, over any memory bus.
//
// A bus is a type with uint8_t read(uint16_t), void write(uint16_t, uint8_t)
// and void push(uint16_t, uint8_t): push is the write of a stack push (PHA,
// PHP, JSR, BRK and the interrupt frames), which a bus may tell apart from an
// instruction's store. The running machine uses the memory hooks (face/fake6502.cpp);
// tests and the flat runner use a plain 64 KB array. Every access an
// instruction makes goes through the bus, in the order the routines below
// make it.
//
// Each opcode gets its own executor, built at compile time from its row in
// fake6502_opcodes: the addressing mode and the operation are inlined into
// it, so a step is one table lookup and one indirect call.
#pragma once
#include <stdint.h>

#include "face/fake6502.h"
#include "face/fake6502_alu.h"
#include "face/fake6502_opcodes.h"

namespace fake6502 {

constexpr uint16_t kStackPage = 0x0100;
constexpr uint16_t kNmiVector = 0xFFFA;
constexpr uint16_t kResetVector = 0xFFFC;
constexpr uint16_t kIrqVector = 0xFFFE;
constexpr uint8_t kResetStackPointer = 0xFD;

template <class Bus>
inline uint16_t read16(Bus& bus, uint16_t address) {
  uint8_t low = bus.read(address);
  uint8_t high = bus.read(static_cast<uint16_t>(address + 1));
  return static_cast<uint16_t>(low | (high << 8));
}

template <class Bus>
inline void push8(fake6502_context* c, Bus& bus, uint8_t value) {
  bus.push(static_cast<uint16_t>(kStackPage + c->sp), value);
  c->sp = static_cast<uint8_t>(c->sp - 1);
}

template <class Bus>
inline void push16(fake6502_context* c, Bus& bus, uint16_t value) {
  push8(c, bus, static_cast<uint8_t>(value >> 8));
  push8(c, bus, static_cast<uint8_t>(value));
}

template <class Bus>
inline uint8_t pull8(fake6502_context* c, Bus& bus) {
  c->sp = static_cast<uint8_t>(c->sp + 1);
  return bus.read(static_cast<uint16_t>(kStackPage + c->sp));
}

template <class Bus>
inline uint16_t pull16(fake6502_context* c, Bus& bus) {
  uint8_t low = pull8(c, bus);
  uint8_t high = pull8(c, bus);
  return static_cast<uint16_t>(low | (high << 8));
}

// Indexed modes with the page-crossing penalty pay one cycle when the index
// carries into the high byte.
inline uint16_t indexed(fake6502_context* c, uint16_t base, uint8_t index, bool penalty) {
  uint16_t result = static_cast<uint16_t>(base + index);
  if (penalty && ((result ^ base) & 0xFF00)) c->cycles += 1;
  return result;
}

template <Mode M, class Bus>
inline void address(fake6502_context* c, Bus& bus) {
  if constexpr (M == Mode::imp || M == Mode::acc) {
    return;
  } else if constexpr (M == Mode::imm) {
    c->operand_address = c->pc++;
  } else if constexpr (M == Mode::zp) {
    c->operand_address = bus.read(c->pc++);
  } else if constexpr (M == Mode::zpx || M == Mode::zpy) {
    uint8_t index = M == Mode::zpx ? c->x : c->y;
    c->operand_address = static_cast<uint8_t>(bus.read(c->pc++) + index);
  } else if constexpr (M == Mode::rel) {
    uint16_t offset = bus.read(c->pc++);
    if (offset & 0x80) offset |= 0xFF00;
    c->operand_address = static_cast<uint16_t>(c->pc + offset);
  } else if constexpr (M == Mode::abso) {
    c->operand_address = read16(bus, c->pc);
    c->pc += 2;
  } else if constexpr (M == Mode::absx || M == Mode::absy || M == Mode::absx_p ||
                       M == Mode::absy_p) {
    uint16_t base = read16(bus, c->pc);
    c->pc += 2;
    uint8_t index = (M == Mode::absx || M == Mode::absx_p) ? c->x : c->y;
    c->operand_address = indexed(c, base, index, M == Mode::absx_p || M == Mode::absy_p);
  } else if constexpr (M == Mode::ind) {
    // The NMOS part never carries into the pointer's high byte: JMP ($10FF)
    // takes its high byte from $1000.
    uint16_t pointer = read16(bus, c->pc);
    c->pc += 2;
    uint8_t low = bus.read(pointer);
    uint8_t high = bus.read(static_cast<uint16_t>((pointer & 0xFF00) | ((pointer + 1) & 0x00FF)));
    c->operand_address = static_cast<uint16_t>(low | (high << 8));
  } else if constexpr (M == Mode::indx) {
    uint8_t zero_page = static_cast<uint8_t>(bus.read(c->pc++) + c->x);
    uint8_t low = bus.read(zero_page);
    uint8_t high = bus.read(static_cast<uint8_t>(zero_page + 1));
    c->operand_address = static_cast<uint16_t>(low | (high << 8));
  } else {
    static_assert(M == Mode::indy || M == Mode::indy_p, "every mode is handled");
    uint8_t zero_page = bus.read(c->pc++);
    uint8_t low = bus.read(zero_page);
    uint8_t high = bus.read(static_cast<uint8_t>(zero_page + 1));
    c->operand_address =
        indexed(c, static_cast<uint16_t>(low | (high << 8)), c->y, M == Mode::indy_p);
  }
}

template <Mode M, class Bus>
inline uint8_t get_value(fake6502_context* c, Bus& bus) {
  if constexpr (M == Mode::acc) return c->a;
  else return bus.read(c->operand_address);
}

template <Mode M, class Bus>
inline void put_value(fake6502_context* c, Bus& bus, uint8_t value) {
  if constexpr (M == Mode::acc) c->a = value;
  else bus.write(c->operand_address, value);
}

// ANE and LXA merge A with a constant that depends on the chip before the
// AND; these are the values observed on the C64's 6510 and assumed by the
// software that uses the two opcodes (the C64 community's opcode
// references, e.g. "No More Secrets" and the C64-Wiki; Wizball's loader
// needs $EE for LXA).
constexpr uint8_t kAneMagic = 0xEF;
constexpr uint8_t kLxaMagic = 0xEE;

// SHA, SHX, SHY and TAS store value AND (high byte of the base address + 1).
// When the index carries into the high byte, the part forms the target's
// high byte from the stored value instead.
template <Mode M, class Bus>
inline void store_and_high(fake6502_context* c, Bus& bus, uint8_t value) {
  uint8_t index = M == Mode::absx ? c->x : c->y;
  uint16_t base = static_cast<uint16_t>(c->operand_address - index);
  uint8_t stored = value & static_cast<uint8_t>((base >> 8) + 1);
  uint16_t target = c->operand_address;
  if ((base ^ target) & 0xFF00) target = static_cast<uint16_t>((stored << 8) | (target & 0x00FF));
  bus.write(target, stored);
}

// A taken branch costs one cycle, two when it lands in another page.
inline void branch(fake6502_context* c, bool taken) {
  if (!taken) return;
  uint16_t from = c->pc;
  c->pc = c->operand_address;
  c->cycles += ((from ^ c->pc) & 0xFF00) ? 2 : 1;
}

template <Operation O, Mode M, class Bus>
inline void operate(fake6502_context* c, Bus& bus) {
  using Op = Operation;
  [[maybe_unused]] const uint8_t s = c->status;
  if constexpr (O == Op::lda) { c->a = get_value<M>(c, bus); set_zn(c, c->a); }
  else if constexpr (O == Op::ldx) { c->x = get_value<M>(c, bus); set_zn(c, c->x); }
  else if constexpr (O == Op::ldy) { c->y = get_value<M>(c, bus); set_zn(c, c->y); }
  else if constexpr (O == Op::sta) put_value<M>(c, bus, c->a);
  else if constexpr (O == Op::stx) put_value<M>(c, bus, c->x);
  else if constexpr (O == Op::sty) put_value<M>(c, bus, c->y);
  else if constexpr (O == Op::tax) { c->x = c->a; set_zn(c, c->x); }
  else if constexpr (O == Op::tay) { c->y = c->a; set_zn(c, c->y); }
  else if constexpr (O == Op::txa) { c->a = c->x; set_zn(c, c->a); }
  else if constexpr (O == Op::tya) { c->a = c->y; set_zn(c, c->a); }
  else if constexpr (O == Op::tsx) { c->x = c->sp; set_zn(c, c->x); }
  else if constexpr (O == Op::txs) c->sp = c->x;
  else if constexpr (O == Op::adc) c->a = add_with_carry(c, c->a, get_value<M>(c, bus));
  else if constexpr (O == Op::sbc) c->a = subtract_with_carry(c, c->a, get_value<M>(c, bus));
  else if constexpr (O == Op::op_and) c->a = boolean_and(c, c->a, get_value<M>(c, bus));
  else if constexpr (O == Op::ora) { c->a = c->a | get_value<M>(c, bus); set_zn(c, c->a); }
  else if constexpr (O == Op::eor) c->a = exclusive_or(c, c->a, get_value<M>(c, bus));
  else if constexpr (O == Op::bit) {
    uint8_t m = get_value<M>(c, bus);
    c->status = static_cast<uint8_t>((s & ~(kFlagZero | kFlagOverflow | kFlagNegative)) |
                                     ((c->a & m) == 0 ? kFlagZero : 0) |
                                     (m & (kFlagOverflow | kFlagNegative)));
  }
  else if constexpr (O == Op::cmp) compare_values(c, c->a, get_value<M>(c, bus));
  else if constexpr (O == Op::cpx) compare_values(c, c->x, get_value<M>(c, bus));
  else if constexpr (O == Op::cpy) compare_values(c, c->y, get_value<M>(c, bus));
  else if constexpr (O == Op::inc) put_value<M>(c, bus, increment(c, get_value<M>(c, bus)));
  else if constexpr (O == Op::dec) put_value<M>(c, bus, decrement(c, get_value<M>(c, bus)));
  else if constexpr (O == Op::asl)
    put_value<M>(c, bus, arithmetic_shift_left(c, get_value<M>(c, bus)));
  else if constexpr (O == Op::lsr)
    put_value<M>(c, bus, logical_shift_right(c, get_value<M>(c, bus)));
  else if constexpr (O == Op::rol || O == Op::ror) {
    // The NMOS part writes the unmodified byte back before the result; a
    // write to an I/O register such as $D019 is seen twice.
    uint8_t m = get_value<M>(c, bus);
    uint8_t r = O == Op::rol ? rotate_left(c, m) : rotate_right(c, m);
    put_value<M>(c, bus, m);
    put_value<M>(c, bus, r);
  }
  else if constexpr (O == Op::inx) { c->x++; set_zn(c, c->x); }
  else if constexpr (O == Op::iny) { c->y++; set_zn(c, c->y); }
  else if constexpr (O == Op::dex) { c->x--; set_zn(c, c->x); }
  else if constexpr (O == Op::dey) { c->y--; set_zn(c, c->y); }
  else if constexpr (O == Op::clc) c->status = s & ~kFlagCarry;
  else if constexpr (O == Op::cld) c->status = s & ~kFlagDecimal;
  else if constexpr (O == Op::cli) c->status = s & ~kFlagInterrupt;
  else if constexpr (O == Op::clv) c->status = s & ~kFlagOverflow;
  else if constexpr (O == Op::sec) c->status = s | kFlagCarry;
  else if constexpr (O == Op::sed) c->status = s | kFlagDecimal;
  else if constexpr (O == Op::sei) c->status = s | kFlagInterrupt;
  else if constexpr (O == Op::nop) return;
  else if constexpr (O == Op::bcc) branch(c, !(s & kFlagCarry));
  else if constexpr (O == Op::bcs) branch(c, s & kFlagCarry);
  else if constexpr (O == Op::bne) branch(c, !(s & kFlagZero));
  else if constexpr (O == Op::beq) branch(c, s & kFlagZero);
  else if constexpr (O == Op::bpl) branch(c, !(s & kFlagNegative));
  else if constexpr (O == Op::bmi) branch(c, s & kFlagNegative);
  else if constexpr (O == Op::bvc) branch(c, !(s & kFlagOverflow));
  else if constexpr (O == Op::bvs) branch(c, s & kFlagOverflow);
  else if constexpr (O == Op::jmp) c->pc = c->operand_address;
  else if constexpr (O == Op::jsr) {
    push16(c, bus, static_cast<uint16_t>(c->pc - 1));
    c->pc = c->operand_address;
  }
  else if constexpr (O == Op::rts) c->pc = static_cast<uint16_t>(pull16(c, bus) + 1);
  else if constexpr (O == Op::rti) {
    c->status = pull8(c, bus) | kFlagBreak | kFlagConstant;
    c->pc = pull16(c, bus);
  }
  else if constexpr (O == Op::php) push8(c, bus, s | kFlagBreak);
  else if constexpr (O == Op::plp) c->status = pull8(c, bus) | kFlagBreak | kFlagConstant;
  else if constexpr (O == Op::pha) push8(c, bus, c->a);
  else if constexpr (O == Op::pla) { c->a = pull8(c, bus); set_zn(c, c->a); }
  else if constexpr (O == Op::brk) {
    // The byte after BRK is skipped: the handler returns to opcode + 2.
    c->pc++;
    push16(c, bus, c->pc);
    push8(c, bus, s | kFlagBreak);
    c->status = s | kFlagInterrupt;
    c->pc = read16(bus, kIrqVector);
  }
  else if constexpr (O == Op::lax) {
    c->a = c->x = get_value<M>(c, bus);
    set_zn(c, c->a);
  }
  else if constexpr (O == Op::sax) put_value<M>(c, bus, c->a & c->x);
  else if constexpr (O == Op::anc) {
    c->a = boolean_and(c, c->a, get_value<M>(c, bus));
    set_flag(c, kFlagCarry, (c->a & 0x80) != 0);
  }
  else if constexpr (O == Op::alr) c->a = logical_shift_right(c, c->a & get_value<M>(c, bus));
  else if constexpr (O == Op::arr) c->a = and_rotate_right(c, c->a, get_value<M>(c, bus));
  else if constexpr (O == Op::ane) {
    c->a = static_cast<uint8_t>((c->a | kAneMagic) & c->x & get_value<M>(c, bus));
    set_zn(c, c->a);
  }
  else if constexpr (O == Op::lxa) {
    c->a = c->x = static_cast<uint8_t>((c->a | kLxaMagic) & get_value<M>(c, bus));
    set_zn(c, c->a);
  }
  else if constexpr (O == Op::sbx) c->x = and_subtract(c, c->a, c->x, get_value<M>(c, bus));
  else if constexpr (O == Op::las) {
    c->a = c->x = c->sp = get_value<M>(c, bus) & c->sp;
    set_zn(c, c->a);
  }
  else if constexpr (O == Op::sha) store_and_high<M>(c, bus, c->a & c->x);
  else if constexpr (O == Op::shx) store_and_high<M>(c, bus, c->x);
  else if constexpr (O == Op::shy) store_and_high<M>(c, bus, c->y);
  else if constexpr (O == Op::tas) {
    c->sp = c->a & c->x;
    store_and_high<M>(c, bus, c->sp);
  }
  else if constexpr (O == Op::dcp) { operate<Op::dec, M>(c, bus); operate<Op::cmp, M>(c, bus); }
  else if constexpr (O == Op::isb) { operate<Op::inc, M>(c, bus); operate<Op::sbc, M>(c, bus); }
  else if constexpr (O == Op::slo) { operate<Op::asl, M>(c, bus); operate<Op::ora, M>(c, bus); }
  else {
    static_assert(O == Op::rla || O == Op::sre || O == Op::rra, "every operation is handled");
    uint8_t m = get_value<M>(c, bus);
    uint8_t r = O == Op::rla ? rotate_left(c, m)
                : O == Op::sre ? logical_shift_right(c, m)
                               : rotate_right(c, m);
    put_value<M>(c, bus, m);
    put_value<M>(c, bus, r);
    if constexpr (O == Op::rla) c->a = boolean_and(c, c->a, r);
    else if constexpr (O == Op::sre) c->a = exclusive_or(c, c->a, r);
    else c->a = add_with_carry(c, c->a, r);
  }
}

template <class Bus, unsigned Op>
void execute(fake6502_context* c, Bus& bus) {
  constexpr Opcode entry = fake6502_opcodes[Op];
  address<entry.mode>(c, bus);
  operate<entry.operation, entry.mode>(c, bus);
  c->cycles += entry.cycles;
}

template <unsigned... I>
struct Indices {};
template <unsigned N, unsigned... I>
struct MakeIndices : MakeIndices<N - 1, N - 1, I...> {};
template <unsigned... I>
struct MakeIndices<0, I...> {
  using type = Indices<I...>;
};

template <class Bus>
struct Dispatch {
  void (*executors[256])(fake6502_context*, Bus&);
};

template <class Bus, unsigned... I>
constexpr Dispatch<Bus> make_dispatch(Indices<I...>) {
  return Dispatch<Bus>{{&execute<Bus, I>...}};
}

template <class Bus>
inline constexpr Dispatch<Bus> kDispatch = make_dispatch<Bus>(MakeIndices<256>::type{});

template <class Bus>
inline void reset(fake6502_context* c, Bus& bus) {
  // The 6502's reset sequence runs three stack cycles without writing; the
  // reads still reach the bus (and a chip's side effects).
  constexpr uint16_t kDummyReads[] = {0x00FF, 0x00FF, 0x00FF, 0x0100, 0x01FF, 0x01FE};
  for (uint16_t address : kDummyReads) bus.read(address);
  c->pc = read16(bus, kResetVector);
  c->sp = kResetStackPointer;
  c->status |= kFlagInterrupt | kFlagConstant;
  c->reserved_count = 0;
  c->cycles = 0;
  c->irq_request = 0;
  c->nmi_request = 0;
}

// Seven cycles, as BRK takes: two reads of the next opcode, three pushes,
// the vector's two bytes.
constexpr uint32_t kInterruptCycles = 7;

template <class Bus>
inline void interrupt(fake6502_context* c, Bus& bus, uint16_t vector) {
  push16(c, bus, c->pc);
  push8(c, bus, c->status & ~kFlagBreak);
  c->status |= kFlagInterrupt;
  c->pc = read16(bus, vector);
  c->cycles += kInterruptCycles;
}

template <class Bus>
inline void irq(fake6502_context* c, Bus& bus) {
  if (c->status & kFlagInterrupt) return;
  interrupt(c, bus, kIrqVector);
}

template <class Bus>
inline void nmi(fake6502_context* c, Bus& bus) {
  interrupt(c, bus, kNmiVector);
}

// A pending NMI wins. The IRQ line is a level its sources hold until the
// program acknowledges them, so it is taken again after RTI while held.
template <class Bus>
void take_requests(fake6502_context* c, Bus& bus) {
  if (c->nmi_request) {
    c->nmi_request = 0;
    nmi(c, bus);
  } else if (c->irq_request && !(c->status & kFlagInterrupt)) {
    interrupt(c, bus, kIrqVector);
  }
}

template <class Bus>
inline void step(fake6502_context* c, Bus& bus) {
  if (c->irq_request | c->nmi_request) take_requests(c, bus);
  uint8_t opcode = bus.read(c->pc);
  c->pc++;
  c->opcode = opcode;
  c->status |= kFlagConstant;
  kDispatch<Bus>.executors[opcode](c, bus);
}

}  // namespace fake6502
