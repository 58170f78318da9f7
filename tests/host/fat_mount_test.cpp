// FAT32 mount, partition report, directory listing and lookups on volumes made by mkfs.fat and mtools.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/fat/fat_image.h"

using namespace fat_test;
using korvan::hosted::ConsoleCapture;

namespace {

std::string Hex6(uint32_t value) {
  char text[16];
  snprintf(text, sizeof(text), "%06X", value);
  return text;
}

struct Geometry {
  unsigned sectorsPerCluster;
  unsigned megabytes;
};

class FatMountTest : public ::testing::TestWithParam<Geometry> {
 protected:
  FatMountTest() : file(scratch.File("volume.img")) {
    korvan::hosted::reset_ports();
    EXPECT_TRUE(file.Format(GetParam().sectorsPerCluster, GetParam().megabytes));
  }
  ScratchDirectory scratch;
  VolumeFile file;
};

TEST_P(FatMountTest, MountsWithEveryClusterOfTheVolume) {
  file.PutBytes(scratch, "HELLO.PRG", Pattern(3000, 1));
  MountedVolume mounted(file.path());
  Fat32& volume = mounted.volume();
  ASSERT_TRUE(volume.Mounted());
  EXPECT_EQ(GetParam().sectorsPerCluster, volume.SectorsPerCluster());
  EXPECT_GE(volume.ClusterCount(), 65525u);
  // fsck.fat counts the same clusters and the same number in use.
  CommandResult fsck = file.Fsck();
  ASSERT_EQ(0, fsck.status) << fsck.output;
  std::string expected = "/" + std::to_string(volume.ClusterCount()) + " clusters";
  EXPECT_NE(std::string::npos, fsck.output.find(expected)) << fsck.output;
  uint32_t used = volume.ClusterCount() - volume.FreeClusters();
  EXPECT_NE(std::string::npos, fsck.output.find(" " + std::to_string(used) + "/")) << fsck.output;
}

TEST_P(FatMountTest, PartitionReportShowsTheTableAndTheDerivedPositions) {
  MountedVolume mounted(file.path());
  std::vector<uint8_t> boot = file.ReadBytes(0, 512);
  uint32_t reserved = boot[14] | (boot[15] << 8);
  uint32_t fatSectors = boot[36] | (boot[37] << 8) | (boot[38] << 16);
  uint32_t fatStart = 2048 + reserved;
  uint32_t dataStart = fatStart + boot[16] * fatSectors;
  ConsoleCapture capture;
  mounted.volume().ReadPartitions();
  std::string rule(58, '-');
  std::string expected = "\n\nPartition table\n" + rule + "\nPart # | Bootable | Type |" + std::string(32, ' ') +
                         "\n" + rule + "\n  01       Y         0C\n  02       N         00\n" +
                         "  03       N         00\n  04       N         00\n" +
                         "\nBytes per sector   : 512\nSectors per cluster: " +
                         std::to_string(GetParam().sectorsPerCluster) + "\n\nFAT Start          : " + Hex6(fatStart) +
                         "\nData Start         : " + Hex6(dataStart) + "\nRoot cluster       : 000002" +
                         "\nRoot directory     : " + Hex6(dataStart);
  EXPECT_EQ(expected, capture.text());
}

TEST_P(FatMountTest, RootWalkYieldsEachSectorOfItsClusterThenEnds) {
  MountedVolume mounted(file.path());
  Fat32& volume = mounted.volume();
  ASSERT_TRUE(volume.Mounted());
  unsigned sectors = 0;
  for (uint8_t* s = volume.ReadNextSectorInChain(volume.RootCluster()); s != nullptr;
       s = volume.ReadNextSectorInChain(0))
    sectors++;
  EXPECT_EQ(GetParam().sectorsPerCluster, sectors);
  EXPECT_EQ(0, volume.WalkStatus());
}

INSTANTIATE_TEST_SUITE_P(ClusterSizes, FatMountTest,
                         ::testing::Values(Geometry{1, 40}, Geometry{8, 300}, Geometry{64, 2100}),
                         [](const ::testing::TestParamInfo<Geometry>& info) {
                           return std::to_string(info.param.sectorsPerCluster) + "SectorsPerCluster";
                         });

class FatDirectoryReadTest : public ::testing::Test {
 protected:
  FatDirectoryReadTest() : file(scratch.File("volume.img")) {
    korvan::hosted::reset_ports();
    EXPECT_TRUE(file.Format(8, 300));
  }
  ScratchDirectory scratch;
  VolumeFile file;
};

TEST_F(FatDirectoryReadTest, ListingShowsLabelFilesAndDirectoriesAsStored) {
  // Entry 0 is the label mkfs.fat wrote; planted entries follow it.
  file.WriteBytes(file.RootEntryOffset(1), VolumeFile::Entry("GAME    PRG", 0x20, 0x12345, 2540));
  file.WriteBytes(file.RootEntryOffset(2), VolumeFile::Entry("SUBDIR     ", 0x10, 7, 0, 0x5A21, 0x0000));
  file.WriteBytes(file.RootEntryOffset(3), VolumeFile::Entry("EMPTY   SEQ", 0x20, 0, 0));
  MountedVolume mounted(file.path());
  ConsoleCapture capture;
  EXPECT_EQ(0, mounted.volume().ReadDirectory(0));
  uint32_t dataStart = (file.ClusterOffset(2) / 512) + 2048;
  std::string expected = "\n\nVolume Label: QUILLON    \n" + std::string("\nGAME    .PRG   9-29-2017 16:30     012345     ") +
                         Hex6(dataStart + 8 * (0x12345 - 2)) + "   " + "  2540" +
                         "\n<SUBDIR  >   1-1-2025 0:0     000007     " + Hex6(dataStart + 8 * 5) + "   " + "  0" +
                         "\nEMPTY   .SEQ   9-29-2017 16:30     000000     000000   " + "  0";
  EXPECT_EQ(expected, capture.text());
}

TEST_F(FatDirectoryReadTest, ListingStopsAtANeverUsedSlotButLookupsSearchOn) {
  file.WriteBytes(file.RootEntryOffset(1), VolumeFile::Entry("FIRST   PRG", 0x20, 0, 0));
  file.WriteBytes(file.RootEntryOffset(3), VolumeFile::Entry("HIDDEN  PRG", 0x20, 9, 77));
  MountedVolume mounted(file.path());
  ConsoleCapture capture;
  mounted.volume().ReadDirectory(0);
  std::string text = capture.text();
  EXPECT_NE(std::string::npos, text.find("FIRST"));
  EXPECT_EQ(std::string::npos, text.find("HIDDEN"));
  EXPECT_EQ(9u, mounted.volume().GetFileCluster("HIDDEN  .PRG"));
  EXPECT_EQ(77u, mounted.volume().GetFileSize("HIDDEN  .PRG"));
}

TEST_F(FatDirectoryReadTest, LookupsFindFilesWrittenByMtools) {
  std::vector<uint8_t> hello = Pattern(5000, 2);
  file.PutBytes(scratch, "HELLO.PRG", hello);
  file.PutBytes(scratch, "readme.txt", Pattern(10, 3));
  file.PutBytes(scratch, "A long name.txt", Pattern(20, 4));
  file.MakeDirectory("GAMES");
  MountedVolume mounted(file.path());
  Fat32& volume = mounted.volume();
  EXPECT_EQ(5000u, volume.GetFileSize("HELLO   .PRG"));
  EXPECT_EQ(5000u, volume.GetFileSize("HELLO.PRG"));
  EXPECT_NE(0u, volume.GetFileCluster("HELLO   .PRG"));
  EXPECT_EQ(10u, volume.GetFileSize("README  .TXT"));
  EXPECT_EQ(volume.GetFileCluster("HELLO   .PRG"), volume.GetFileCluster("hello   .prg"))
      << "lookups ignore case";
  EXPECT_EQ(0u, volume.GetFileCluster("GAMES   .   ")) << "directories are not files";
  EXPECT_EQ(0u, volume.GetFileCluster("MISSING .PRG"));

  std::vector<uint8_t> read(5000);
  EXPECT_EQ(0, volume.ReadFile("HELLO   .PRG", read.data(), 5000));
  EXPECT_EQ(hello, read);
}

TEST_F(FatDirectoryReadTest, LongNameEntriesAreNeitherFilesNorLabels) {
  file.PutBytes(scratch, "a long file name.prg", Pattern(100, 5));
  MountedVolume mounted(file.path());
  ConsoleCapture capture;
  mounted.volume().ReadDirectory(0);
  std::string text = capture.text();
  // One label line and one file line: the long-name slots show nowhere.
  EXPECT_EQ(text.find("Volume Label: QUILLON"), text.rfind("Volume Label"));
  EXPECT_EQ(4, std::count(text.begin(), text.end(), '\n')) << text;
  EXPECT_NE(std::string::npos, text.find("\nALONGF~1.PRG"));
  uint8_t listing[200];
  uint16_t length = mounted.volume().GetCBMDir(listing, sizeof(listing));
  EXPECT_EQ(50u + 30u, length);
}

TEST_F(FatDirectoryReadTest, NameStoredWithLeading05IsFoundAsE5) {
  std::string name = "\x05" "ABC    PRG";
  file.WriteBytes(file.RootEntryOffset(1), VolumeFile::Entry(name, 0x20, 0, 0));
  file.WriteBytes(file.RootEntryOffset(2), VolumeFile::Entry("\xE5GONE   PRG", 0x20, 0, 0));
  MountedVolume mounted(file.path());
  Fat32& volume = mounted.volume();
  ASSERT_EQ(0, volume.OpenFile(1, "\xE5" "ABC    .PRG", Fat32::kModeRead));
  volume.CloseFile(1);
  EXPECT_EQ(2, volume.OpenFile(1, "\xE5GONE   .PRG", Fat32::kModeRead)) << "a deleted slot is not a file";
  ConsoleCapture capture;
  volume.ReadDirectory(0);
  EXPECT_NE(std::string::npos, std::string(capture.text()).find("\n\xE5" "ABC    .PRG"));
}

TEST_F(FatDirectoryReadTest, ParseFilenameSplitsShortNames) {
  MountedVolume mounted(file.path());
  Fat32& volume = mounted.volume();
  uint8_t name8[8], ext3[3];
  ASSERT_EQ(0, volume.ParseFilename("HI.PRG", name8, ext3));
  EXPECT_EQ("HI      ", std::string(name8, name8 + 8));
  EXPECT_EQ("PRG", std::string(ext3, ext3 + 3));
  ASSERT_EQ(0, volume.ParseFilename("FILENAME.EXT", name8, ext3));
  EXPECT_EQ("FILENAME", std::string(name8, name8 + 8));
  for (const char* bad : {"A.TEXT", ".PRG", "NAME", "ABCDEFGHI.PRG", "ABCDEFGHIJ.P"})
    EXPECT_EQ(2, volume.ParseFilename(bad, name8, ext3)) << bad;
}

class FatMountFailureTest : public FatDirectoryReadTest {
 protected:
  // Mounts, then checks that nothing but LBA 0 is read or written afterwards.
  void ExpectUnmounted(MountedVolume& mounted, const std::string& reason) {
    Fat32& volume = mounted.volume();
    EXPECT_FALSE(volume.Mounted());
    {
      ConsoleCapture capture;
      volume.PrintMountReport();
      EXPECT_EQ("\nFAT32 volume not mounted: " + reason, std::string(capture.text()));
    }
    mounted.drive().commands.clear();
    ConsoleCapture quiet;
    uint8_t sector[512];
    uint32_t cluster = 0;
    EXPECT_EQ(8, volume.OpenFile(1, "HELLO   .PRG", Fat32::kModeRead));
    EXPECT_EQ(8, volume.OpenFile(1, "HELLO   .PRG", Fat32::kModeCreate));
    EXPECT_EQ(8, volume.ReadDirectory(0));
    EXPECT_EQ(8, volume.DeleteFile("HELLO.PRG"));
    EXPECT_EQ(8, volume.RenameFile("HELLO.PRG", "B.PRG"));
    EXPECT_EQ(8, volume.AllocateCluster(cluster));
    EXPECT_EQ(8, volume.ReadSector(100, sector));
    EXPECT_EQ(8, volume.ReadFile("HELLO   .PRG", sector, 10));
    EXPECT_EQ(0u, volume.GetFileCluster("HELLO   .PRG"));
    uint8_t listing[80];
    EXPECT_EQ(50u, volume.GetCBMDir(listing, sizeof(listing)));
    for (const auto& command : mounted.drive().commands) EXPECT_EQ(0u, command.lba);
  }
};

TEST_F(FatMountFailureTest, EmptyPartitionEntryLeavesTheVolumeUnmounted) {
  MountedVolume mounted(file.path());
  std::vector<uint8_t> mbr(512);
  mounted.disk().ReadSector(0, mbr.data(), 512);
  mbr[446 + 4] = 0;
  mounted.disk().WriteSector(0, mbr.data(), 512);
  mounted.Remount();
  ExpectUnmounted(mounted, "partition entry is empty");
}

TEST_F(FatMountFailureTest, UnreadablePartitionTable) {
  MountedVolume mounted(file.path());
  mounted.drive().bad_read_sectors.insert(0);
  ConsoleCapture capture;
  mounted.Remount();
  EXPECT_FALSE(mounted.volume().Mounted());
  mounted.volume().PrintMountReport();
  EXPECT_EQ("ERROR\nFAT32 volume not mounted: partition table unreadable", std::string(capture.text()));
}

struct BootDamage {
  const char* name;
  uint32_t offset;
  std::vector<uint8_t> bytes;
  const char* reason;
};

TEST_F(FatMountFailureTest, InvalidBootSectorsAreRefused) {
  const std::vector<BootDamage> damages = {
      {"sector size", 11, {0x00, 0x04}, "sector size is not 512 bytes"},
      {"cluster size not a power of two", 13, {6}, "bad cluster size"},
      {"cluster size zero", 13, {0}, "bad cluster size"},
      {"no reserved sectors", 14, {0, 0}, "not a FAT32 volume"},
      {"no tables", 16, {0}, "not a FAT32 volume"},
      {"table size zero", 36, {0, 0, 0, 0}, "not a FAT32 volume"},
      {"fixed root directory", 17, {0, 2}, "not a FAT32 volume"},
      {"root cluster zero", 44, {0, 0, 0, 0}, "root directory outside the volume"},
      {"root cluster past the end", 44, {0, 0, 0, 0x01}, "root directory outside the volume"},
      {"volume larger than the partition", 32, {0xFF, 0xFF, 0xFF, 0x0F}, "volume larger than its partition"},
      {"tables fill the volume", 36, {0, 0, 0x10, 0}, "volume has no data area"},
  };
  std::vector<uint8_t> original = file.ReadBytes(0, 512);
  for (const BootDamage& damage : damages) {
    SCOPED_TRACE(damage.name);
    file.WriteBytes(0, original);
    file.WriteBytes(damage.offset, damage.bytes);
    MountedVolume mounted(file.path());
    ExpectUnmounted(mounted, damage.reason);
  }
}

TEST_F(FatMountFailureTest, Fat16VolumeIsNotMountedAsFat32) {
  VolumeFile fat16(scratch.File("fat16.img"));
  ASSERT_EQ(0, Shell("mkfs.fat -F 16 -C " + Quote(fat16.path()) + " 65536").status);
  MountedVolume mounted(fat16.path());
  ExpectUnmounted(mounted, "not a FAT32 volume");
}

TEST_F(FatMountFailureTest, UnreadableAllocationTable) {
  MountedVolume mounted(file.path());
  std::vector<uint8_t> boot = file.ReadBytes(0, 512);
  mounted.drive().bad_read_sectors.insert(2048 + (boot[14] | (boot[15] << 8)) + 3);
  ConsoleCapture capture;
  mounted.Remount();
  ExpectUnmounted(mounted, "allocation table unreadable");
}

// The same volume on a disk partitioned by sfdisk, the way a user prepares one.
TEST(FatSfdiskTest, MountsTheFirstPartitionOfARealDiskImage) {
  korvan::hosted::reset_ports();
  ScratchDirectory scratch;
  std::string disk = scratch.File("disk.img");
  ASSERT_EQ(0, Shell("truncate -s 64M " + Quote(disk)).status);
  ASSERT_EQ(0, Shell("printf 'label: dos\\nstart=4096, type=c, bootable\\n' | sfdisk -q " + Quote(disk)).status);
  ASSERT_EQ(0, Shell("mkfs.fat -F 32 -s 1 -n SFDISK --offset 4096 " + Quote(disk) + " " +
                   std::to_string((64 * 2048 - 4096) / 2))
                   .status);
  std::vector<uint8_t> bytes = Pattern(777, 9);
  WriteHostFile(scratch.File("x.bin"), bytes);
  ASSERT_EQ(0, Shell("MTOOLS_SKIP_CHECK=1 mcopy -i " + Quote(disk + "@@2M") + " " + Quote(scratch.File("x.bin")) +
                   " ::X.PRG")
                   .status);
  korvan::hosted::ImageFileStore store(disk);
  korvan::hosted::SimulatedAtaDrive drive(&store);
  korvan::hosted::SimulatedAtaChannel channel(0x1F0);
  channel.connect(true, &drive);
  AdvancedTechnologyAttachment ata(true, 0x1F0);
  Fat32 volume(&ata, 0);
  ASSERT_TRUE(volume.Mounted());
  std::vector<uint8_t> read;
  EXPECT_EQ(0, ReadThroughVolume(volume, "X       .PRG", read));
  EXPECT_EQ(bytes, read);
  Fat32 second(&ata, 1);
  EXPECT_FALSE(second.Mounted());
  Fat32 outOfRange(&ata, 4);
  EXPECT_FALSE(outOfRange.Mounted());
}

}  // namespace
