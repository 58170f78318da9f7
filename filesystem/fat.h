// The FAT32 volume: one partition of one ATA disk, its root directory and a table of open files.
#pragma once
#include <stdint.h>
#include "drivers/ata.h"
#include "filesystem/fat_format.h"
#include "filesystem/fat_table.h"

namespace korvan {
namespace filesystem {

// Where the volume takes the date and time of new and changed entries from,
// in the directory's encoding (years since 1980, month, day; hours, minutes,
// seconds / 2).
class FatClock {
 public:
  virtual ~FatClock() {}
  virtual void Now(uint16_t& date, uint16_t& time) = 0;
};

class Fat32 {
 public:
  static constexpr uint8_t kOpenFileSlots = 10;
  // Open modes: read an existing file; create a new file (recorded as kModeWrite).
  static constexpr uint8_t kModeRead = 1;
  static constexpr uint8_t kModeWrite = 2;
  static constexpr uint8_t kModeCreate = 3;

  struct OpenFileEntry {
    uint8_t mode;
    uint8_t name[kNameBytes];
    uint8_t extension[kExtensionBytes];
    uint32_t size;      // reading: the file size; writing: bytes written so far
    uint32_t position;  // next byte in buffer
    uint8_t* buffer;    // reading: the whole file; writing: one cluster
    uint32_t cluster;   // first cluster, 0 while a new file has none
    uint32_t tailCluster;    // writing: the cluster the buffer belongs to, 0 if none yet
    uint32_t lastCluster;    // writing: the last cluster of the chain so far
    int failure;        // writing: the status that ended the file, 0 while it is sound
  };

  // Mounts partition partitionIndex (0 to 3) of disk. A missing or invalid
  // volume leaves the object unmounted; every operation then fails with
  // kFatInvalid without touching the disk.
  Fat32(drivers::AdvancedTechnologyAttachment* disk, uint8_t partitionIndex);
  ~Fat32();

  bool Mounted() const { return mounted; }
  // The clock that stamps entries; null (the default) stamps the FAT's
  // "no date", 1 January 1980 00:00. The clock must outlive its use here.
  void Clock(FatClock* source) { clock = source; }
  // Prints, on a line of its own, why no volume is mounted; nothing if one is.
  void PrintMountReport();

  // Volume and directory reading.
  void ReadPartitions();
  int LoadFAT();
  // Lists the directory starting at cluster; 0 is the root directory.
  int ReadDirectory(uint32_t cluster);
  // The next sector of the chain being walked (a non-zero cluster starts a new
  // walk there), or null at its end or on an error (WalkStatus tells which).
  uint8_t* ReadNextSectorInChain(uint32_t cluster);
  int WalkStatus() const { return walkStatus; }
  // Root-directory files by name (NNNNNNNN.EEE or NAME.EXT): 0 if not found.
  uint32_t GetFileCluster(const char* name);
  uint32_t GetFileSize(const char* name);
  // Splits NAME.EXT into blank-padded 8 and 3 bytes: 0, or 2 if malformed.
  int ParseFilename(const char* name, uint8_t* name8, uint8_t* ext3);
  int ReadSector(uint32_t sector, uint8_t* data);

  // Open-file table; slot below kOpenFileSlots.
  int OpenFile(uint8_t slot, const char* name, uint8_t mode);
  // Copies the file's first length bytes (at most its size) to destination;
  // kFatDamaged (9) if its chain holds fewer bytes than its size.
  int ReadFile(const char* name, uint8_t* destination, uint32_t length);
  int ReadNextFileByte(uint8_t slot, uint8_t& byte);
  int WriteNextFileByte(uint8_t slot, uint8_t byte);
  // Writes the buffered bytes to the file's current cluster, chaining a new one if needed.
  int FlushWriteBuffer(uint8_t slot);
  int CloseFile(uint8_t slot);
  int AllocateCluster(uint32_t& cluster);
  void ResetOpenFileListEntry(uint8_t slot);

  // An existing file's bytes in place (a disk image held in a file): never
  // past its size, never a cluster outside its chain, nothing allocated.
  int ReadFileRange(const char* name, uint32_t offset, uint8_t* data, uint32_t length);
  int WriteFileRange(const char* name, uint32_t offset, const uint8_t* data, uint32_t length);

  // Sees live root entries (files, directories, the label; no long-name
  // parts), 32 bytes each, in directory order; returns false to end the walk.
  class EntryVisitor {
   public:
    virtual bool Entry(const uint8_t* entry) = 0;

   protected:
    ~EntryVisitor() {}
  };
  int VisitRoot(EntryVisitor& visitor);
  // A consistency check that changes nothing: damaged counts root entries
  // whose chain is unsound or does not match the size; lost counts clusters
  // in use that no chain holds (0 unless the root has no subdirectory, whose
  // files this check does not walk).
  int Check(uint32_t& damaged, uint32_t& lost);

  // Directory maintenance and the C64 listing.
  // Renders the root directory as a BASIC program for 0x0801 into out, never
  // more than capacity bytes; returns the image length.
  uint16_t GetCBMDir(uint8_t* out, uint16_t capacity);
  int CreateDirectoryEntry(const uint8_t* name8, const uint8_t* ext3, uint32_t size);
  int UpdateDirectoryEntry(const uint8_t* name8, const uint8_t* ext3, uint32_t size, uint32_t cluster);
  int DeleteFile(const char* name);
  int RenameFile(const char* oldName, const char* newName);

  // Volume geometry, valid once mounted.
  uint32_t SectorsPerCluster() const { return sectorsPerCluster; }
  uint32_t BytesPerCluster() const { return bytesPerCluster; }
  uint32_t ClusterCount() const { return clusterCount; }
  uint32_t FreeClusters() const { return table.FreeClusters(); }
  uint32_t RootCluster() const { return rootCluster; }

 private:
  enum class WalkAction { Continue, Stop, WriteBack };
  enum class Match { Files, FilesAndDirectories };
  struct Found {
    uint32_t cluster;
    uint32_t size;
    uint8_t attributes;
  };
  // Where the long-name entries just before the current entry lie.
  struct SlotPosition {
    uint32_t sector;
    uint8_t index;
  };
  static constexpr uint8_t kLongNameRunLimit = 20;

  // Mount steps.
  const char* Mount();
  const char* ValidateBootRecord(uint32_t partitionSectors);

  uint32_t ClusterSector(uint32_t cluster) const;
  // Reads through the disk and records the sector as the current one.
  int ReadDiskSector(uint32_t sector, uint8_t* data);
  // Calls visit(entry) for every 32-byte entry of the directory at cluster
  // (0: root). The walk ends when visit says so (WriteBack first writes the
  // sector back); kFatNotFound if it ran to the end of the chain.
  template <typename Visit>
  int WalkDirectory(uint32_t cluster, Visit visit);
  // Marks the long-name entries before the entry being visited as deleted.
  int EraseLongNameRun(uint8_t* sector);
  int FindEntry(const uint8_t* name8, const uint8_t* ext3, Match match, Found& found);
  int FindByName(const char* name, Match match, Found& found);
  // Deletes a file's entry (and its long name) and frees its chain.
  int EraseEntry(const uint8_t* name8, const uint8_t* ext3);
  int ExtendDirectory(uint32_t lastCluster, uint32_t& firstSector);
  // Copies length bytes of the chain; kFatDamaged if it ends first.
  int ReadChain(uint32_t cluster, uint8_t* destination, uint32_t length);
  // kFatDamaged unless the entry's chain has room for its size.
  int ChainHoldsSize(const Found& found);
  // Reads into `into`, or writes from `from`, the file's bytes at offset.
  int AccessFileRange(const char* name, uint32_t offset, uint32_t length, uint8_t* into, const uint8_t* from);
  int WriteClusterBuffer(OpenFileEntry& file);
  int AbandonWrite(OpenFileEntry& file, int failure);
  void StampEntry(uint8_t* entry);
  OpenFileEntry* Slot(uint8_t slot);

  drivers::AdvancedTechnologyAttachment* disk;
  uint8_t partitionIndex;
  uint8_t partitionSector[kSectorBytes];
  uint8_t bootRecord[kBootRecordBytes];
  bool endOfChain;
  uint32_t tableStart;
  uint32_t dataStart;
  uint32_t rootDirectorySector;
  AllocationTable table;
  uint32_t currentSector;
  OpenFileEntry openFiles[kOpenFileSlots];

  bool mounted;
  bool partitionTableRead;
  const char* mountProblem;
  uint32_t sectorsPerCluster;
  uint32_t bytesPerCluster;
  uint32_t rootCluster;
  uint32_t clusterCount;
  uint32_t fsInfoSector;
  FatClock* clock;

  // The chain walker's position.
  uint8_t buffer[kSectorBytes];
  uint8_t sectorCtr;
  uint32_t dataCluster;
  int walkStatus;
  SlotPosition longNameRun[kLongNameRunLimit];
  uint8_t longNameRunLength;
};

}  // namespace filesystem
}  // namespace korvan
