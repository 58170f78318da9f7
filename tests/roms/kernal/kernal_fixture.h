// A booted KERNAL test machine for each test, and the KERNAL's addresses.
#pragma once
#include <gtest/gtest.h>

#include "tests/roms/kernal/kernal_machine.h"

namespace kernal {
constexpr uint16_t kSetlfs = 0xFFBA, kSetnam = 0xFFBD, kOpen = 0xFFC0, kClose = 0xFFC3;
constexpr uint16_t kChkin = 0xFFC6, kChkout = 0xFFC9, kClrchn = 0xFFCC, kChrin = 0xFFCF;
constexpr uint16_t kChrout = 0xFFD2, kLoad = 0xFFD5, kSave = 0xFFD8, kSettim = 0xFFDB;
constexpr uint16_t kRdtim = 0xFFDE, kStop = 0xFFE1, kGetin = 0xFFE4, kClall = 0xFFE7;
constexpr uint16_t kUdtim = 0xFFEA, kScreen = 0xFFED, kPlot = 0xFFF0, kIobase = 0xFFF3;
constexpr uint16_t kSetmsg = 0xFF90, kReadst = 0xFFB7, kMemtop = 0xFF99, kMembot = 0xFF9C;
constexpr uint16_t kScnkey = 0xFF9F, kListen = 0xFFB1, kRestor = 0xFF8A, kVector = 0xFF8D;
}  // namespace kernal

class KernalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(machine.ok()) << "test ROM images missing";
    ASSERT_TRUE(machine.boot()) << "the KERNAL never jumped through ($A000)";
  }
  KernalMachine machine;
};
