// Logical files and channels: the file tables, every KERNAL error the
// machine can meet, the I/O ERROR message, and the absent serial bus.
#include <gtest/gtest.h>

#include <string>

#include "tests/roms/kernal/kernal_fixture.h"

namespace {

constexpr uint16_t kFileCount = 0x98, kStatus = 0x90, kInput = 0x99, kOutput = 0x9A;
constexpr uint16_t kLat = 0x0259, kFat = 0x0263, kSat = 0x026D;

class ChannelsTest : public KernalTest {
 protected:
  CallResult Open(uint8_t file, uint8_t device, uint8_t secondary = 0xFF) {
    machine.call(kernal::kSetlfs, file, device, secondary);
    machine.call(kernal::kSetnam, 0, 0, 0);
    return machine.call(kernal::kOpen);
  }
};

TEST_F(ChannelsTest, OpenEntersTheFileTables) {
  CallResult result = Open(5, 3, 2);
  EXPECT_FALSE(result.carry());
  EXPECT_EQ(machine.peek(kFileCount), 1);
  EXPECT_EQ(machine.peek(kLat), 5);
  EXPECT_EQ(machine.peek(kFat), 3);
  EXPECT_EQ(machine.peek(kSat), 0x62);
}

TEST_F(ChannelsTest, OpeningAnOpenFileIsError2) {
  Open(1, 3);
  CallResult again = Open(1, 0);
  EXPECT_TRUE(again.carry());
  EXPECT_EQ(again.a, 2);
  EXPECT_EQ(machine.peek(kFileCount), 1);
}

TEST_F(ChannelsTest, EleventhFileIsError1) {
  for (int file = 1; file <= 10; file++) ASSERT_FALSE(Open(file, 3).carry()) << file;
  CallResult full = Open(11, 3);
  EXPECT_TRUE(full.carry());
  EXPECT_EQ(full.a, 1);
  EXPECT_EQ(machine.peek(kFileCount), 10);
}

TEST_F(ChannelsTest, LogicalFileZeroIsError6) {
  CallResult zero = Open(0, 3);
  EXPECT_TRUE(zero.carry());
  EXPECT_EQ(zero.a, 6);
}

TEST_F(ChannelsTest, DevicesTheMachineLacksAreNotPresent) {
  for (uint8_t device : {1, 2, 4, 8}) {
    machine.poke(kStatus, 0);
    CallResult result = Open(7, device);
    EXPECT_TRUE(result.carry()) << int(device);
    EXPECT_EQ(result.a, 5) << int(device);
    EXPECT_EQ(machine.peek(kStatus), 0x80) << int(device);
  }
  EXPECT_EQ(machine.peek(kFileCount), 0);  // nothing half-open left behind
}

TEST_F(ChannelsTest, CloseFreesTheEntryAndMovesTheLastOneIn) {
  Open(1, 3);
  Open(2, 0);
  Open(3, 3, 4);
  CallResult closed = machine.call(kernal::kClose, 1);
  EXPECT_FALSE(closed.carry());
  EXPECT_EQ(machine.peek(kFileCount), 2);
  EXPECT_EQ(machine.peek(kLat), 3);
  EXPECT_EQ(machine.peek(kSat), 0x64);
  EXPECT_EQ(machine.peek(kLat + 1), 2);
  EXPECT_FALSE(machine.call(kernal::kClose, 9).carry());  // not open: no error
  EXPECT_EQ(machine.peek(kFileCount), 2);
  EXPECT_FALSE(Open(1, 3).carry());
}

TEST_F(ChannelsTest, ChannelsToFilesThatAreNotOpenAreError3) {
  CallResult in = machine.call(kernal::kChkin, 0, 4);
  EXPECT_TRUE(in.carry());
  EXPECT_EQ(in.a, 3);
  CallResult out = machine.call(kernal::kChkout, 0, 4);
  EXPECT_TRUE(out.carry());
  EXPECT_EQ(out.a, 3);
}

TEST_F(ChannelsTest, KeyboardIsNoOutputFile) {
  Open(2, 0);
  CallResult out = machine.call(kernal::kChkout, 0, 2);
  EXPECT_TRUE(out.carry());
  EXPECT_EQ(out.a, 7);
  EXPECT_EQ(machine.peek(kOutput), 3);
  EXPECT_FALSE(machine.call(kernal::kChkin, 0, 2).carry());
  EXPECT_EQ(machine.peek(kInput), 0);
}

TEST_F(ChannelsTest, ScreenFileServesBothDirections) {
  Open(4, 3);
  ASSERT_FALSE(machine.call(kernal::kChkout, 0, 4).carry());
  EXPECT_EQ(machine.peek(kOutput), 3);
  machine.print("SCREEN TEXT");
  machine.call(kernal::kPlot, 0, 0, 0, false);
  ASSERT_FALSE(machine.call(kernal::kChkin, 0, 4).carry());
  EXPECT_EQ(machine.peek(kInput), 3);
  std::string line;
  for (int i = 0; i < 40; i++) {
    CallResult c = machine.call(kernal::kChrin);
    if (c.a == 0x0D) break;
    line += static_cast<char>(c.a);
  }
  EXPECT_EQ(line, "SCREEN TEXT");
  EXPECT_EQ(machine.peek(0xD6), 0);  // reading the screen does not echo RETURN
}

TEST_F(ChannelsTest, ClrchnAndClallResetTheChannels) {
  Open(4, 3);
  machine.call(kernal::kChkin, 0, 4);
  machine.call(kernal::kClrchn);
  EXPECT_EQ(machine.peek(kInput), 0);
  EXPECT_EQ(machine.peek(kOutput), 3);
  machine.call(kernal::kChkin, 0, 4);
  machine.call(kernal::kClall);
  EXPECT_EQ(machine.peek(kFileCount), 0);
  EXPECT_EQ(machine.peek(kInput), 0);
}

TEST_F(ChannelsTest, MessageFlagBit6PrintsIoErrors) {
  machine.call(kernal::kSetmsg, 0x40);
  machine.call(kernal::kChkin, 0, 9);
  EXPECT_EQ(machine.screen_text(1), "I/O ERROR #3");
  machine.call(kernal::kSetmsg, 0x00);
  machine.call(kernal::kChkin, 0, 9);
  EXPECT_EQ(machine.screen_text(2), "");
}

TEST_F(ChannelsTest, SerialBusEntriesReportDeviceNotPresent) {
  for (uint16_t entry : {0xFF93, 0xFF96, 0xFFA5, 0xFFA8, 0xFFAB, 0xFFAE, 0xFFB1, 0xFFB4}) {
    machine.poke(kStatus, 0);
    CallResult result = machine.call(entry, 8);
    ASSERT_TRUE(result.completed) << std::hex << entry;
    EXPECT_EQ(machine.peek(kStatus), 0x80) << std::hex << entry;
  }
  CallResult status = machine.call(kernal::kReadst);
  EXPECT_EQ(status.a, 0x80);
}

TEST_F(ChannelsTest, OutputToAnAbsentDeviceLosesNothingSilently) {
  machine.poke(kOutput, 4);
  machine.poke(kStatus, 0);
  CallResult result = machine.call(kernal::kChrout, 'A', 1, 2);
  EXPECT_EQ(result.a, 'A');
  EXPECT_EQ(machine.peek(kStatus), 0x80);
  EXPECT_EQ(machine.screen_text(0), "");
}

TEST_F(ChannelsTest, MemtopAndMembotReadAndSet) {
  CallResult top = machine.call(kernal::kMemtop, 0, 0, 0, true);
  EXPECT_EQ(top.x | top.y << 8, 0xA000);
  machine.call(kernal::kMemtop, 0, 0x00, 0x90, false);
  EXPECT_EQ(machine.peek_word(0x0283), 0x9000);
  CallResult bottom = machine.call(kernal::kMembot, 0, 0, 0, true);
  EXPECT_EQ(bottom.x | bottom.y << 8, 0x0800);
  machine.call(kernal::kMembot, 0, 0x01, 0x10, false);
  EXPECT_EQ(machine.peek_word(0x0281), 0x1001);
}

TEST_F(ChannelsTest, VectorCopiesOutAndRestorPutsBack) {
  CallResult copied = machine.call(kernal::kVector, 0, 0x00, 0xC2, true);
  ASSERT_TRUE(copied.completed);
  EXPECT_EQ(machine.peek_word(0xC200), 0xEA31);
  EXPECT_EQ(machine.peek_word(0xC21E), 0xF5ED);
  machine.poke(0x0326, 0x34);  // a program's own CHROUT
  machine.call(kernal::kRestor);
  EXPECT_EQ(machine.peek_word(0x0326), 0xF1CA);
  machine.poke(0xC212, 0x99);  // set from the copy, changed
  machine.call(kernal::kVector, 0, 0x00, 0xC2, false);
  EXPECT_EQ(machine.peek(0x0326), 0x99);
}

}  // namespace
