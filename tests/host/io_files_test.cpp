// LOAD and SAVE on a real FAT32 volume: the host's side of the KERNAL's disk
// hand-off, driven through the zero-page locations the ROM leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/io.h"
#include "emulator/memory.h"
#include "face/fake6502_bridge.h"
#include "tests/fat/fat_image.h"

using namespace fat_test;

namespace {

constexpr uint16_t kRequest = 0x02, kStatus = 0x90, kVerify = 0x93, kEnd = 0xAE, kNameLength = 0xB7,
                   kSecondary = 0xB9, kName = 0xBB, kProgramStart = 0x2B, kProgramEnd = 0x2D;
constexpr uint16_t kNameBytes = 0x0340;

class IoFilesTest : public ::testing::Test {
 protected:
  IoFilesTest() : file(scratch.File("volume.img")) {
    korvan::hosted::reset_ports();
    EXPECT_TRUE(file.Format(1, 40, "QUILLON"));
    game = Pattern(300, 7);
    EXPECT_TRUE(file.PutBytes(scratch, "GAME.PRG", game));
    mounted = std::make_unique<MountedVolume>(file.path());
    io.memory(&memory);
    io.fat32(&mounted->volume());
    Word(kProgramStart, 0x0801);
    Word(kEnd, 0xBEEF);
  }
  void Word(uint16_t address, uint16_t value) {
    memory.write_byte(address, value & 0xFF);
    memory.write_byte(address + 1, value >> 8);
  }
  uint16_t Word(uint16_t address) { return memory.read_byte(address) | memory.read_byte(address + 1) << 8; }
  void Name(const std::string& name) {
    for (size_t i = 0; i < name.size(); i++) memory.write_byte(kNameBytes + i, name[i]);
    memory.write_byte(kNameLength, static_cast<uint8_t>(name.size()));
    Word(kName, kNameBytes);
  }
  void Request(uint8_t request, uint8_t secondary = 0, bool verify = false) {
    memory.write_byte(kStatus, 0);
    memory.write_byte(kSecondary, secondary);
    memory.write_byte(kVerify, verify ? 1 : 0);
    memory.write_byte(kRequest, request);
    io.emulate();
    EXPECT_EQ(memory.read_byte(kRequest), 0) << "the request is cleared";
  }
  std::vector<uint8_t> Ram(uint16_t from, size_t count) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < count; i++) bytes.push_back(memory.read_byte(from + i));
    return bytes;
  }
  std::vector<uint8_t> Stored(const std::string& name) {
    CommandResult got = file.Get(scratch, name);
    EXPECT_EQ(got.status, 0) << got.output;
    return {got.output.begin(), got.output.end()};
  }
  void Fsck() {
    CommandResult checked = Shell("fsck.fat -n " + file.path());
    EXPECT_EQ(checked.status, 0) << checked.output;
  }

  ScratchDirectory scratch;
  VolumeFile file;
  std::unique_ptr<MountedVolume> mounted;
  Memory memory;
  IO io;
  std::vector<uint8_t> game;
};

TEST_F(IoFilesTest, LoadAtTheBasicStartReportsItsEnd) {
  Name("GAME");
  Request(4);
  EXPECT_EQ(Ram(0x0801, 300), game);
  EXPECT_EQ(Word(kEnd), 0x0801 + 300);
  EXPECT_EQ(memory.read_byte(kStatus), 0x40);
}

TEST_F(IoFilesTest, LoadWithSecondaryAddressOneUsesTheFilesOwnAddress) {
  game[0] = 0x00;
  game[1] = 0xC0;
  file.PutBytes(scratch, "CODE.PRG", game);
  io.fat32(&mounted->Remount());  // the files put since are on the new mount
  Name("CODE");
  std::vector<uint8_t> basic_start = Ram(0x0801, 16);
  Request(4, 1);
  EXPECT_EQ(Ram(0xC000, 298), std::vector<uint8_t>(game.begin() + 2, game.end()));
  EXPECT_EQ(Ram(0x0801, 16), basic_start) << "nothing at the BASIC start";
  // The end is reported here too: BASIC sets the program's end from it.
  EXPECT_EQ(Word(kEnd), 0xC000 + 298);
  EXPECT_EQ(memory.read_byte(kStatus), 0x40);
}

TEST_F(IoFilesTest, WhatCannotBeLoadedIsNotFound) {
  for (std::string name : {"NONE", "GAME.SEQ", "NINECHARS", "THIRTEENCHARS", "G*"}) {
    Name(name);
    Request(4);
    EXPECT_EQ(memory.read_byte(kStatus), 0x42) << name;
    EXPECT_EQ(Word(kEnd), 0xBEEF) << name;
  }
  Name("GAME");
  io.fat32(nullptr);
  Request(4);
  EXPECT_EQ(memory.read_byte(kStatus), 0x42) << "no volume";
}

TEST_F(IoFilesTest, ANameWithItsOwnExtensionIsUsedAsTyped) {
  file.PutBytes(scratch, "README.TXT", Pattern(10, 3));
  io.fat32(&mounted->Remount());  // the files put since are on the new mount
  Name("README.TXT");
  Request(4);
  EXPECT_EQ(Ram(0x0801, 10), Pattern(10, 3));
}

TEST_F(IoFilesTest, OneCharacterNamesOtherThanTheDollarAreFiles) {
  file.PutBytes(scratch, "A.PRG", Pattern(5, 9));
  file.PutBytes(scratch, "$X.PRG", Pattern(6, 2));
  io.fat32(&mounted->Remount());  // the files put since are on the new mount
  Name("A");
  Request(4);
  EXPECT_EQ(Ram(0x0801, 5), Pattern(5, 9));
  Name("$X");
  Request(4);
  EXPECT_EQ(Ram(0x0801, 6), Pattern(6, 2));
}

TEST_F(IoFilesTest, TheDollarLoadsTheDirectoryAsAProgram) {
  Name("$");
  Request(4);
  uint16_t end = Word(kEnd);
  ASSERT_GT(end, 0x0801 + 30);
  std::vector<uint8_t> listing = Ram(0x0801, end - 0x0801);
  std::string text(listing.begin(), listing.end());
  EXPECT_NE(text.find("QUILLON"), std::string::npos);
  EXPECT_NE(text.find("GAME"), std::string::npos);
  EXPECT_NE(text.find("BLOCKS FREE."), std::string::npos);
  EXPECT_EQ(std::vector<uint8_t>(listing.end() - 3, listing.end()), std::vector<uint8_t>(3, 0));
  EXPECT_EQ(memory.read_byte(kStatus), 0) << "ST as the KERNAL left it";
}

TEST_F(IoFilesTest, SaveStoresExactlyTheProgramArea) {
  for (uint16_t a = 0x0801; a < 0x0850; a++) memory.write_byte(a, static_cast<uint8_t>(a * 3));
  Word(kProgramEnd, 0x0850);
  Name("PROG");
  Request(5);
  EXPECT_EQ(memory.read_byte(kStatus), 0);
  mounted.reset();
  EXPECT_EQ(Stored("PROG.PRG"), Ram(0x0801, 0x4F));
  Fsck();
}

TEST_F(IoFilesTest, ASaveThatCannotBeStoredIsReported) {
  Word(kProgramEnd, 0x0810);
  Name("GAME");
  Request(5);
  EXPECT_EQ(memory.read_byte(kStatus), 0x02) << "the name exists";
  Name("NINECHARS");
  Request(5);
  EXPECT_EQ(memory.read_byte(kStatus), 0x02) << "no such name on the volume";
  io.fat32(nullptr);
  Name("PROG");
  Request(5);
  EXPECT_EQ(memory.read_byte(kStatus), 0x80) << "no volume";
  mounted.reset();
  EXPECT_EQ(Stored("GAME.PRG"), game) << "the existing file is untouched";
  Fsck();
}

TEST_F(IoFilesTest, VerifyComparesWithoutWriting) {
  for (int i = 0; i < 300; i++) memory.write_byte(0x0801 + i, game[i]);
  Name("GAME");
  Request(4, 0, true);
  EXPECT_EQ(memory.read_byte(kStatus), 0x40);
  EXPECT_EQ(Word(kEnd), 0x0801 + 300);
  memory.write_byte(0x0801 + 150, game[150] ^ 1);
  Request(4, 0, true);
  EXPECT_EQ(memory.read_byte(kStatus), 0x50) << "bit 4: a different byte";
  EXPECT_EQ(memory.read_byte(0x0801 + 150), game[150] ^ 1) << "memory is left as it was";
}

TEST_F(IoFilesTest, OtherValuesInTheRequestByteAreLeftAlone) {
  Name("GAME");
  std::vector<uint8_t> basic_start = Ram(0x0801, 16);
  memory.write_byte(kRequest, 7);
  io.emulate();
  EXPECT_EQ(memory.read_byte(kRequest), 7);
  EXPECT_EQ(Ram(0x0801, 16), basic_start);
}

// The ROM reads ST in the instruction right after its store to $02, so the
// face serves the request before running another one.
TEST_F(IoFilesTest, TheFaceServesARequestBeforeTheNextInstruction) {
  const uint8_t program[] = {
      0xA9, 0x04, 0x8D, 0x02, 0x00,  // LDA #4; STA $0002
      0xA5, 0x90, 0x8D, 0x00, 0x03,  // LDA $90; STA $0300
      0x4C, 0x0A, 0xC0,              // JMP *
  };
  for (size_t i = 0; i < sizeof program; i++) memory.write_byte_no_io(0xC000 + i, program[i]);
  memory.write_byte_no_io(0xFFFC, 0x00);  // reset vector in RAM: no ROMs loaded
  memory.write_byte_no_io(0xFFFD, 0xC0);
  memory.write_byte(0x01, 0x30);          // all RAM
  Name("GAME");
  memory.write_byte(kSecondary, 0);
  memory.write_byte(kVerify, 0);
  FaceNode face{};
  face_bind_c64(&face, &memory);
  g_c64_self.serve_request = IO::serve_request;
  g_c64_self.serve_context = &io;
  c64_init(&g_c64_self);
  c64_run_instructions(&g_c64_self, 4);
  EXPECT_EQ(memory.read_byte(0x0300), 0x40);
  EXPECT_EQ(Ram(0x0801, 300), game);
}

}  // namespace
