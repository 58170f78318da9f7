// The 6526's time-of-day clock: tenths, seconds, minutes and hours in BCD
// with the PM flag, counted from the mains frequency, with its alarm and the
// latching and stopping that keep a multi-byte read or write consistent.
#pragma once
#include <stdint.h>

class CiaTimeOfDay {
 public:
  // Register order, from $x8: tenths, seconds, minutes, hours.
  static constexpr int kTenths = 0;
  static constexpr int kSeconds = 1;
  static constexpr int kMinutes = 2;
  static constexpr int kHours = 3;
  static constexpr int kRegisters = 4;
  static constexpr uint8_t kPm = 0x80;

  // The C64's TOD pins see the 50 Hz mains of a PAL machine.
  static constexpr uint32_t kMainsHertz = 50;
  // The chip divides by 5 when told (CRA bit 7) the mains is 50 Hz, else by 6.
  static constexpr uint8_t kDivider50Hz = 5;
  static constexpr uint8_t kDivider60Hz = 6;

  // Lets cycles of processor time pass, with the divider the control
  // register chooses. True when a tenth's tick brought the time to the alarm.
  bool advance(uint32_t cycles, bool fifty_hertz);
  // Cycles until the next tenth's tick, or 0 while the clock is stopped.
  uint32_t cycles_to_next_tick(bool fifty_hertz) const;

  // Reading the hours latches all four until the tenths are read.
  uint8_t read(int index);
  // Into the alarm, or into the time: writing the hours stops the clock
  // until the tenths are written. The alarm is compared on the clock's
  // ticks, not while a program writes one byte after the other.
  void write(int index, uint8_t value, bool alarm);

 private:
  void tick();
  bool at_alarm() const;

  uint8_t time_[kRegisters] = {0x00, 0x00, 0x00, 0x01};  // 1:00:00.0 AM
  uint8_t alarm_[kRegisters] = {};
  uint8_t latch_[kRegisters] = {};
  bool latched_ = false;
  bool stopped_ = false;
  uint32_t phase_ = 0;  // cycles since the last mains pulse
  uint8_t pulses_ = 0;  // mains pulses since the last tick
};
