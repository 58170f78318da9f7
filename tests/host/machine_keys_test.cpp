// Key routing in the keyboard interrupt and the turns the machine and its
// monitor take at the keyboard: the hot keys, the mode's states, storms of
// Esc and F10 against the passes at interleavings the test sets (no threads,
// no sleeps), and the monitor's shell.
#include <gtest/gtest.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "drivers/keyboard.h"
#include "emulator/c64.h"
#include "emulator/c64_mode.h"
#include "emulator/cpu.h"
#include "emulator/io.h"
#include "emulator/io_events.h"
#include "emulator/monitor.h"
#include "emulator/scan_ring.h"
#include "tests/fat/fat_image.h"
#include "tests/host/machine_test_support.h"
#include "hosted/clean_bus.h"
#include "hosted/console_capture.h"
#include "hosted/hosted_cpu.h"
#include "hosted/hosted_interrupts.h"
#include "hosted/simulated_8042.h"

using namespace korvan::drivers;
using korvan::hosted::ConsoleCapture;
using korvan::hosted::hosted_cpu;
using namespace machine_test;

namespace {

size_t occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) count++;
  return count;
}

// The handler alone, called as the keyboard interrupt calls it.
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
  // One key as the keyboard interrupt takes it: the raw byte into the ring,
  // marked with whose turn it is, then the key event; the pass's drain then
  // gives the ring's byte to the matrix of the machine the handler serves.
  void key(uint8_t scan, uint8_t code, bool down = true) {
    scan_ring_append(down ? scan : static_cast<uint8_t>(scan | 0x80));
    down ? keys.OnKeyDown(code) : keys.OnKeyUp(code);
    uint32_t slot = (g_scan_head - 1) % kScanRingSize;
    c64ptr->io->take_scan_byte(g_scan_ring[slot], g_scan_monitor_byte[slot] == 0);
  }
  // The keys the monitor takes once the pass has shown it.
  std::string monitor_keys() {
    machine.mode.from_main_loop(C64Mode::kShown);
    std::string keys_waiting;
    uint8_t key = 0;
    while (machine.mode.take_monitor_key(key)) keys_waiting += static_cast<char>(key);
    return keys_waiting;
  }
  C64 machine;
  IOKeyboardEventHandler keys;
};

TEST_F(KeyRouting, WithoutAMachineKeysAreDropped) {
  c64ptr = nullptr;
  keys.OnKeyDown(kKeyEscape);
  keys.OnKeyUp('A');
  EXPECT_EQ(machine.mode.state(), C64Mode::kMachine);
}

TEST_F(KeyRouting, EscStopsTheMachineAndEscAgainResumesIt) {
  keys.OnKeyDown(kKeyEscape);
  EXPECT_FALSE(machine.running());
  EXPECT_EQ(machine.mode.state(), C64Mode::kEntering);
  keys.OnKeyDown(kKeyEscape);
  EXPECT_TRUE(machine.running());
  EXPECT_EQ(machine.mode.state(), C64Mode::kMachine);
}

TEST_F(KeyRouting, KeysGoToTheMatrixInTheMachinesTurnAndWaitForTheMonitorInItsTurn) {
  key(0x1E, 'A');
  EXPECT_TRUE(held(1, 2));
  key(0x1E, 'A', false);
  EXPECT_FALSE(held(1, 2));
  key(0x01, kKeyEscape);
  key(0x32, 'M');
  key(0x32, 'M', false);
  EXPECT_FALSE(held(4, 4));
  EXPECT_EQ(monitor_keys(), "M");
}

TEST_F(KeyRouting, ReleasesReachTheMachineWhoseverTurnItIs) {
  key(0x1E, 'A');
  key(0x01, kKeyEscape);
  EXPECT_TRUE(held(1, 2));
  key(0x1E, 'A', false);  // released in the monitor's turn: not left held down
  EXPECT_FALSE(held(1, 2));
  EXPECT_EQ(monitor_keys(), "");
}

TEST_F(KeyRouting, KeysTypedToAMonitorThatIsLeftAreDropped) {
  key(0x01, kKeyEscape);
  key(0x12, 'E');
  key(0x1C, kKeyEnter);
  key(0x01, kKeyEscape);
  EXPECT_FALSE(machine.mode.monitor_keys_waiting());
  EXPECT_FALSE(held(0, 1));  // the monitor's RETURN
  key(0x2D, 'X');
  EXPECT_TRUE(held(2, 7));
  EXPECT_EQ(monitor_keys(), "");
}

TEST_F(KeyRouting, F10RequestsARebuildAndLeavesTheMonitorFirst) {
  keys.OnKeyDown(kKeyF10);
  EXPECT_TRUE(machine.mode.exit_requested());
  EXPECT_TRUE(machine.running());
  C64 second;
  c64ptr = &second;
  keys.OnKeyDown(kKeyEscape);
  keys.OnKeyDown(kKeyF10);
  EXPECT_TRUE(second.mode.exit_requested());
  EXPECT_TRUE(second.running());
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
  uint8_t key = 0;
  machine.mode.from_main_loop(C64Mode::kShown);
  ASSERT_TRUE(machine.mode.take_monitor_key(key));
  EXPECT_EQ(key, kKeyF12);
  machine.monitor->OnKeyDown(key);
  EXPECT_EQ(machine.monitor->line_length(), 0);
}

TEST_F(KeyRouting, F9IsRestoreAndARebuiltMachineStartsWithTheKeyboard) {
  uint32_t cycles = machine.cpu->cycles();
  keys.OnKeyDown(kKeyF9);
  EXPECT_GT(machine.cpu->cycles(), cycles);
  keys.OnKeyDown(kKeyEscape);
  C64 rebuilt;
  c64ptr = &rebuilt;
  EXPECT_TRUE(rebuilt.running());
  key(0x1E, 'A');
  EXPECT_TRUE((rebuilt.io->keyboard_matrix_row(1) & (1 << 2)) == 0);
}

TEST_F(KeyRouting, EscTwiceBeforeThePassKeepsTheMachineRunning) {
  ConsoleCapture console;
  machine.begin();
  keys.OnKeyDown(kKeyEscape);
  keys.OnKeyDown(kKeyEscape);
  EXPECT_TRUE(machine.run_pass());
  EXPECT_TRUE(machine.running());
  EXPECT_EQ(std::string(console.text()).find("Debugging"), std::string::npos);
}

// The mode's states, event by event.
TEST(KeyboardMode, EscTakesTurnsAndDuringACommandStopsItInstead) {
  C64Mode mode;
  EXPECT_TRUE(mode.machine_runs());
  EXPECT_FALSE(mode.from_main_loop(C64Mode::kShown)) << "nothing to show while the machine runs";
  EXPECT_TRUE(mode.on_interrupt(C64Mode::kEscape));
  EXPECT_EQ(mode.state(), C64Mode::kEntering);
  EXPECT_FALSE(mode.from_main_loop(C64Mode::kCommandBegins)) << "no line before the monitor is shown";
  EXPECT_TRUE(mode.from_main_loop(C64Mode::kShown));
  EXPECT_TRUE(mode.monitor_shown());
  EXPECT_FALSE(mode.from_main_loop(C64Mode::kShown));
  EXPECT_FALSE(mode.from_main_loop(C64Mode::kCommandEnds)) << "no command runs";
  EXPECT_TRUE(mode.from_main_loop(C64Mode::kCommandBegins));
  EXPECT_EQ(mode.state(), C64Mode::kCommand);
  EXPECT_FALSE(mode.command_stopping());
  EXPECT_TRUE(mode.on_interrupt(C64Mode::kEscape));
  EXPECT_TRUE(mode.command_stopping());
  EXPECT_FALSE(mode.on_interrupt(C64Mode::kEscape)) << "it is already stopping";
  EXPECT_TRUE(mode.from_main_loop(C64Mode::kCommandEnds));
  EXPECT_EQ(mode.state(), C64Mode::kMonitor);
  EXPECT_TRUE(mode.on_interrupt(C64Mode::kEscape));
  EXPECT_TRUE(mode.machine_runs());
  EXPECT_FALSE(mode.exit_requested());
}

TEST(KeyboardMode, F10LeavesTheMonitorOrStopsItsCommandAndAsksForAFreshMachine) {
  C64Mode running;
  EXPECT_TRUE(running.on_interrupt(C64Mode::kFreshMachine));
  EXPECT_TRUE(running.machine_runs());
  EXPECT_TRUE(running.exit_requested());

  C64Mode entering;
  entering.on_interrupt(C64Mode::kEscape);
  entering.on_interrupt(C64Mode::kFreshMachine);
  EXPECT_TRUE(entering.machine_runs());
  EXPECT_FALSE(entering.from_main_loop(C64Mode::kShown));

  C64Mode commanding;
  commanding.on_interrupt(C64Mode::kEscape);
  commanding.from_main_loop(C64Mode::kShown);
  commanding.from_main_loop(C64Mode::kCommandBegins);
  commanding.on_interrupt(C64Mode::kFreshMachine);
  EXPECT_TRUE(commanding.command_stopping());
  EXPECT_TRUE(commanding.from_main_loop(C64Mode::kCommandEnds));
  EXPECT_TRUE(commanding.machine_runs()) << "the monitor is left with its command";
  EXPECT_TRUE(commanding.exit_requested());
}

TEST(KeyboardMode, ScancodesAreMarkedWithTheTurnTheyCameIn) {
  C64Mode mode;
  uint32_t first = g_scan_head;
  scan_ring_append(0x1E);
  mode.on_interrupt(C64Mode::kEscape);
  scan_ring_append(0x1E);
  mode.from_main_loop(C64Mode::kShown);
  scan_ring_append(0x1E);
  mode.on_interrupt(C64Mode::kEscape);
  scan_ring_append(0x1E);
  EXPECT_EQ(g_scan_monitor_byte[first % kScanRingSize], 0);
  EXPECT_EQ(g_scan_monitor_byte[(first + 1) % kScanRingSize], 1);
  EXPECT_EQ(g_scan_monitor_byte[(first + 2) % kScanRingSize], 1);
  EXPECT_EQ(g_scan_monitor_byte[(first + 3) % kScanRingSize], 0);
  g_scan_tail = g_scan_head;
}

// Scancodes (set 1) for what the tests type: press, then release.
std::vector<uint8_t> escapes(int count) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < count; i++) bytes.insert(bytes.end(), {0x01, 0x81});
  return bytes;
}

std::vector<uint8_t> typing(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (char c : text) {
    uint8_t code = 0;
    switch (c) {
      case 'E': code = 0x12; break;
      case 'G': code = 0x22; break;
      case 'A': code = 0x1E; break;
      case 'M': code = 0x32; break;
      case 'P': code = 0x19; break;
      case 'R': code = 0x13; break;
      case ' ': code = 0x39; break;
      case '.': code = 0x34; break;
      case '\r': code = 0x1C; break;
      default: ADD_FAILURE() << "no scancode for " << c;
    }
    bytes.insert(bytes.end(), {code, static_cast<uint8_t>(code | 0x80)});
  }
  return bytes;
}

constexpr uint8_t kEscPress = 0x01;
constexpr uint8_t kF10Press = 0x44;

// The keyboard as the kernel has it: the simulated controller, the keyboard
// driver on IRQ 1 with the machine's handler, and a machine on the idle
// KERNAL running its passes (with the pass's own poll of the controller).
// A script of scancodes is played into the interrupt windows of the main
// loop, each byte with its interrupt at the window its schedule gives. Once
// it is played and the monitor sits idle, one more Esc lets the main loop
// go on.
class KeyboardTurns : public ::testing::Test {
 protected:
  void SetUp() override { c64ptr = nullptr; }
  void TearDown() override {
    c64ptr = nullptr;
    machine.reset();
  }

  struct Outcome {
    std::string received;  // what the machine's KERNAL got, Esc's $1B left out
    std::string console;   // everything the monitor printed
    bool exited = false;   // a pass ended the machine
    bool played = false;   // every byte of the script was sent
  };

  struct Schedule {
    std::string name;
    std::vector<unsigned> due;  // the window of each byte
  };
  // The timings a script of count bytes, the first `storm` of them the
  // storm's, is tried with: evenly spaced (all at once, and 1 and 3 windows
  // apart) from each window 1 to `windows`; and the first Esc at window 1,
  // the rest of the storm at once 1 to `windows` windows later (a burst that
  // may find the monitor shown, or on its way), the line with the burst or
  // 40 windows after it (when the pass may be running the machine again).
  static std::vector<Schedule> schedules(size_t count, size_t storm, unsigned windows) {
    std::vector<Schedule> all;
    for (unsigned gap : {0u, 1u, 3u}) {
      for (unsigned first = 1; first <= windows; first++) {
        Schedule even{"gap " + std::to_string(gap) + " from window " + std::to_string(first), {}};
        for (size_t i = 0; i < count; i++) even.due.push_back(first + static_cast<unsigned>(i) * gap);
        all.push_back(even);
      }
    }
    for (unsigned line_after : {0u, 40u}) {
      for (unsigned later = 1; later <= windows; later++) {
        Schedule burst{"burst " + std::to_string(later) + " windows after the first Esc, the line " +
                           std::to_string(line_after) + " after that",
                       std::vector<unsigned>(count, 1 + later)};
        burst.due[0] = burst.due[1] = 1;
        for (size_t i = storm; i < count; i++) burst.due[i] += line_after;
        all.push_back(burst);
      }
    }
    return all;
  }

  Outcome play(const std::vector<uint8_t>& script, const std::vector<unsigned>& due) {
    machine = std::make_unique<C64>();
    load_idle_kernal(machine->mem);
    machine->begin();
    machine->monitor->fat32(volume_);
    g_scan_tail = g_scan_head;
    c64ptr = machine.get();
    ConsoleCapture console;
    Outcome outcome;
    size_t next = 0;
    bool closed = false;
    unsigned halts = hosted_cpu().halts;
    InterruptWindows windows([&](unsigned window) {
      bool at_halt = hosted_cpu().halts != halts;
      halts = hosted_cpu().halts;
      // A halt comes only while the monitor is shown.
      if (at_halt) EXPECT_TRUE(machine->mode.monitor_shown());
      while (next < script.size() && window >= due[next]) send(script[next++]);
      if (next == script.size() && !closed && at_halt && machine->mode.state() == C64Mode::kMonitor &&
          !machine->mode.monitor_keys_waiting()) {
        send(kEscPress);
        send(kEscPress | 0x80);
        closed = true;
      }
      if (window > 200000) {
        ADD_FAILURE() << "the main loop never left the monitor";
        machine->mode.on_interrupt(C64Mode::kEscape);
      }
    });
    for (int pass = 0; pass < 400; pass++) {
      // Settled: a whole pass of the machine's since the last byte, and nothing left for it.
      bool played_before = next == script.size() && machine->running();
      advance_clock();
      if (!machine->run_pass()) {
        outcome.exited = true;
        take_received(&outcome.received);
        break;
      }
      take_received(&outcome.received);
      if (played_before && machine->running() && pass > 1 && !c64_keys_waiting() && g_scan_tail == g_scan_head)
        break;
    }
    outcome.played = next == script.size();
    outcome.console = console.text();
    c64ptr = nullptr;
    return outcome;
  }

  void use_volume(korvan::filesystem::Fat32* volume) { volume_ = volume; }

 private:
  void send(uint8_t byte) {
    controller.type({byte});
    irq.raise(KeyboardDriver::kInterruptLine);
  }
  // The idle KERNAL never empties its buffer; the test does, as the KERNAL would.
  void take_received(std::string* received) {
    Memory* memory = machine->mem;
    uint8_t count = memory->read_byte_no_io(kKeyCount);
    for (uint8_t i = 0; i < count; i++) {
      uint8_t ch = memory->read_byte_no_io(static_cast<uint16_t>(machine_test::kKeyBuffer + i));
      if (ch != 0x1B) *received += static_cast<char>(ch);
    }
    memory->write_byte_no_io(kKeyCount, 0);
  }

 protected:
  korvan::hosted::CleanBus bus;
  korvan::hosted::Simulated8042 controller;
  korvan::hosted::HostedInterrupts irq;
  IOKeyboardEventHandler keys;
  KeyboardDriver driver{&irq.manager, &keys};
  std::unique_ptr<C64> machine;
  korvan::filesystem::Fat32* volume_ = nullptr;
};

// After any number of Esc presses, at any interleaving with the passes and
// the monitor, the line typed next goes to the one whose turn the count
// says: an even number leaves the keyboard with the machine, an odd one with
// the monitor; the other gets none of it, and the monitor runs only a line
// typed to it (without a volume, E answers "?").
TEST_F(KeyboardTurns, AfterAStormOfEscTheLineGoesOnlyToWhoseTurnItIs) {
  for (int presses : {1, 2, 21, 22}) {
    std::vector<uint8_t> script = escapes(presses);
    std::vector<uint8_t> line = typing("E G.PRG\r");
    script.insert(script.end(), line.begin(), line.end());
    for (const Schedule& schedule : schedules(script.size(), script.size() - line.size(), 30)) {
      SCOPED_TRACE(testing::Message() << presses << " presses, " << schedule.name);
      Outcome outcome = play(script, schedule.due);
      ASSERT_TRUE(outcome.played);
      ASSERT_FALSE(outcome.exited);
      if (presses % 2 == 0) {
        EXPECT_EQ(outcome.received, "E G.PRG\r");
        EXPECT_EQ(outcome.console.find("G.PRG"), std::string::npos);
        EXPECT_EQ(outcome.console.find("?"), std::string::npos);
      } else {
        EXPECT_EQ(outcome.received, "");
        EXPECT_EQ(occurrences(outcome.console, "\n>E G.PRG?\n>"), 1u) << outcome.console;
      }
      if (HasFailure()) return;
    }
  }
}

// F10 anywhere in a storm ends the machine within a pass or two, and the
// monitor is not entered again: the keys typed after it run nothing.
TEST_F(KeyboardTurns, F10InAStormEndsTheMachine) {
  for (int before : {1, 2, 3}) {
    std::vector<uint8_t> script = escapes(before);
    script.insert(script.end(), {kF10Press, kF10Press | 0x80});
    std::vector<uint8_t> after = escapes(1);
    script.insert(script.end(), after.begin(), after.end());
    std::vector<uint8_t> line = typing("R\r");
    script.insert(script.end(), line.begin(), line.end());
    for (const Schedule& schedule : schedules(script.size(), script.size() - line.size(), 30)) {
      SCOPED_TRACE(testing::Message() << before << " Esc before F10, " << schedule.name);
      Outcome outcome = play(script, schedule.due);
      EXPECT_TRUE(outcome.exited);
      EXPECT_EQ(outcome.console.find("PC  AC"), std::string::npos) << "R ran";
      if (HasFailure()) return;
    }
  }
}

// The issue's trial, on a real volume: after storms of Esc, `E GAME.PRG`
// typed at the BASIC prompt reaches BASIC alone and the file stays; typed
// to the monitor, it deletes the file (the test would see a deletion).
TEST_F(KeyboardTurns, AStormThenEGamePrgAtTheBasicPromptLeavesTheFile) {
  using namespace fat_test;
  ScratchDirectory scratch;
  VolumeFile file(scratch.File("volume.img"));
  ASSERT_TRUE(file.Format(1, 40, "QUILLON"));
  ASSERT_TRUE(file.PutBytes(scratch, "GAME.PRG", Pattern(300, 5)));
  MountedVolume mounted(file.path());
  use_volume(&mounted.volume());
  std::vector<uint8_t> line = typing("E GAME.PRG\r");
  std::vector<uint8_t> script = escapes(22);
  script.insert(script.end(), line.begin(), line.end());
  for (const Schedule& schedule : schedules(script.size(), script.size() - line.size(), 20)) {
    SCOPED_TRACE(schedule.name);
    Outcome outcome = play(script, schedule.due);
    ASSERT_TRUE(outcome.played);
    EXPECT_EQ(outcome.received, "E GAME.PRG\r");
    ASSERT_NE(mounted.volume().GetFileCluster("GAME.PRG"), 0u);
  }
  script = escapes(21);
  script.insert(script.end(), line.begin(), line.end());
  Outcome outcome = play(script, schedules(script.size(), script.size() - line.size(), 1)[1].due);
  EXPECT_EQ(outcome.received, "");
  EXPECT_NE(outcome.console.find("E GAME.PRG\nstatus=0"), std::string::npos);
  EXPECT_EQ(mounted.volume().GetFileCluster("GAME.PRG"), 0u);
}

TEST(MonitorShell, RunShowsBannerHelpAndPromptThenTakesKeysUntilEsc) {
  ConsoleCapture console;
  C64Mode mode;
  Monitor monitor;
  monitor.mode(&mode);
  mode.on_interrupt(C64Mode::kEscape);
  mode.from_main_loop(C64Mode::kShown);
  bool typed = false;
  unsigned halts = hosted_cpu().halts;
  InterruptWindows windows([&](unsigned) {
    bool at_halt = hosted_cpu().halts != halts;
    halts = hosted_cpu().halts;
    if (!at_halt) return;
    if (!typed) {
      for (uint8_t key : {static_cast<uint8_t>('X'), Monitor::kKeyEnter}) mode.offer_monitor_key(key);
      typed = true;
    } else if (!mode.monitor_keys_waiting()) {
      mode.on_interrupt(C64Mode::kEscape);
    }
  });
  monitor.Run();
  std::string text = console.text();
  EXPECT_EQ(text.find("Quillon v0.10 - Debugging:\n\n" + std::string(52, '=') + "\nCommands:\n"), 0u);
  EXPECT_NE(text.find("W - Write RAM to file (W FILENAME.EXT C000 C1FF)\nESC - Return to system"), std::string::npos);
  size_t tail = text.find("Built in ML monitor activated via SYS 36864\n\n>");
  ASSERT_NE(tail, std::string::npos);
  EXPECT_EQ(text.substr(tail + strlen("Built in ML monitor activated via SYS 36864\n\n>")), "X?\n>");
  EXPECT_TRUE(mode.machine_runs());
}

// Enter taken, then Esc before the line runs: the line does not run.
TEST(MonitorShell, ALineWhoseMonitorWasLeftDoesNotRun) {
  ConsoleCapture console;
  C64Mode mode;
  Monitor monitor;
  monitor.mode(&mode);
  mode.on_interrupt(C64Mode::kEscape);
  mode.from_main_loop(C64Mode::kShown);
  monitor.OnKeyDown('X');
  mode.on_interrupt(C64Mode::kEscape);
  console.reset();
  monitor.OnKeyDown(Monitor::kKeyEnter);
  EXPECT_STREQ(console.text(), "\n>");
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
