// The debugging monitor's commands, typed key by key as the keyboard
// interrupt delivers them: memory, registers, sectors and files on a real
// FAT32 volume.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/cpu.h"
#include "emulator/memory.h"
#include "emulator/monitor.h"
#include "tests/fat/fat_image.h"

using namespace fat_test;
using korvan::hosted::ConsoleCapture;

namespace {

class MonitorCommands : public ::testing::Test {
 protected:
  MonitorCommands() : file(scratch.File("volume.img")) {
    korvan::hosted::reset_ports();
    EXPECT_TRUE(file.Format(1, 40, "QUILLON"));
    game = Pattern(300, 5);
    EXPECT_TRUE(file.PutBytes(scratch, "GAME.PRG", game));
    EXPECT_TRUE(file.PutBytes(scratch, "NOTE.TXT", std::vector<uint8_t>{'H', 'I', '!'}));
    mounted = std::make_unique<MountedVolume>(file.path());
    cpu.memory(&memory);
    monitor.cpu(&cpu);
    monitor.mem(&memory);
    monitor.fat32(&mounted->volume());
  }
  // The command's output, without the echo of its keys and the next prompt.
  std::string Run(const std::string& line) {
    for (char c : line) monitor.OnKeyDown(static_cast<uint8_t>(c));
    console.reset();
    monitor.OnKeyDown(Monitor::kKeyEnter);
    std::string text = console.text();
    EXPECT_EQ(text.substr(text.size() - 2), "\n>");
    return text.substr(0, text.size() - 2);
  }
  std::vector<uint8_t> Stored(const std::string& name) {
    mounted.reset();
    CommandResult got = file.Get(scratch, name);
    mounted = std::make_unique<MountedVolume>(file.path());
    monitor.fat32(&mounted->volume());
    EXPECT_EQ(got.status, 0) << got.output;
    return {got.output.begin(), got.output.end()};
  }

  ScratchDirectory scratch;
  VolumeFile file;
  std::unique_ptr<MountedVolume> mounted;
  Memory memory;
  Cpu cpu;
  Monitor monitor;
  ConsoleCapture console;
  std::vector<uint8_t> game;
};

TEST_F(MonitorCommands, MemoryRowsShowSixteenBytesAndTheirCharacters) {
  const char text[] = "HELLO, C64 WORLD";
  for (int i = 0; i < 16; i++) memory.write_byte_no_io(0x0400 + i, text[i]);
  memory.write_byte_no_io(0x0401, 0x05);
  EXPECT_EQ(Run("M 0400"),
            "\n0400: 48 05 4C 4C 4F 2C 20 43 36 34 20 57 4F 52 4C 44 H.LLO, C64 WORLD");
  std::string two = Run("M 0400 0420");
  EXPECT_NE(two.find("\n0400: "), std::string::npos);
  EXPECT_NE(two.find("\n0410: "), std::string::npos);
  EXPECT_EQ(two.find("\n0420: "), std::string::npos);
  // Rows are whole even when the end falls inside one.
  EXPECT_NE(Run("M 0400 0401").find("\n0400: "), std::string::npos);
}

TEST_F(MonitorCommands, MemoryPastTheTopOfTheAddressSpaceIsRefused) {
  EXPECT_EQ(Run("M FFF0"), "?");
  EXPECT_EQ(Run("M FFF0 FFFF").substr(0, 7), "\nFFF0: ");
  EXPECT_EQ(Run("M 0400 10001"), "?");
  EXPECT_EQ(Run("M 100000000"), "?") << "nine digits would wrap";
  EXPECT_EQ(Run("m 0400"), "?") << "commands are capitals";
}

TEST_F(MonitorCommands, RegistersShowTheProcessor) {
  cpu.pc(0xE5CD);
  cpu.a(0x12);
  cpu.x(0x34);
  cpu.y(0x56);
  cpu.sp(0xF3);
  EXPECT_EQ(Run("R"), "\n PC  AC XR YR SP\nE5CD 12 34 56 F3\n");
}

TEST_F(MonitorCommands, SectorsShowUpToFiveHundredAndTwelveBytes) {
  EXPECT_EQ(Run("S 0 600"), "?");
  std::string sector = Run("S 0");
  EXPECT_NE(sector.find("\n00F0: "), std::string::npos);
  EXPECT_EQ(sector.find("\n0100: "), std::string::npos);
  std::string whole = Run("S 0 512");
  EXPECT_NE(whole.find("\n01F0: "), std::string::npos);
  EXPECT_NE(whole.find("55 AA "), std::string::npos) << "the partition table's signature";
}

TEST_F(MonitorCommands, DirectoryAndPartitionsComeFromTheVolume) {
  std::string listing = Run("D");
  EXPECT_NE(listing.find("GAME"), std::string::npos);
  EXPECT_NE(listing.find("NOTE"), std::string::npos);
  EXPECT_FALSE(Run("P").empty());
  EXPECT_NE(Run("D 2").find("GAME"), std::string::npos) << "cluster 2 is the root here";
}

TEST_F(MonitorCommands, ReadFilePrintsItsBytes) {
  EXPECT_EQ(Run("F NOTE.TXT"), "\nHI!");
  EXPECT_EQ(Run("F NONE.TXT"), "\n");
}

TEST_F(MonitorCommands, LoadCopiesAFileIntoMemoryAndSetsTheEndOfBasic) {
  EXPECT_EQ(Run("L GAME.PRG C000"), "\n300 bytes written to C000 - C12C\nstatus=4");
  for (int i = 0; i < 300; i++) ASSERT_EQ(memory.read_byte_no_io(0xC000 + i), game[i]) << i;
  EXPECT_EQ(memory.read_byte_no_io(0x2D), 0x2C);
  EXPECT_EQ(memory.read_byte_no_io(0x2E), 0xC1);
  EXPECT_EQ(Run("L GAME.PRG"), "\n300 bytes written to 0800 - 092C\nstatus=4");
  EXPECT_EQ(Run("L MISSING.PRG C000"), "\nstatus=2");
}

TEST_F(MonitorCommands, LoadStopsAtTheEndOfMemory) {
  std::vector<uint8_t> zero_page;
  for (int i = 0; i < 0x100; i++) zero_page.push_back(memory.read_byte_no_io(i));
  EXPECT_EQ(Run("L GAME.PRG FFF0"), "\nmemory full at FFFF\n16 bytes written to FFF0 - 0000\nstatus=7");
  for (int i = 0; i < 16; i++) ASSERT_EQ(memory.read_byte_no_io(0xFFF0 + i), game[i]) << i;
  zero_page[0x2D] = 0x00;  // the end of BASIC, which the load sets
  zero_page[0x2E] = 0x00;
  for (int i = 0; i < 0x100; i++) EXPECT_EQ(memory.read_byte_no_io(i), zero_page[i]) << "zero page at " << i;
  EXPECT_EQ(Run("L GAME.PRG FED4"), "\n300 bytes written to FED4 - 0000\nstatus=4") << "a file that ends with memory";
}

TEST_F(MonitorCommands, WriteStoresMemoryUpToAndIncludingTheEnd) {
  EXPECT_EQ(Run("W OUT.PRG C000 C000"), "\nC000 >= C000");
  memory.write_byte_no_io(0xC000, 0xAB);
  memory.write_byte_no_io(0xC001, 0xCD);
  EXPECT_EQ(Run("W OUT.PRG C000 C001"), "\nstatus=0");
  EXPECT_EQ(Stored("OUT.PRG"), (std::vector<uint8_t>{0xAB, 0xCD}));
  EXPECT_EQ(Run("W OUT.PRG C000 C001"), "\nstatus=6") << "the name exists";
  // No end: the end of BASIC.
  memory.write_byte_no_io(0x2D, 0x10);
  memory.write_byte_no_io(0x2E, 0x08);
  EXPECT_EQ(Run("W BASIC.PRG"), "\nstatus=0");
  EXPECT_EQ(Stored("BASIC.PRG").size(), 0x11u);
  EXPECT_EQ(Run("W OUT.PRG C000 10000"), "?");
}

TEST_F(MonitorCommands, EraseRenameAndTheTestFile) {
  EXPECT_EQ(Run("N NOTE.TXT MEMO.TXT"), "\nstatus=0");
  EXPECT_EQ(Run("F MEMO.TXT"), "\nHI!");
  EXPECT_EQ(Run("E MEMO.TXT"), "\nstatus=0");
  EXPECT_EQ(Run("F MEMO.TXT"), "\n");
  EXPECT_EQ(Run("E MEMO.TXT"), "\nstatus=2");
  EXPECT_EQ(Run("J TEST.TXT"), "\nstatus=0");
  std::vector<uint8_t> pattern = Stored("TEST.TXT");
  EXPECT_EQ(std::string(pattern.begin(), pattern.end()), "SBCDEFGHIJKLMNOPQRSTUVWXYZ1234567890AAABBBCCCDD");
}

TEST_F(MonitorCommands, ArgumentsAreSeparatedByExactlyOneBlank) {
  // Two blanks make the first argument empty (0) and the address the second.
  EXPECT_EQ(Run("L  GAME.PRG"), "\nstatus=2") << "an empty name is on no volume";
  EXPECT_EQ(Run("X"), "?");
}

TEST(MonitorWithoutAMachine, CommandsThatNeedOneAreRefused) {
  ConsoleCapture console;
  Monitor monitor;
  for (const char* line : {"M 0400", "R", "P", "D", "S 0", "F A.PRG", "L A.PRG", "W A.PRG", "E A", "N A B", "J A"}) {
    for (const char* c = line; *c != 0; c++) monitor.OnKeyDown(static_cast<uint8_t>(*c));
    console.reset();
    monitor.OnKeyDown(Monitor::kKeyEnter);
    EXPECT_STREQ(console.text(), "?\n>") << line;
  }
}

}  // namespace
