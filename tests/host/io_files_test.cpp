// Drive 8 on a real FAT32 volume: the host's side of the KERNAL's hand-off,
// driven through the zero-page locations the ROM leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "emulator/io.h"
#include "emulator/memory.h"
#include "face/fake6502_bridge.h"
#include "filesystem/d64_geometry.h"
#include "tests/fat/fat_image.h"

using namespace fat_test;

namespace {

constexpr uint16_t kRequest = 0x02, kStatus = 0x90, kVerify = 0x93, kEnd = 0xAE, kNameLength = 0xB7,
                   kSecondary = 0xB9, kName = 0xBB, kBasicStart = 0x2B, kBasicTop = 0x37, kSaveStart = 0xC1,
                   kLoadAddress = 0xC3;
constexpr uint16_t kNameBytes = 0x0340;

// A PRG file as every C64 system writes it: the load address, then the bytes.
std::vector<uint8_t> Prg(uint16_t address, const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> file = {static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8)};
  file.insert(file.end(), bytes.begin(), bytes.end());
  return file;
}

class IoFilesTest : public ::testing::Test {
 protected:
  IoFilesTest() : file(scratch.File("volume.img")) {
    korvan::hosted::reset_ports();
    EXPECT_TRUE(file.Format(1, 40, "QUILLON"));
    game = Pattern(300, 7);
    EXPECT_TRUE(file.PutBytes(scratch, "GAME.PRG", Prg(0xC000, game)));
    mounted = std::make_unique<MountedVolume>(file.path());
    io.memory(&memory);
    io.fat32(&mounted->volume());
    Word(kBasicStart, 0x0801);
    Word(kLoadAddress, 0x0801);
    Word(kBasicTop, 0xA000);
    Word(kEnd, 0xBEEF);
  }
  void Remount() { io.fat32(&mounted->Remount()); }
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
  void Save(const std::string& name, uint16_t from, uint16_t to) {
    Name(name);
    Word(kSaveStart, from);
    Word(kEnd, to);
    Request(IO::kRequestSave);
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

TEST_F(IoFilesTest, PrgFromElsewhereLoadsAtTheBasicStartOrAtItsOwnAddress) {
  Name("GAME");
  Request(IO::kRequestLoad);
  EXPECT_EQ(Ram(0x0801, 300), game) << "the two address bytes are skipped";
  EXPECT_EQ(Word(kEnd), 0x0801 + 300);
  EXPECT_EQ(memory.read_byte(kStatus), 0x40);
  std::vector<uint8_t> basic_start = Ram(0x0801, 300);
  memory.write_byte(0x0801, 0x55);
  Request(IO::kRequestLoad, 1);
  EXPECT_EQ(Ram(0xC000, 300), game);
  EXPECT_EQ(memory.read_byte(0x0801), 0x55) << "nothing at the BASIC start";
  EXPECT_EQ(Word(kEnd), 0xC000 + 300);
  Request(IO::kRequestLoad, 1, true);
  EXPECT_EQ(memory.read_byte(kStatus), 0x40) << "VERIFY compares at the same address";
}

// Inside an image a file whose chain breaks off is no file loaded short:
// memory stays as it was, the load fails and channel 15 says why.
TEST_F(IoFilesTest, ALoadFromAnImageThatBreaksOffLoadsNothingAndTheDriveSaysWhy) {
  WriteHostFile(scratch.File("big.prg"), Prg(0x0801, Pattern(1000, 3)));
  CommandResult made = Shell("cd " + Quote(scratch.File("")) + " && cc1541 -q -f big -w big.prg -f ok -w big.prg t.d64");
  ASSERT_EQ(made.status, 0) << made.output;
  std::vector<uint8_t> image = ReadHostFile(scratch.File("t.d64"));
  // BIG's second block (its first lies where the first entry of 18/1 says) links back to the first.
  korvan::filesystem::D64Geometry geometry;
  ASSERT_TRUE(korvan::filesystem::D64Geometry::FromImageSize(static_cast<uint32_t>(image.size()), geometry));
  const uint32_t entry = geometry.BlockOffset(18, 1);
  uint32_t first = geometry.BlockOffset(image[entry + 3], image[entry + 4]);
  uint32_t second = geometry.BlockOffset(image[first], image[first + 1]);
  image[second] = image[entry + 3];
  image[second + 1] = image[entry + 4];
  EXPECT_TRUE(file.PutBytes(scratch, "T.D64", image));
  EXPECT_TRUE(file.PutBytes(scratch, "SHORT.D64", std::vector<uint8_t>(1000, 0)));
  Remount();
  Drive& drive = io.drive();
  auto command = [&](const char* text) {
    drive.open(Drive::kCommandChannel, reinterpret_cast<const uint8_t*>(text), static_cast<uint8_t>(strlen(text)));
    return std::string(drive.status_text());
  };
  EXPECT_EQ(command("CD:SHORT.D64"), "74,DRIVE NOT READY,00,00");
  EXPECT_EQ(command("CD:GAME"), "64,FILE TYPE MISMATCH,00,00");
  EXPECT_EQ(command("CD:T.D64"), "00, OK,00,00");
  for (uint16_t a = 0x0801; a < 0x0C00; a++) memory.write_byte(a, 0x55);
  Name("BIG");
  Request(IO::kRequestLoad);
  EXPECT_EQ(memory.read_byte(kStatus), 0x02);
  EXPECT_EQ(Ram(0x0801, 0x3FF), std::vector<uint8_t>(0x3FF, 0x55));
  EXPECT_EQ(std::string(drive.status_text()).substr(0, 12), "71,DIR ERROR");
  Name("OK");
  Request(IO::kRequestLoad);
  EXPECT_EQ(memory.read_byte(kStatus), 0x40);
  EXPECT_EQ(Ram(0x0801, 1000), Pattern(1000, 3));
  EXPECT_EQ(command("CD:.."), "00, OK,00,00");
  Name("GAME");
  Request(IO::kRequestLoad);
  EXPECT_EQ(Ram(0x0801, 300), game) << "back at the root";
  // The root lists its images by name with the type D64.
  Name("$");
  Request(IO::kRequestLoad);
  std::vector<uint8_t> listing = Ram(0x0801, Word(kEnd) - 0x0801);
  std::string line = "\"T\"                D64";
  EXPECT_NE(std::search(listing.begin(), listing.end(), line.begin(), line.end()), listing.end());
}

TEST_F(IoFilesTest, SaveWritesTheLoadAddressThenTheArea) {
  for (uint16_t a = 0x0801; a < 0x0850; a++) memory.write_byte(a, static_cast<uint8_t>(a * 3));
  Save("PROG", 0x0801, 0x0850);
  EXPECT_EQ(memory.read_byte(kStatus), 0);
  Name("PROG");
  Request(IO::kRequestLoad, 0, true);
  EXPECT_EQ(memory.read_byte(kStatus), 0x40) << "VERIFY skips the address as LOAD does";
  mounted.reset();
  EXPECT_EQ(Stored("PROG.PRG"), Prg(0x0801, Ram(0x0801, 0x4F)));
  Fsck();
}

TEST_F(IoFilesTest, PatternsFindTheFirstMatchAndStarTheLastLoaded) {
  file.PutBytes(scratch, "TEST.PRG", Prg(0x0801, Pattern(10, 1)));
  file.PutBytes(scratch, "TEXT.SEQ", Pattern(10, 2));
  file.PutBytes(scratch, "TOAST.PRG", Prg(0x0801, Pattern(10, 3)));
  Remount();
  struct Case {
    const char* name;
    uint8_t first;
  } cases[] = {{"*", game[0]}, {"T*", Pattern(10, 1)[0]}, {"TE?T", Pattern(10, 1)[0]}, {"0:TO*", Pattern(10, 3)[0]},
               {"??AST", Pattern(10, 3)[0]}};
  for (const Case& c : cases) {
    // A fresh machine: "*" is the first program until something was loaded.
    IO fresh;
    fresh.memory(&memory);
    fresh.fat32(&mounted->volume());
    Name(c.name);
    memory.write_byte(kRequest, IO::kRequestLoad);
    memory.write_byte(kSecondary, 0);
    memory.write_byte(kVerify, 0);
    fresh.emulate();
    EXPECT_EQ(memory.read_byte(kStatus), 0x40) << c.name;
    EXPECT_EQ(memory.read_byte(0x0801), c.first) << c.name;
  }
  Name("TOAST");
  Request(IO::kRequestLoad);
  Name("*");
  Request(IO::kRequestLoad);
  EXPECT_EQ(Ram(0x0801, 10), Pattern(10, 3)) << "after a LOAD, * is the program last loaded";
  for (std::string name : {"TEXT", "TE", "NONE", "T?", "NINECHARS"}) {
    Name(name);
    Request(IO::kRequestLoad);
    EXPECT_EQ(memory.read_byte(kStatus), 0x02) << name << ": LOAD takes only programs";
  }
}

TEST_F(IoFilesTest, ReplaceWritesTheNewFileWholeBeforeTheOldGoes) {
  Save("GAME", 0x0801, 0x0810);
  EXPECT_EQ(memory.read_byte(kStatus), 0x02) << "the name exists";
  EXPECT_EQ(io.drive().status(), korvan::filesystem::kDriveFileExists);
  Save("@0:GAME", 0x0801, 0x0810);
  EXPECT_EQ(memory.read_byte(kStatus), 0);
  mounted->Unmount();
  EXPECT_EQ(Stored("GAME.PRG"), Prg(0x0801, Ram(0x0801, 0x0F)));
  Fsck();
  // On a volume too full for the new file the old one stays, whole.
  mounted = std::make_unique<MountedVolume>(file.path());
  Remount();
  std::vector<uint8_t> filler(static_cast<size_t>(mounted->volume().FreeClusters() - 2) * 512, 0xEE);
  mounted.reset();
  ASSERT_TRUE(file.PutBytes(scratch, "FILL.SEQ", filler));
  mounted = std::make_unique<MountedVolume>(file.path());
  Remount();
  Save("@0:GAME", 0x0801, 0x2801);
  EXPECT_EQ(memory.read_byte(kStatus), 0x02);
  EXPECT_EQ(io.drive().status(), korvan::filesystem::kDriveDiskFull);
  EXPECT_STREQ(io.drive().status_text(), "72,DISK FULL,00,00");
  mounted->Unmount();
  EXPECT_EQ(Stored("GAME.PRG"), Prg(0x0801, Ram(0x0801, 0x0F)));
  Fsck();
}

TEST_F(IoFilesTest, LoadsStopAtTheTopOfMemory) {
  std::vector<uint8_t> big = Pattern(100, 5);
  file.PutBytes(scratch, "BIG.PRG", Prg(0xFFF0, big));
  file.PutBytes(scratch, "Z45.PRG", Prg(0x0801, Pattern(45000, 6)));
  Remount();
  memory.write_byte(0x01, 0x30);  // all RAM, to see what reached $FFF0-$FFFF
  Name("BIG");
  std::vector<uint8_t> zero_page = Ram(0x0000, 0x100);
  Request(IO::kRequestLoad, 1);
  EXPECT_EQ(memory.read_byte(kStatus), 0x06) << "not all of it fits: ST bits 1 and 2";
  EXPECT_EQ(Ram(0xFFF0, 16), std::vector<uint8_t>(big.begin(), big.begin() + 16));
  zero_page[kStatus] = 0x06;
  zero_page[kSecondary] = 1;
  zero_page[kVerify] = 0;
  zero_page[kEnd] = 0x00;
  zero_page[kEnd + 1] = 0x00;  // the end wrapped: $10000
  EXPECT_EQ(Ram(0x0000, 0x100), zero_page) << "nothing past $FFFF";
  // A BASIC program that would end above BASIC's memory is not loaded at all.
  std::vector<uint8_t> basic = Ram(0x0801, 64);
  Word(kEnd, 0xBEEF);
  Name("Z45");
  Request(IO::kRequestLoad);
  EXPECT_EQ(memory.read_byte(kStatus), 0x06);
  EXPECT_EQ(Word(kEnd), 0xBEEF) << "the pointers are kept";
  EXPECT_EQ(Ram(0x0801, 64), basic);
  Word(kBasicTop, 0xC000);
  Request(IO::kRequestLoad);
  EXPECT_EQ(memory.read_byte(kStatus), 0x40) << "with more memory it fits";
}

TEST_F(IoFilesTest, TheListingFillsBasicsMemoryAndCountsWhatIsLeftOut) {
  for (int i = 0; i < 1200; i++) {
    std::string name = "F" + std::to_string(1000 + i) + "   ";
    ASSERT_EQ(0, mounted->volume().CreateDirectoryEntry(reinterpret_cast<const uint8_t*>(name.data()),
                                                        reinterpret_cast<const uint8_t*>("PRG"), 0));
  }
  Name("$");
  Request(IO::kRequestLoad);
  uint16_t end = Word(kEnd);
  std::string whole(reinterpret_cast<const char*>(Ram(0x0801, end - 0x0801).data()), end - 0x0801);
  EXPECT_NE(std::string::npos, whole.find("\"F2199\"")) << "the 1,200th file";
  EXPECT_EQ(std::string::npos, whole.find("LEFT OUT"));
  EXPECT_NE(std::string::npos, whole.find("BLOCKS FREE."));
  Word(kBasicTop, 0x2000);
  Request(IO::kRequestLoad);
  end = Word(kEnd);
  EXPECT_LE(end, 0x2000);
  std::vector<uint8_t> cut = Ram(0x0801, end - 0x0801);
  std::string text(cut.begin(), cut.end());
  size_t left_out = text.find("FILES LEFT OUT.");
  ASSERT_NE(std::string::npos, left_out);
  uint32_t lines = 0;
  for (size_t at = text.find("\"F"); at != std::string::npos; at = text.find("\"F", at + 1)) lines++;
  EXPECT_EQ(1200u - lines, static_cast<uint32_t>(cut[left_out - 2] | cut[left_out - 1] << 8));
  EXPECT_NE(std::string::npos, text.find("BLOCKS FREE.", left_out));
}

TEST_F(IoFilesTest, NamesWithBlanksPatternsOrTheDollarAreRefused) {
  for (std::string name : {"A B", "GA*", "$"}) {
    Save(name, 0x0801, 0x0810);
    EXPECT_EQ(memory.read_byte(kStatus), 0x02) << name;
    EXPECT_STREQ(io.drive().status_text(), "33,SYNTAX ERROR,00,00") << name;
  }
  mounted->Unmount();
  CommandResult checked = Shell("fsck.fat -n -S " + file.path());
  EXPECT_EQ(checked.status, 0) << checked.output;
}

TEST_F(IoFilesTest, OtherValuesInTheRequestByteAreLeftAlone) {
  Name("GAME");
  std::vector<uint8_t> basic_start = Ram(0x0801, 16);
  memory.write_byte(kRequest, IO::kLastRequest + 1);
  io.emulate();
  EXPECT_EQ(memory.read_byte(kRequest), IO::kLastRequest + 1);
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
  Word(kLoadAddress, 0x0801);
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
