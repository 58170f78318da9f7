// FAT32 volume mount: partition table, boot sector checks, the partition report and the chain walker.
#include "filesystem/fat.h"
#include "lib/stdio.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

namespace {

constexpr uint32_t kLargestClusterCount = 0x0FFFFFF5;
constexpr uint32_t kLargestSectorsPerCluster = 128;

void PrintRule() {
  for (int i = 0; i < 58; i++) putc('-');
  putc('\n');
}

}  // namespace

Fat32::Fat32(drivers::AdvancedTechnologyAttachment* disk, uint8_t partitionIndex)
    : disk(disk),
      partitionIndex(partitionIndex),
      endOfChain(true),
      tableStart(0),
      dataStart(0),
      rootDirectorySector(0),
      currentSector(0),
      mounted(false),
      partitionTableRead(false),
      mountProblem(nullptr),
      sectorsPerCluster(0),
      bytesPerCluster(0),
      rootCluster(0),
      clusterCount(0),
      fsInfoSector(0),
      clock(nullptr),
      sectorCtr(0),
      dataCluster(0),
      walkStatus(kFatOk),
      longNameRunLength(0) {
  memset(partitionSector, 0, sizeof(partitionSector));
  memset(bootRecord, 0, sizeof(bootRecord));
  memset(buffer, 0, sizeof(buffer));
  for (uint8_t slot = 0; slot < kOpenFileSlots; slot++) {
    openFiles[slot].buffer = nullptr;
    ResetOpenFileListEntry(slot);
  }
  mountProblem = Mount();
  mounted = mountProblem == nullptr;
}

Fat32::~Fat32() {
  for (uint8_t slot = 0; slot < kOpenFileSlots; slot++) ResetOpenFileListEntry(slot);
}

// Returns null when the volume is mounted, otherwise why it is not.
const char* Fat32::Mount() {
  if (disk == nullptr) return "no disk";
  if (partitionIndex > 3) return "no such partition";
  if (ReadDiskSector(0, partitionSector) != kFatOk) return "partition table unreadable";
  partitionTableRead = true;
  const uint8_t* entry = partitionSector + kPartitionTableOffset + kPartitionEntryBytes * partitionIndex;
  if (entry[kPartitionType] == 0) return "partition entry is empty";
  uint32_t firstSector = Load32(entry + kPartitionFirstSector);

  uint8_t bootSector[kSectorBytes];
  if (ReadDiskSector(firstSector, bootSector) != kFatOk) return "boot sector unreadable";
  memcpy(bootRecord, bootSector, kBootRecordBytes);
  if (const char* problem = ValidateBootRecord(Load32(entry + kPartitionSectors))) return problem;

  uint32_t sectorsPerTable = Load32(bootRecord + kBpbSectorsPerTable);
  tableStart = firstSector + Load16(bootRecord + kBpbReservedSectors);
  dataStart = tableStart + sectorsPerTable * bootRecord[kBpbTables];
  rootDirectorySector = ClusterSector(rootCluster);
  int result = LoadFAT();
  if (result == kFatNoMemory) return "allocation table does not fit in memory";
  if (result != kFatOk) return "allocation table unreadable";
  return nullptr;
}

const char* Fat32::ValidateBootRecord(uint32_t partitionSectors) {
  if (Load16(bootRecord + kBpbBytesPerSector) != kSectorBytes) return "sector size is not 512 bytes";
  sectorsPerCluster = bootRecord[kBpbSectorsPerCluster];
  if (sectorsPerCluster == 0 || sectorsPerCluster > kLargestSectorsPerCluster ||
      (sectorsPerCluster & (sectorsPerCluster - 1)) != 0)
    return "bad cluster size";
  bytesPerCluster = sectorsPerCluster * kSectorBytes;
  uint32_t reserved = Load16(bootRecord + kBpbReservedSectors);
  uint32_t tables = bootRecord[kBpbTables];
  uint32_t sectorsPerTable = Load32(bootRecord + kBpbSectorsPerTable);
  // FAT12 and FAT16 keep a fixed root directory and a 16-bit table size here.
  if (reserved == 0 || tables == 0 || sectorsPerTable == 0 || Load16(bootRecord + kBpbRootEntries) != 0 ||
      Load16(bootRecord + kBpbSectorsPerTable16) != 0)
    return "not a FAT32 volume";

  uint32_t total = Load16(bootRecord + kBpbTotalSectors16);
  if (total == 0) total = Load32(bootRecord + kBpbTotalSectors32);
  if (partitionSectors != 0 && total > partitionSectors) return "volume larger than its partition";
  uint64_t firstSector = Load32(partitionSector + kPartitionTableOffset + kPartitionEntryBytes * partitionIndex +
                                kPartitionFirstSector);
  if (firstSector + total > 0xFFFFFFFFull) return "volume beyond the end of the disk";
  uint64_t metadata = reserved + static_cast<uint64_t>(tables) * sectorsPerTable;
  if (metadata >= total) return "volume has no data area";

  uint64_t clusters = (total - metadata) / sectorsPerCluster;
  // Clusters the table has no entries for can never be used.
  uint64_t describable = static_cast<uint64_t>(sectorsPerTable) * (kSectorBytes / 4) - 2;
  if (clusters > describable) clusters = describable;
  if (clusters > kLargestClusterCount) clusters = kLargestClusterCount;
  if (clusters == 0) return "volume has no clusters";

  rootCluster = Load32(bootRecord + kBpbRootCluster);
  if (rootCluster < AllocationTable::kFirstCluster || rootCluster > clusters + 1)
    return "root directory outside the volume";
  uint32_t info = Load16(bootRecord + kBpbFsInfoSector);
  fsInfoSector = (info != 0 && info < reserved) ? static_cast<uint32_t>(firstSector) + info : 0;
  clusterCount = static_cast<uint32_t>(clusters);
  return nullptr;
}

int Fat32::LoadFAT() {
  if (clusterCount == 0) return kFatInvalid;
  return table.Load(disk, tableStart, Load32(bootRecord + kBpbSectorsPerTable), bootRecord[kBpbTables],
                    clusterCount, fsInfoSector);
}

void Fat32::PrintMountReport() {
  if (mounted) return;
  printf("\nFAT32 volume not mounted: %s", mountProblem);
}

void Fat32::ReadPartitions() {
  if (partitionTableRead) {
    printf("\n\nPartition table\n");
    PrintRule();
    printf("Part # | Bootable | Type |");
    for (int i = 0; i < 32; i++) putc(' ');
    putc('\n');
    PrintRule();
    for (uint32_t i = 0; i < 4; i++) {
      const uint8_t* entry = partitionSector + kPartitionTableOffset + kPartitionEntryBytes * i;
      printf("  %02X       ", i + 1);
      if (entry[kPartitionBootFlag] == 0) printf("N");
      if (entry[kPartitionBootFlag] == kBootable) printf("Y");
      printf("         %02X\n", entry[kPartitionType]);
    }
  }
  if (!mounted) {
    PrintMountReport();
    return;
  }
  printf("\nBytes per sector   : %d", Load16(bootRecord + kBpbBytesPerSector));
  printf("\nSectors per cluster: %d", bootRecord[kBpbSectorsPerCluster]);
  printf("\n\nFAT Start          : %06X", tableStart);
  printf("\nData Start         : %06X", dataStart);
  printf("\nRoot cluster       : %06X", rootCluster);
  printf("\nRoot directory     : %06X", rootDirectorySector);
}

int Fat32::ReadSector(uint32_t sector, uint8_t* data) {
  if (!mounted && !(partitionTableRead && sector == 0)) return kFatInvalid;
  return ReadDiskSector(sector, data);
}

int Fat32::ReadDiskSector(uint32_t sector, uint8_t* data) {
  currentSector = sector;
  return disk->ReadSector(sector, data, kSectorBytes) == 0 ? kFatOk : kFatDiskError;
}

uint32_t Fat32::ClusterSector(uint32_t cluster) const {
  return dataStart + sectorsPerCluster * (cluster - AllocationTable::kFirstCluster);
}

uint8_t* Fat32::ReadNextSectorInChain(uint32_t cluster) {
  if (!mounted) {
    endOfChain = true;
    walkStatus = kFatInvalid;
    return nullptr;
  }
  if (cluster != 0) {
    // Checking the whole chain first (in memory) means the walk below can
    // only end at an end mark: a loop or a stray entry never reaches the disk.
    uint32_t clusters = 0;
    walkStatus = table.MeasureChain(cluster, clusters);
    endOfChain = walkStatus != kFatOk;
    sectorCtr = 0;
    dataCluster = cluster;
  }
  if (endOfChain) return nullptr;
  if (sectorCtr >= sectorsPerCluster) {
    uint32_t next = table.Entry(dataCluster);
    if (AllocationTable::IsEndOfChain(next)) {
      endOfChain = true;
      return nullptr;
    }
    dataCluster = next;
    sectorCtr = 0;
  }
  int result = ReadDiskSector(ClusterSector(dataCluster) + sectorCtr, buffer);
  if (result != kFatOk) {
    walkStatus = result;
    endOfChain = true;
    return nullptr;
  }
  sectorCtr++;
  return buffer;
}

}  // namespace filesystem
}  // namespace korvan
