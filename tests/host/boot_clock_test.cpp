// The date the volume's new entries get: the clock as read once, advanced by
// the millisecond timer across days, months and leap years.
#include <gtest/gtest.h>

#include "emulator/boot_clock.h"
#include "emulator/io_events.h"

using korvan::drivers::datetime;

namespace {

datetime At(uint16_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute, uint8_t second) {
  datetime t{};
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

TEST(BootClock, TheTimerAdvancesTheReadingInTheDirectorysEncoding) {
  BootClock clock;
  current_milli = 5000;
  clock.start(At(2024, 2, 28, 23, 59, 30), current_milli);
  current_milli = 5000 + 45 * 1000 + 999;  // 45.999 s later: past midnight, into the leap day
  uint16_t date = 0, time = 0;
  clock.Now(date, time);
  EXPECT_EQ(date, (2024 - 1980) << 9 | 2 << 5 | 29);
  EXPECT_EQ(time, 0 << 11 | 0 << 5 | 15 / 2);
}

TEST(BootClock, AdvancingCrossesMonthsAndYears) {
  datetime t = BootClock::advance(At(2023, 12, 31, 12, 0, 0), 12 * 3600);
  EXPECT_EQ(t.year, 2024);
  EXPECT_EQ(t.month, 1);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.hour, 0);
  t = BootClock::advance(At(2023, 2, 28, 0, 0, 0), 86400);
  EXPECT_EQ(t.month, 3) << "2023 has no 29 February";
  EXPECT_EQ(t.day, 1);
  t = BootClock::advance(At(2100, 2, 28, 0, 0, 0), 86400);
  EXPECT_EQ(t.month, 3) << "nor has 2100";
  t = BootClock::advance(At(2026, 1, 31, 0, 0, 0), 49u * 86400);
  EXPECT_EQ(t.month, 3);
  EXPECT_EQ(t.day, 21);
}

TEST(BootClock, AReadingTheDirectoryCannotHoldIsNoDate) {
  BootClock clock;
  current_milli = 0;
  clock.start(At(1979, 12, 31, 10, 0, 0), 0);
  uint16_t date = 1, time = 1;
  clock.Now(date, time);
  EXPECT_EQ(date, 0x0021);
  EXPECT_EQ(time, 0);
  clock.start(At(2026, 13, 1, 10, 0, 0), 0);
  clock.Now(date, time);
  EXPECT_EQ(date, 0x0021) << "month 13";
}

}  // namespace
