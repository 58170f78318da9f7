// printf, convert and displayMemory as the boot log and monitor use them.
#include <gtest/gtest.h>

#include <string>

#include "lib/stdio.h"
#include "hosted/console_capture.h"

namespace {

class Printf : public ::testing::Test {
 protected:
  std::string out() const { return capture.text(); }
  korvan::hosted::ConsoleCapture capture;
};

TEST_F(Printf, ZeroPaddedWidths) {
  qlib::printf("%08X|%02X|%04x|%d", 0xA00000, 0x1AB, 0xbeef, 7);
  EXPECT_EQ(out(), "00A00000|1AB|beef|7");
}

TEST_F(Printf, SignedUnsignedOctalCharString) {
  qlib::printf("%d %d %u %o %c %s", -5, -2147483647 - 1, 4294967295u, 8, 'Q', "str");
  EXPECT_EQ(out(), "-5 -2147483648 4294967295 10 Q str");
}

TEST_F(Printf, PercentAndUnknownConversions) {
  qlib::printf("100%% %5d!", 99);
  // "%5" drops the 5 and consumes nothing; the d prints as itself.
  EXPECT_EQ(out(), "100% d!");
}

TEST_F(Printf, WidthWithoutLeadingZeroIsNoWidth) {
  qlib::printf("[%2d]", 3);
  EXPECT_EQ(out(), "[d]");
}

TEST_F(Printf, FormatEndingAfterThePercentOrWidthStops) {
  qlib::printf("abc%");
  qlib::printf("x%0");
  qlib::printf("y%05");
  EXPECT_EQ(out(), "abcxy");
}

TEST_F(Printf, NullStringPrintsAPlaceholder) {
  qlib::printf("[%s]", static_cast<const char*>(nullptr));
  EXPECT_EQ(out(), "[(null)]");
}

TEST(Convert, DigitsPaddingAndNoTruncation) {
  EXPECT_STREQ(qlib::convert(0, 10, 0, 0), "0");
  EXPECT_STREQ(qlib::convert(0xFF, 16, 1, 4), "00FF");
  EXPECT_STREQ(qlib::convert(0xFF, 16, 0, 1), "ff");
  EXPECT_STREQ(qlib::convert(5, 2, 0, 8), "00000101");
  EXPECT_STREQ(qlib::convert(0xFFFFFFFFu, 2, 0, 0), "11111111111111111111111111111111");
  EXPECT_STREQ(qlib::convert(1, 10, 0, 99), "00000000000000000000000000000001");
}

TEST_F(Printf, DisplayMemoryFullAndPartialLines) {
  uint8_t bytes[20];
  for (int i = 0; i < 20; i++) bytes[i] = static_cast<uint8_t>(i == 0 ? 'A' : (i == 1 ? 0x7F : 0x30 + i));
  qlib::displayMemory(bytes, 20);
  std::string expected = "\n0000: 41 7F 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F A.23456789:;<=>?";
  expected += "\n0010: 40 41 42 43 ";
  EXPECT_EQ(out(), expected);
}

}  // namespace
