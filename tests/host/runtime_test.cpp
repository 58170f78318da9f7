// The runtime library's edge behaviour, which callers depend on.
#include <gtest/gtest.h>

#include "lib/stdlib.h"
#include "lib/string.h"

namespace {

TEST(RuntimeStrings, ComparisonsReturnOnlyMinusOneZeroOne) {
  EXPECT_EQ(qlib::strcmp("abc", "abc"), 0);
  EXPECT_EQ(qlib::strcmp("abc", "abd"), -1);
  EXPECT_EQ(qlib::strcmp("abz", "abc"), 1);
  EXPECT_EQ(qlib::strcmp("ab", "abc"), -1);
  EXPECT_EQ(qlib::strcmp("abc", "ab"), 1);
  // Bytes compare signed: 0x80 sorts before 'a'.
  EXPECT_EQ(qlib::strcmp("\x80", "a"), -1);
  EXPECT_EQ(qlib::strncmp("abcX", "abcY", 3), 0);
  EXPECT_EQ(qlib::strncmp("abcX", "abcY", 4), -1);
  EXPECT_EQ(qlib::strncmp("a", "b", 0), 0);
}

TEST(RuntimeStrings, StrncpyPadsAndRejectsNull) {
  char buffer[8];
  qlib::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(qlib::strncpy(buffer, "ab", 5), buffer);
  EXPECT_EQ(std::string(buffer, 5), std::string("ab\0\0\0", 5));
  EXPECT_EQ(buffer[5], 'x');
  // A source as long as the count gets no terminator.
  qlib::memset(buffer, 'x', sizeof buffer);
  qlib::strncpy(buffer, "abcdefgh", 4);
  EXPECT_EQ(std::string(buffer, 5), "abcdx");
  EXPECT_EQ(qlib::strncpy(nullptr, "a", 1), nullptr);
  EXPECT_EQ(qlib::strncpy(buffer, nullptr, 1), nullptr);
}

TEST(RuntimeStrings, SearchesFindFirstLastAndTerminator) {
  const char* s = "banana";
  EXPECT_EQ(qlib::strchr(s, 'n'), s + 2);
  EXPECT_EQ(qlib::strrchr(s, 'n'), s + 4);
  EXPECT_EQ(qlib::strchr(s, 'z'), nullptr);
  EXPECT_EQ(qlib::strrchr(s, 'z'), nullptr);
  EXPECT_EQ(qlib::strchr(s, 0), s + 6);
  EXPECT_EQ(qlib::strrchr(s, 0), s + 6);
  EXPECT_EQ(qlib::strlen(s), 6);
  EXPECT_EQ(qlib::strlen(""), 0);
}

TEST(RuntimeStrings, StrtokSplitsAndRemembersPosition) {
  char text[] = "  one,,two three  ";
  EXPECT_STREQ(qlib::strtok(text, " ,"), "one");
  EXPECT_STREQ(qlib::strtok(nullptr, " ,"), "two");
  EXPECT_STREQ(qlib::strtok(nullptr, " ,"), "three");
  EXPECT_EQ(qlib::strtok(nullptr, " ,"), nullptr);
  EXPECT_EQ(qlib::strtok(nullptr, " ,"), nullptr);
  char only_delimiters[] = ",,,";
  EXPECT_EQ(qlib::strtok(only_delimiters, ","), nullptr);
}

TEST(RuntimeStrings, StrncasecmpStopsOneShortOfTheCount) {
  EXPECT_EQ(qlib::strncasecmp("abc", "xyz", 0), 0);
  EXPECT_EQ(qlib::strncasecmp("HELLO", "hello", 5), 'O' - 'o');
  EXPECT_EQ(qlib::strncasecmp("Hello", "hello", 5), 0);
  EXPECT_EQ(qlib::strncasecmp("abX", "abY", 2), 0);
  EXPECT_EQ(qlib::strncasecmp("abX", "abY", 3), 'X' - 'Y');
  EXPECT_EQ(qlib::tolower('Q'), 'q');
  EXPECT_EQ(qlib::toupper('q'), 'Q');
  EXPECT_EQ(qlib::toupper('['), '[');
  EXPECT_EQ(qlib::tolower('@'), '@');
}

TEST(RuntimeMemory, CopiesAndFills) {
  uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
  uint8_t into[6] = {};
  qlib::memcpy(into, bytes, 4u);
  EXPECT_EQ(into[3], 4);
  EXPECT_EQ(into[4], 0);
  uint16_t words[3] = {0x1234, 0x5678, 0x9ABC};
  uint16_t words_into[3] = {};
  qlib::memcpy(words_into, words, 2u);  // counts elements, not bytes
  EXPECT_EQ(words_into[1], 0x5678);
  EXPECT_EQ(words_into[2], 0);
  qlib::memset(into, 0xAB, 2);
  EXPECT_EQ(into[0], 0xAB);
  EXPECT_EQ(into[2], 3);
}

TEST(RuntimeNumbers, ItoaBasesAndSigns) {
  char buffer[40];
  EXPECT_STREQ(qlib::itoa(-255, buffer, 16), "-ff");
  EXPECT_STREQ(qlib::itoa(0, buffer, 10), "0");
  EXPECT_STREQ(qlib::itoa(1234, buffer, 10), "1234");
  EXPECT_STREQ(qlib::itoa(5, buffer, 2), "101");
  EXPECT_STREQ(qlib::itoa(35, buffer, 36), "z");
  EXPECT_STREQ(qlib::itoa(-2147483647 - 1, buffer, 10), "-2147483648");
  EXPECT_STREQ(qlib::itoa(-2147483647 - 1, buffer, 16), "-80000000");
  EXPECT_STREQ(qlib::itoa(10, buffer, 1), "");
  EXPECT_STREQ(qlib::itoa(10, buffer, 37), "");
}

TEST(RuntimeNumbers, HtoiAndAtoiAsTheKernelUsesThem) {
  EXPECT_EQ(qlib::htoi("   1aG"), 26);
  EXPECT_EQ(qlib::htoi("\t\tFF"), 255);
  EXPECT_EQ(qlib::htoi(""), 0);
  EXPECT_EQ(qlib::htoi("xyz"), 0);
  EXPECT_EQ(qlib::htoi("c000"), 0xC000);
  EXPECT_EQ(qlib::atoi("12345"), 12345);
  // No sign handling: '-' counts as the digit -3.
  EXPECT_EQ(qlib::atoi("-1"), -29);
  EXPECT_EQ(qlib::atoi(""), 0);
  EXPECT_EQ(qlib::abs(-7), 7);
  EXPECT_EQ(qlib::sgn(-7), -1);
  EXPECT_EQ(qlib::sgn(0), 0);
  EXPECT_EQ(qlib::sgn(9), 1);
}

}  // namespace
