// The fake6502 arithmetic and logic helpers: each computes a result and sets
// the status flags the NMOS 6502 sets for it.
#pragma once
#include <stdint.h>

#include "face/fake6502.h"

namespace fake6502 {

inline void set_flag(fake6502_context* c, uint8_t flag, bool on) {
  c->status = on ? (c->status | flag) : (c->status & ~flag);
}

inline void set_zn(fake6502_context* c, uint8_t value) {
  c->status = (c->status & ~(kFlagZero | kFlagNegative)) | (value == 0 ? kFlagZero : 0) |
              (value & kFlagNegative);
}

inline bool carry(const fake6502_context* c) { return (c->status & kFlagCarry) != 0; }

inline uint8_t add8(fake6502_context* c, uint8_t a, uint8_t b, bool carry_in) {
  uint16_t r = a + b + (carry_in ? 1 : 0);
  set_flag(c, kFlagCarry, r > 0xFF);
  set_flag(c, kFlagOverflow, ((r ^ a) & (r ^ b) & 0x80) != 0);
  set_zn(c, static_cast<uint8_t>(r));
  return static_cast<uint8_t>(r);
}

// ADC with D set, as the NMOS part does it: each nibble is corrected after a
// decimal carry; N and V come from the sum before the high nibble's
// correction and Z from the plain binary sum, so they are "wrong" the way
// the 6510 in a C64 is wrong.
inline uint8_t add8_decimal(fake6502_context* c, uint8_t a, uint8_t b, bool carry_in) {
  int low = (a & 0x0F) + (b & 0x0F) + (carry_in ? 1 : 0);
  if (low > 9) low += 6;
  int high = (a >> 4) + (b >> 4) + (low > 0x0F ? 1 : 0);
  uint8_t binary = static_cast<uint8_t>(a + b + (carry_in ? 1 : 0));
  uint8_t uncorrected = static_cast<uint8_t>(high << 4);
  set_flag(c, kFlagZero, binary == 0);
  set_flag(c, kFlagNegative, (uncorrected & 0x80) != 0);
  set_flag(c, kFlagOverflow, (~(a ^ b) & (a ^ uncorrected) & 0x80) != 0);
  if (high > 9) high += 6;
  set_flag(c, kFlagCarry, high > 0x0F);
  return static_cast<uint8_t>((high << 4) | (low & 0x0F));
}

// SBC with D set: the NMOS part sets every flag exactly as the binary
// subtraction does and corrects only the result.
inline uint8_t subtract8_decimal(fake6502_context* c, uint8_t a, uint8_t b, bool carry_in) {
  add8(c, a, b ^ 0xFF, carry_in);
  int low = (a & 0x0F) - (b & 0x0F) - (carry_in ? 0 : 1);
  int high = (a >> 4) - (b >> 4);
  if (low < 0) {
    low -= 6;
    high -= 1;
  }
  if (high < 0) high -= 6;
  return static_cast<uint8_t>(((high & 0x0F) << 4) | (low & 0x0F));
}

inline uint8_t rotate_left(fake6502_context* c, uint8_t v) {
  uint16_t r = static_cast<uint16_t>((v << 1) | (carry(c) ? 1 : 0));
  set_flag(c, kFlagCarry, (r & 0x100) != 0);
  set_zn(c, static_cast<uint8_t>(r));
  return static_cast<uint8_t>(r);
}

inline uint8_t rotate_right(fake6502_context* c, uint8_t v) {
  uint8_t r = static_cast<uint8_t>((v >> 1) | (carry(c) ? 0x80 : 0));
  set_flag(c, kFlagCarry, (v & 1) != 0);
  set_zn(c, r);
  return r;
}

inline uint8_t arithmetic_shift_left(fake6502_context* c, uint8_t v) {
  uint16_t r = static_cast<uint16_t>(v << 1);
  set_flag(c, kFlagCarry, (r & 0x100) != 0);
  set_zn(c, static_cast<uint8_t>(r));
  return static_cast<uint8_t>(r);
}

inline uint8_t logical_shift_right(fake6502_context* c, uint8_t v) {
  uint8_t r = static_cast<uint8_t>(v >> 1);
  set_flag(c, kFlagCarry, (v & 1) != 0);
  set_zn(c, r);
  return r;
}

inline uint8_t exclusive_or(fake6502_context* c, uint8_t a, uint8_t b) {
  uint8_t r = a ^ b;
  set_zn(c, r);
  return r;
}

inline uint8_t boolean_and(fake6502_context* c, uint8_t a, uint8_t b) {
  uint8_t r = a & b;
  set_zn(c, r);
  return r;
}

inline uint8_t increment(fake6502_context* c, uint8_t v) {
  uint8_t r = static_cast<uint8_t>(v + 1);
  set_zn(c, r);
  return r;
}

inline uint8_t decrement(fake6502_context* c, uint8_t v) {
  uint8_t r = static_cast<uint8_t>(v - 1);
  set_zn(c, r);
  return r;
}

inline void compare_values(fake6502_context* c, uint8_t reg, uint8_t m) {
  set_flag(c, kFlagCarry, reg >= m);
  set_flag(c, kFlagZero, reg == m);
  set_flag(c, kFlagNegative, (static_cast<uint8_t>(reg - m) & 0x80) != 0);
}

// ARR: AND, then ROR A. In binary mode C is bit 6 of the result and V is
// bit 6 XOR bit 5. With D set the NMOS part keeps N (the carry shifted in),
// Z and V as the binary rotate gives them (V from the change of bit 6), then
// adjusts each nibble of the rotated value as if the AND result were BCD,
// and sets C from the high nibble's adjustment.
inline uint8_t and_rotate_right(fake6502_context* c, uint8_t a, uint8_t m) {
  uint8_t t = a & m;
  uint8_t r = static_cast<uint8_t>((t >> 1) | (carry(c) ? 0x80 : 0));
  set_zn(c, r);
  if (!(c->status & kFlagDecimal)) {
    set_flag(c, kFlagCarry, (r & 0x40) != 0);
    set_flag(c, kFlagOverflow, (((r >> 6) ^ (r >> 5)) & 1) != 0);
    return r;
  }
  set_flag(c, kFlagOverflow, ((t ^ r) & 0x40) != 0);
  if ((t & 0x0F) + (t & 0x01) > 0x05) r = static_cast<uint8_t>((r & 0xF0) | ((r + 0x06) & 0x0F));
  bool high_adjust = (t & 0xF0) + (t & 0x10) > 0x50;
  if (high_adjust) r = static_cast<uint8_t>(r + 0x60);
  set_flag(c, kFlagCarry, high_adjust);
  return r;
}

// SBX: X = (A AND X) - operand, with C as a compare sets it and no borrow
// in; D has no effect.
inline uint8_t and_subtract(fake6502_context* c, uint8_t a, uint8_t x, uint8_t m) {
  uint8_t t = a & x;
  compare_values(c, t, m);
  return static_cast<uint8_t>(t - m);
}

// ADC and SBC as the instruction sees them: the D flag picks decimal.
inline uint8_t add_with_carry(fake6502_context* c, uint8_t a, uint8_t m) {
  if (c->status & kFlagDecimal) return add8_decimal(c, a, m, carry(c));
  return add8(c, a, m, carry(c));
}

inline uint8_t subtract_with_carry(fake6502_context* c, uint8_t a, uint8_t m) {
  if (c->status & kFlagDecimal) return subtract8_decimal(c, a, m, carry(c));
  return add8(c, a, m ^ 0xFF, carry(c));
}

}  // namespace fake6502
