// The FAT32 allocation table at its edges: the cached table's size for every
// cluster count, commits that touch two table sectors, cluster 2, files whose
// entry goes while they are written, and flushes with nothing to write.
// (Found untested by a fault-injection sample; each case here fails with its
// fault put in, the first under AddressSanitizer.)
#include <algorithm>
#include <string>
#include <vector>

#include "tests/fat/fat_image.h"

using namespace fat_test;

namespace {

constexpr uint32_t kEndOfChain = 0x0FFFFFFF;

uint32_t Load32(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

std::vector<uint8_t> Le32(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
          static_cast<uint8_t>(value >> 24)};
}

class FatTableTest : public ::testing::Test {
 protected:
  FatTableTest() : file(scratch.File("volume.img")) {
    korvan::hosted::reset_ports();
    EXPECT_TRUE(file.Format(1, 40));
  }
  void ExpectFsckClean() {
    CommandResult fsck = file.Fsck();
    EXPECT_EQ(0, fsck.status) << fsck.output;
    EXPECT_EQ(2, std::count(fsck.output.begin(), fsck.output.end(), '\n')) << fsck.output;
  }
  // Gives clusters root + 1 up to last - 1 to one planted file, FILL.BIN.
  void FillUpTo(uint32_t last) {
    uint32_t first = file.rootCluster() + 1;
    file.PlantChain(first, last - first);
    file.WriteBytes(file.RootEntryOffset(1),
                    VolumeFile::Entry("FILL    BIN", 0x20, first, (last - first) * file.clusterBytes()));
    file.ForgetFreeCount();
  }
  ScratchDirectory scratch;
  VolumeFile file;
};

// The table is cached for clusters 0 to count + 1, so a count of 128n or
// 128n + 127 needs one more sector than count / 128 rounded up: the last
// clusters must be counted, allocated and written like any other.
TEST_F(FatTableTest, TheLastClustersAreCachedWhateverTheCountModulo128) {
  for (uint32_t count : {600u * 128, 600u * 128 + 127, 600u * 128 + 1, 600u * 128 + 126}) {
    SCOPED_TRACE(testing::Message() << count << " clusters, " << count % 128 << " modulo 128");
    ASSERT_TRUE(file.Format(1, 40));
    std::vector<uint8_t> boot = file.ReadBytes(0, 512);
    uint32_t metadata = (boot[14] | (boot[15] << 8)) + boot[16] * Load32(boot, 36);
    // The volume cut to count clusters (the table stays as long as it was).
    file.WriteBytes(32, Le32(metadata + count * file.sectorsPerCluster()));
    FillUpTo(count);
    std::vector<uint8_t> two = Pattern(2 * file.clusterBytes(), count);
    {
      MountedVolume mounted(file.path());
      Fat32& volume = mounted.volume();
      ASSERT_TRUE(volume.Mounted());
      ASSERT_EQ(volume.ClusterCount(), count);
      EXPECT_EQ(volume.FreeClusters(), 2u) << "clusters " << count << " and " << count + 1;
      EXPECT_EQ(0, WriteThroughVolume(volume, "LAST.DAT", two));
      EXPECT_EQ(volume.GetFileCluster("LAST.DAT"), count);
      EXPECT_EQ(7, WriteThroughVolume(volume, "MORE.DAT", {1}));
    }
    for (uint32_t copy = 0; copy < file.tables(); copy++) {
      EXPECT_EQ(file.FatEntry(count, copy), count + 1);
      EXPECT_EQ(file.FatEntry(count + 1, copy), kEndOfChain);
    }
    MountedVolume again(file.path());
    std::vector<uint8_t> read;
    EXPECT_EQ(0, ReadThroughVolume(again.volume(), "LAST.DAT", read));
    EXPECT_EQ(read, two);
    EXPECT_EQ(0, again.volume().DeleteFile("LAST.DAT"));
    if (HasFailure()) return;
  }
}

// Clusters 127 and 128 have their entries in different table sectors: the
// link written to the second must not lose the first's end mark, nor a
// delete the frees in the first.
TEST_F(FatTableTest, ACommitThatTouchesTwoTableSectorsWritesBoth) {
  FillUpTo(127);
  std::vector<uint8_t> bytes = Pattern(2 * file.clusterBytes(), 3);
  uint32_t free_before = 0;
  {
    MountedVolume mounted(file.path());
    free_before = mounted.volume().FreeClusters();
    ASSERT_EQ(0, WriteThroughVolume(mounted.volume(), "CROSS.DAT", bytes));
    ASSERT_EQ(mounted.volume().GetFileCluster("CROSS.DAT"), 127u);
  }
  for (uint32_t copy = 0; copy < file.tables(); copy++) {
    EXPECT_EQ(file.FatEntry(127, copy), 128u);
    EXPECT_EQ(file.FatEntry(128, copy), kEndOfChain);
  }
  ExpectFsckClean();
  {
    MountedVolume mounted(file.path());
    std::vector<uint8_t> read;
    EXPECT_EQ(0, ReadThroughVolume(mounted.volume(), "CROSS.DAT", read));
    EXPECT_EQ(read, bytes);
    EXPECT_EQ(0, mounted.volume().DeleteFile("CROSS.DAT"));
  }
  EXPECT_EQ(file.FatEntry(127), 0u);
  EXPECT_EQ(file.FatEntry(128), 0u);
  ExpectFsckClean();
  MountedVolume mounted(file.path());
  EXPECT_EQ(mounted.volume().FreeClusters(), free_before);
}

// With the root directory moved to cluster 3, cluster 2 is free: it is
// counted, and it is the first one given out.
TEST_F(FatTableTest, ClusterTwoIsFreeLikeAnyOther) {
  file.WriteBytes(44, Le32(3));
  file.WriteBytes(file.ClusterOffset(3), std::vector<uint8_t>(file.clusterBytes(), 0));
  file.SetFatEntry(3, kEndOfChain);
  file.SetFatEntry(2, 0);
  file.ForgetFreeCount();
  MountedVolume mounted(file.path());
  Fat32& volume = mounted.volume();
  ASSERT_EQ(volume.RootCluster(), 3u);
  EXPECT_EQ(volume.FreeClusters(), volume.ClusterCount() - 1);
  ASSERT_EQ(0, WriteThroughVolume(volume, "FIRST.DAT", {1, 2, 3}));
  EXPECT_EQ(volume.GetFileCluster("FIRST.DAT"), 2u);
  EXPECT_EQ(volume.FreeClusters(), volume.ClusterCount() - 2);
}

// A file whose entry is deleted while it is open for writing gives its
// clusters back when it is closed: they are nobody's.
TEST_F(FatTableTest, AFileDeletedWhileBeingWrittenLeavesNoClustersBehind) {
  {
    MountedVolume mounted(file.path());
    Fat32& volume = mounted.volume();
    uint32_t free_before = volume.FreeClusters();
    ASSERT_EQ(0, volume.OpenFile(1, "GONE.DAT", Fat32::kModeCreate));
    std::vector<uint8_t> bytes = Pattern(3 * file.clusterBytes() + 10, 4);
    for (uint8_t b : bytes) ASSERT_EQ(0, volume.WriteNextFileByte(1, b));
    EXPECT_EQ(volume.FreeClusters(), free_before - 3);
    EXPECT_EQ(0, volume.DeleteFile("GONE.DAT"));
    EXPECT_NE(0, volume.CloseFile(1)) << "its entry is gone";
    EXPECT_EQ(volume.FreeClusters(), free_before);
  }
  ExpectFsckClean();
}

// A flush with nothing buffered writes nothing and takes no cluster, at the
// start of a file and after a whole cluster.
TEST_F(FatTableTest, AFlushWithNothingBufferedTakesNoCluster) {
  {
    MountedVolume mounted(file.path());
    Fat32& volume = mounted.volume();
    uint32_t free_before = volume.FreeClusters();
    ASSERT_EQ(0, volume.OpenFile(1, "EMPTY.DAT", Fat32::kModeCreate));
    EXPECT_EQ(0, volume.FlushWriteBuffer(1));
    EXPECT_EQ(volume.FreeClusters(), free_before);
    EXPECT_EQ(0, volume.CloseFile(1));
    EXPECT_EQ(volume.GetFileCluster("EMPTY.DAT"), 0u);

    ASSERT_EQ(0, volume.OpenFile(1, "ONE.DAT", Fat32::kModeCreate));
    std::vector<uint8_t> bytes = Pattern(file.clusterBytes(), 5);
    for (uint8_t b : bytes) ASSERT_EQ(0, volume.WriteNextFileByte(1, b));
    EXPECT_EQ(volume.FreeClusters(), free_before - 1);
    EXPECT_EQ(0, volume.FlushWriteBuffer(1));
    EXPECT_EQ(volume.FreeClusters(), free_before - 1);
    EXPECT_EQ(0, volume.CloseFile(1));
    std::vector<uint8_t> read;
    EXPECT_EQ(0, ReadThroughVolume(volume, "ONE.DAT", read));
    EXPECT_EQ(read, bytes);
  }
  ExpectFsckClean();
}

}  // namespace
