// The PC keys in CIA 1's matrix on the booted machine: a held PC key stands
// at the C64 key whose character the face types for it, as a program reading
// $DC01 with rows selected in $DC00 sees it, and the KERNAL's own scan of
// that matrix decodes the same character without typing it a second time.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "drivers/keyboard.h"
#include "emulator/c64.h"
#include "emulator/c64_loop.h"
#include "emulator/io.h"
#include "emulator/memory.h"
#include "emulator/roms/c64_locations.h"
#include "emulator/scan_ring.h"
#include "face/face_node.h"
#include "face/fake6502.h"
#include "face/fake6502_bridge.h"
#include "tests/host/machine_test_support.h"
#include "hosted/simulated_8042.h"

using namespace machine_test;

namespace {

constexpr uint16_t kPortA = 0xDC00, kPortB = 0xDC01;
constexpr uint16_t kKeyCount = 0x00C6;  // NDX
constexpr uint16_t kScanKey = 0x00CB;   // SFDX
constexpr uint16_t kDecodeTable = 0x00F5;  // KEYTAB
constexpr uint8_t kRunStopRow = 0x7F;   // where the KERNAL leaves port A

// Key numbers, row * 8 + column.
constexpr int kCursorDown = 7, kA = 10, kLeftShift = 15, k7 = 24, k9 = 32, kColon = 45, kAt = 46;
constexpr int kPound = 48, kRightShift = 52, kUpArrow = 54, k1 = 56, kControl = 58, kCommodore = 61;

struct Combination {
  const char* what;
  std::vector<uint8_t> presses;  // ring bytes, released in reverse order
  uint8_t cursor_event;          // the key event the cursor keys also send, or 0
  uint8_t typed;
  std::set<int> matrix;
};

class KeyMatrixOnTheMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.begin();
    g_scan_tail = g_scan_head;
    g_video_view = 0;
    for (int i = 0; i < 3000 && !shows("READY."); i++) pass();
    ASSERT_TRUE(shows("READY."));
    // A running program that reads no keys, so what is typed stays in the
    // keyboard buffer for the test to see.
    for (char c : std::string("10 GOTO 10\rRUN\r")) c64_type_key(static_cast<uint8_t>(c));
    for (int i = 0; i < 200 && (c64_keys_waiting() || machine.mem->read_byte_no_io(kKeyCount) != 0); i++) pass();
    for (int i = 0; i < 20; i++) pass();
    ASSERT_TRUE(shows("RUN"));
    ASSERT_EQ(machine.mem->read_byte_no_io(kKeyCount), 0);
  }
  bool shows(const char* text) {
    std::string screen(reinterpret_cast<const char*>(g_face_screen), sizeof g_face_screen);
    return screen.find(text) != std::string::npos;
  }
  void pass() {
    advance_clock();
    ASSERT_TRUE(machine.run_pass());
  }
  // Every held key, one row driven low at a time, as a game scans.
  std::set<int> matrix() {
    std::set<int> keys;
    for (int row = 0; row < 8; row++) {
      machine.mem->write_byte(kPortA, static_cast<uint8_t>(~(1u << row)));
      uint8_t columns = machine.mem->read_byte(kPortB);
      for (int column = 0; column < 8; column++)
        if ((columns & (1u << column)) == 0) keys.insert(row * 8 + column);
    }
    machine.mem->write_byte(kPortA, kRunStopRow);
    return keys;
  }
  // Runs to the KERNAL's decoding of its next scan and through it: the
  // decoding takes far fewer instructions than the jiffy between scans.
  void finish_a_scan() {
    for (int i = 0; i < 100000 && f6502_pc() != c64::rom::key_decode; i++) face_tick_steps(&g_c64_face, 1);
    ASSERT_EQ(f6502_pc(), c64::rom::key_decode);
    face_tick_steps(&g_c64_face, 200);
  }
  std::vector<uint8_t> typed() {
    std::vector<uint8_t> keys;
    for (uint8_t i = 0; i < machine.mem->read_byte_no_io(kKeyCount); i++)
      keys.push_back(machine.mem->read_byte_no_io(static_cast<uint16_t>(kKeyBuffer + i)));
    return keys;
  }

  korvan::hosted::Simulated8042 controller;
  C64 machine;
};

TEST_F(KeyMatrixOnTheMachine, HeldPcKeysStandAtTheC64KeysTheirCharactersAreOn) {
  const Combination combinations[] = {
      {"A", {0x1E}, 0, 'A', {kA}},
      {"Shift+A", {0x2A, 0x1E}, 0, 0xC1, {kLeftShift, kA}},
      {"Shift+2 is @, a key of its own", {0x2A, 0x03}, 0, '@', {kAt}},
      {"Shift+; is :", {0x2A, 0x27}, 0, ':', {kColon}},
      {"' is SHIFT+7", {0x28}, 0, '\'', {kRightShift, k7}},
      {"\\ is the pound sign", {0x2B}, 0, 0x5C, {kPound}},
      {"Shift+6 is the up arrow", {0x2A, 0x07}, 0, 0x5E, {kUpArrow}},
      {"Shift+` is pi, SHIFT+up arrow", {0x2A, 0x29}, 0, 0xDE, {kLeftShift, kUpArrow}},
      {"cursor up is SHIFT+CRSR down", {0xE0, 0x48}, korvan::drivers::kKeyUp, 0x91, {kRightShift, kCursorDown}},
      {"right Alt is C=", {0xE0, 0x38, 0x02}, 0, 0x81, {kCommodore, k1}},
      {"right Ctrl is CTRL", {0xE0, 0x1D, 0x0A}, 0, 0x12, {kControl, k9}},
  };
  for (const Combination& c : combinations) {
    SCOPED_TRACE(c.what);
    machine.mem->write_byte_no_io(kKeyCount, 0);
    for (uint8_t byte : c.presses) scan_ring_append(byte);
    if (c.cursor_event != 0) machine.io->OnKeyDown(c.cursor_event);
    // Held for several of the KERNAL's scans: typed once, by the face.
    for (int i = 0; i < 6; i++) pass();
    EXPECT_EQ(matrix(), c.matrix);
    EXPECT_EQ(typed(), std::vector<uint8_t>{c.typed});
    // The KERNAL's scan found the key and chose its table from the
    // modifiers held: its own decoding gives the character typed. Read
    // after a whole scan, not one the pass left halfway.
    finish_a_scan();
    uint16_t table = machine.mem->read_word_no_io(kDecodeTable);
    uint8_t scanned = machine.mem->read_byte_no_io(kScanKey);
    EXPECT_EQ(machine.mem->read_byte(static_cast<uint16_t>(table + scanned)), c.typed);
    for (auto byte = c.presses.rbegin(); byte != c.presses.rend(); ++byte)
      if (*byte != 0xE0) {
        if (byte + 1 != c.presses.rend() && *(byte + 1) == 0xE0) scan_ring_append(0xE0);
        scan_ring_append(static_cast<uint8_t>(*byte | 0x80));
      }
    if (c.cursor_event != 0) machine.io->OnKeyUp(c.cursor_event);
    for (int i = 0; i < 3; i++) pass();
    EXPECT_TRUE(matrix().empty());
    EXPECT_EQ(typed(), std::vector<uint8_t>{c.typed}) << "nothing more once let go";
  }
}

// Every PC key, plain and with Shift: whatever the face types for it, the
// KERNAL's own tables give for the matrix it holds.
TEST_F(KeyMatrixOnTheMachine, EveryPcKeyTypesWhatTheKernalDecodesItsMatrixAs) {
  // Esc, Tab, the modifiers, Caps Lock and the hot keys F9-F12, Num and
  // Scroll Lock act on the host, not as typed keys.
  const std::set<uint8_t> host_keys = {0x01, 0x0F, 0x1D, 0x2A, 0x36, 0x38, 0x3A, 0x43, 0x44, 0x45, 0x46, 0x57, 0x58};
  int compared = 0;
  for (bool shifted : {false, true})
    for (uint8_t key = 0x02; key <= 0x58; key++) {
      if (host_keys.count(key) != 0) continue;
      SCOPED_TRACE(std::to_string(key) + (shifted ? " with Shift" : ""));
      machine.mem->write_byte_no_io(kKeyCount, 0);
      if (shifted) scan_ring_append(0x2A);
      scan_ring_append(key);
      for (int i = 0; i < 3; i++) pass();
      finish_a_scan();
      std::vector<uint8_t> keys = typed();
      uint16_t table = machine.mem->read_word_no_io(kDecodeTable);
      uint8_t decoded = machine.mem->read_byte(static_cast<uint16_t>(table + machine.mem->read_byte_no_io(kScanKey)));
      if (!keys.empty()) {
        EXPECT_EQ(keys, std::vector<uint8_t>{decoded});
        compared++;
      }
      scan_ring_append(static_cast<uint8_t>(key | 0x80));
      if (shifted) scan_ring_append(0xAA);
      for (int i = 0; i < 2; i++) pass();
      ASSERT_TRUE(matrix().empty());
    }
  EXPECT_GT(compared, 110);
}

}  // namespace
