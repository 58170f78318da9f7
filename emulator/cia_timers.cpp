// The CIA interval timers.
#include "emulator/cia_timers.h"

#include "emulator/cpu.h"

namespace {
uint8_t low_byte(uint16_t value) { return static_cast<uint8_t>(value); }
uint8_t high_byte(uint16_t value) { return static_cast<uint8_t>(value >> 8); }
uint16_t with_low(uint16_t value, uint8_t low) { return static_cast<uint16_t>((value & 0xFF00) | low); }
uint16_t with_high(uint16_t value, uint8_t high) {
  return static_cast<uint16_t>((value & 0x00FF) | (high << 8));
}
}  // namespace

// Underflow is tested once per call, on the counter read as signed, so a
// latch of $0000 or of $8000 and above fires on every call.
bool CiaTimer::count(uint32_t elapsed) {
  if (!running || input_mode != 0) return false;
  counter = static_cast<uint16_t>(counter - elapsed);
  if (static_cast<int16_t>(counter) > 0) return false;
  bool signal = irq_enabled;
  if (signal) fired = true;
  reset();
  return signal;
}

void CiaTimer::reset() {
  if (run_mode == kOneShot) {
    running = false;
  } else {
    counter = latch;
  }
}

bool CiaTimers::owns(uint8_t reg) {
  return (reg >= kTimerALow && reg <= kTimerBHigh) || reg >= kInterruptControl;
}

uint8_t CiaTimers::read(uint8_t reg) const {
  switch (reg) {
    case kTimerALow: return low_byte(a.counter);
    case kTimerAHigh: return high_byte(a.counter);
    case kTimerBLow: return low_byte(b.counter);
    case kTimerBHigh: return high_byte(b.counter);
    case kInterruptControl: {
      if (!a.fired && !b.fired) return 0;
      return static_cast<uint8_t>(kInterruptOccurred | (a.fired ? kTimerAInterrupt : 0) |
                                  (b.fired ? kTimerBInterrupt : 0));
    }
    default: return 0;  // the control registers read as 0
  }
}

void CiaTimers::write(uint8_t reg, uint8_t value) {
  bool set = (value & kSetClear) != 0;
  switch (reg) {
    case kTimerALow: a.latch = with_low(a.latch, value); break;
    case kTimerAHigh: a.latch = with_high(a.latch, value); break;
    case kTimerBLow: b.latch = with_low(b.latch, value); break;
    case kTimerBHigh: b.latch = with_high(b.latch, value); break;
    case kInterruptControl:
      if (value & kTimerAInterrupt) a.irq_enabled = set;
      if (value & kTimerBInterrupt) b.irq_enabled = set;
      break;
    case kControlA:
      a.running = (value & kStart) != 0;
      a.input_mode = value & kInputModeA;
      if (value & kForceLoad) a.counter = a.latch;
      break;
    case kControlB:
      b.running = (value & kStart) != 0;
      // Bit 5 alone is CNT, bit 6 alone timer A underflows: 0 only when both are clear.
      b.input_mode = static_cast<uint8_t>((value & kInputModeA) | ((value >> 5) & 2));
      if (value & kForceLoad) b.counter = b.latch;
      break;
    default: break;
  }
}

// Each timer reads the clock afresh: a signal is an interrupt entry, which
// itself takes cycles.
void CiaTimers::emulate(Cpu* cpu, void (Cpu::*signal)()) {
  if (cpu == nullptr) return;
  if (a.count(cpu->cycles() - previous_cycles)) (cpu->*signal)();
  if (b.count(cpu->cycles() - previous_cycles)) (cpu->*signal)();
  previous_cycles = cpu->cycles();
}
