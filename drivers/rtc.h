// The MC146818 CMOS real-time clock: date and time read consistently and
// converted to binary, 24-hour, full-year form.
#pragma once
#include <stdint.h>

#include "core/port.h"

namespace korvan::drivers {

struct datetime {
  uint8_t second;
  uint8_t minute;
  uint8_t hour;
  uint8_t day;  // of the month
  uint8_t month;
  uint16_t year;  // full year, century included
  uint8_t century;
};

class RTCDriver {
 public:
  static constexpr uint16_t kIndexPort = 0x70;
  static constexpr uint16_t kDataPort = 0x71;
  // Where the PC/AT keeps the century; 0 means the clock has none.
  static constexpr uint8_t kCenturyRegister = 0x32;

  explicit RTCDriver(uint8_t centuryRegister = kCenturyRegister);

  // Fills t with the current date and time. Reads until two successive
  // readings agree; false when they never did within the retry limit, in
  // which case t holds the last reading. Not for interrupt handlers: the
  // index/data pair is not protected.
  bool GetRTC(datetime* t);
  // Non-zero while the clock is updating its registers.
  int get_update_in_progress_flag();
  uint8_t get_RTC_register(uint8_t index);

 private:
  // Registers.
  static constexpr uint8_t kSeconds = 0x00;
  static constexpr uint8_t kMinutes = 0x02;
  static constexpr uint8_t kHours = 0x04;
  static constexpr uint8_t kDayOfMonth = 0x07;
  static constexpr uint8_t kMonth = 0x08;
  static constexpr uint8_t kYear = 0x09;
  static constexpr uint8_t kStatusA = 0x0A;
  static constexpr uint8_t kStatusB = 0x0B;
  // Status bits.
  static constexpr uint8_t kStatusAUpdateInProgress = 0x80;  // UIP
  static constexpr uint8_t kStatusB24Hour = 0x02;            // 24/12
  static constexpr uint8_t kStatusBBinary = 0x04;            // DM
  static constexpr uint8_t kHourPm = 0x80;
  static constexpr uint8_t kDefaultCentury = 20;
  // An update keeps UIP set for under 2 ms; a status read costs about a microsecond.
  static constexpr uint32_t kUpdatePolls = 100000;
  // Two readings only differ when an update fell between them, once a second.
  static constexpr int kReadingAttempts = 8;

  void WaitForUpdateToEnd();
  void ReadRegisters(datetime* t);
  void ConvertToBinary(datetime* t);
  static uint8_t FromBcd(uint8_t value);
  static bool SameReading(const datetime& a, const datetime& b);

  hardwarecommunication::Port8Bit indexPort;
  hardwarecommunication::Port8Bit dataPort;
  uint8_t centuryRegister;
};

}  // namespace korvan::drivers
