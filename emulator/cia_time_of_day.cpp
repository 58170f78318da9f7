// The CIA time-of-day clock.
#include "emulator/cia_time_of_day.h"

#include "emulator/clock.h"

namespace {

// One mains period in processor cycles (19,704.96, rounded: 2 ppm fast).
constexpr uint32_t kMainsCycles =
    (Clock::kCyclesPerSecond + CiaTimeOfDay::kMainsHertz / 2) / CiaTimeOfDay::kMainsHertz;

// What each register holds: BCD digits, and the hours' PM flag.
constexpr uint8_t kRegisterBits[CiaTimeOfDay::kRegisters] = {0x0F, 0x7F, 0x7F, 0x9F};
constexpr uint8_t kHourBits = 0x1F;

uint8_t bcd_increment(uint8_t value) {
  return static_cast<uint8_t>((value & 0x0F) == 9 ? (value & 0xF0) + 0x10 : value + 1);
}

}  // namespace

bool CiaTimeOfDay::advance(uint32_t cycles, bool fifty_hertz) {
  uint8_t divider = fifty_hertz ? kDivider50Hz : kDivider60Hz;
  bool alarm = false;
  phase_ += cycles;
  while (phase_ >= kMainsCycles) {
    phase_ -= kMainsCycles;
    if (stopped_) continue;
    if (++pulses_ < divider) continue;
    pulses_ = 0;
    tick();
    if (at_alarm()) alarm = true;
  }
  return alarm;
}

uint32_t CiaTimeOfDay::cycles_to_next_tick(bool fifty_hertz) const {
  if (stopped_) return 0;
  uint8_t divider = fifty_hertz ? kDivider50Hz : kDivider60Hz;
  uint32_t pulses_left = pulses_ < divider ? divider - pulses_ : 1;
  return (pulses_left - 1) * kMainsCycles + (kMainsCycles - phase_);
}

// 11:59:59.9 turns to 12:00:00.0 with the PM flag flipped; 12:59:59.9 to 1:00:00.0.
void CiaTimeOfDay::tick() {
  if (time_[kTenths] < 9) {
    time_[kTenths]++;
    return;
  }
  time_[kTenths] = 0;
  time_[kSeconds] = bcd_increment(time_[kSeconds]);
  if (time_[kSeconds] != 0x60) return;
  time_[kSeconds] = 0;
  time_[kMinutes] = bcd_increment(time_[kMinutes]);
  if (time_[kMinutes] != 0x60) return;
  time_[kMinutes] = 0;
  uint8_t hour = time_[kHours] & kHourBits;
  uint8_t pm = time_[kHours] & kPm;
  if (hour == 0x11) {
    hour = 0x12;
    pm ^= kPm;
  } else if (hour == 0x12) {
    hour = 0x01;
  } else {
    hour = bcd_increment(hour);
  }
  time_[kHours] = static_cast<uint8_t>(hour | pm);
}

bool CiaTimeOfDay::at_alarm() const {
  for (int i = 0; i < kRegisters; i++)
    if (time_[i] != alarm_[i]) return false;
  return true;
}

uint8_t CiaTimeOfDay::read(int index) {
  if (index == kHours && !latched_) {
    for (int i = 0; i < kRegisters; i++) latch_[i] = time_[i];
    latched_ = true;
  }
  uint8_t value = latched_ ? latch_[index] : time_[index];
  if (index == kTenths) latched_ = false;
  return value;
}

void CiaTimeOfDay::write(int index, uint8_t value, bool alarm) {
  value &= kRegisterBits[index];
  if (alarm) {
    alarm_[index] = value;
  } else {
    time_[index] = value;
    if (index == kHours) stopped_ = true;
    if (index == kTenths) {
      stopped_ = false;
      pulses_ = 0;
    }
  }
}
