// The PS/2 keyboard driver against a simulated 8042: decoding, the extended
// prefix, the scancode ring and the controller's programming.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "drivers/keyboard.h"
#include "emulator/scan_ring.h"
#include "hosted/clean_bus.h"
#include "hosted/hosted_interrupts.h"
#include "hosted/simulated_8042.h"

namespace {

using korvan::drivers::KeyboardDriver;
using korvan::drivers::KeyboardEventHandler;
using korvan::hosted::PortAccess;

constexpr bool kDown = true;
constexpr bool kUp = false;
using Event = std::pair<bool, uint8_t>;

struct RecordingHandler : KeyboardEventHandler {
  std::vector<Event> events;
  void OnKeyDown(uint8_t key) override { events.push_back({kDown, key}); }
  void OnKeyUp(uint8_t key) override { events.push_back({kUp, key}); }
};

class Keyboard : public ::testing::Test {
 protected:
  Keyboard() : ring_start(g_scan_head) {}

  // Each queued byte raises IRQ 1 once, as the controller would.
  void interrupt(unsigned times = 1) {
    for (unsigned i = 0; i < times; i++) irq.raise(KeyboardDriver::kInterruptLine);
  }
  std::vector<uint8_t> ring() const {
    std::vector<uint8_t> bytes;
    for (uint32_t i = ring_start; i != g_scan_head; i++)
      bytes.push_back(static_cast<uint8_t>(g_scan_ring[i % kScanRingSize]));
    return bytes;
  }

  korvan::hosted::CleanBus bus;
  korvan::hosted::Simulated8042 controller;
  korvan::hosted::HostedInterrupts irq;
  RecordingHandler handler;
  KeyboardDriver driver{&irq.manager, &handler};
  uint32_t ring_start;
};

TEST_F(Keyboard, RegistersForIrq1WithoutTouchingTheController) {
  korvan::hosted::clear_port_log();
  KeyboardDriver second(&irq.manager, &handler);
  unsigned count;
  korvan::hosted::port_log(&count);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(irq.manager.Handler(0x21), &second);
}

TEST_F(Keyboard, PressAndReleaseOfAReportDownThenUp) {
  controller.type({0x1E, 0x9E});
  interrupt(2);
  EXPECT_EQ(handler.events, (std::vector<Event>{{kDown, 'A'}, {kUp, 'A'}}));
  EXPECT_EQ(ring(), (std::vector<uint8_t>{0x1E, 0x9E}));
}

TEST_F(Keyboard, KeysDeliverTheirCodes) {
  const std::pair<uint8_t, uint8_t> keys[] = {
      {0x01, 1},    {0x02, '1'},  {0x0B, '0'},  {0x0C, '-'},  {0x0D, '='},  {0x0E, 14},  {0x0F, 15},
      {0x10, 'Q'},  {0x19, 'P'},  {0x1A, '['},  {0x1B, ']'},  {0x1C, 10},   {0x1D, 29},  {0x26, 'L'},
      {0x27, ';'},  {0x28, '\''}, {0x29, '`'},  {0x2A, 42},   {0x2B, '+'},  {0x2C, 'Z'}, {0x32, 'M'},
      {0x33, ','},  {0x34, '.'},  {0x35, '/'},  {0x36, 42},   {0x37, 42},   {0x38, 255}, {0x39, ' '},
      {0x3B, 241},  {0x42, 248},  {0x43, 2},    {0x44, 3},    {0x45, 145},  {0x46, 144}, {0x47, 252},
      {0x48, 253},  {0x4B, 250},  {0x4D, 251},  {0x50, 254},  {0x58, 4},
  };
  for (auto [scan, code] : keys) {
    handler.events.clear();
    controller.type({scan, static_cast<uint8_t>(scan | 0x80)});
    interrupt(2);
    EXPECT_EQ(handler.events, (std::vector<Event>{{kDown, code}, {kUp, code}})) << "scancode " << int(scan);
  }
}

TEST_F(Keyboard, CursorKeysBehindThePrefixGiveTheKeypadCodes) {
  controller.type({0xE0, 0x48, 0xE0, 0xC8, 0xE0, 0x4B, 0xE0, 0x4D, 0xE0, 0x50, 0xE0, 0x47});
  interrupt(6);
  EXPECT_EQ(handler.events, (std::vector<Event>{{kDown, 253}, {kUp, 253}, {kDown, 250}, {kDown, 251},
                                                {kDown, 254}, {kDown, 252}}));
  // The second byte of each pair is taken with the prefix and kept out of the ring.
  EXPECT_EQ(ring(), std::vector<uint8_t>(6, 0xE0));
  EXPECT_FALSE(controller.output_full());
}

TEST_F(Keyboard, OtherExtendedKeysAreDroppedWithTheirSecondByte) {
  controller.type({0xE0, 0x1D, 0xE0, 0x9D, 0xE0, 0x1C, 0x1E});  // right Ctrl, keypad Enter, then A
  interrupt(4);
  EXPECT_EQ(handler.events, (std::vector<Event>{{kDown, 'A'}}));
}

TEST_F(Keyboard, KeysWithoutCodeAreDroppedButEnterTheRing) {
  const std::vector<uint8_t> bytes = {0x3A, 0xBA, 0x00, 0x49, 0x4A, 0x4C, 0x4E, 0x4F, 0x51, 0x57, 0x59, 0x7F, 0xFA};
  for (uint8_t byte : bytes) controller.type({byte});
  interrupt(static_cast<unsigned>(bytes.size()));
  EXPECT_TRUE(handler.events.empty());
  EXPECT_EQ(ring(), bytes);
}

TEST_F(Keyboard, WithoutHandlerEveryByteStillReachesTheRing) {
  KeyboardDriver silent(&irq.manager, nullptr);
  controller.type({0xE0, 0x48, 0x1E, 0x9E});
  interrupt(4);
  EXPECT_EQ(ring(), (std::vector<uint8_t>{0xE0, 0x48, 0x1E, 0x9E}));
  EXPECT_TRUE(handler.events.empty());
}

TEST_F(Keyboard, SpuriousInterruptReadsNoData) {
  korvan::hosted::clear_port_log();
  interrupt();
  unsigned count;
  const PortAccess* log = korvan::hosted::port_log(&count);
  for (unsigned i = 0; i < count; i++) EXPECT_NE(log[i].port, KeyboardDriver::kDataPort);
  EXPECT_TRUE(ring().empty());
  EXPECT_TRUE(handler.events.empty());
}

TEST_F(Keyboard, ActivateDrainsThenEnablesPortInterruptAndScanning) {
  controller.type({0xAA, 0x1E});  // left over from the firmware
  korvan::hosted::clear_port_log();
  driver.Activate();

  struct Step {
    uint16_t port;
    bool is_write;
    uint8_t value;
  };
  const uint8_t configured = (korvan::hosted::Simulated8042::kPowerOnConfiguration | 0x01) & ~0x10;
  const std::vector<Step> expected = {
      {0x64, false, 0x01}, {0x60, false, 0xAA}, {0x64, false, 0x01}, {0x60, false, 0x1E}, {0x64, false, 0x00},
      {0x64, true, 0xAE},  {0x64, true, 0x20},  {0x60, false, korvan::hosted::Simulated8042::kPowerOnConfiguration},
      {0x64, true, 0x60},  {0x60, true, configured}, {0x60, true, 0xF4},
  };
  unsigned count;
  const PortAccess* log = korvan::hosted::port_log(&count);
  ASSERT_EQ(count, expected.size());
  for (unsigned i = 0; i < count; i++) {
    EXPECT_EQ(log[i].port, expected[i].port) << "access " << i;
    EXPECT_EQ(log[i].is_write, expected[i].is_write) << "access " << i;
    EXPECT_EQ(log[i].value, expected[i].value) << "access " << i;
  }
  EXPECT_EQ(controller.configuration, 0x65);
  EXPECT_TRUE(controller.first_port_enabled);
  EXPECT_EQ(controller.keyboard_commands, std::vector<uint8_t>{0xF4});
  EXPECT_TRUE(ring().empty()) << "bytes drained before activation are not keys";

  // The keyboard's acknowledgement arrives as the first interrupt and is no key.
  interrupt();
  EXPECT_EQ(ring(), std::vector<uint8_t>{korvan::hosted::Simulated8042::kKeyboardAck});
  EXPECT_TRUE(handler.events.empty());
}

TEST_F(Keyboard, ActivateGivesUpDrainingAControllerThatNeverEmpties) {
  for (int i = 0; i < 1000; i++) controller.type({0x1E});
  driver.Activate();
  EXPECT_GT(controller.pending(), 900u);
  EXPECT_EQ(controller.keyboard_commands, std::vector<uint8_t>{0xF4});
}

}  // namespace
