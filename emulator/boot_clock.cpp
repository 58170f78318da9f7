// The clock read once and advanced by the millisecond timer.
#include "emulator/boot_clock.h"

#include "emulator/io_events.h"

using korvan::drivers::datetime;

namespace {

constexpr uint32_t kSecondsPerDay = 86400;
constexpr uint16_t kFatEpoch = 1980;
constexpr uint16_t kFatLastYear = kFatEpoch + 127;

bool leap(uint16_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

uint8_t days_in(uint8_t month, uint16_t year) {
  static const uint8_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  return month == 2 && leap(year) ? 29 : kDays[month - 1];
}

}  // namespace

void BootClock::start(const datetime& reading, uint32_t milli) {
  reading_ = reading;
  milli_ = milli;
}

datetime BootClock::advance(datetime reading, uint32_t seconds) {
  uint32_t of_day = reading.hour * 3600u + reading.minute * 60u + reading.second + seconds % kSecondsPerDay;
  uint32_t days = seconds / kSecondsPerDay + of_day / kSecondsPerDay;
  of_day %= kSecondsPerDay;
  reading.hour = static_cast<uint8_t>(of_day / 3600);
  reading.minute = static_cast<uint8_t>(of_day / 60 % 60);
  reading.second = static_cast<uint8_t>(of_day % 60);
  // The timer's 32 bits span under 50 days, so this walks at most that many.
  for (uint32_t i = 0; i < days; i++) {
    if (++reading.day <= days_in(reading.month, reading.year)) continue;
    reading.day = 1;
    if (++reading.month <= 12) continue;
    reading.month = 1;
    reading.year++;
  }
  return reading;
}

void BootClock::Now(uint16_t& date, uint16_t& time) {
  datetime now = advance(reading_, (current_milli - milli_) / 1000);
  // Outside what the directory can hold, or a clock that reads nonsense: no date.
  if (now.year < kFatEpoch || now.year > kFatLastYear || now.month < 1 || now.month > 12 || now.day < 1 ||
      now.day > 31 || now.hour > 23 || now.minute > 59 || now.second > 59) {
    date = korvan::filesystem::kNoDate;
    time = korvan::filesystem::kNoTime;
    return;
  }
  date = static_cast<uint16_t>((now.year - kFatEpoch) << 9 | now.month << 5 | now.day);
  time = static_cast<uint16_t>(now.hour << 11 | now.minute << 5 | now.second / 2);
}
