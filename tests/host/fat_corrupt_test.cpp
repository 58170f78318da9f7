// FAT32 on damaged volumes: looping and stray chains, bad marks, lying sizes and unreadable sectors.
#include <string>
#include <vector>

#include "tests/fat/fat_image.h"

using namespace fat_test;
using korvan::hosted::ConsoleCapture;

namespace {

class FatCorruptTest : public ::testing::Test {
 protected:
  FatCorruptTest() : file(scratch.File("volume.img")) {
    korvan::hosted::reset_ports();
    EXPECT_TRUE(file.Format(1, 40));
    file.PutBytes(scratch, "CHAIN.BIN", Pattern(4 * 512, 1));
    file.PutBytes(scratch, "OTHER.PRG", Pattern(100, 2));
    MountedVolume probe(file.path());
    first = probe.volume().GetFileCluster("CHAIN   .BIN");
  }
  // Every read path on the damaged file ends in status 9, and the rest of the volume still works.
  void ExpectChainRefused() {
    MountedVolume mounted(file.path());
    Fat32& volume = mounted.volume();
    ASSERT_TRUE(volume.Mounted());
    std::vector<uint8_t> read(8192);
    EXPECT_EQ(9, volume.OpenFile(1, "CHAIN   .BIN", Fat32::kModeRead));
    EXPECT_EQ(9, volume.ReadFile("CHAIN   .BIN", read.data(), 8192));
    uint32_t freeBefore = volume.FreeClusters();
    EXPECT_EQ(9, volume.DeleteFile("CHAIN.BIN"));
    EXPECT_EQ(freeBefore, volume.FreeClusters());
    EXPECT_NE(0u, volume.GetFileCluster("CHAIN   .BIN")) << "a refused delete changes nothing";
    std::vector<uint8_t> other;
    EXPECT_EQ(0, ReadThroughVolume(volume, "OTHER   .PRG", other));
    EXPECT_EQ(Pattern(100, 2), other);
  }
  ScratchDirectory scratch;
  VolumeFile file;
  uint32_t first = 0;
};

TEST_F(FatCorruptTest, ChainThatLoopsBackEndsWithAnError) {
  file.SetFatEntry(first + 3, first + 1);
  ExpectChainRefused();
}

TEST_F(FatCorruptTest, ChainThatPointsAtItselfEndsWithAnError) {
  file.SetFatEntry(first, first);
  ExpectChainRefused();
}

TEST_F(FatCorruptTest, ChainLeavingTheVolumeEndsWithAnError) {
  file.SetFatEntry(first + 1, 0x0FFFFFF0);
  ExpectChainRefused();
}

TEST_F(FatCorruptTest, ChainIntoReservedClustersEndsWithAnError) {
  file.SetFatEntry(first + 1, 1);
  ExpectChainRefused();
  file.SetFatEntry(first + 1, 0);
  ExpectChainRefused();
}

TEST_F(FatCorruptTest, BadClusterMarkInAChainEndsWithAnError) {
  file.SetFatEntry(first + 2, 0x0FFFFFF7);
  ExpectChainRefused();
}

TEST_F(FatCorruptTest, SizeLargerThanTheChainIsRefused) {
  std::vector<uint8_t> entry = file.ReadBytes(file.RootEntryOffset(1), 32);
  ASSERT_EQ("CHAIN   BIN", std::string(entry.begin(), entry.begin() + 11));
  entry[31] = 0x7F;  // about 2 GiB on four clusters
  file.WriteBytes(file.RootEntryOffset(1), entry);
  MountedVolume mounted(file.path());
  EXPECT_EQ(9, mounted.volume().OpenFile(1, "CHAIN   .BIN", Fat32::kModeRead));
  EXPECT_EQ(0, mounted.volume().OpenFile(1, "OTHER   .PRG", Fat32::kModeRead)) << "the slot stayed free";
}

// A 5,000-byte size on a chain of 2,048: ReadFile is refused as OpenFile is,
// instead of copying the chain and reporting success.
TEST_F(FatCorruptTest, ReadFileRefusesASizeLargerThanTheChain) {
  std::vector<uint8_t> entry = file.ReadBytes(file.RootEntryOffset(1), 32);
  ASSERT_EQ("CHAIN   BIN", std::string(entry.begin(), entry.begin() + 11));
  entry[28] = 0x88;  // 5000 = $1388
  entry[29] = 0x13;
  file.WriteBytes(file.RootEntryOffset(1), entry);
  MountedVolume mounted(file.path());
  std::vector<uint8_t> read(5000, 0xEE);
  EXPECT_EQ(9, mounted.volume().ReadFile("CHAIN   .BIN", read.data(), 5000));
  EXPECT_EQ(9, mounted.volume().ReadFile("CHAIN   .BIN", read.data(), 10)) << "the size is damaged, not the bytes asked";
  std::vector<uint8_t> other(100);
  EXPECT_EQ(0, mounted.volume().ReadFile("OTHER   .PRG", other.data(), 100));
}

// ReadFile copies what the file holds, never the rest of its last cluster.
TEST_F(FatCorruptTest, ReadFileCopiesNoMoreThanTheFileHolds) {
  MountedVolume mounted(file.path());
  std::vector<uint8_t> read(512, 0xEE);
  EXPECT_EQ(0, mounted.volume().ReadFile("OTHER   .PRG", read.data(), 512));
  EXPECT_EQ(std::vector<uint8_t>(read.begin(), read.begin() + 100), Pattern(100, 2));
  EXPECT_EQ(std::vector<uint8_t>(read.begin() + 100, read.end()), std::vector<uint8_t>(412, 0xEE));
}

TEST_F(FatCorruptTest, FirstClusterOutsideTheVolumeIsRefused) {
  file.WriteBytes(file.RootEntryOffset(3), VolumeFile::Entry("STRAY   PRG", 0x20, 0x0ABCDEF0, 10));
  MountedVolume mounted(file.path());
  EXPECT_EQ(9, mounted.volume().OpenFile(1, "STRAY   .PRG", Fat32::kModeRead));
  EXPECT_EQ(9, mounted.volume().ReadDirectory(0x0ABCDEF0));
  ConsoleCapture capture;
  EXPECT_EQ(0, mounted.volume().ReadDirectory(0)) << "the listing only shows the number";
}

TEST_F(FatCorruptTest, LoopingRootDirectoryEndsEveryWalk) {
  file.SetFatEntry(file.rootCluster(), file.rootCluster());
  MountedVolume mounted(file.path());
  Fat32& volume = mounted.volume();
  ConsoleCapture capture;
  EXPECT_EQ(9, volume.ReadDirectory(0));
  EXPECT_EQ(0u, volume.GetFileCluster("OTHER   .PRG"));
  EXPECT_EQ(9, volume.OpenFile(1, "NEW     .PRG", Fat32::kModeCreate));
  EXPECT_EQ(9, volume.RenameFile("OTHER.PRG", "X.PRG"));
  uint8_t listing[4000];
  EXPECT_EQ(50u, volume.GetCBMDir(listing, sizeof(listing)));
}

TEST_F(FatCorruptTest, UnreadableDirectorySectorFailsWithADiskError) {
  MountedVolume mounted(file.path());
  mounted.drive().bad_read_sectors.insert(2048 + file.ClusterOffset(file.rootCluster()) / 512);
  Fat32& volume = mounted.volume();
  ConsoleCapture capture;
  EXPECT_EQ(5, volume.ReadDirectory(0));
  EXPECT_EQ(5, volume.OpenFile(1, "OTHER   .PRG", Fat32::kModeRead));
  EXPECT_EQ(5, volume.OpenFile(1, "NEW     .PRG", Fat32::kModeCreate));
  EXPECT_EQ(5, volume.DeleteFile("OTHER.PRG"));
  EXPECT_NE(std::string::npos, std::string(capture.text()).find("ERROR"));
}

TEST_F(FatCorruptTest, DirectoryEntryWrittenBackFailsWithADiskError) {
  MountedVolume mounted(file.path());
  mounted.drive().bad_write_sectors.insert(2048 + file.ClusterOffset(file.rootCluster()) / 512);
  Fat32& volume = mounted.volume();
  EXPECT_EQ(5, volume.RenameFile("OTHER.PRG", "X.PRG"));
  EXPECT_EQ(5, volume.OpenFile(1, "NEW     .PRG", Fat32::kModeCreate));
  EXPECT_EQ(0, volume.OpenFile(1, "OTHER   .PRG", Fat32::kModeRead)) << "the slot stayed free";
}

TEST_F(FatCorruptTest, StuckDriveEndsOperationsInsteadOfHanging) {
  MountedVolume mounted(file.path());
  mounted.drive().stuck_busy = true;
  ConsoleCapture capture;
  EXPECT_EQ(5, mounted.volume().ReadDirectory(0));
  EXPECT_EQ(5, mounted.volume().OpenFile(1, "OTHER   .PRG", Fat32::kModeRead));
}

}  // namespace
