// The register model over the running fake6502 core.
#include "emulator/cpu.h"

#include "emulator/memory.h"
#include "face/fake6502.h"

namespace {
constexpr uint16_t kResetVector = 0xFFFC;
constexpr uint16_t kStackPage = 0x0100;
constexpr uint8_t kResetCycles = 6;
constexpr uint8_t kInterruptCycles = 7;
constexpr uint8_t kStatusFlags = kFlagCarry | kFlagZero | kFlagInterrupt | kFlagDecimal |
                                 kFlagOverflow | kFlagNegative;
}  // namespace

Cpu::Cpu() : core_(f6502_context()) {}

void Cpu::reset() {
  core_->sp = 0;
  core_->a = 0;
  core_->x = 0;
  core_->y = 0;
  core_->status &= ~(kStatusFlags | kFlagBreak);
  core_->irq_request = 0;
  core_->nmi_request = 0;
  nmi_held_ = false;
  if (memory_ != nullptr) core_->pc = memory_->read_word(kResetVector);
  cycles_ = kResetCycles;
}

uint16_t Cpu::pc() const { return core_->pc; }
void Cpu::pc(uint16_t value) { core_->pc = value; }
uint8_t Cpu::sp() const { return core_->sp; }
void Cpu::sp(uint8_t value) { core_->sp = value; }
uint8_t Cpu::a() const { return core_->a; }
void Cpu::a(uint8_t value) { core_->a = value; }
uint8_t Cpu::x() const { return core_->x; }
void Cpu::x(uint8_t value) { core_->x = value; }
uint8_t Cpu::y() const { return core_->y; }
void Cpu::y(uint8_t value) { core_->y = value; }

bool Cpu::flag(uint8_t bit) const { return (core_->status & bit) != 0; }
void Cpu::flag(uint8_t bit, bool value) {
  core_->status = value ? (core_->status | bit) : (core_->status & ~bit);
}

bool Cpu::cf() const { return flag(kFlagCarry); }
void Cpu::cf(bool value) { flag(kFlagCarry, value); }
bool Cpu::zf() const { return flag(kFlagZero); }
void Cpu::zf(bool value) { flag(kFlagZero, value); }
bool Cpu::idf() const { return flag(kFlagInterrupt); }
void Cpu::idf(bool value) { flag(kFlagInterrupt, value); }
bool Cpu::dmf() const { return flag(kFlagDecimal); }
void Cpu::dmf(bool value) { flag(kFlagDecimal, value); }
bool Cpu::of() const { return flag(kFlagOverflow); }
void Cpu::of(bool value) { flag(kFlagOverflow, value); }
bool Cpu::nf() const { return flag(kFlagNegative); }
void Cpu::nf(bool value) { flag(kFlagNegative, value); }
void Cpu::bcf(bool value) { flag(kFlagBreak, value); }

uint8_t Cpu::flags() const {
  return static_cast<uint8_t>((core_->status & kStatusFlags) | kFlagBreak | kFlagConstant);
}

void Cpu::flags(uint8_t value) {
  core_->status = static_cast<uint8_t>((core_->status & ~kStatusFlags) | (value & kStatusFlags));
}

void Cpu::push(uint8_t value) {
  if (memory_ != nullptr) memory_->write_stack(static_cast<uint16_t>(kStackPage + core_->sp), value);
  core_->sp = static_cast<uint8_t>(core_->sp - 1);
}

uint8_t Cpu::pop() {
  core_->sp = static_cast<uint8_t>(core_->sp + 1);
  if (memory_ == nullptr) return 0;
  return memory_->read_byte(static_cast<uint16_t>(kStackPage + core_->sp));
}

void Cpu::irq_line(uint8_t source, bool active) { fake6502_irq_line(core_, source, active); }

void Cpu::nmi_line(bool active) {
  bool edge = active && !nmi_held_;
  nmi_held_ = active;
  if (edge) request_nmi();
}

void Cpu::nmi() {
  if (!nmi_held_) request_nmi();
}

void Cpu::request_nmi() {
  fake6502_request_nmi(core_);
  tick(kInterruptCycles);
}
