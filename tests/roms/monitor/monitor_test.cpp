// The machine-language monitor that POKE 313,255 puts at $9000, used as a
// C64 user would: commands typed at its prompt, answers read off the screen.
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "emulator/c64.h"
#include "emulator/memory.h"
#include "face/face_node.h"
#include "face/fake6502.h"
#include "face/fake6502_bridge.h"

namespace {

constexpr uint16_t kKeyCount = 0x00C6;
constexpr uint8_t kKeyBufferSize = 10;
constexpr uint16_t kBlinkSwitch = 0x00CC;  // 0 while the screen editor waits for a key
constexpr uint16_t kCursorRow = 0x00D6;
constexpr int kPassLimit = 3000;
constexpr char kReturn = '\r';
constexpr char kCursorUp = '\x91';
constexpr char kCursorRight = '\x1d';

class MonitorSession : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.begin();
    ASSERT_TRUE(wait_for_input());
    type("POKE313,255\r");
    type("SYS36864\r");
  }

  // Runs passes until the screen editor waits with nothing left to read.
  bool wait_for_input() {
    for (int pass = 0; pass < kPassLimit; pass++) {
      if (!machine_.run_pass()) return false;
      if (peek(kKeyCount) == 0 && peek(kBlinkSwitch) == 0) return true;
    }
    return false;
  }

  // Keys go in as the KERNAL's interrupt would put them: only while
  // interrupts are on, never more than its buffer holds.
  void type(const std::string& keys) {
    size_t next = 0;
    for (int pass = 0; pass < kPassLimit && next < keys.size(); pass++) {
      while (next < keys.size() && peek(kKeyCount) < kKeyBufferSize &&
             (f6502_context()->status & kFlagInterrupt) == 0)
        face_key(&g_c64_face, static_cast<uint8_t>(keys[next++]));
      ASSERT_TRUE(machine_.run_pass());
    }
    ASSERT_EQ(next, keys.size()) << keys;
    ASSERT_TRUE(wait_for_input()) << "still busy after " << keys;
  }

  std::string row(int index) const {
    std::string text(reinterpret_cast<const char*>(g_c64_face.text) + index * g_c64_face.width,
                     static_cast<size_t>(g_c64_face.width));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
  }
  int cursor_row() { return peek(kCursorRow); }
  // What the last command printed last: the row above the cursor.
  std::string last_row() { return row(cursor_row() - 1); }
  bool screen_has(const std::string& text) const {
    for (int r = 0; r < g_c64_face.height; r++)
      if (row(r).find(text) != std::string::npos) return true;
    return false;
  }

  uint8_t peek(uint16_t address) { return machine_.mem->read_byte_no_io(address); }
  void poke(uint16_t address, uint8_t value) { machine_.mem->write_byte_no_io(address, value); }

  C64 machine_;
};

std::string hex(unsigned value, int digits) {
  char text[8];
  snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// Every documented instruction: opcode, mnemonic, and its operand in the
// notation D prints, with $12 for a byte, $1234 for a word and the branch
// target written as "rel".
struct Instruction {
  uint8_t opcode;
  const char* text;
};

const Instruction kInstructions[] = {
    {0x69, "ADC #$12"}, {0x65, "ADC $12"}, {0x75, "ADC $12,X"}, {0x6D, "ADC $1234"},
    {0x7D, "ADC $1234,X"}, {0x79, "ADC $1234,Y"}, {0x61, "ADC ($12,X)"}, {0x71, "ADC ($12),Y"},
    {0x29, "AND #$12"}, {0x25, "AND $12"}, {0x35, "AND $12,X"}, {0x2D, "AND $1234"},
    {0x3D, "AND $1234,X"}, {0x39, "AND $1234,Y"}, {0x21, "AND ($12,X)"}, {0x31, "AND ($12),Y"},
    {0x0A, "ASL"}, {0x06, "ASL $12"}, {0x16, "ASL $12,X"}, {0x0E, "ASL $1234"},
    {0x1E, "ASL $1234,X"}, {0x90, "BCC rel"}, {0xB0, "BCS rel"}, {0xF0, "BEQ rel"},
    {0x24, "BIT $12"}, {0x2C, "BIT $1234"}, {0x30, "BMI rel"}, {0xD0, "BNE rel"},
    {0x10, "BPL rel"}, {0x00, "BRK"}, {0x50, "BVC rel"}, {0x70, "BVS rel"}, {0x18, "CLC"},
    {0xD8, "CLD"}, {0x58, "CLI"}, {0xB8, "CLV"}, {0xC9, "CMP #$12"}, {0xC5, "CMP $12"},
    {0xD5, "CMP $12,X"}, {0xCD, "CMP $1234"}, {0xDD, "CMP $1234,X"}, {0xD9, "CMP $1234,Y"},
    {0xC1, "CMP ($12,X)"}, {0xD1, "CMP ($12),Y"}, {0xE0, "CPX #$12"}, {0xE4, "CPX $12"},
    {0xEC, "CPX $1234"}, {0xC0, "CPY #$12"}, {0xC4, "CPY $12"}, {0xCC, "CPY $1234"},
    {0xC6, "DEC $12"}, {0xD6, "DEC $12,X"}, {0xCE, "DEC $1234"}, {0xDE, "DEC $1234,X"},
    {0xCA, "DEX"}, {0x88, "DEY"}, {0x49, "EOR #$12"}, {0x45, "EOR $12"}, {0x55, "EOR $12,X"},
    {0x4D, "EOR $1234"}, {0x5D, "EOR $1234,X"}, {0x59, "EOR $1234,Y"}, {0x41, "EOR ($12,X)"},
    {0x51, "EOR ($12),Y"}, {0xE6, "INC $12"}, {0xF6, "INC $12,X"}, {0xEE, "INC $1234"},
    {0xFE, "INC $1234,X"}, {0xE8, "INX"}, {0xC8, "INY"}, {0x4C, "JMP $1234"},
    {0x6C, "JMP ($1234)"}, {0x20, "JSR $1234"}, {0xA9, "LDA #$12"}, {0xA5, "LDA $12"},
    {0xB5, "LDA $12,X"}, {0xAD, "LDA $1234"}, {0xBD, "LDA $1234,X"}, {0xB9, "LDA $1234,Y"},
    {0xA1, "LDA ($12,X)"}, {0xB1, "LDA ($12),Y"}, {0xA2, "LDX #$12"}, {0xA6, "LDX $12"},
    {0xB6, "LDX $12,Y"}, {0xAE, "LDX $1234"}, {0xBE, "LDX $1234,Y"}, {0xA0, "LDY #$12"},
    {0xA4, "LDY $12"}, {0xB4, "LDY $12,X"}, {0xAC, "LDY $1234"}, {0xBC, "LDY $1234,X"},
    {0x4A, "LSR"}, {0x46, "LSR $12"}, {0x56, "LSR $12,X"}, {0x4E, "LSR $1234"},
    {0x5E, "LSR $1234,X"}, {0xEA, "NOP"}, {0x09, "ORA #$12"}, {0x05, "ORA $12"},
    {0x15, "ORA $12,X"}, {0x0D, "ORA $1234"}, {0x1D, "ORA $1234,X"}, {0x19, "ORA $1234,Y"},
    {0x01, "ORA ($12,X)"}, {0x11, "ORA ($12),Y"}, {0x48, "PHA"}, {0x08, "PHP"}, {0x68, "PLA"},
    {0x28, "PLP"}, {0x2A, "ROL"}, {0x26, "ROL $12"}, {0x36, "ROL $12,X"}, {0x2E, "ROL $1234"},
    {0x3E, "ROL $1234,X"}, {0x6A, "ROR"}, {0x66, "ROR $12"}, {0x76, "ROR $12,X"},
    {0x6E, "ROR $1234"}, {0x7E, "ROR $1234,X"}, {0x40, "RTI"}, {0x60, "RTS"},
    {0xE9, "SBC #$12"}, {0xE5, "SBC $12"}, {0xF5, "SBC $12,X"}, {0xED, "SBC $1234"},
    {0xFD, "SBC $1234,X"}, {0xF9, "SBC $1234,Y"}, {0xE1, "SBC ($12,X)"}, {0xF1, "SBC ($12),Y"},
    {0x38, "SEC"}, {0xF8, "SED"}, {0x78, "SEI"}, {0x85, "STA $12"}, {0x95, "STA $12,X"},
    {0x8D, "STA $1234"}, {0x9D, "STA $1234,X"}, {0x99, "STA $1234,Y"}, {0x81, "STA ($12,X)"},
    {0x91, "STA ($12),Y"}, {0x86, "STX $12"}, {0x96, "STX $12,Y"}, {0x8E, "STX $1234"},
    {0x84, "STY $12"}, {0x94, "STY $12,X"}, {0x8C, "STY $1234"}, {0xAA, "TAX"},
    {0xA8, "TAY"}, {0xBA, "TSX"}, {0x8A, "TXA"}, {0x9A, "TXS"}, {0x98, "TYA"},
};

// The bytes an instruction assembles to at address, and its text with the
// branch target filled in: alternately forward and backward, near the ends
// of a branch's reach.
std::vector<uint8_t> encode(const Instruction& instruction, uint16_t address, std::string* text) {
  *text = instruction.text;
  std::vector<uint8_t> bytes = {instruction.opcode};
  size_t rel = text->find("rel");
  if (rel != std::string::npos) {
    int8_t offset = (address & 2) ? -128 : 127;
    text->replace(rel, 3, "$" + hex((address + 2 + offset) & 0xFFFF, 4));
    bytes.push_back(static_cast<uint8_t>(offset));
  } else if (text->find("$1234") != std::string::npos) {
    bytes.insert(bytes.end(), {0x34, 0x12});
  } else if (text->find("$12") != std::string::npos) {
    bytes.push_back(0x12);
  }
  return bytes;
}

// What D shows for the bytes at address: ",addr", the bytes in three
// columns, the instruction.
std::string listing(uint16_t address, const std::vector<uint8_t>& bytes, const std::string& text) {
  std::string line = "," + hex(address, 4);
  for (size_t i = 0; i < 3; i++) line += i < bytes.size() ? " " + hex(bytes[i], 2) : "   ";
  return line + "  " + text;
}

TEST_F(MonitorSession, SysShowsTheTitleAndRegisters) {
  EXPECT_TRUE(screen_has("QUILLON ML MONITOR AT $9000 (SYS 36864)"));
  EXPECT_TRUE(screen_has("  PC  SR AC XR YR SP NV-BDIZC"));
  EXPECT_TRUE(screen_has(";9000 "));
  EXPECT_EQ(row(cursor_row()), ".");
  type("?\r");
  EXPECT_EQ(row(cursor_row() - 4), "R REGS  M I D MEMORY TEXT DISASSEMBLY");
  EXPECT_EQ(last_row(), "X BASIC  EDIT A SHOWN LINE + RETURN");
}

TEST_F(MonitorSession, EveryInstructionAssemblesAndDisassemblesBack) {
  const uint16_t start = 0xC000;
  uint16_t address = start;
  std::vector<uint8_t> all;
  for (const Instruction& instruction : kInstructions) {
    std::string text;
    std::vector<uint8_t> bytes = encode(instruction, address, &text);
    // The first line names the address; after that the monitor offers it.
    if (address == start) {
      type("A " + hex(address, 4) + " " + text + "\r");
    } else {
      ASSERT_EQ(row(cursor_row()), "A " + hex(address, 4)) << text;
      type(text + "\r");
    }
    for (size_t i = 0; i < bytes.size(); i++)
      ASSERT_EQ(peek(static_cast<uint16_t>(address + i)), bytes[i]) << text << " byte " << i;
    // The typed line is replaced by its disassembly.
    ASSERT_EQ(last_row(), listing(address, bytes, text)) << text;
    all.insert(all.end(), bytes.begin(), bytes.end());
    address = static_cast<uint16_t>(address + bytes.size());
  }
  type("\r");  // an empty instruction ends the assembly
  EXPECT_EQ(row(cursor_row()), ".");
  EXPECT_EQ(sizeof kInstructions / sizeof kInstructions[0], 151u);

  // And D reads the same block back, instruction by instruction.
  uint16_t at = start;
  for (const Instruction& instruction : kInstructions) {
    std::string text;
    std::vector<uint8_t> bytes = encode(instruction, at, &text);
    type("D " + hex(at, 4) + " " + hex(at, 4) + "\r");
    ASSERT_EQ(last_row(), listing(at, bytes, text));
    at = static_cast<uint16_t>(at + bytes.size());
  }
  EXPECT_EQ(at - start, static_cast<int>(all.size()));
}

TEST_F(MonitorSession, AssemblerTakesOtherSpellingsAndRefusesWrongLines) {
  struct Case {
    const char* typed;
    std::vector<uint8_t> bytes;  // empty: refused with "?"
  };
  const Case cases[] = {
      {"ASL A", {0x0A}},          {"LDA $0012", {0xAD, 0x12, 0x00}},
      {"STX $0012,Y", {0x96, 0x12}}, {"JMP 12", {0x4C, 0x12, 0x00}},
      {"LDA #$123", {}},
      {"LDA ($12),X", {}},        {"STA #$12", {}},
      {"XYZ $12", {}},            {"BNE $D000", {}},
      {"LDA $12,Z", {}},          {"INX $12", {}},
      {"LDA $12345", {}},         {"JMP ($12", {}},
  };
  for (const Case& c : cases) {
    for (uint16_t a = 0xC000; a < 0xC004; a++) poke(a, 0xEE);
    type(std::string("A C000 ") + c.typed + "\r");
    if (c.bytes.empty()) {
      EXPECT_EQ(last_row(), "?") << c.typed;
      EXPECT_EQ(peek(0xC000), 0xEE) << c.typed;
      EXPECT_EQ(row(cursor_row()), ".") << c.typed;
    } else {
      for (size_t i = 0; i < c.bytes.size(); i++)
        EXPECT_EQ(peek(static_cast<uint16_t>(0xC000 + i)), c.bytes[i]) << c.typed;
      type("\r");
    }
  }
  // An undocumented opcode disassembles as one unknown byte.
  poke(0xC000, 0x02);
  type("D C000 C000\r");
  EXPECT_EQ(last_row(), listing(0xC000, {0x02}, "???"));
}

TEST_F(MonitorSession, DisassemblyLineEditedInPlaceIsAssembledAgain) {
  type("A C000 LDA #$12\r");
  type("NOP\r");
  type("\r");
  type("D C000 C002\r");
  EXPECT_EQ(row(cursor_row() - 2), listing(0xC000, {0xA9, 0x12}, "LDA #$12"));
  // Up onto the first line and over its instruction; its bytes stay as
  // shown and are passed over.
  type(std::string(2, kCursorUp) + std::string(15, kCursorRight) + "LDX #$34\r");
  EXPECT_EQ(peek(0xC000), 0xA2);
  EXPECT_EQ(peek(0xC001), 0x34);
  EXPECT_EQ(peek(0xC002), 0xEA);
  EXPECT_EQ(last_row(), listing(0xC000, {0xA2, 0x34}, "LDX #$34"));
  // A wrong instruction there changes nothing.
  type(",C000 A2 34     LDX ($34),Y\r");
  EXPECT_EQ(last_row(), "?");
  EXPECT_EQ(peek(0xC000), 0xA2);
}

TEST_F(MonitorSession, GoRunsWithTheRegistersAndBrkComesBack) {
  type("A C000 LDA #$55\r");
  type("LDX #$66\r");
  type("LDY #$77\r");
  type("BRK\r");
  type("\r");
  type("G C000\r");
  EXPECT_TRUE(screen_has("  PC  SR AC XR YR SP NV-BDIZC"));
  EXPECT_EQ(last_row().substr(0, 18), ";C008 30 55 66 77 ");
  EXPECT_EQ(last_row().substr(21), "00110000");

  // ";" changes the registers; G then runs with them, and an RTS comes back.
  type("A C010 STA $C100\r");
  type("STX $C101\r");
  type("STY $C102\r");
  type("RTS\r");
  type("\r");
  type(";C010 B1 0A 0B 0C F0\r");
  EXPECT_EQ(last_row(), ";C010 B1 0A 0B 0C F0 10110001");
  type("G\r");
  EXPECT_EQ(peek(0xC100), 0x0A);
  EXPECT_EQ(peek(0xC101), 0x0B);
  EXPECT_EQ(peek(0xC102), 0x0C);
  EXPECT_TRUE(screen_has("  PC  SR AC XR YR SP NV-BDIZC"));
  EXPECT_EQ(row(cursor_row()), ".");
}

TEST_F(MonitorSession, MemoryListingLinesChangeMemoryWhenEdited) {
  for (uint16_t a = 0xC000; a < 0xC010; a++) poke(a, static_cast<uint8_t>(0x41 + (a & 15)));
  type("M C000 C00F\r");
  EXPECT_EQ(row(cursor_row() - 2), ":C000 41 42 43 44 45 46 47 48 ABCDEFGH");
  EXPECT_EQ(row(cursor_row() - 1), ":C008 49 4A 4B 4C 4D 4E 4F 50 IJKLMNOP");
  // Up onto the first line, over its first byte, RETURN: the screen editor
  // hands the line back and the monitor stores it and shows it again.
  type(std::string(2, kCursorUp) + std::string(5, kCursorRight) + "5A 01\r");
  EXPECT_EQ(peek(0xC000), 0x5A);
  EXPECT_EQ(peek(0xC001), 0x01);
  EXPECT_EQ(peek(0xC002), 0x43);
  EXPECT_EQ(last_row(), ":C000 5A 01 43 44 45 46 47 48 Z.CDEFGH");
  // The cursor is left on the next listing line, ready to change it too.
  // (its first character is under the blinking cursor)
  EXPECT_EQ(row(cursor_row()).substr(1), "C008 49 4A 4B 4C 4D 4E 4F 50 IJKLMNOP");
  type(":C008 30 31\r");
  EXPECT_EQ(peek(0xC008), 0x30);
  EXPECT_EQ(peek(0xC009), 0x31);

  for (uint16_t a = 0xC010; a < 0xC020; a++) poke(a, 'A');
  type("\rI C000 C01F\r");
  EXPECT_EQ(last_row(), "'C000 Z.CDEFGH01KLMNOP" + std::string(16, 'A'));
  type("'C004 HELLO\r");
  EXPECT_EQ(peek(0xC004), 'H');
  EXPECT_EQ(peek(0xC008), 'O');
  EXPECT_EQ(peek(0xC009), 0x31);
}

TEST_F(MonitorSession, FillTransferCompareAndHunt) {
  type("F C000 C0FF 00\r");
  type("F C000 C007 11\r");
  for (uint16_t a = 0xC000; a < 0xC008; a++) poke(a, static_cast<uint8_t>(a & 0xFF));
  // Up into an overlapping range, then back down: both must come out whole.
  type("T C000 C007 C002\r");
  for (uint16_t a = 0; a < 8; a++) ASSERT_EQ(peek(0xC002 + a), a) << a;
  type("T C002 C009 C001\r");
  for (uint16_t a = 0; a < 8; a++) ASSERT_EQ(peek(0xC001 + a), a) << a;
  EXPECT_EQ(peek(0xC009), 7);
  EXPECT_EQ(peek(0xC00A), 0);

  type("T C000 C00F C080\r");
  poke(0xC085, 0x99);
  type("C C000 C00F C080\r");
  EXPECT_EQ(last_row(), "C005");

  poke(0xC0F0, 'Q');
  poke(0xC0F1, 'L');
  type("H C000 C0FF 'QL\r");
  EXPECT_EQ(last_row(), "C0F0");
  type("H C000 C0FF 05 06\r");
  EXPECT_EQ(last_row(), "C006 C086");
}

TEST_F(MonitorSession, BadInputGetsAQuestionMarkAndThePrompt) {
  for (const char* line : {"Z", "M ZZ", "F C000", "F C010 C000 00", "T C000", "M 12345",
                           "G C000 12", "L NAME", "S \"N\",08,C000", "; ZZ", "H C000 C010",
                           "D C010 C000"}) {
    type(std::string(line) + "\r");
    EXPECT_EQ(last_row(), "?") << line;
    EXPECT_EQ(row(cursor_row()), ".") << line;
  }
}

TEST_F(MonitorSession, ExitReturnsToBasicWithTheProgramAndZeroPageKept) {
  type("X\r");
  type("NEW\r");
  type("10 PRINT \"KEPT\"\r");
  const uint8_t user_bytes[] = {0x01, 0x02, 0x03, 0x04};
  for (uint16_t i = 0; i < 4; i++) poke(0xFB + i, user_bytes[i]);
  type("SYS 36864\r");
  EXPECT_TRUE(screen_has("QUILLON ML MONITOR AT $9000 (SYS 36864)"));
  type("T C000 C00F C100\r");
  type("X\r");
  EXPECT_EQ(last_row(), "READY.");
  for (uint16_t i = 0; i < 4; i++) EXPECT_EQ(peek(0xFB + i), user_bytes[i]) << i;
  type("RUN\r");
  EXPECT_EQ(row(cursor_row() - 2), "KEPT");
}

}  // namespace
