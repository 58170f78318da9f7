// FAT32 directory maintenance and the C64 listing, checked against fsck.fat and mtools.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/fat/fat_image.h"

using namespace fat_test;

namespace {

class FatDirectoryTest : public ::testing::Test {
 protected:
  FatDirectoryTest() : file(scratch.File("volume.img")) { korvan::hosted::reset_ports(); }
  void Format(unsigned sectorsPerCluster = 1, const std::string& label = "QUILLON") {
    ASSERT_TRUE(file.Format(sectorsPerCluster, sectorsPerCluster == 1 ? 40 : 300, label));
  }
  void ExpectFsckClean() {
    CommandResult fsck = file.Fsck();
    EXPECT_EQ(0, fsck.status) << fsck.output;
    EXPECT_EQ(2, std::count(fsck.output.begin(), fsck.output.end(), '\n')) << fsck.output;
  }
  std::string Mdir() { return file.Mtools("mdir", "-a ::").output; }
  ScratchDirectory scratch;
  VolumeFile file;
};

TEST_F(FatDirectoryTest, DeleteFreesTheChainAndTheLongName) {
  Format();
  file.PutBytes(scratch, "HELLO.PRG", Pattern(3000, 1));
  file.PutBytes(scratch, "long name file.prg", Pattern(2000, 2));
  {
    MountedVolume mounted(file.path());
    Fat32& volume = mounted.volume();
    uint32_t freeBefore = volume.FreeClusters();
    EXPECT_EQ(0, volume.DeleteFile("HELLO.PRG"));
    EXPECT_EQ(0, volume.DeleteFile("LONGNA~1.PRG"));
    EXPECT_EQ(freeBefore + 6 + 4, volume.FreeClusters());
    EXPECT_EQ(0u, volume.GetFileCluster("HELLO   .PRG"));
    EXPECT_EQ(2, volume.DeleteFile("HELLO.PRG"));
    EXPECT_EQ(2, volume.DeleteFile("NOSUCH.PRG"));
    EXPECT_EQ(2, volume.DeleteFile("BAD"));
    EXPECT_EQ(0xE5, file.ReadBytes(file.RootEntryOffset(1), 1)[0]);
  }
  ExpectFsckClean();
  std::string listing = Mdir();
  EXPECT_EQ(std::string::npos, listing.find("HELLO")) << listing;
  EXPECT_EQ(std::string::npos, listing.find("long name")) << listing;
}

TEST_F(FatDirectoryTest, DirectoriesAreNotDeletedAsFiles) {
  Format();
  file.MakeDirectory("GAMES");
  MountedVolume mounted(file.path());
  EXPECT_EQ(11, mounted.volume().DeleteFile("GAMES.   "));
  mounted.Unmount();
  EXPECT_NE(std::string::npos, Mdir().find("GAMES"));
  ExpectFsckClean();
}

TEST_F(FatDirectoryTest, RenameChangesTheNameOnlyWhenTheNewOneIsFree) {
  Format();
  std::vector<uint8_t> bytes = Pattern(1500, 3);
  file.PutBytes(scratch, "old name.prg", bytes);
  file.PutBytes(scratch, "OTHER.PRG", Pattern(10, 4));
  {
    MountedVolume mounted(file.path());
    Fat32& volume = mounted.volume();
    EXPECT_EQ(6, volume.RenameFile("OLDNAM~1.PRG", "OTHER.PRG"));
    EXPECT_EQ(2, volume.RenameFile("MISSING.PRG", "NEW.PRG"));
    EXPECT_EQ(8, volume.RenameFile("OTHER.PRG", "A*B.PRG"));
    EXPECT_EQ(0, volume.RenameFile("OLDNAM~1.PRG", "NEW.PRG"));
    EXPECT_EQ(1500u, volume.GetFileSize("NEW     .PRG"));
    EXPECT_EQ(10u, volume.GetFileSize("OTHER   .PRG"));
  }
  ExpectFsckClean();
  CommandResult peer = file.Get(scratch, "NEW.PRG");
  EXPECT_EQ(AsString(bytes), peer.output);
  std::string listing = Mdir();
  EXPECT_EQ(std::string::npos, listing.find("old name")) << "the stale long name is gone\n" << listing;
}

TEST_F(FatDirectoryTest, NewEntriesReuseDeletedSlotsAndCarryTheClocksStamp) {
  Format();
  file.PutBytes(scratch, "A.PRG", Pattern(10, 1));
  file.PutBytes(scratch, "B.PRG", Pattern(10, 2));
  MountedVolume mounted(file.path());
  Fat32& volume = mounted.volume();
  // 14:25:36 on 3 March 2026.
  struct FixedClock : korvan::filesystem::FatClock {
    void Now(uint16_t& date, uint16_t& time) override {
      date = (46 << 9) | (3 << 5) | 3;
      time = (14 << 11) | (25 << 5) | 18;
    }
  } clock;
  volume.Clock(&clock);
  ASSERT_EQ(0, volume.DeleteFile("A.PRG"));
  ASSERT_EQ(0, WriteThroughVolume(volume, "C.PRG", Pattern(10, 3)));
  std::vector<uint8_t> entry = file.ReadBytes(file.RootEntryOffset(1), 32);
  EXPECT_EQ("C       PRG", std::string(entry.begin(), entry.begin() + 11));
  EXPECT_EQ(0x20, entry[11]);
  EXPECT_EQ((14 << 11) | (25 << 5) | 18, entry[22] | entry[23] << 8);
  EXPECT_EQ((46 << 9) | (3 << 5) | 3, entry[24] | entry[25] << 8);
  volume.Clock(nullptr);
  ASSERT_EQ(0, WriteThroughVolume(volume, "D.PRG", Pattern(10, 4)));
  entry = file.ReadBytes(file.RootEntryOffset(3), 32);
  EXPECT_EQ("D       PRG", std::string(entry.begin(), entry.begin() + 11));
  EXPECT_EQ(0x0000, entry[22] | entry[23] << 8) << "no clock: the FAT's no-date stamp";
  EXPECT_EQ(0x0021, entry[24] | entry[25] << 8);
  mounted.Unmount();
  ExpectFsckClean();
}

TEST_F(FatDirectoryTest, FullRootDirectoryGrowsByAZeroedCluster) {
  Format();
  {
    MountedVolume mounted(file.path());
    for (int i = 0; i < 40; i++) {
      std::string name = "F" + std::to_string(i) + ".DAT";
      ASSERT_EQ(0, WriteThroughVolume(mounted.volume(), name.c_str(), Pattern(i, i))) << name;
    }
    for (int i = 0; i < 40; i++) EXPECT_EQ(static_cast<uint32_t>(i), mounted.volume().GetFileSize(("F" + std::to_string(i) + ".DAT").c_str()));
  }
  ExpectFsckClean();
  std::string listing = Mdir();
  for (int i = 0; i < 40; i++) EXPECT_NE(std::string::npos, listing.find("F" + std::to_string(i) + " ")) << i;
}

TEST_F(FatDirectoryTest, NoEntryCanBeMadeWhenRootAndVolumeAreFull) {
  Format();
  uint32_t fill;
  {
    MountedVolume mounted(file.path());
    fill = mounted.volume().FreeClusters();
  }
  file.PlantChain(file.rootCluster() + 1, fill);
  file.WriteBytes(file.RootEntryOffset(1), VolumeFile::Entry("FILL    BIN", 0x20, file.rootCluster() + 1, fill * 512));
  file.ForgetFreeCount();
  {
    MountedVolume mounted(file.path());
    Fat32& volume = mounted.volume();
    ASSERT_EQ(0u, volume.FreeClusters());
    // Empty files need no cluster: the root's own 14 free slots take them.
    for (int i = 0; i < 14; i++) ASSERT_EQ(0, WriteThroughVolume(volume, ("E" + std::to_string(i) + ".DAT").c_str(), {}));
    EXPECT_EQ(7, volume.OpenFile(1, "ONEMORE .DAT", Fat32::kModeCreate));
    EXPECT_EQ(0, volume.OpenFile(1, "E0      .DAT", Fat32::kModeRead)) << "the slot was left free";
    volume.CloseFile(1);
    EXPECT_EQ(0u, volume.GetFileCluster("ONEMORE .DAT"));
  }
  // No cluster changed hands, so the free count planted as unknown stays unknown.
  CommandResult fsck = file.Fsck();
  EXPECT_EQ(0, fsck.status) << fsck.output;
  EXPECT_EQ(3, std::count(fsck.output.begin(), fsck.output.end(), '\n')) << fsck.output;
  EXPECT_NE(std::string::npos, fsck.output.find("Free cluster summary uninitialized")) << fsck.output;
}

class CbmListingTest : public FatDirectoryTest {
 protected:
  std::vector<uint8_t> Listing(uint16_t capacity = 4000) {
    MountedVolume mounted(file.path());
    std::vector<uint8_t> out(capacity + 16, 0xAA);
    uint16_t length = mounted.volume().GetCBMDir(out.data(), capacity);
    for (size_t i = capacity; i < out.size(); i++) EXPECT_EQ(0xAA, out[i]) << "written past the buffer";
    out.resize(length);
    return out;
  }
  void Plant(uint32_t index, const std::string& name11, uint32_t size, uint8_t attributes = 0x20) {
    file.WriteBytes(file.RootEntryOffset(index), VolumeFile::Entry(name11, attributes, 0, size));
  }
  // Follows the links from 0x0801: every line must start where the previous link points.
  static void ExpectLinksChain(const std::vector<uint8_t>& image) {
    size_t at = 0;
    for (int lines = 0; lines < 1000; lines++) {
      ASSERT_LE(at + 2, image.size());
      uint16_t link = image[at] | (image[at + 1] << 8);
      if (link == 0) {
        EXPECT_EQ(image.size(), at + 3);
        return;
      }
      size_t next = link - 0x0801;
      ASSERT_LT(at, next);
      ASSERT_LE(next, image.size());
      EXPECT_EQ(0, image[next - 1]) << "a line ends with 0";
      at = next;
    }
    FAIL() << "links never end";
  }
};

TEST_F(CbmListingTest, EmptyRootWithALabelIsFiftyBytes) {
  Format(1, "LABEL");
  std::vector<uint8_t> image = Listing();
  std::vector<uint8_t> expected = {0x1F, 0x08, 0, 0, 0x12, 0x22};
  for (char c : std::string("LABEL")) expected.push_back(static_cast<uint8_t>(c));
  for (int i = 0; i < 11; i++) expected.push_back(' ');
  for (char c : std::string("\x22 00 2A")) expected.push_back(static_cast<uint8_t>(c));
  expected.push_back(0);
  uint16_t footerLink = 0x0801 + 47;
  expected.push_back(static_cast<uint8_t>(footerLink));
  expected.push_back(static_cast<uint8_t>(footerLink >> 8));
  // The volume's free bytes in blocks of 254, at most 65,535.
  uint64_t freeBlocks = 0;
  {
    MountedVolume mounted(file.path());
    freeBlocks = uint64_t{mounted.volume().FreeClusters()} * mounted.volume().BytesPerCluster() / 254;
  }
  ASSERT_GT(freeBlocks, 0u);
  freeBlocks = std::min<uint64_t>(freeBlocks, 65535);
  expected.push_back(static_cast<uint8_t>(freeBlocks));
  expected.push_back(static_cast<uint8_t>(freeBlocks >> 8));
  for (char c : std::string("BLOCKS FREE.")) expected.push_back(static_cast<uint8_t>(c));
  for (int i = 0; i < 4; i++) expected.push_back(0);
  EXPECT_EQ(expected, image);

}

TEST_F(CbmListingTest, BlockCountsAndSpacing) {
  Format();
  struct Case {
    uint32_t size;
    uint16_t blocks;
    int blanks;
  };
  // max(1, ceil(size / 254)) blocks, as a 1541 counts them; names line up
  // from 10 and from 100 blocks on.
  const std::vector<Case> cases = {{0, 1, 3},       {254, 1, 3},     {255, 2, 3},     {2286, 9, 3},
                                   {2287, 10, 2},   {2540, 10, 2},   {2541, 11, 2},   {25146, 99, 2},
                                   {25400, 100, 1}, {25401, 101, 1}, {254000, 1000, 0}};
  for (size_t i = 0; i < cases.size(); i++) Plant(1 + i, "F" + std::to_string(i) + "      PRG", cases[i].size);
  Plant(1 + cases.size(), "SUBDIR     ", 0, 0x10);
  std::vector<uint8_t> image = Listing();
  ExpectLinksChain(image);
  size_t at = 30;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    EXPECT_EQ(c.blocks, image[at + 2] | (image[at + 3] << 8));
    for (int b = 0; b < c.blanks; b++) EXPECT_EQ(' ', image[at + 4 + b]);
    EXPECT_EQ(0x22, image[at + 4 + c.blanks]);
    at = (image[at] | (image[at + 1] << 8)) - 0x0801;
  }
  std::string subdirLine(image.begin() + at + 4, image.begin() + at + 29);
  EXPECT_EQ("   \"SUBDIR\"           DIR", subdirLine);
}

TEST_F(CbmListingTest, LineEndingAtIndex254LinksTo08FF) {
  Format();
  for (int i = 0; i < 8; i++) Plant(1 + i, "BIG" + std::to_string(i) + "    PRG", 25400);
  std::vector<uint8_t> image = Listing();
  // Eight 28-byte lines after the 30-byte header: the eighth ends at 254.
  size_t eighth = 30 + 7 * 28;
  EXPECT_EQ(0xFF, image[eighth]);
  EXPECT_EQ(0x08, image[eighth + 1]);
}

TEST_F(CbmListingTest, ListingThatDoesNotFitIsCutAtALineWithItsFooter) {
  Format();
  for (int i = 0; i < 10; i++) Plant(1 + i, "FILE" + std::to_string(i) + "   PRG", 100);
  std::vector<uint8_t> whole = Listing();
  EXPECT_EQ(30u + 10 * 30 + 20, whole.size());
  ExpectLinksChain(whole);
  // Room for three lines, the line that counts the rest, and the footer.
  std::vector<uint8_t> cut = Listing(30 + 3 * 30 + 20 + 20 + 29);
  ASSERT_EQ(30u + 3 * 30 + 20 + 20, cut.size());
  ExpectLinksChain(cut);
  EXPECT_TRUE(std::equal(cut.begin(), cut.begin() + 120, whole.begin()));
  EXPECT_EQ(7, cut[122] | cut[123] << 8) << "seven files left out";
  EXPECT_EQ("FILES LEFT OUT.", std::string(cut.begin() + 124, cut.begin() + 139));
  EXPECT_EQ("BLOCKS FREE.", std::string(cut.end() - 16, cut.end() - 4));
  MountedVolume mounted(file.path());
  uint8_t tiny[69];
  EXPECT_EQ(0u, mounted.volume().GetCBMDir(tiny, sizeof(tiny)));
}

TEST_F(CbmListingTest, ListsFilesMtoolsWroteAndSkipsLongNames) {
  Format();
  file.PutBytes(scratch, "game.prg", Pattern(600, 1));
  file.PutBytes(scratch, "A longer name.seq", Pattern(10, 1));
  file.MakeDirectory("DISKS");
  std::vector<uint8_t> image = Listing();
  ExpectLinksChain(image);
  std::string text(image.begin(), image.end());
  EXPECT_NE(std::string::npos, text.find("   \"GAME\"             PRG"));
  EXPECT_NE(std::string::npos, text.find("   \"ALONGE~1\"         SEQ"));
  EXPECT_NE(std::string::npos, text.find("   \"DISKS\"            DIR"));
  EXPECT_EQ(30u + 3 * 30 + 20, image.size());
}

}  // namespace
