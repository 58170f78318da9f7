// A simulated MC146818 CMOS clock behind the index/data pair 0x70/0x71, for
// host tests of the clock driver. Tests set the registers as the clock would
// hold them and can change them between reads.
#pragma once
#include <stdint.h>

#include <functional>

#include "hosted/port_bus.h"

namespace korvan::hosted {

class SimulatedCmos : public PortDevice {
 public:
  static constexpr uint8_t kStatusA = 0x0A;
  static constexpr uint8_t kStatusB = 0x0B;
  static constexpr uint8_t kUpdateInProgress = 0x80;
  static constexpr uint8_t k24Hour = 0x02;
  static constexpr uint8_t kBinary = 0x04;

  SimulatedCmos();
  ~SimulatedCmos() override;

  // Seconds, minutes, hours, day, month, year as the registers hold them.
  void set_time(uint8_t second, uint8_t minute, uint8_t hour, uint8_t day, uint8_t month, uint8_t year);

  uint8_t registers[128] = {};
  // Reads of status A that still report an update in progress.
  unsigned update_reads = 0;
  // Called after every data read with the register read, to move the clock on.
  std::function<void(uint8_t reg)> after_read;
  unsigned reads_of(uint8_t reg) const { return read_count[reg & 0x7F]; }

  uint32_t read(uint16_t port, unsigned width) override;
  void write(uint16_t port, uint32_t value, unsigned width) override;

 private:
  uint8_t index = 0;
  unsigned read_count[128] = {};
};

}  // namespace korvan::hosted
