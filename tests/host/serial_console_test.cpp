// The serial terminal: the screen mirror's ANSI rows, its pacing, the
// decoding of terminal input, and received bytes reaching the C64's keyboard
// buffer without loss.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/c64.h"
#include "emulator/io.h"
#include "emulator/serial_console.h"
#include "tests/host/machine_test_support.h"
#include "hosted/simulated_8042.h"

using namespace machine_test;

namespace {

void collect(void* context, uint8_t byte) { static_cast<std::string*>(context)->push_back(static_cast<char>(byte)); }

// A screen in the start-up colours; text is put as the editor stores it.
struct Screen {
  Screen() { face_cells_clear(&cells); }
  void put(int row, const char* text) {
    for (int i = 0; text[i] != 0; i++) {
      char c = text[i];
      cells.codes[row * 40 + i] = static_cast<uint8_t>(c >= 'A' && c <= 'Z' ? c - 0x40 : c);
    }
  }
  void update(SerialMirror& mirror, uint32_t now, std::string* out, uint32_t refused = 0, uint32_t dropped = 0) {
    mirror.update(cells, refused, dropped, now, collect, out);
  }
  FaceCells cells;
};

TEST(SerialMirror, FirstUpdateClearsTheTerminalAndSendsEveryRowTrimmed) {
  SerialMirror mirror;
  Screen screen;
  screen.put(0, "READY.");
  screen.put(24, "LAST");
  std::string out;
  screen.update(mirror, 1000, &out);
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
  screen.update(mirror, 1000, &out);
  out.clear();
  screen.update(mirror, 1000 + SerialMirror::kIntervalMillis, &out);
  EXPECT_EQ(out, "");
  screen.update(mirror, 2000, &out);  // sends nothing, so no new turn
  screen.put(3, "PRINT 3+4");
  screen.update(mirror, 1000 + SerialMirror::kIntervalMillis - 1, &out);
  EXPECT_EQ(out, "");  // too soon after the last rows sent
  screen.update(mirror, 1000 + SerialMirror::kIntervalMillis, &out);
  EXPECT_EQ(out, "\x1b[4;1HPRINT 3+4\x1b[K");
  out.clear();
  screen.cells.colours[3 * 40 + 20] = 2;  // a colour change under a blank is a change
  screen.update(mirror, 9000, &out);
  EXPECT_EQ(out, "\x1b[4;1HPRINT 3+4\x1b[K");
}

// Colours as the nearest ANSI colours (the start-up light blue as the
// terminal's own), reverse as ANSI reverse, graphics and the C64's symbols as
// UTF-8, each set's letters in their case.
TEST(SerialMirror, ColourReverseAndGraphicsBecomeAnsiAndUtf8) {
  SerialMirror mirror;
  Screen screen;
  std::string out;
  screen.update(mirror, 1000, &out);
  uint8_t* codes = screen.cells.codes;
  uint8_t* colours = screen.cells.colours;
  codes[0] = 0x01, colours[0] = 2;     // red A
  codes[1] = 0x98;                     // reversed X
  codes[2] = 0x51;                     // ball
  codes[3] = 0xA0;                     // reversed space: the cursor
  codes[40] = 0x5E, codes[41] = 0x1C;  // pi, pound
  codes[42] = 0x40, codes[43] = 0x70;  // horizontal line, box corner
  out.clear();
  screen.update(mirror, 2000, &out);
  EXPECT_EQ(out,
            "\x1b[1;1H\x1b[0;31mA\x1b[0;7mX\x1b[0m\xE2\x97\x8F\x1b[0;7m \x1b[0m\x1b[K"
            "\x1b[2;1H\xCF\x80\xC2\xA3\xE2\x94\x80\xE2\x94\x8C\x1b[K");
  // The lower-case set: small letters at $01-$1A, capitals at $41-$5A, its
  // own checker board at $5E; every row is sent again.
  screen.cells.lower_case = true;
  codes[0] = 0x08, colours[0] = 14;
  codes[1] = 0x48, codes[2] = 0x20, codes[3] = 0x20;
  out.clear();
  screen.update(mirror, 3000, &out);
  EXPECT_EQ(out.rfind("\x1b[1;1HhH\x1b[K\x1b[2;1H\xF0\x9F\xAE\x95\xC2\xA3", 0), 0u);
  EXPECT_NE(out.find("\x1b[25;1H\x1b[K"), std::string::npos);
  // On a black background every row carries it, to the last column.
  screen.cells.background = 0;
  out.clear();
  screen.update(mirror, 4000, &out);
  EXPECT_EQ(out.rfind("\x1b[1;1H\x1b[0;40mhH" + std::string(38, ' ') + "\x1b[0m\x1b[K", 0), 0u);
}

TEST(SerialMirror, InvalidateRepaintsEverything) {
  SerialMirror mirror;
  Screen screen;
  std::string out;
  screen.update(mirror, 100, &out);
  mirror.invalidate();
  out.clear();
  screen.update(mirror, 101, &out);
  EXPECT_EQ(out.rfind("\x1b[2J", 0), 0u);
}

TEST(SerialMirror, RefusedInputIsReportedBelowTheScreenOnceAndAfterARepaint) {
  SerialMirror mirror;
  Screen screen;
  std::string out;
  screen.update(mirror, 100, &out);
  out.clear();
  screen.update(mirror, 200, &out, 1234);
  EXPECT_EQ(out, "\x1b[26;1Hserial input full: 1234 bytes refused, in whole lines\x1b[K");
  out.clear();
  screen.update(mirror, 300, &out, 1234);
  EXPECT_EQ(out, "");
  mirror.invalidate();
  screen.update(mirror, 400, &out, 1234);
  EXPECT_NE(out.find("\x1b[26;1Hserial input full: 1234"), std::string::npos);
  out.clear();
  screen.update(mirror, 500, &out, 1234, 2);
  EXPECT_EQ(out,
            "\x1b[26;1Hserial input full: 1234 bytes refused, in whole lines; 2 characters without a C64 code "
            "dropped\x1b[K");
}

std::vector<uint8_t> decode_all(const std::string& bytes, bool lower_case = false) {
  TerminalDecoder decoder;
  std::vector<uint8_t> out;
  for (char c : bytes) {
    uint8_t ch = decoder.decode(static_cast<uint8_t>(c), lower_case);
    if (ch != 0) out.push_back(ch);
  }
  return out;
}

TEST(TerminalDecoder, LineEndsOfEveryKindAreOneReturn) {
  EXPECT_EQ(decode_all("a\rb\r\nc\nd\n\n"),
            (std::vector<uint8_t>{'A', 0x0D, 'B', 0x0D, 'C', 0x0D, 'D', 0x0D, 0x0D}));
}

TEST(TerminalDecoder, BackspaceDeleteAndCursorSequencesBecomeC64Keys) {
  EXPECT_EQ(decode_all("x\x08y\x7F"), (std::vector<uint8_t>{'X', 0x14, 'Y', 0x14}));
  EXPECT_EQ(decode_all("\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA\x1b[1;5C"),
            (std::vector<uint8_t>{0x91, 0x11, 0x1D, 0x9D, 0x91, 0x1D}));
}

TEST(TerminalDecoder, LettersFollowTheCharacterSet) {
  EXPECT_EQ(decode_all("aZ"), (std::vector<uint8_t>{0x41, 0x5A}));
  EXPECT_EQ(decode_all("aZ", true), (std::vector<uint8_t>{0x41, 0xDA}));
}

TEST(TerminalDecoder, FunctionKeysAndHomeSequencesBecomeC64Keys) {
  EXPECT_EQ(decode_all("\x1bOP\x1bOQ\x1bOR\x1bOS\x1b[15~\x1b[17~\x1b[18~\x1b[19~\x1b[11~"),
            (std::vector<uint8_t>{0x85, 0x89, 0x86, 0x8A, 0x87, 0x8B, 0x88, 0x8C, 0x85}));
  EXPECT_EQ(decode_all("\x1b[H\x1bOH\x1b[1~\x1b[1;2H\x1b[1;2~"), (std::vector<uint8_t>{0x13, 0x13, 0x13, 0x93, 0x93}));
}

std::string utf8(uint32_t c) {
  std::string out;
  if (c < 0x800) return out + static_cast<char>(0xC0 | (c >> 6)) + static_cast<char>(0x80 | (c & 0x3F));
  if (c < 0x10000)
    return out + static_cast<char>(0xE0 | (c >> 12)) + static_cast<char>(0x80 | ((c >> 6) & 0x3F)) +
           static_cast<char>(0x80 | (c & 0x3F));
  return out + static_cast<char>(0xF0 | (c >> 18)) + static_cast<char>(0x80 | ((c >> 12) & 0x3F)) +
         static_cast<char>(0x80 | ((c >> 6) & 0x3F)) + static_cast<char>(0x80 | (c & 0x3F));
}

// Typed or pasted UTF-8 is the inverse of what the mirror sends: each
// character the screen can show arrives as the PETSCII code that prints it.
TEST(TerminalDecoder, Utf8CharactersArriveAsThePetsciiCodesThatPrintThem) {
  EXPECT_EQ(decode_all("\u00A3\u03C0\u2190\u2191\u25CF\u2665\u253C\U0001FB72"),
            (std::vector<uint8_t>{0x5C, 0xDE, 0x5F, 0x5E, 0xD1, 0xD3, 0xDB, 0xC2}));
  EXPECT_EQ(decode_all("\u2713", true), (std::vector<uint8_t>{0xBA}));
  // Every screen code the mirror sends beyond ASCII, in both sets.
  const uint8_t kPetsciiOffset[4] = {0x40, 0x00, 0x80, 0x40};
  for (bool lower_case : {false, true})
    for (int code = 0; code < 0x80; code++) {
      uint32_t unicode = screen_code_unicode(static_cast<uint8_t>(code), lower_case);
      if (unicode < 0x80) continue;
      EXPECT_EQ(decode_all(utf8(unicode), lower_case), std::vector<uint8_t>{static_cast<uint8_t>(code + kPetsciiOffset[code >> 5])})
          << std::hex << code << (lower_case ? " lower case" : "");
    }
}

TEST(TerminalDecoder, WhatHasNoC64CodeIsDroppedAndCountedNeverTyped) {
  TerminalDecoder decoder;
  std::vector<uint8_t> out;
  // A stray continuation, a byte that is never UTF-8, a character cut short,
  // the euro sign and, in the upper-case set, the lower-case set's check mark.
  for (char c : std::string("a\x80" "b\xFF\xE2\x94" "c\u20AC\u2713d")) {
    uint8_t ch = decoder.decode(static_cast<uint8_t>(c), false);
    if (ch != 0) out.push_back(ch);
  }
  EXPECT_EQ(out, (std::vector<uint8_t>{'A', 'B', 'C', 'D'}));
  EXPECT_EQ(decoder.dropped(), 5u);
  // Typographic quotes and dashes are the plain ones.
  EXPECT_EQ(decode_all("\u201Cx\u201D\u2019\u2013"), (std::vector<uint8_t>{'"', 'X', '"', '\'', '-'}));
}

// Alt+digit sends Esc and the digit: CTRL with it; Alt+Shift+digit C=.
TEST(TerminalDecoder, EscWithADigitIsTheColourKeys) {
  EXPECT_EQ(decode_all("\x1b" "1\x1b" "8\x1b" "9\x1b" "0\x1b!\x1b*"),
            (std::vector<uint8_t>{0x90, 0x9E, 0x12, 0x92, 0x81, 0x9B}));
}

TEST(TerminalDecoder, OtherControlsAndUnknownSequencesGiveNothing) {
  EXPECT_EQ(decode_all("\x01\x07\t\x1b[2~\x1bxq"), (std::vector<uint8_t>{'Q'}));
}

// A begun machine on the idle KERNAL with an empty serial queue.
class SerialMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    load_idle_kernal(machine.mem);
    machine.begin();
    g_serial_input_tail = g_serial_input_head;
    refused_before = g_serial_input_refused;
  }
  void TearDown() override { g_serial_input_tail = g_serial_input_head; }

  korvan::hosted::Simulated8042 controller;
  C64 machine;
  IOSerialEventHandler handler;
  uint32_t refused_before = 0;
};

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

// A paste of 20 KB, in lines of every length a program has, arrives whole
// and in order.
TEST_F(SerialMachine, ALongPasteArrivesWhole) {
  std::string text;
  for (int line = 10; text.size() < 20480; line += 10) {
    text += std::to_string(line) + " PRINT \"" + std::string(static_cast<size_t>(line % 70), 'X') + "\"\r";
  }
  for (char c : text) handler.OnReceive(static_cast<uint8_t>(c));
  EXPECT_EQ(g_serial_input_refused, refused_before);
  std::string typed;
  for (int pass = 0; pass < 5000 && typed.size() < text.size(); pass++) {
    advance_clock();
    ASSERT_TRUE(machine.run_pass());
    uint8_t count = machine.mem->read_byte_no_io(kKeyCount);
    for (uint8_t i = 0; i < count; i++)
      typed.push_back(static_cast<char>(machine.mem->read_byte_no_io(static_cast<uint16_t>(kKeyBuffer + i))));
    machine.mem->write_byte_no_io(kKeyCount, 0);
  }
  EXPECT_EQ(typed, text);
}

// Beyond the queue's room the unfinished line is taken back and the rest
// refused, counted, until the queue has emptied and a line has ended.
TEST_F(SerialMachine, AFullQueueRefusesWhatDoesNotFitInWholeLines) {
  const std::string line = "10 PRINT \"HELLO\"\r";  // 17 bytes
  uint32_t sent = 0;
  while (sent < kSerialInputSize + 100) {
    for (char c : line) handler.OnReceive(static_cast<uint8_t>(c));
    sent += static_cast<uint32_t>(line.size());
  }
  uint32_t queued = g_serial_input_head - g_serial_input_tail;
  EXPECT_EQ(queued % line.size(), 0u);
  EXPECT_GT(queued, kSerialInputSize - line.size());
  EXPECT_EQ(g_serial_input[(g_serial_input_head - 1) % kSerialInputSize], '\r');
  EXPECT_EQ(g_serial_input_refused - refused_before, sent - queued);
  // Emptied, the queue still waits for a line end before it takes bytes.
  g_serial_input_tail = g_serial_input_head;
  for (char c : std::string("TAIL\rNEW\r")) handler.OnReceive(static_cast<uint8_t>(c));
  EXPECT_EQ(g_serial_input_head - g_serial_input_tail, 4u);
  EXPECT_EQ(g_serial_input[g_serial_input_tail % kSerialInputSize], 'N');
}

// The C64's own ROMs: a program run from the terminal stops at Ctrl-C.
bool screen_shows(const char* text) {
  std::string screen(reinterpret_cast<const char*>(g_face_screen), sizeof g_face_screen);
  return screen.find(text) != std::string::npos;
}

bool run_until_shown(C64& machine, const char* text, int passes) {
  for (int pass = 0; pass < passes && !screen_shows(text); pass++) {
    advance_clock();
    if (!machine.run_pass()) return false;
  }
  return screen_shows(text);
}

TEST(SerialInput, ControlCIsRunStop) {
  korvan::hosted::Simulated8042 controller;
  C64 machine;
  machine.begin();
  g_serial_input_tail = g_serial_input_head;
  IOSerialEventHandler handler;
  ASSERT_TRUE(run_until_shown(machine, "READY.", 2000));
  for (char c : std::string("10 goto 10\rrun\r")) handler.OnReceive(static_cast<uint8_t>(c));
  // Running: no second READY. comes, until Ctrl-C.
  EXPECT_FALSE(run_until_shown(machine, "BREAK", 200));
  handler.OnReceive(0x03);
  EXPECT_TRUE(run_until_shown(machine, "BREAK IN 10", 200));
  EXPECT_EQ(machine.io->keyboard_matrix_row(7), 0xFF);  // let go again
}

}  // namespace
