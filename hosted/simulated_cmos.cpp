// Simulated CMOS clock.
#include "hosted/simulated_cmos.h"

namespace korvan::hosted {

SimulatedCmos::SimulatedCmos() {
  registers[kStatusB] = k24Hour;  // BCD, 24-hour: what PC firmware sets up
  attach_ports(0x70, 0x71, this);
}

SimulatedCmos::~SimulatedCmos() { detach_ports(this); }

void SimulatedCmos::set_time(uint8_t second, uint8_t minute, uint8_t hour, uint8_t day, uint8_t month,
                             uint8_t year) {
  registers[0x00] = second;
  registers[0x02] = minute;
  registers[0x04] = hour;
  registers[0x07] = day;
  registers[0x08] = month;
  registers[0x09] = year;
}

uint32_t SimulatedCmos::read(uint16_t port, unsigned) {
  if (port == 0x70) return 0xFF;  // the index register is write-only
  uint8_t reg = index;
  read_count[reg]++;
  uint8_t value = registers[reg];
  if (reg == kStatusA) {
    value &= static_cast<uint8_t>(~kUpdateInProgress);
    if (update_reads > 0) {
      update_reads--;
      value |= kUpdateInProgress;
    }
  }
  if (after_read) after_read(reg);
  return value;
}

void SimulatedCmos::write(uint16_t port, uint32_t value, unsigned) {
  if (port == 0x70) {
    index = static_cast<uint8_t>(value & 0x7F);  // bit 7 masks NMI
  } else {
    registers[index] = static_cast<uint8_t>(value);
  }
}

}  // namespace korvan::hosted
