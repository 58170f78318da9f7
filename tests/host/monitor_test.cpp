// The debugging monitor's commands, typed key by key as the keyboard
// interrupt delivers them: memory, registers, sectors and files on a real
// FAT32 volume.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/cpu.h"
#include "emulator/memory.h"
#include "emulator/c64_mode.h"
#include "emulator/monitor.h"
#include "lib/vga.h"
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
  std::string last = Run("M FFF0");  // one row, the last
  EXPECT_EQ(last.substr(0, 7), "\nFFF0: ");
  EXPECT_EQ(last.find("\n", 1), std::string::npos);
  EXPECT_EQ(Run("M FFF0 FFFF").substr(0, 7), "\nFFF0: ");
  EXPECT_EQ(Run("M FFFF").substr(0, 7), "\nFFFF: ");
  EXPECT_EQ(Run("M 0400 10001"), "? past FFFF: 10001");
  EXPECT_EQ(Run("M 100000000"), "? past FFFF: 100000000") << "nine digits would wrap";
  EXPECT_EQ(Run("M 10000000000000000400"), "? past FFFF: 10000000000000000400") << "so would 80 bits";
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
  EXPECT_EQ(Run("S 0 600"), "? not 1 to 512: 600");
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

TEST_F(MonitorCommands, ImageDirectoryListsAD64AsTheDriveWouldInsideIt) {
  WriteHostFile(scratch.File("game.bin"), game);
  CommandResult made = Shell("cd " + Quote(scratch.File("")) +
                             " && cc1541 -q -n 'monitor disk' -i 'md 2a' -f game -w game.bin -f notes -T SEQ -P -w game.bin t.d64");
  ASSERT_EQ(made.status, 0) << made.output;
  EXPECT_TRUE(file.PutBytes(scratch, "GAMES.D64", ReadHostFile(scratch.File("t.d64"))));
  mounted = std::make_unique<MountedVolume>(file.path());
  monitor.fat32(&mounted->volume());
  EXPECT_EQ(Run("I GAMES.D64"),
            "\n0 \"MONITOR DISK    \" MD 2A"
            "\n2    \"GAME\"             PRG  "
            "\n2    \"NOTES\"            SEQ< "
            "\n660 BLOCKS FREE.             "
            "\nstatus=0");
  // A file of no D64 size is no disk in the drive.
  EXPECT_EQ(Run("I NOTE.TXT"), "\nstatus=74");
}

TEST_F(MonitorCommands, ReadFilePrintsItsBytesAndAStatusForEveryOutcome) {
  EXPECT_EQ(Run("F NOTE.TXT"), "\nHI!\nstatus=4");
  EXPECT_EQ(Run("F NONE.TXT"), "\nstatus=2");
  EXPECT_EQ(Run("F BAD NAME"), "? too many arguments: NAME");
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
  EXPECT_EQ(Run("W OUT.PRG C000 10000"), "? past FFFF: 10000");
}

TEST_F(MonitorCommands, EraseRenameAndTheTestFile) {
  EXPECT_EQ(Run("N NOTE.TXT MEMO.TXT"), "\nstatus=0");
  EXPECT_EQ(Run("F MEMO.TXT"), "\nHI!\nstatus=4");
  EXPECT_EQ(Run("E MEMO.TXT"), "\nstatus=0");
  EXPECT_EQ(Run("F MEMO.TXT"), "\nstatus=2");
  EXPECT_EQ(Run("E MEMO.TXT"), "\nstatus=2");
  EXPECT_EQ(Run("J TEST.TXT"), "\nstatus=0");
  std::vector<uint8_t> pattern = Stored("TEST.TXT");
  EXPECT_EQ(std::string(pattern.begin(), pattern.end()), "SBCDEFGHIJKLMNOPQRSTUVWXYZ1234567890AAABBBCCCDD");
}

TEST_F(MonitorCommands, ArgumentsAreSeparatedByExactlyOneBlank) {
  // Two blanks make the first argument empty and the name the address.
  EXPECT_EQ(Run("L  GAME.PRG"), "? not a hex number: GAME.PRG");
  EXPECT_EQ(Run("E  GAME.PRG"), "? too many arguments: GAME.PRG");
  EXPECT_EQ(Run("R ").substr(0, 18), "\n PC  AC XR YR SP\n") << "a blank at the end brings nothing";
  EXPECT_EQ(Run("X"), "?");
}

// Every argument is parsed whole and checked before anything is done; a bad
// one is answered with what was wrong.
TEST_F(MonitorCommands, BadHexIsRefusedWithWhatWasWrong) {
  EXPECT_EQ(Run("M ZZZZ"), "? not a hex number: ZZZZ");
  EXPECT_EQ(Run("M 04G0"), "? not a hex number: 04G0");
  EXPECT_EQ(Run("M 0400 04G0"), "? not a hex number: 04G0");
  EXPECT_EQ(Run("M 0400 0300"), "? end not after start: 0300");
  EXPECT_EQ(Run("D 2X"), "? not a hex number: 2X");
  EXPECT_EQ(Run("S 80G"), "? not a hex number: 80G");
  EXPECT_EQ(Run("S 100000000"), "? too large: 100000000");
  memory.write_word_no_io(0x2D, 0x1234);
  EXPECT_EQ(Run("L GAME.PRG 12Z4"), "? not a hex number: 12Z4");
  EXPECT_EQ(Run("L GAME.PRG 10000"), "? past FFFF: 10000");
  EXPECT_EQ(memory.read_word_no_io(0x2D), 0x1234) << "nothing was loaded";
  EXPECT_EQ(Run("W OUT.PRG 0800 08ZZ"), "? not a hex number: 08ZZ");
  EXPECT_EQ(Run("W OUT.PRG X 0900"), "? not a hex number: X");
  EXPECT_EQ(Run("F OUT.PRG"), "\nstatus=2") << "no file was begun";
}

TEST_F(MonitorCommands, TheSectorCountIsAWholeDecimalNumber) {
  EXPECT_EQ(Run("S 800 5A"), "? not a decimal number: 5A");
  EXPECT_EQ(Run("S 800 4294967552"), "? too large: 4294967552") << "atoi wrapped this to 256";
  EXPECT_EQ(Run("S 800 0"), "? not 1 to 512: 0");
  std::string rows = Run("S 0 67");  // five rows, the last of three bytes
  EXPECT_NE(rows.find("\n0040: "), std::string::npos);
  EXPECT_EQ(rows.find("\n0050: "), std::string::npos);
}

TEST_F(MonitorCommands, AnExplicitZeroIsAnAddressNotAMissingArgument) {
  for (uint16_t a = 0; a < 0x100; a++) memory.write_byte_no_io(a, static_cast<uint8_t>(a ^ 0x5A));
  EXPECT_EQ(Run("W ZP.PRG 0000 00FF"), "\nstatus=0");
  std::vector<uint8_t> page = Stored("ZP.PRG");
  ASSERT_EQ(page.size(), 256u);
  for (int a = 2; a < 0x100; a++) EXPECT_EQ(page[a], a ^ 0x5A) << a;
  EXPECT_EQ(Run("L GAME.PRG 0000"), "\n300 bytes written to 0000 - 012C\nstatus=4");
  // Past the processor port, and but for the end of BASIC the load sets.
  for (int i = 2; i < 300; i++)
    if (i != 0x2D && i != 0x2E) ASSERT_EQ(memory.read_byte_no_io(i), game[i]) << i;
  EXPECT_EQ(Run("L GAME.PRG 0"), "\n300 bytes written to 0000 - 012C\nstatus=4");
}

TEST_F(MonitorCommands, ExtraArgumentsAreRefusedAndChangeNothing) {
  EXPECT_EQ(Run("R X"), "? too many arguments: X");
  EXPECT_EQ(Run("M 0400 0500 0600"), "? too many arguments: 0600");
  EXPECT_EQ(Run("W A.PRG 0800 0900 EXTRA"), "? too many arguments: EXTRA");
  EXPECT_EQ(Run("W A.PRG 0800 0900 "), "\nstatus=0") << "a blank at the end brings nothing";
  EXPECT_EQ(Run("E GAME.PRG NOTE.TXT"), "? too many arguments: NOTE.TXT");
  EXPECT_EQ(Run("N GAME.PRG NEW.PRG MORE"), "? too many arguments: MORE");
  EXPECT_EQ(Stored("GAME.PRG"), game);
}

// The directory entry of a root file, by its 11-byte name.
uint64_t EntryOffset(const VolumeFile& file, const std::string& name83) {
  for (uint32_t i = 0; i < 64; i++) {
    std::vector<uint8_t> entry = file.ReadBytes(file.RootEntryOffset(i), 32);
    if (std::string(entry.begin(), entry.begin() + 11) == name83) return file.RootEntryOffset(i);
  }
  ADD_FAILURE() << name83 << " not in the root";
  return 0;
}

// F on a file whose entry claims more than its chain holds: status 9 and
// nothing printed, however large the claim (the trial printed 4,400 bytes of
// old heap after a 600-byte file said to hold 5,000).
TEST_F(MonitorCommands, ReadFileOfAFileLongerThanItsChainIsDamageAndPrintsNothing) {
  mounted.reset();
  std::vector<uint8_t> text(600, 'T');
  ASSERT_TRUE(file.PutBytes(scratch, "SHORT.TXT", text));
  uint64_t entry = EntryOffset(file, "SHORT   TXT");
  for (uint32_t claim : {5000u, 0x7FFFFFF0u}) {
    file.WriteBytes(entry + 28, {static_cast<uint8_t>(claim), static_cast<uint8_t>(claim >> 8),
                                 static_cast<uint8_t>(claim >> 16), static_cast<uint8_t>(claim >> 24)});
    mounted = std::make_unique<MountedVolume>(file.path());
    monitor.fat32(&mounted->volume());
    EXPECT_EQ(Run("F SHORT.TXT"), "\nstatus=9") << claim;
    std::vector<uint8_t> read(claim == 5000 ? 5000 : 1024, 0);
    EXPECT_EQ(mounted->volume().ReadFile("SHORT.TXT", read.data(), static_cast<uint32_t>(read.size())), 9);
    mounted.reset();
  }
  mounted = std::make_unique<MountedVolume>(file.path());
  monitor.fat32(&mounted->volume());
}

// Everything the console prints, and Esc (as the keyboard interrupt would
// deliver it) once a given number of characters has been printed.
struct EscAfter {
  static C64Mode* mode;
  static size_t limit;
  static std::string text;
  static void print(uint8_t byte) {
    text += static_cast<char>(byte);
    if (text.size() == limit) mode->on_interrupt(C64Mode::kEscape);
  }
};
C64Mode* EscAfter::mode = nullptr;
size_t EscAfter::limit = 0;
std::string EscAfter::text;

// A monitor with its mode, shown; Esc comes after `limit` characters of
// the command's output.
class StoppedCommands : public MonitorCommands {
 protected:
  std::string RunStopped(const std::string& line, size_t limit) {
    C64Mode fresh_mode;
    monitor.mode(&fresh_mode);
    fresh_mode.on_interrupt(C64Mode::kEscape);
    fresh_mode.from_main_loop(C64Mode::kShown);
    for (char c : line) monitor.OnKeyDown(static_cast<uint8_t>(c));
    EscAfter::mode = &fresh_mode;
    EscAfter::limit = limit;
    EscAfter::text.clear();
    qlib::vga_set_mirror(EscAfter::print);
    monitor.OnKeyDown(Monitor::kKeyEnter);
    qlib::vga_set_mirror(nullptr);
    EXPECT_EQ(fresh_mode.state(), C64Mode::kMonitor) << "Esc stops the command, not the monitor";
    monitor.mode(nullptr);
    return EscAfter::text;
  }
};

TEST_F(StoppedCommands, EscStopsFAndItsStatusSaysSo) {
  ASSERT_TRUE(file.PutBytes(scratch, "LONG.TXT", std::vector<uint8_t>(20000, 'L')));
  mounted = std::make_unique<MountedVolume>(file.path());
  monitor.fat32(&mounted->volume());
  std::string text = RunStopped("F LONG.TXT", 1000);
  EXPECT_LT(text.size(), 1100u);
  EXPECT_NE(text.find(std::string(900, 'L') + "\nstopped\nstatus=0\n>"), std::string::npos) << text.substr(0, 200);
  EXPECT_EQ(RunStopped("F LONG.TXT", 1000000).size(), 1u + 20000 + strlen("\nstatus=4\n>")) << "whole, without Esc";
}

TEST_F(StoppedCommands, EscStopsALongMemoryDump) {
  std::string text = RunStopped("M 0000 FFFF", 2000);
  EXPECT_LT(text.size(), 2200u);
  EXPECT_NE(text.find("\nstopped\n>"), std::string::npos);
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
