// The FAT32 allocation table: an in-memory copy written through to every table on disk.
#pragma once
#include <stdint.h>
#include "drivers/ata.h"

namespace korvan {
namespace filesystem {

class AllocationTable {
 public:
  // Table entries are 28 bits; the top four are reserved and kept as found.
  static constexpr uint32_t kEntryMask = 0x0FFFFFFF;
  static constexpr uint32_t kBadCluster = 0x0FFFFFF7;
  static constexpr uint32_t kEndOfChain = 0x0FFFFFFF;
  static constexpr uint32_t kFirstCluster = 2;

  AllocationTable();
  ~AllocationTable();

  // Reads the first table's entries for clusters 0 to clusterCount + 1, and
  // the FSInfo sector (0: none). Returns a Fat32 status code.
  int Load(drivers::AdvancedTechnologyAttachment* disk, uint32_t tableStart, uint32_t sectorsPerTable,
           uint8_t tables, uint32_t clusterCount, uint32_t fsInfoSector);

  uint32_t FreeClusters() const { return freeClusters; }

  bool IsCluster(uint32_t value) const { return value >= kFirstCluster && value <= clusterCount + 1; }
  static bool IsEndOfChain(uint32_t value) { return value > kBadCluster && value <= kEndOfChain; }
  // The entry for cluster (masked to 28 bits); cluster must satisfy IsCluster.
  uint32_t Entry(uint32_t cluster) const { return entries[cluster] & kEntryMask; }

  // Follows the chain from first to its end mark: the number of clusters, or
  // 9 if the chain loops, leaves the volume or hits a free or bad cluster.
  int MeasureChain(uint32_t first, uint32_t& clusters) const;

  // Takes the lowest free cluster and marks it as the end of a chain; 7 when none is left.
  int Allocate(uint32_t& cluster);
  // Points cluster's entry at next (a cluster or kEndOfChain).
  int Link(uint32_t cluster, uint32_t next);
  // Returns every cluster of the chain from first to the free pool.
  int FreeChain(uint32_t first);
  // Writes what changed to every table copy and the free count to FSInfo.
  int Commit();

 private:
  static constexpr uint32_t kEntriesPerSector = 128;
  static constexpr uint32_t kNoSector = 0xFFFFFFFF;

  int Store(uint32_t cluster, uint32_t value);
  int WriteTableSector(uint32_t index);
  int WriteFsInfo();

  drivers::AdvancedTechnologyAttachment* disk;
  uint32_t* entries;
  uint32_t tableStart;
  uint32_t sectorsPerTable;
  uint8_t tables;
  uint32_t clusterCount;
  uint32_t freeClusters;
  // No free cluster lies below this one.
  uint32_t lowestFree;
  // The one table sector changed in memory but not yet on disk.
  uint32_t dirtySector;
  uint32_t fsInfoSector;
  // Free count last written to (or found in) FSInfo.
  uint32_t fsInfoFreeClusters;
};

}  // namespace filesystem
}  // namespace korvan
