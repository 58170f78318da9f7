// The date and time for the volume's entries: the clock as read once, on the
// main flow, advanced by the millisecond timer since, so that the monitor's
// writes inside the keyboard interrupt never touch the clock's ports.
#pragma once
#include <stdint.h>

#include "drivers/rtc.h"
#include "filesystem/fat.h"

class BootClock : public korvan::filesystem::FatClock {
 public:
  void start(const korvan::drivers::datetime& reading, uint32_t milli);
  // The reading plus the time since, in the directory's encoding.
  void Now(uint16_t& date, uint16_t& time) override;
  // reading advanced by seconds, across days, months and years.
  static korvan::drivers::datetime advance(korvan::drivers::datetime reading, uint32_t seconds);

 private:
  korvan::drivers::datetime reading_{};
  uint32_t milli_ = 0;
};
