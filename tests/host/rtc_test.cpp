// The clock driver against a simulated CMOS clock: BCD and binary modes,
// 12-hour mode, the century, and consistent readings.
#include <gtest/gtest.h>

#include "drivers/rtc.h"
#include "hosted/clean_bus.h"
#include "hosted/simulated_cmos.h"

namespace {

using korvan::drivers::datetime;
using korvan::drivers::RTCDriver;
using korvan::hosted::SimulatedCmos;

class Clock : public ::testing::Test {
 protected:
  datetime read(RTCDriver& rtc) {
    datetime t{};
    EXPECT_TRUE(rtc.GetRTC(&t));
    return t;
  }
  uint8_t hour_in_12_hour_mode(uint8_t hour_register) {
    cmos.registers[SimulatedCmos::kStatusB] = 0;  // BCD, 12-hour
    cmos.set_time(0, 0, hour_register, 1, 1, 0x26);
    return read(rtc).hour;
  }

  korvan::hosted::CleanBus bus;
  SimulatedCmos cmos;
  RTCDriver rtc;
};

TEST_F(Clock, BcdTwentyFourHourReadingWithCentury) {
  cmos.set_time(0x59, 0x07, 0x23, 0x31, 0x12, 0x26);
  cmos.registers[RTCDriver::kCenturyRegister] = 0x20;
  datetime t = read(rtc);
  EXPECT_EQ(t.second, 59);
  EXPECT_EQ(t.minute, 7);
  EXPECT_EQ(t.hour, 23);
  EXPECT_EQ(t.day, 31);
  EXPECT_EQ(t.month, 12);
  EXPECT_EQ(t.year, 2026);
  EXPECT_EQ(t.century, 20);
}

TEST_F(Clock, TheCenturyRegisterGivesTheFullYear) {
  cmos.set_time(0, 0, 0, 31, 12, 0x99);
  cmos.registers[RTCDriver::kCenturyRegister] = 0x19;
  EXPECT_EQ(read(rtc).year, 1999);
}

TEST_F(Clock, WithoutCenturyRegisterTheYearIsInThisCentury) {
  RTCDriver plain(0);
  cmos.set_time(0, 0, 0, 1, 1, 0x26);
  cmos.registers[RTCDriver::kCenturyRegister] = 0x77;
  datetime t = read(plain);
  EXPECT_EQ(t.year, 2026);
  EXPECT_EQ(t.century, 20);
  EXPECT_EQ(cmos.reads_of(RTCDriver::kCenturyRegister), 0u);
}

TEST_F(Clock, TwelveHourModeAfternoonFlag) {
  EXPECT_EQ(hour_in_12_hour_mode(0x89), 21) << "9 PM";
  EXPECT_EQ(hour_in_12_hour_mode(0x81), 13) << "1 PM";
  EXPECT_EQ(hour_in_12_hour_mode(0x11), 11) << "11 AM";
  EXPECT_EQ(hour_in_12_hour_mode(0x01), 1) << "1 AM";
}

TEST_F(Clock, TwelveHourModeNoonAndMidnight) {
  EXPECT_EQ(hour_in_12_hour_mode(0x92), 12) << "12 PM is noon";
  EXPECT_EQ(hour_in_12_hour_mode(0x12), 0) << "12 AM is midnight";
}

TEST_F(Clock, BinaryModeValuesAreTakenAsTheyAre) {
  cmos.registers[SimulatedCmos::kStatusB] = SimulatedCmos::kBinary | SimulatedCmos::k24Hour;
  cmos.set_time(59, 30, 19, 28, 2, 26);
  cmos.registers[RTCDriver::kCenturyRegister] = 20;
  datetime t = read(rtc);
  EXPECT_EQ(t.second, 59);
  EXPECT_EQ(t.minute, 30);
  EXPECT_EQ(t.hour, 19);
  EXPECT_EQ(t.day, 28);
  EXPECT_EQ(t.month, 2);
  EXPECT_EQ(t.year, 2026);
}

TEST_F(Clock, BinaryTwelveHourMode) {
  cmos.registers[SimulatedCmos::kStatusB] = SimulatedCmos::kBinary;
  cmos.set_time(0, 0, 0x80 | 9, 1, 1, 26);
  EXPECT_EQ(read(rtc).hour, 21);
}

TEST_F(Clock, NoRegisterIsReadWhileTheClockUpdates) {
  cmos.set_time(0x10, 0x20, 0x08, 0x01, 0x06, 0x26);
  cmos.update_reads = 5;
  bool read_during_update = false;
  cmos.after_read = [&](uint8_t reg) {
    if (reg != SimulatedCmos::kStatusA && cmos.update_reads > 0) read_during_update = true;
  };
  EXPECT_EQ(read(rtc).minute, 20);
  EXPECT_FALSE(read_during_update);
  EXPECT_EQ(cmos.update_reads, 0u);
}

TEST_F(Clock, AnUpdateBetweenTwoReadingsIsReadAgain) {
  // 10:59:59 turns into 11:00:00 right after the first seconds read, so the
  // first reading mixes old seconds with a new hour.
  cmos.set_time(0x59, 0x59, 0x10, 0x01, 0x06, 0x26);
  bool ticked = false;
  cmos.after_read = [&](uint8_t reg) {
    if (reg == 0x00 && !ticked) {
      ticked = true;
      cmos.set_time(0x00, 0x00, 0x11, 0x01, 0x06, 0x26);
    }
  };
  datetime t = read(rtc);
  EXPECT_EQ(t.hour, 11);
  EXPECT_EQ(t.minute, 0);
  EXPECT_EQ(t.second, 0);
}

TEST_F(Clock, AClockThatNeverSettlesEndsTheReadingWithFalse) {
  cmos.set_time(0, 0x30, 0x12, 0x01, 0x06, 0x26);
  cmos.after_read = [&](uint8_t reg) {
    if (reg == 0x00) cmos.registers[0x00] = static_cast<uint8_t>((cmos.registers[0x00] + 1) & 0x0F);
  };
  datetime t{};
  EXPECT_FALSE(rtc.GetRTC(&t));
  EXPECT_LT(cmos.reads_of(0x00), 20u);
  EXPECT_EQ(t.minute, 30) << "the last reading is still delivered";
}

TEST_F(Clock, NullRecordIsRefused) {
  EXPECT_FALSE(rtc.GetRTC(nullptr));
  EXPECT_EQ(cmos.reads_of(0x00), 0u);
}

}  // namespace
