// SCNKEY against matrix presses: decoding with every modifier, repeat,
// the case switch, the buffer limit and the RUN/STOP key.
#include <gtest/gtest.h>

#include <vector>

#include "tests/roms/kernal/kernal_fixture.h"

namespace {

constexpr int kKeyA = 10, kKey1 = 56, kKey2 = 59, kKeyColon = 45, kSpace = 60, kCrsrDown = 7;
constexpr int kLeftShift = 15, kRightShift = 52, kCommodore = 61, kControl = 58, kRunStop = 63;
constexpr uint16_t kKeyCount = 0xC6, kKeyBuffer = 0x0277;

class KeyboardTest : public KernalTest {
 protected:
  // Holds the keys for some jiffies, then releases them and lets the scan
  // see the release; returns what reached the keyboard buffer, which is
  // emptied every jiffy as a program reading keys would.
  std::vector<uint8_t> Hold(std::vector<int> keys, int jiffies = 3) {
    std::vector<uint8_t> typed;
    machine.press(std::move(keys));
    for (int jiffy = 0; jiffy < jiffies + 2; jiffy++) {
      if (jiffy == jiffies) machine.release_all();
      machine.run_jiffies(1);
      for (int i = 0; i < machine.peek(kKeyCount); i++) typed.push_back(machine.peek(kKeyBuffer + i));
      machine.poke(kKeyCount, 0);
    }
    return typed;
  }
};

TEST_F(KeyboardTest, PlainKeyTypesOnce) {
  EXPECT_EQ(Hold({kKeyA}), std::vector<uint8_t>{'A'});
  EXPECT_EQ(machine.peek(0xC5), 0x40);  // no key after the release
}

TEST_F(KeyboardTest, EitherShiftSelectsTheShiftedTable) {
  EXPECT_EQ(Hold({kLeftShift, kKeyA}), std::vector<uint8_t>{0xC1});
  EXPECT_EQ(Hold({kRightShift, kKey1}), std::vector<uint8_t>{'!'});
  EXPECT_EQ(Hold({kLeftShift, kCrsrDown}), std::vector<uint8_t>{0x91});
}

TEST_F(KeyboardTest, CommodoreKeyGivesGraphicsAndColours) {
  EXPECT_EQ(Hold({kCommodore, kKeyA}), std::vector<uint8_t>{0xB0});
  EXPECT_EQ(Hold({kCommodore, kKey1}), std::vector<uint8_t>{0x81});
}

TEST_F(KeyboardTest, ControlKeyGivesControlCodes) {
  EXPECT_EQ(Hold({kControl, kKeyA}), std::vector<uint8_t>{0x01});
  EXPECT_EQ(Hold({kControl, kKey1}), std::vector<uint8_t>{0x90});
  EXPECT_EQ(Hold({kControl, kCommodore, kKey2}), std::vector<uint8_t>{0x05});  // CTRL wins
}

TEST_F(KeyboardTest, ModifiersAloneTypeNothing) {
  EXPECT_TRUE(Hold({kLeftShift}).empty());
  EXPECT_EQ(machine.peek(0x028D), 0);
}

TEST_F(KeyboardTest, DecodeTablesHoldTheStockValues) {
  const struct { uint16_t address; uint8_t value; } stock[] = {
      {0xEBAE, ':'}, {0xEBAF, '@'}, {0xEBB2, '*'}, {0xEBB3, ';'}, {0xEBD5, '&'}, {0xEBDA, '\''}, {0xEBDD, '('},
      {0xEBE2, ')'}, {0xEBE5, '0'}, {0xEBEF, '['}, {0xEBF4, ']'}, {0xEBF7, '='}, {0xEBFD, '"'}};
  for (const auto& entry : stock)
    EXPECT_EQ(machine.kernal_image_byte(entry.address), entry.value) << std::hex << entry.address;
  EXPECT_EQ(machine.kernal_image_byte(0xEB81 + 64), 0xFF);
  EXPECT_EQ(machine.kernal_image_byte(0xEBC2 + 64), 0xFF);
}

TEST_F(KeyboardTest, TablesTypeTheC64sOwnPunctuation) {
  EXPECT_EQ(Hold({kKeyColon}), std::vector<uint8_t>{':'});
  EXPECT_EQ(Hold({kRightShift, kKey2}), std::vector<uint8_t>{'"'});
}

TEST_F(KeyboardTest, SpaceRepeatsButLettersDoNot) {
  EXPECT_GT(Hold({kSpace}, 40).size(), 3u);
  EXPECT_EQ(Hold({kKeyA}, 40).size(), 1u);
}

TEST_F(KeyboardTest, RepeatFlagControlsWhichKeysRepeat) {
  machine.poke(0x028A, 0x80);
  EXPECT_GT(Hold({kKeyA}, 40).size(), 3u);
  machine.poke(0x028A, 0x40);
  EXPECT_EQ(Hold({kSpace}, 40).size(), 1u);
}

TEST_F(KeyboardTest, BufferStopsAtTenCharacters) {
  machine.poke(0x028A, 0x80);
  machine.press({kKeyA});
  machine.run_jiffies(60);
  machine.release_all();
  EXPECT_EQ(machine.peek(kKeyCount), 1);  // repeats only into an empty buffer
  machine.poke(kKeyCount, 0);
  for (int i = 0; i < 12; i++) {
    machine.press({i % 2 ? kKeyA : kKey1});
    machine.run_jiffies(2);
    machine.release_all();
    machine.run_jiffies(2);
  }
  EXPECT_EQ(machine.peek(kKeyCount), 10);
}

TEST_F(KeyboardTest, ShiftCommodoreTogglesTheCaseUnlessLocked) {
  // $D018 bit 0 is unconnected and reads as 1.
  Hold({kLeftShift, kCommodore});
  EXPECT_EQ(machine.vic_register(0x18), 0x17);
  Hold({kLeftShift, kCommodore});
  EXPECT_EQ(machine.vic_register(0x18), 0x15);
  machine.poke(0x0291, 0x80);
  Hold({kLeftShift, kCommodore});
  EXPECT_EQ(machine.vic_register(0x18), 0x15);
}

// While the host types every key itself, the scan reports the matrix for
// programs that read it (PEEK(197), PEEK(653)) and types nothing, the case
// switch included.
TEST_F(KeyboardTest, WhileTheHostTypesTheScanOnlyReports) {
  machine.let_host_type_keys();
  machine.press({kLeftShift, kKeyA});
  machine.run_jiffies(3);
  EXPECT_EQ(machine.peek(0xCB), kKeyA);
  EXPECT_EQ(machine.peek(0x028D), 1);
  machine.release_all();
  machine.run_jiffies(2);
  EXPECT_EQ(machine.peek(0xCB), 0x40);
  EXPECT_TRUE(Hold({kSpace}, 40).empty());
  Hold({kLeftShift, kCommodore});
  EXPECT_EQ(machine.vic_register(0x18), 0x15);
}

TEST_F(KeyboardTest, RunStopSetsTheStopFlag) {
  machine.press({kRunStop});
  machine.run_jiffies(2);
  EXPECT_EQ(machine.peek(0x91), 0x7F);
  machine.poke(kKeyCount, 3);
  CallResult held = machine.call(kernal::kStop);
  EXPECT_TRUE(held.zero());
  EXPECT_EQ(machine.peek(kKeyCount), 0);  // STOP empties the buffer
  machine.release_all();
  machine.run_jiffies(2);
  CallResult released = machine.call(kernal::kStop);
  EXPECT_FALSE(released.zero());
}

TEST_F(KeyboardTest, FaceTypingCoexistsWithTheScan) {
  machine.type('q');
  EXPECT_EQ(machine.peek(0xCB), 0x40);
  EXPECT_EQ(machine.peek(0xC5), 0x40);
  machine.run_jiffies(3);
  EXPECT_EQ(machine.peek(kKeyCount), 1);
  EXPECT_EQ(machine.peek(kKeyBuffer), 'Q');
}

TEST_F(KeyboardTest, ScanLeavesTheStopRowSelected) {
  machine.run_jiffies(2);
  EXPECT_EQ(machine.read(0xDC00), 0x7F);
}

TEST_F(KeyboardTest, ScnkeyCallDecodesAPress) {
  machine.press({kKeyA});
  CallResult result = machine.call(kernal::kScnkey);
  ASSERT_TRUE(result.completed);
  EXPECT_EQ(machine.peek(0xCB), kKeyA);
  EXPECT_GE(machine.peek(kKeyCount), 1);
}

}  // namespace
