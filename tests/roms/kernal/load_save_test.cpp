// LOAD and SAVE: the disk hand-off with the zero page the machine's trap
// reads, the messages, and every error path.
#include <gtest/gtest.h>

#include <string>

#include "tests/roms/kernal/kernal_fixture.h"

namespace {

constexpr uint16_t kStatus = 0x90, kNameLength = 0xB7, kSecondary = 0xB9, kDevice = 0xBA, kName = 0xBB;
constexpr uint16_t kEnd = 0xAE, kStart = 0xC1;

class LoadSaveTest : public KernalTest {
 protected:
  void Name(const std::string& name) {
    for (size_t i = 0; i < name.size(); i++) machine.poke(KernalMachine::kScratch + i, name[i]);
    machine.call(kernal::kSetnam, static_cast<uint8_t>(name.size()), KernalMachine::kScratch & 0xFF,
                 KernalMachine::kScratch >> 8);
  }
  void Files(uint8_t device, uint8_t secondary) { machine.call(kernal::kSetlfs, 1, device, secondary); }
  // Answers a load as the machine does: ST, and the end address unless the
  // file brings its own load address.
  void HostLoads(uint8_t status, uint16_t end) {
    machine.on_host_request([=, this](KernalMachine& m, uint8_t request) {
      seen_request = request;
      seen_name_length = m.peek(kNameLength);
      seen_name = m.peek_word(kName);
      seen_secondary = m.peek(kSecondary);
      seen_start = m.peek_word(kStart);
      seen_end = m.peek_word(kEnd);
      if (request != 4) return;
      m.poke(kStatus, status);
      m.poke(kEnd, end & 0xFF);
      m.poke(kEnd + 1, end >> 8);
    });
  }
  uint8_t seen_request = 0, seen_name_length = 0, seen_secondary = 0;
  uint16_t seen_name = 0, seen_start = 0, seen_end = 0;
};

TEST_F(LoadSaveTest, DiskLoadHandsOffAndReturnsTheEnd) {
  HostLoads(0x40, 0x0A2C);
  Files(8, 0);
  Name("GAME");
  CallResult result = machine.call(kernal::kLoad, 0, 0x01, 0x08);
  ASSERT_TRUE(result.completed);
  EXPECT_EQ(machine.host_requests(), 1);
  EXPECT_EQ(seen_request, 4);
  EXPECT_EQ(seen_name_length, 4);
  EXPECT_EQ(seen_name, KernalMachine::kScratch);
  EXPECT_EQ(seen_secondary, 0);
  EXPECT_FALSE(result.carry());
  EXPECT_EQ(result.x, 0x2C);
  EXPECT_EQ(result.y, 0x0A);
  EXPECT_EQ(machine.peek(kStatus), 0x40);
}

TEST_F(LoadSaveTest, DirectModeLoadPrintsSearchingAndLoading) {
  HostLoads(0x40, 0x0900);
  machine.call(kernal::kSetmsg, 0x80);
  Files(8, 1);
  Name("GAME");
  machine.call(kernal::kLoad, 0);
  EXPECT_EQ(machine.screen_text(1), "SEARCHING FOR GAME");
  EXPECT_EQ(machine.screen_text(2), "LOADING");
  EXPECT_EQ(seen_secondary, 1);
}

TEST_F(LoadSaveTest, VerifyPrintsVerifying) {
  HostLoads(0x40, 0x0900);
  machine.call(kernal::kSetmsg, 0x80);
  Files(8, 0);
  Name("X");
  machine.call(kernal::kLoad, 1);
  EXPECT_EQ(machine.screen_text(2), "VERIFYING");
  EXPECT_EQ(machine.peek(0x93), 1);
}

TEST_F(LoadSaveTest, ProgramModeLoadPrintsNothing) {
  HostLoads(0x40, 0x0900);
  Files(8, 0);
  Name("GAME");
  machine.call(kernal::kLoad, 0);
  for (int row = 0; row < 25; row++) EXPECT_EQ(machine.screen_text(row), "") << row;
}

TEST_F(LoadSaveTest, FileNotFoundIsError4) {
  HostLoads(0x42, 0);
  machine.call(kernal::kSetmsg, 0xC0);
  Files(8, 0);
  Name("NONE");
  CallResult result = machine.call(kernal::kLoad, 0);
  EXPECT_TRUE(result.carry());
  EXPECT_EQ(result.a, 4);
  EXPECT_EQ(machine.screen_text(2), "I/O ERROR #4");
}

TEST_F(LoadSaveTest, DiskLoadWithoutANameIsError8) {
  HostLoads(0x40, 0);
  Files(8, 0);
  Name("");
  CallResult result = machine.call(kernal::kLoad, 0);
  EXPECT_TRUE(result.carry());
  EXPECT_EQ(result.a, 8);
  EXPECT_EQ(machine.host_requests(), 0);
}

TEST_F(LoadSaveTest, KeyboardScreenAndRs232CannotLoad) {
  for (uint8_t device : {0, 2, 3}) {
    Files(device, 0);
    Name("A");
    CallResult result = machine.call(kernal::kLoad, 0);
    EXPECT_TRUE(result.carry()) << int(device);
    EXPECT_EQ(result.a, 9) << int(device);
  }
  EXPECT_EQ(machine.host_requests(), 0);
}

TEST_F(LoadSaveTest, TapeIsNotPresent) {
  Files(1, 0);
  Name("A");
  CallResult result = machine.call(kernal::kLoad, 0);
  EXPECT_TRUE(result.carry());
  EXPECT_EQ(result.a, 5);
  EXPECT_EQ(machine.peek(kStatus) & 0x80, 0x80);
}

TEST_F(LoadSaveTest, DiskSaveHandsOffWithStartAndEnd) {
  HostLoads(0, 0);
  machine.poke(0x2B, 0x01);
  machine.poke(0x2C, 0x08);
  machine.call(kernal::kSetmsg, 0x80);
  Files(8, 0);
  Name("PROG");
  CallResult result = machine.call(kernal::kSave, 0x2B, 0x50, 0x08);
  EXPECT_FALSE(result.carry());
  EXPECT_EQ(seen_request, 5);
  EXPECT_EQ(seen_start, 0x0801);
  EXPECT_EQ(seen_end, 0x0850);
  EXPECT_EQ(seen_name_length, 4);
  EXPECT_EQ(machine.screen_text(1), "SAVING PROG");
}

TEST_F(LoadSaveTest, SaveErrors) {
  HostLoads(0, 0);
  Files(8, 0);
  Name("");
  CallResult unnamed = machine.call(kernal::kSave, 0x2B, 0x50, 0x08);
  EXPECT_TRUE(unnamed.carry());
  EXPECT_EQ(unnamed.a, 8);
  Files(3, 0);
  Name("P");
  CallResult screen = machine.call(kernal::kSave, 0x2B, 0x50, 0x08);
  EXPECT_TRUE(screen.carry());
  EXPECT_EQ(screen.a, 9);
  EXPECT_EQ(machine.host_requests(), 0);
}

// The host answers a save it could not store in ST; SAVE reports it.
TEST_F(LoadSaveTest, ASaveTheHostCouldNotStoreIsAnError) {
  struct Case {
    uint8_t status;
    bool fails;
    uint8_t error;
  } cases[] = {{0x00, false, 0}, {0x02, true, 7}, {0x80, true, 5}};
  for (const Case& c : cases) {
    machine.on_host_request([&](KernalMachine& m, uint8_t request) {
      if (request == 5) m.poke(kStatus, c.status);
    });
    Files(8, 0);
    Name("PROG");
    CallResult result = machine.call(kernal::kSave, 0x2B, 0x50, 0x08);
    ASSERT_TRUE(result.completed);
    EXPECT_EQ(result.carry(), c.fails) << int(c.status);
    if (c.fails) EXPECT_EQ(result.a, c.error) << int(c.status);
  }
}

TEST_F(LoadSaveTest, HandOffBytesAreThoseThePatchWrites) {
  const uint8_t load[20] = {0xA9, 0x04, 0x8D, 0x02, 0x00, 0xA5, 0x90, 0x4A, 0x4A, 0xB0,
                            0x61, 0x20, 0xD2, 0xF5, 0x18, 0xA6, 0xAE, 0xA4, 0xAF, 0x60};
  const uint8_t save[7] = {0xA9, 0x05, 0x8D, 0x02, 0x00, 0x18, 0x60};
  for (int i = 0; i < 20; i++) EXPECT_EQ(machine.kernal_image_byte(0xF4C4 + i), load[i]) << i;
  for (int i = 0; i < 7; i++) EXPECT_EQ(machine.kernal_image_byte(0xF605 + i), save[i]) << i;
}

}  // namespace
