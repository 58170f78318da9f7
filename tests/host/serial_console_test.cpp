// The serial terminal: the screen mirror's ANSI rows, its pacing, the
// decoding of terminal input, and received bytes reaching the C64's keyboard
// buffer without loss.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/c64.h"
#include "emulator/serial_console.h"
#include "tests/host/machine_test_support.h"
#include "tests/hosted/simulated_8042.h"

using namespace machine_test;

namespace {

void collect(void* context, uint8_t byte) { static_cast<std::string*>(context)->push_back(static_cast<char>(byte)); }

struct Screen {
  Screen() : cells(1000, ' ') {}
  void put(int row, const char* text) {
    for (int i = 0; text[i] != 0; i++) cells[row * 40 + i] = static_cast<uint8_t>(text[i]);
  }
  std::vector<uint8_t> cells;
};

TEST(SerialMirror, FirstUpdateClearsTheTerminalAndSendsEveryRowTrimmed) {
  SerialMirror mirror;
  Screen screen;
  screen.put(0, "READY.");
  screen.put(24, "LAST");
  std::string out;
  mirror.update(screen.cells.data(), 1000, collect, &out);
  EXPECT_EQ(out.rfind("\x1b[2J\x1b[1;1HREADY.\x1b[K\x1b[2;1H\x1b[K", 0), 0u);
  EXPECT_NE(out.find("\x1b[25;1HLAST\x1b[K"), std::string::npos);
  size_t rows = 0;
  for (size_t at = out.find(";1H"); at != std::string::npos; at = out.find(";1H", at + 1)) rows++;
  EXPECT_EQ(rows, 25u);
}

TEST(SerialMirror, OnlyChangedRowsAreSentAndNotMoreOftenThanTheInterval) {
  SerialMirror mirror;
  Screen screen;
  std::string out;
  mirror.update(screen.cells.data(), 1000, collect, &out);
  out.clear();
  mirror.update(screen.cells.data(), 1000 + SerialMirror::kIntervalMillis, collect, &out);
  EXPECT_EQ(out, "");
  mirror.update(screen.cells.data(), 2000, collect, &out);  // sends nothing, so no new turn
  screen.put(3, "PRINT 3+4");
  mirror.update(screen.cells.data(), 1000 + SerialMirror::kIntervalMillis - 1, collect, &out);
  EXPECT_EQ(out, "");  // too soon after the last rows sent
  mirror.update(screen.cells.data(), 1000 + SerialMirror::kIntervalMillis, collect, &out);
  EXPECT_EQ(out, "\x1b[4;1HPRINT 3+4\x1b[K");
  out.clear();
  screen.put(3, "P");
  screen.cells[3 * 40 + 1] = 0x07;  // never a control byte on the wire
  mirror.update(screen.cells.data(), 9000, collect, &out);
  EXPECT_EQ(out, "\x1b[4;1HP INT 3+4\x1b[K");
}

TEST(SerialMirror, InvalidateRepaintsEverything) {
  SerialMirror mirror;
  Screen screen;
  std::string out;
  mirror.update(screen.cells.data(), 100, collect, &out);
  mirror.invalidate();
  out.clear();
  mirror.update(screen.cells.data(), 101, collect, &out);
  EXPECT_EQ(out.rfind("\x1b[2J", 0), 0u);
}

std::vector<uint8_t> decode_all(const std::string& bytes) {
  TerminalDecoder decoder;
  std::vector<uint8_t> out;
  for (char c : bytes) {
    uint8_t ch = decoder.decode(static_cast<uint8_t>(c));
    if (ch != 0) out.push_back(ch);
  }
  return out;
}

TEST(TerminalDecoder, LineEndsOfEveryKindAreOneReturn) {
  EXPECT_EQ(decode_all("a\rb\r\nc\nd\n\n"),
            (std::vector<uint8_t>{'a', 0x0D, 'b', 0x0D, 'c', 0x0D, 'd', 0x0D, 0x0D}));
}

TEST(TerminalDecoder, BackspaceDeleteAndCursorSequencesBecomeC64Keys) {
  EXPECT_EQ(decode_all("x\x08y\x7F"), (std::vector<uint8_t>{'x', 0x14, 'y', 0x14}));
  EXPECT_EQ(decode_all("\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA\x1b[1;5C"),
            (std::vector<uint8_t>{0x91, 0x11, 0x1D, 0x9D, 0x91, 0x1D}));
}

TEST(TerminalDecoder, OtherControlsAndUnknownSequencesGiveNothing) {
  EXPECT_EQ(decode_all("\x01\x07\t\x1b[2~\x1bxq"), (std::vector<uint8_t>{'q'}));
}

TEST(SerialInput, ReceivedBytesWaitWhileTheKeyboardBufferIsFull) {
  korvan::hosted::Simulated8042 controller;
  C64 machine;
  load_idle_kernal(machine.mem);
  machine.begin();
  g_serial_input_tail = g_serial_input_head;
  IOSerialEventHandler handler;
  const std::string text = "10 PRINT \"HELLO WORLD\"\r";
  for (char c : text) handler.OnReceive(static_cast<uint8_t>(c));
  std::string typed;
  for (int pass = 0; pass < 10; pass++) {
    advance_clock();
    ASSERT_TRUE(machine.run_pass());
    uint8_t count = machine.mem->read_byte_no_io(kKeyCount);
    EXPECT_LE(count, 10);
    for (uint8_t i = 0; i < count; i++)
      typed.push_back(static_cast<char>(machine.mem->read_byte_no_io(static_cast<uint16_t>(kKeyBuffer + i))));
    machine.mem->write_byte_no_io(kKeyCount, 0);  // the KERNAL took them
  }
  EXPECT_EQ(typed, text);
}

TEST(SerialInput, AFullQueueDropsWhatDoesNotFit) {
  g_serial_input_tail = g_serial_input_head;
  IOSerialEventHandler handler;
  for (uint32_t i = 0; i < kSerialInputSize + 5; i++) handler.OnReceive('x');
  EXPECT_EQ(g_serial_input_head - g_serial_input_tail, kSerialInputSize);
  g_serial_input_tail = g_serial_input_head;
}

}  // namespace
