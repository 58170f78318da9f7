// CIA 1: keyboard, joystick port 2 and the IRQ timers.
#include "emulator/cia1.h"

#include "emulator/cpu.h"
#include "emulator/io.h"

namespace {
constexpr uint8_t kJoystickPort = 2;
constexpr uint8_t kAllLinesLow = 0x00;
}  // namespace

uint8_t Cia1::matrix_row(int row) const { return io_ != nullptr ? io_->keyboard_matrix_row(row) : 0xFF; }

// Port A drives the rows low, port B reads the columns of the driven row.
// Driving every row low is how the KERNAL asks "is any key down": each held
// key then pulls its column low, so the rows are ANDed. Otherwise the
// highest-numbered driven row answers on its own.
uint8_t Cia1::read_keyboard() const {
  if (port_a_ == kAllLinesLow) {
    uint8_t columns = 0xFF;
    for (int row = 0; row < kMatrixRows; row++) columns &= matrix_row(row);
    return columns;
  }
  for (int row = kMatrixRows - 1; row >= 0; row--)
    if ((port_a_ & (1u << row)) == 0) return matrix_row(row);
  return 0xFF;  // no row driven: no key can pull a column low
}

uint8_t Cia1::read_register(uint8_t reg) {
  reg &= kRegisterMask;
  if (CiaTimers::owns(reg)) return timers_.read(reg);
  switch (reg) {
    case kPortA: {
      // The joystick pulls its lines low; the KERNAL leaves them high
      // between scans, so subtracting the active bits clears exactly those.
      uint8_t joystick = io_ != nullptr ? io_->getJoystick(kJoystickPort) : 0;
      return static_cast<uint8_t>((port_a_ | static_cast<uint8_t>(~data_direction_a_)) - joystick);
    }
    case kPortB: return read_keyboard();
    case kDataDirectionA: return data_direction_a_;
    case kDataDirectionB: return data_direction_b_;
    default: return 0;  // the shift register is not modelled
  }
}

void Cia1::write_register(uint8_t reg, uint8_t value) {
  reg &= kRegisterMask;
  if (CiaTimers::owns(reg)) {
    timers_.write(reg, value);
    return;
  }
  switch (reg) {
    case kPortA: port_a_ = value; break;
    case kDataDirectionA: data_direction_a_ = value; break;
    case kDataDirectionB: data_direction_b_ = value; break;
    default: break;  // port B is input only: the keyboard drives it
  }
}

void Cia1::cpu(Cpu* cpu) {
  timers_.output(cpu, [](Cpu* processor, bool active) { processor->irq_line(Cpu::kIrqCia1, active); });
}

bool Cia1::emulate() {
  timers_.emulate();
  return true;
}
