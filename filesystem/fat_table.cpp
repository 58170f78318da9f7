// The FAT32 allocation table: loading, chain checks, allocation and write-through to disk.
#include "filesystem/fat_table.h"
#include "filesystem/fat_format.h"

namespace korvan {
namespace filesystem {

namespace {

// The cached table is held in one heap block; past this the volume is
// refused rather than let the heap run dry (16 M clusters, 512 GiB at 32 KiB).
constexpr uint32_t kLargestCachedTableSectors = 0x20000;

}  // namespace

AllocationTable::AllocationTable()
    : disk(nullptr),
      entries(nullptr),
      tableStart(0),
      sectorsPerTable(0),
      tables(0),
      clusterCount(0),
      freeClusters(0),
      lowestFree(kFirstCluster),
      dirtySector(kNoSector),
      fsInfoSector(0),
      fsInfoFreeClusters(kFsInfoUnknown) {}

AllocationTable::~AllocationTable() { delete[] entries; }

int AllocationTable::Load(drivers::AdvancedTechnologyAttachment* disk, uint32_t tableStart,
                          uint32_t sectorsPerTable, uint8_t tables, uint32_t clusterCount,
                          uint32_t fsInfoSector) {
  uint32_t sectors = (clusterCount + kFirstCluster + kEntriesPerSector - 1) / kEntriesPerSector;
  if (sectors > kLargestCachedTableSectors || sectors > sectorsPerTable) return kFatNoMemory;
  delete[] entries;
  entries = new uint32_t[sectors * kEntriesPerSector];
  if (entries == nullptr) return kFatNoMemory;
  this->disk = disk;
  this->tableStart = tableStart;
  this->sectorsPerTable = sectorsPerTable;
  this->tables = tables;
  this->clusterCount = clusterCount;

  for (uint32_t i = 0; i < sectors; i++) {
    uint8_t* target = reinterpret_cast<uint8_t*>(entries + i * kEntriesPerSector);
    if (disk->ReadSector(tableStart + i, target, kSectorBytes) != 0) {
      delete[] entries;
      entries = nullptr;
      return kFatDiskError;
    }
  }
  freeClusters = 0;
  lowestFree = clusterCount + kFirstCluster;
  for (uint32_t c = clusterCount + 1; c >= kFirstCluster; c--) {
    if (Entry(c) == 0) {
      freeClusters++;
      lowestFree = c;
    }
  }

  // FSInfo is only a hint; a missing or foreign one is left alone.
  this->fsInfoSector = 0;
  uint8_t info[kSectorBytes];
  if (fsInfoSector != 0 && disk->ReadSector(fsInfoSector, info, kSectorBytes) == 0 &&
      Load32(info) == kFsInfoLeadSignature && Load32(info + kFsInfoStructOffset) == kFsInfoStructSignature &&
      Load32(info + kFsInfoTrailOffset) == kFsInfoTrailSignature) {
    this->fsInfoSector = fsInfoSector;
    fsInfoFreeClusters = Load32(info + kFsInfoFreeCount);
  }
  return kFatOk;
}

int AllocationTable::MeasureChain(uint32_t first, uint32_t& clusters) const {
  // Brent's cycle search: the tortoise jumps to the hare at every power of two,
  // so a loop is caught within twice its length past its entry.
  if (!IsCluster(first)) return kFatDamaged;
  uint32_t count = 1;
  uint32_t current = first;
  uint32_t tortoise = first;
  uint32_t power = 1;
  uint32_t stride = 0;
  for (;;) {
    uint32_t next = Entry(current);
    if (IsEndOfChain(next)) break;
    if (!IsCluster(next)) return kFatDamaged;
    current = next;
    if (current == tortoise || ++count > clusterCount) return kFatDamaged;
    if (++stride == power) {
      tortoise = current;
      power *= 2;
      stride = 0;
    }
  }
  clusters = count;
  return kFatOk;
}

int AllocationTable::Store(uint32_t cluster, uint32_t value) {
  uint32_t index = cluster / kEntriesPerSector;
  if (dirtySector != kNoSector && dirtySector != index) {
    int result = WriteTableSector(dirtySector);
    dirtySector = kNoSector;
    if (result != kFatOk) return result;
  }
  entries[cluster] = (entries[cluster] & ~kEntryMask) | value;
  dirtySector = index;
  return kFatOk;
}

int AllocationTable::Allocate(uint32_t& cluster) {
  if (entries == nullptr) return kFatInvalid;
  for (uint32_t c = lowestFree; c <= clusterCount + 1; c++) {
    if (Entry(c) != 0) continue;
    int result = Store(c, kEndOfChain);
    if (result != kFatOk) return result;
    freeClusters--;
    lowestFree = c + 1;
    cluster = c;
    return kFatOk;
  }
  lowestFree = clusterCount + kFirstCluster;
  return kFatVolumeFull;
}

int AllocationTable::Link(uint32_t cluster, uint32_t next) {
  if (entries == nullptr || !IsCluster(cluster)) return kFatInvalid;
  return Store(cluster, next);
}

int AllocationTable::FreeChain(uint32_t first) {
  if (first == 0) return kFatOk;
  uint32_t clusters = 0;
  int result = MeasureChain(first, clusters);
  if (result != kFatOk) return result;
  uint32_t current = first;
  for (uint32_t i = 0; i < clusters; i++) {
    uint32_t next = Entry(current);
    result = Store(current, 0);
    if (result != kFatOk) return result;
    freeClusters++;
    if (current < lowestFree) lowestFree = current;
    current = next;
  }
  return kFatOk;
}

int AllocationTable::WriteTableSector(uint32_t index) {
  const uint8_t* source = reinterpret_cast<const uint8_t*>(entries + index * kEntriesPerSector);
  int result = kFatOk;
  // Every copy gets the change, so other systems never see the copies disagree.
  for (uint32_t copy = 0; copy < tables; copy++) {
    if (disk->WriteSector(tableStart + copy * sectorsPerTable + index, source, kSectorBytes) != 0)
      result = kFatDiskError;
  }
  return result;
}

int AllocationTable::WriteFsInfo() {
  uint8_t info[kSectorBytes];
  if (disk->ReadSector(fsInfoSector, info, kSectorBytes) != 0) return kFatDiskError;
  uint32_t nextFree = lowestFree <= clusterCount + 1 ? lowestFree : kFsInfoUnknown;
  Store32(info + kFsInfoFreeCount, freeClusters);
  Store32(info + kFsInfoNextFree, nextFree);
  if (disk->WriteSector(fsInfoSector, info, kSectorBytes) != 0) return kFatDiskError;
  fsInfoFreeClusters = freeClusters;
  return kFatOk;
}

int AllocationTable::Commit() {
  if (entries == nullptr) return kFatInvalid;
  int result = kFatOk;
  if (dirtySector != kNoSector) {
    result = WriteTableSector(dirtySector);
    dirtySector = kNoSector;
  }
  if (fsInfoSector != 0 && fsInfoFreeClusters != freeClusters) {
    int infoResult = WriteFsInfo();
    if (result == kFatOk) result = infoResult;
  }
  return result;
}

}  // namespace filesystem
}  // namespace korvan
