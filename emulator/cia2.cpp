// CIA 2: the video bank and the NMI timers.
#include "emulator/cia2.h"

#include "emulator/cpu.h"

namespace {
constexpr uint8_t kBankBits = 0x03;
}  // namespace

uint8_t Cia2::read_register(uint8_t reg) {
  reg &= kRegisterMask;
  if (CiaTimers::owns(reg)) return timers_.read(reg);
  if (reg == kPortA) return port_a_;
  if (reg == kPortB) return port_b_;
  return 0;  // no data direction registers or shift register
}

void Cia2::write_register(uint8_t reg, uint8_t value) {
  reg &= kRegisterMask;
  if (CiaTimers::owns(reg)) {
    timers_.write(reg, value);
  } else if (reg == kPortA) {
    port_a_ = value;
  } else if (reg == kPortB) {
    port_b_ = value;
  }
}

uint16_t Cia2::vic_base_address() const {
  return static_cast<uint16_t>((static_cast<uint8_t>(~port_a_) & kBankBits) * kVicBankSize);
}

void Cia2::cpu(Cpu* cpu) {
  timers_.output(cpu, [](Cpu* processor, bool active) { processor->nmi_line(active); });
}

bool Cia2::emulate() {
  timers_.emulate();
  return true;
}
