// Key routing in the keyboard interrupt: the hot keys, the machine and the
// monitor taking turns at the keyboard, and the monitor's shell.
#include <gtest/gtest.h>

#include <future>
#include <string.h>

#include <chrono>
#include <string>
#include <thread>

#include "drivers/keyboard.h"
#include "emulator/c64.h"
#include "emulator/cpu.h"
#include "emulator/io.h"
#include "emulator/io_events.h"
#include "emulator/monitor.h"
#include "tests/hosted/console_capture.h"

using namespace korvan::drivers;
using korvan::hosted::ConsoleCapture;

namespace {

class KeyRouting : public ::testing::Test {
 protected:
  void SetUp() override {
    g_face_active = 0;
    c64ptr = &machine;
  }
  void TearDown() override {
    c64ptr = nullptr;
    g_face_active = 1;
  }
  bool held(int row, int column) const { return (machine.io->keyboard_matrix_row(row) & (1 << column)) == 0; }
  C64 machine;
  IOKeyboardEventHandler keys;
};

TEST_F(KeyRouting, WithoutAMachineKeysAreDropped) {
  c64ptr = nullptr;
  keys.OnKeyDown(kKeyEscape);
  keys.OnKeyUp('A');
  EXPECT_EQ(keys.mode(), IOKeyboardEventHandler::kMachineMode);
}

TEST_F(KeyRouting, EscStopsTheMachineAndEscAgainResumesIt) {
  keys.OnKeyDown(kKeyEscape);
  EXPECT_FALSE(machine.running);
  EXPECT_EQ(keys.mode(), IOKeyboardEventHandler::kMonitorMode);
  keys.OnKeyDown(kKeyEscape);
  EXPECT_TRUE(machine.running);
  EXPECT_FALSE(machine.monitor->active());
  EXPECT_EQ(keys.mode(), IOKeyboardEventHandler::kMachineMode);
}

TEST_F(KeyRouting, KeysGoToTheMatrixInMachineModeAndToTheMonitorLine) {
  ConsoleCapture console;
  keys.OnKeyDown('A');
  EXPECT_TRUE(held(1, 2));
  keys.OnKeyUp('A');
  EXPECT_FALSE(held(1, 2));
  keys.OnKeyDown(kKeyEscape);
  keys.OnKeyDown('M');
  keys.OnKeyUp('M');
  EXPECT_FALSE(held(4, 4));
  EXPECT_STREQ(machine.monitor->line(), "M");
}

TEST_F(KeyRouting, F10RequestsARebuildAndLeavesTheMonitorFirst) {
  keys.OnKeyDown(kKeyF10);
  EXPECT_TRUE(machine.exit_requested);
  C64 second;
  c64ptr = &second;
  keys.OnKeyDown(kKeyEscape);
  keys.OnKeyDown(kKeyF10);
  EXPECT_TRUE(second.exit_requested);
  EXPECT_TRUE(second.running);
  EXPECT_EQ(keys.mode(), IOKeyboardEventHandler::kMachineMode);
}

TEST_F(KeyRouting, F12TogglesFrameSkipAndIsStillDelivered) {
  ConsoleCapture console;
  keys.OnKeyDown(kKeyF12);
  EXPECT_EQ(machine.io->frame_skip(), IO::kFrameSkip);
  keys.OnKeyDown(kKeyF12);
  EXPECT_EQ(machine.io->frame_skip(), 0);
  keys.OnKeyDown(kKeyEscape);
  keys.OnKeyDown(kKeyF12);
  EXPECT_EQ(machine.io->frame_skip(), IO::kFrameSkip);
  // The monitor gets the key too, and types nothing for it.
  EXPECT_EQ(machine.monitor->line_length(), 0);
}

TEST_F(KeyRouting, F9IsRestoreAndTheModeOutlivesTheMachine) {
  uint32_t cycles = machine.cpu->cycles();
  keys.OnKeyDown(kKeyF9);
  EXPECT_GT(machine.cpu->cycles(), cycles);
  keys.OnKeyDown(kKeyEscape);
  C64 rebuilt;
  c64ptr = &rebuilt;
  keys.OnKeyDown(kKeyEscape);
  EXPECT_EQ(keys.mode(), IOKeyboardEventHandler::kMachineMode);
}

TEST(MonitorShell, StartShowsBannerHelpAndPromptThenWaitsForStop) {
  ConsoleCapture console;
  Monitor monitor;
  std::thread leave([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    monitor.Stop();
  });
  monitor.Start();
  leave.join();
  std::string text = console.text();
  EXPECT_EQ(text.find("Quillon v0.10 - Debugging:\n\n" + std::string(52, '=') + "\nCommands:\n"), 0u);
  EXPECT_NE(text.find("W - Write RAM to file (W FILENAME.EXT C000 C1FF)\nESC - Return to system\n"),
            std::string::npos);
  size_t tail = text.find("Built in ML monitor activated via SYS 36864\n\n>");
  ASSERT_NE(tail, std::string::npos);
  EXPECT_EQ(tail + strlen("Built in ML monitor activated via SYS 36864\n\n>"), text.size());
  EXPECT_FALSE(monitor.active());
}

TEST(MonitorShell, TypingEchoesBackspaceEditsAndEnterPromptsAgain) {
  ConsoleCapture console;
  Monitor monitor;
  monitor.OnKeyDown(Monitor::kKeyBackspace);  // nothing to delete
  EXPECT_STREQ(console.text(), "");
  monitor.OnKeyDown('M');
  monitor.OnKeyDown('%');
  monitor.OnKeyDown(Monitor::kKeyBackspace);
  EXPECT_STREQ(monitor.line(), "M");
  EXPECT_STREQ(console.text(), "M%\x0E");
  console.reset();
  monitor.OnKeyDown(Monitor::kKeyEnter);
  EXPECT_STREQ(console.text(), "?\n>");
  EXPECT_EQ(monitor.line_length(), 0);
  console.reset();
  monitor.OnKeyDown(Monitor::kKeyEnter);  // an empty line does nothing
  EXPECT_STREQ(console.text(), "\n>");
}

TEST(MonitorShell, QuestionMarkShowsHelpAndALineHoldsEightyCharacters) {
  ConsoleCapture console;
  Monitor monitor;
  monitor.OnKeyDown('?');
  EXPECT_EQ(std::string(console.text()).find("Commands:\n"), 0u);
  EXPECT_EQ(monitor.line_length(), 0);
  console.reset();
  for (int i = 0; i < 81; i++) monitor.OnKeyDown('x');
  EXPECT_EQ(monitor.line_length(), 80);
  EXPECT_EQ(strlen(console.text()), 80u);
}

// A second Esc can come while the main loop is on its way into the monitor,
// after it saw the machine stopped: that Stop must end the Start that follows.
TEST(MonitorShell, AStopBeforeStartIsNotLost) {
  ConsoleCapture console;
  Monitor monitor;
  monitor.Activate();
  monitor.Stop();
  std::future<void> shown = std::async(std::launch::async, [&] { monitor.Start(); });
  bool returned = shown.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!returned) monitor.Stop();
  EXPECT_TRUE(returned) << "Start waited for a Stop that had already come";
}

TEST_F(KeyRouting, EscTwiceBeforeThePassKeepsTheMachineRunning) {
  ConsoleCapture console;
  machine.begin();
  keys.OnKeyDown(kKeyEscape);
  keys.OnKeyDown(kKeyEscape);
  EXPECT_TRUE(machine.run_pass());
  EXPECT_TRUE(machine.running);
  EXPECT_EQ(std::string(console.text()).find("Debugging"), std::string::npos);
}

TEST(MonitorShell, ModifierFunctionAndCursorKeysAreNotTyped) {
  ConsoleCapture console;
  Monitor monitor;
  for (uint8_t key : {kKeyShift, kKeyCtrl, kKeyAlt, kKeyTab, kKeyF1, kKeyLeft, kKeyHome, kKeyF9})
    monitor.OnKeyDown(key);
  monitor.OnKeyDown('R');
  EXPECT_STREQ(monitor.line(), "R");
  EXPECT_STREQ(console.text(), "R");
}

}  // namespace
