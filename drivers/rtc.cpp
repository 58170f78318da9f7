// The CMOS clock driver.
#include "drivers/rtc.h"

namespace korvan::drivers {

RTCDriver::RTCDriver(uint8_t centuryRegister)
    : indexPort(kIndexPort), dataPort(kDataPort), centuryRegister(centuryRegister) {}

uint8_t RTCDriver::get_RTC_register(uint8_t index) {
  indexPort.Write(index);
  return dataPort.Read();
}

int RTCDriver::get_update_in_progress_flag() { return get_RTC_register(kStatusA) & kStatusAUpdateInProgress; }

void RTCDriver::WaitForUpdateToEnd() {
  for (uint32_t polls = 0; polls < kUpdatePolls && get_update_in_progress_flag(); polls++) {
  }
}

void RTCDriver::ReadRegisters(datetime* t) {
  t->second = get_RTC_register(kSeconds);
  t->minute = get_RTC_register(kMinutes);
  t->hour = get_RTC_register(kHours);
  t->day = get_RTC_register(kDayOfMonth);
  t->month = get_RTC_register(kMonth);
  t->year = get_RTC_register(kYear);
  t->century = centuryRegister != 0 ? get_RTC_register(centuryRegister) : 0;
}

bool RTCDriver::SameReading(const datetime& a, const datetime& b) {
  return a.second == b.second && a.minute == b.minute && a.hour == b.hour && a.day == b.day &&
         a.month == b.month && a.year == b.year && a.century == b.century;
}

uint8_t RTCDriver::FromBcd(uint8_t value) { return static_cast<uint8_t>((value & 0x0F) + (value >> 4) * 10); }

void RTCDriver::ConvertToBinary(datetime* t) {
  uint8_t status = get_RTC_register(kStatusB);
  if (!(status & kStatusBBinary)) {
    t->second = FromBcd(t->second);
    t->minute = FromBcd(t->minute);
    // The afternoon flag sits above the tens digit.
    t->hour = static_cast<uint8_t>(FromBcd(t->hour & ~kHourPm) | (t->hour & kHourPm));
    t->day = FromBcd(t->day);
    t->month = FromBcd(t->month);
    t->year = FromBcd(static_cast<uint8_t>(t->year));
    if (centuryRegister != 0) t->century = FromBcd(t->century);
  }
  if (!(status & kStatusB24Hour)) {
    // The clock counts 12, 1, ... 11 in each half of the day: 12 AM is midnight, 12 PM noon.
    bool afternoon = (t->hour & kHourPm) != 0;
    t->hour = static_cast<uint8_t>((t->hour & ~kHourPm) % 12 + (afternoon ? 12 : 0));
  }
  if (centuryRegister == 0) t->century = kDefaultCentury;
  t->year = static_cast<uint16_t>(t->year + 100 * t->century);
}

bool RTCDriver::GetRTC(datetime* t) {
  if (t == nullptr) return false;
  WaitForUpdateToEnd();
  ReadRegisters(t);
  for (int attempt = 0; attempt < kReadingAttempts; attempt++) {
    datetime last = *t;
    WaitForUpdateToEnd();
    ReadRegisters(t);
    if (SameReading(last, *t)) {
      ConvertToBinary(t);
      return true;
    }
  }
  ConvertToBinary(t);
  return false;
}

}  // namespace korvan::drivers
