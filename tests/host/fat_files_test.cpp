// FAT32 open-file table: reads and writes checked against fsck.fat and mtools at three cluster sizes.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/fat/fat_image.h"

using namespace fat_test;
using korvan::hosted::ConsoleCapture;

namespace {

struct Geometry {
  unsigned sectorsPerCluster;
  unsigned megabytes;
};

class FatFilesTest : public ::testing::TestWithParam<Geometry> {
 protected:
  FatFilesTest() : file(scratch.File("volume.img")) {
    korvan::hosted::reset_ports();
    EXPECT_TRUE(file.Format(GetParam().sectorsPerCluster, GetParam().megabytes));
  }
  void ExpectFsckClean() {
    CommandResult fsck = file.Fsck();
    EXPECT_EQ(0, fsck.status) << fsck.output;
    // Anything beyond the version line and the summary is a complaint.
    EXPECT_EQ(2, std::count(fsck.output.begin(), fsck.output.end(), '\n')) << fsck.output;
  }
  ScratchDirectory scratch;
  VolumeFile file;
};

TEST_P(FatFilesTest, ReadsFilesWrittenByMtoolsByteForByte) {
  std::vector<uint8_t> big = Pattern(300000, 1);
  std::vector<uint8_t> exact = Pattern(file.clusterBytes() * 2, 2);
  file.PutBytes(scratch, "BIG.BIN", big);
  file.PutBytes(scratch, "EXACT.BIN", exact);
  file.PutBytes(scratch, "EMPTY.PRG", {});
  MountedVolume mounted(file.path());
  std::vector<uint8_t> read;
  EXPECT_EQ(0, ReadThroughVolume(mounted.volume(), "BIG     .BIN", read));
  EXPECT_EQ(big, read);
  EXPECT_EQ(0, ReadThroughVolume(mounted.volume(), "EXACT   .BIN", read));
  EXPECT_EQ(exact, read);
  // An empty file has no cluster at all, and is still a file.
  EXPECT_EQ(0u, mounted.volume().GetFileCluster("EMPTY   .PRG"));
  EXPECT_EQ(0, ReadThroughVolume(mounted.volume(), "EMPTY   .PRG", read));
  EXPECT_TRUE(read.empty());
}

TEST_P(FatFilesTest, ReadingPastTheEndReportsEndOfFileAndDeliversNothing) {
  file.PutBytes(scratch, "TWO.PRG", {0x01, 0x08});
  MountedVolume mounted(file.path());
  Fat32& volume = mounted.volume();
  ASSERT_EQ(0, volume.OpenFile(1, "TWO     .PRG", Fat32::kModeRead));
  uint8_t byte = 0;
  EXPECT_EQ(0, volume.ReadNextFileByte(1, byte));
  EXPECT_EQ(0x01, byte);
  EXPECT_EQ(0, volume.ReadNextFileByte(1, byte));
  EXPECT_EQ(0x08, byte);
  byte = 0x55;
  EXPECT_EQ(4, volume.ReadNextFileByte(1, byte));
  EXPECT_EQ(0x55, byte);
  EXPECT_EQ(0, volume.CloseFile(1));
}

TEST_P(FatFilesTest, WritesFilesOfAnyLengthThatOtherSystemsReadBack) {
  const uint32_t cluster = file.clusterBytes();
  const std::vector<uint32_t> lengths = {0, 1, 100, cluster - 1, cluster, cluster + 1, 5 * cluster + 17};
  {
    MountedVolume mounted(file.path());
    uint32_t freeBefore = mounted.volume().FreeClusters();
    uint32_t clustersUsed = 0;
    for (size_t i = 0; i < lengths.size(); i++) {
      std::string name = "FILE" + std::to_string(i) + "   .DAT";
      EXPECT_EQ(0, WriteThroughVolume(mounted.volume(), name.c_str(), Pattern(lengths[i], 10 + i))) << name;
      clustersUsed += (lengths[i] + cluster - 1) / cluster;
    }
    EXPECT_EQ(freeBefore - clustersUsed, mounted.volume().FreeClusters());
  }
  ExpectFsckClean();
  MountedVolume again(file.path());
  for (size_t i = 0; i < lengths.size(); i++) {
    std::string shortName = "FILE" + std::to_string(i) + ".DAT";
    SCOPED_TRACE(shortName);
    CommandResult peer = file.Get(scratch, shortName);
    ASSERT_EQ(0, peer.status) << peer.output;
    EXPECT_EQ(AsString(Pattern(lengths[i], 10 + i)), peer.output);
    std::vector<uint8_t> read;
    EXPECT_EQ(0, ReadThroughVolume(again.volume(), shortName.c_str(), read));
    EXPECT_EQ(Pattern(lengths[i], 10 + i), read);
  }
  // The empty file is recorded with size 0 and no cluster.
  CommandResult listing = file.Mtools("mdir", "-a ::");
  EXPECT_NE(std::string::npos, listing.output.find("FILE0    DAT         0")) << listing.output;
}

TEST_P(FatFilesTest, TableChangesReachEveryCopyAndTheFreeCountHint) {
  {
    MountedVolume mounted(file.path());
    EXPECT_EQ(0, WriteThroughVolume(mounted.volume(), "A.DAT", Pattern(3 * file.clusterBytes(), 1)));
    EXPECT_EQ(0, WriteThroughVolume(mounted.volume(), "B.DAT", Pattern(10, 2)));
    EXPECT_EQ(0, mounted.volume().DeleteFile("A.DAT"));
    EXPECT_EQ(0, WriteThroughVolume(mounted.volume(), "C.DAT", Pattern(10, 3)));
  }
  ASSERT_EQ(2u, file.tables());
  for (uint32_t c = 0; c < 16; c++) EXPECT_EQ(file.FatEntry(c, 0), file.FatEntry(c, 1)) << "cluster " << c;
  ExpectFsckClean();  // fsck.fat also checks FSInfo's free count against the table
  MountedVolume mounted(file.path());
  // C went into the lowest cluster that A gave back.
  EXPECT_EQ(mounted.volume().RootCluster() + 1, mounted.volume().GetFileCluster("C       .DAT"));
}

TEST_P(FatFilesTest, FullVolumeReturns7AndLeavesNoTrace) {
  uint32_t spare = 3;
  {
    MountedVolume mounted(file.path());
    uint32_t fill = mounted.volume().FreeClusters() - spare;
    mounted.Unmount();
    // One file holding every cluster but the spare ones, planted directly.
    file.PlantChain(file.rootCluster() + 1, fill);
    file.WriteBytes(file.RootEntryOffset(1), VolumeFile::Entry("FILL    BIN", 0x20, file.rootCluster() + 1,
                                                               fill * file.clusterBytes()));
    file.ForgetFreeCount();
    ASSERT_EQ(0, file.Fsck().status);
  }
  MountedVolume mounted(file.path());
  Fat32& volume = mounted.volume();
  ASSERT_EQ(spare, volume.FreeClusters());
  std::vector<uint8_t> tooBig = Pattern((spare + 1) * file.clusterBytes(), 4);
  ASSERT_EQ(0, volume.OpenFile(1, "OVER    .DAT", Fat32::kModeCreate));
  int status = 0;
  size_t written = 0;
  for (; written < tooBig.size() && status == 0; written++) status = volume.WriteNextFileByte(1, tooBig[written]);
  EXPECT_EQ(7, status);
  EXPECT_EQ(tooBig.size(), written) << "the byte that completes a fourth cluster fails";
  EXPECT_EQ(7, volume.WriteNextFileByte(1, 0));
  EXPECT_EQ(7, volume.CloseFile(1));
  EXPECT_EQ(spare, volume.FreeClusters());
  EXPECT_EQ(0u, volume.GetFileCluster("OVER    .DAT"));
  EXPECT_EQ(0, volume.OpenFile(1, "FITS    .DAT", Fat32::kModeCreate)) << "the slot is free again";
  EXPECT_EQ(0, volume.CloseFile(1));
  mounted.Unmount();
  ExpectFsckClean();
}

TEST_P(FatFilesTest, FlushInTheMiddleOfAClusterLosesNothing) {
  {
    MountedVolume mounted(file.path());
    Fat32& volume = mounted.volume();
    std::vector<uint8_t> bytes = Pattern(file.clusterBytes() + 300, 7);
    ASSERT_EQ(0, volume.OpenFile(2, "PARTS   .DAT", Fat32::kModeCreate));
    for (size_t i = 0; i < bytes.size(); i++) {
      ASSERT_EQ(0, volume.WriteNextFileByte(2, bytes[i]));
      if (i == 10 || i == file.clusterBytes() + 5) ASSERT_EQ(0, volume.FlushWriteBuffer(2));
    }
    EXPECT_EQ(0, volume.CloseFile(2));
    std::vector<uint8_t> read;
    EXPECT_EQ(0, ReadThroughVolume(volume, "PARTS.DAT", read));
    EXPECT_EQ(bytes, read);
  }
  ExpectFsckClean();
}

INSTANTIATE_TEST_SUITE_P(ClusterSizes, FatFilesTest,
                         ::testing::Values(Geometry{1, 40}, Geometry{8, 300}, Geometry{64, 2100}),
                         [](const ::testing::TestParamInfo<Geometry>& info) {
                           return std::to_string(info.param.sectorsPerCluster) + "SectorsPerCluster";
                         });

class FatOpenFileTableTest : public ::testing::Test {
 protected:
  FatOpenFileTableTest() : file(scratch.File("volume.img")) {
    korvan::hosted::reset_ports();
    EXPECT_TRUE(file.Format(1, 40));
    file.PutBytes(scratch, "HELLO.PRG", Pattern(100, 1));
  }
  ScratchDirectory scratch;
  VolumeFile file;
};

TEST_F(FatOpenFileTableTest, SlotsAndModesAreChecked) {
  MountedVolume mounted(file.path());
  Fat32& volume = mounted.volume();
  uint8_t byte = 0;
  EXPECT_EQ(2, volume.OpenFile(1, "NOTHERE .PRG", Fat32::kModeRead));
  ASSERT_EQ(0, volume.OpenFile(1, "HELLO   .PRG", Fat32::kModeRead));
  EXPECT_EQ(1, volume.OpenFile(1, "HELLO   .PRG", Fat32::kModeRead));
  EXPECT_EQ(3, volume.WriteNextFileByte(1, 0));
  EXPECT_EQ(3, volume.ReadNextFileByte(2, byte));
  EXPECT_EQ(3, volume.CloseFile(2));
  EXPECT_EQ(3, volume.FlushWriteBuffer(1));
  EXPECT_EQ(8, volume.OpenFile(10, "HELLO   .PRG", Fat32::kModeRead));
  EXPECT_EQ(8, volume.ReadNextFileByte(10, byte));
  EXPECT_EQ(8, volume.OpenFile(2, "HELLO   .PRG", 2));
  EXPECT_EQ(0, volume.CloseFile(1));
  EXPECT_EQ(3, volume.CloseFile(1));
}

TEST_F(FatOpenFileTableTest, CreatingAnExistingNameReturns6AndLeavesTheSlotFree) {
  MountedVolume mounted(file.path());
  Fat32& volume = mounted.volume();
  EXPECT_EQ(6, volume.OpenFile(1, "HELLO   .PRG", Fat32::kModeCreate));
  EXPECT_EQ(0, volume.OpenFile(1, "HELLO   .PRG", Fat32::kModeRead));
  volume.CloseFile(1);
}

TEST_F(FatOpenFileTableTest, NamesOtherSystemsRejectAreNotCreated) {
  MountedVolume mounted(file.path());
  Fat32& volume = mounted.volume();
  for (const char* bad : {"*       .PRG", "A:B     .PRG", "A?      .PRG", " LEAD   .PRG", "LONGNAME1PRG", "A.B.PRG",
                          "MY GAME .PRG", "GAME    .P G"})
    EXPECT_EQ(8, volume.OpenFile(1, bad, Fat32::kModeCreate)) << bad;
  EXPECT_EQ(8, volume.OpenFile(1, "MY GAME .PRG", Fat32::kModeRead)) << "a blank inside a name is refused";
  // Lower case lands upper case, and a case variant is the same name.
  ASSERT_EQ(0, volume.OpenFile(1, "mixed.Prg", Fat32::kModeCreate));
  EXPECT_EQ(0, volume.CloseFile(1));
  EXPECT_EQ(6, volume.OpenFile(1, "MIXED.PRG", Fat32::kModeCreate));
  EXPECT_EQ(6, volume.OpenFile(1, "Mixed.prg", Fat32::kModeCreate));
  EXPECT_EQ(0, volume.RenameFile("MIXED.PRG", "lower.seq"));
  EXPECT_EQ(6, volume.RenameFile("LOWER.SEQ", "Lower.SEQ"));
  mounted.Unmount();
  CommandResult listed = file.Mtools("mdir", "-b ::");
  EXPECT_NE(std::string::npos, listed.output.find("LOWER.SEQ")) << listed.output;
  CommandResult fsck = Shell("fsck.fat -n -S " + file.path());
  EXPECT_EQ(0, fsck.status) << fsck.output;
}

TEST_F(FatOpenFileTableTest, WrittenSizeIsTheNumberOfBytesWritten) {
  MountedVolume mounted(file.path());
  ASSERT_EQ(0, WriteThroughVolume(mounted.volume(), "SAVED   .PRG", Pattern(100, 5)));
  EXPECT_EQ(100u, mounted.volume().GetFileSize("SAVED   .PRG"));
  uint32_t cluster = mounted.volume().GetFileCluster("SAVED   .PRG");
  std::vector<uint8_t> onDisk = file.ReadBytes(file.ClusterOffset(cluster), 100);
  EXPECT_EQ(Pattern(100, 5), onDisk);
}

TEST_F(FatOpenFileTableTest, DiskReadErrorFailsTheOpenWithoutStaleData) {
  MountedVolume mounted(file.path());
  uint32_t cluster = mounted.volume().GetFileCluster("HELLO   .PRG");
  mounted.drive().bad_read_sectors.insert(2048 + file.ClusterOffset(cluster) / 512);
  ConsoleCapture capture;
  EXPECT_EQ(5, mounted.volume().OpenFile(1, "HELLO   .PRG", Fat32::kModeRead));
  EXPECT_EQ(6, mounted.volume().OpenFile(1, "HELLO   .PRG", Fat32::kModeCreate))
      << "the slot is free, and the name still exists";
}

TEST_F(FatOpenFileTableTest, WriteErrorsFailTheFileAtEveryStage) {
  // Let the disk fail after n more sector writes, for every n the save needs.
  std::vector<uint8_t> bytes = Pattern(3 * 512 + 10, 6);
  MountedVolume probe(file.path());
  uint64_t before = probe.drive().sectors_written;
  ASSERT_EQ(0, WriteThroughVolume(probe.volume(), "PROBE   .DAT", bytes));
  long writesNeeded = static_cast<long>(probe.drive().sectors_written - before);
  probe.Unmount();
  ASSERT_GT(writesNeeded, 4);
  for (long n = 0; n < writesNeeded; n++) {
    SCOPED_TRACE("failing after " + std::to_string(n) + " writes");
    ASSERT_TRUE(file.Format(1, 40));
    MountedVolume mounted(file.path());
    mounted.drive().writes_before_failure = n;
    int status = WriteThroughVolume(mounted.volume(), "SAVE    .DAT", bytes);
    EXPECT_EQ(5, status);
    mounted.drive().writes_before_failure = -1;
    // Whatever made it to disk, the volume still mounts and nothing reads as the file's data.
    Fat32& again = mounted.Remount();
    ASSERT_TRUE(again.Mounted());
    std::vector<uint8_t> read;
    int reread = ReadThroughVolume(again, "SAVE    .DAT", read);
    if (reread == 0) EXPECT_TRUE(read.empty() || read == bytes);
  }
}

}  // namespace
