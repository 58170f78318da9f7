// FAT32 on-disk layout: status codes, field offsets and little-endian field access.
#pragma once
#include <stdint.h>

namespace korvan {
namespace filesystem {

// Results of the volume's operations. 0 to 7 are the codes the monitor and
// the LOAD/SAVE trap already know; the rest name failures those do not cover.
enum FatStatus : int {
  kFatOk = 0,
  kFatSlotInUse = 1,
  kFatNotFound = 2,
  kFatWrongMode = 3,
  kFatEndOfFile = 4,
  kFatDiskError = 5,
  kFatExists = 6,
  kFatVolumeFull = 7,
  kFatInvalid = 8,      // no volume mounted, a malformed name, slot or mode
  kFatDamaged = 9,      // a chain or directory on disk is inconsistent
  kFatNoMemory = 10,    // the heap cannot hold the buffer the operation needs
  kFatIsDirectory = 11, // the name belongs to a directory, not a file
};

constexpr uint32_t kSectorBytes = 512;

// Partition table in the disk's first sector.
constexpr uint32_t kPartitionTableOffset = 446;
constexpr uint32_t kPartitionEntryBytes = 16;
constexpr uint32_t kPartitionBootFlag = 0;
constexpr uint32_t kPartitionType = 4;
constexpr uint32_t kPartitionFirstSector = 8;
constexpr uint32_t kPartitionSectors = 12;
constexpr uint8_t kBootable = 0x80;

// Volume boot sector (BIOS parameter block) fields.
constexpr uint32_t kBootRecordBytes = 90;
constexpr uint32_t kBpbBytesPerSector = 11;
constexpr uint32_t kBpbSectorsPerCluster = 13;
constexpr uint32_t kBpbReservedSectors = 14;
constexpr uint32_t kBpbTables = 16;
constexpr uint32_t kBpbRootEntries = 17;     // 0 on FAT32
constexpr uint32_t kBpbTotalSectors16 = 19;
constexpr uint32_t kBpbSectorsPerTable16 = 22;  // 0 on FAT32
constexpr uint32_t kBpbTotalSectors32 = 32;
constexpr uint32_t kBpbSectorsPerTable = 36;
constexpr uint32_t kBpbRootCluster = 44;
constexpr uint32_t kBpbFsInfoSector = 48;

// FSInfo sector.
constexpr uint32_t kFsInfoLeadSignature = 0x41615252;
constexpr uint32_t kFsInfoStructSignature = 0x61417272;
constexpr uint32_t kFsInfoTrailSignature = 0xAA550000;
constexpr uint32_t kFsInfoStructOffset = 484;
constexpr uint32_t kFsInfoFreeCount = 488;
constexpr uint32_t kFsInfoNextFree = 492;
constexpr uint32_t kFsInfoTrailOffset = 508;
constexpr uint32_t kFsInfoUnknown = 0xFFFFFFFF;

// 32-byte directory entry.
constexpr uint32_t kEntryBytes = 32;
constexpr uint32_t kEntriesPerSector = kSectorBytes / kEntryBytes;
constexpr uint32_t kEntryName = 0;
constexpr uint32_t kEntryExtension = 8;
constexpr uint32_t kEntryAttributes = 11;
constexpr uint32_t kEntryReserved = 12;
constexpr uint32_t kEntryClusterHigh = 20;
constexpr uint32_t kEntryTime = 22;
constexpr uint32_t kEntryDate = 24;
constexpr uint32_t kEntryClusterLow = 26;
constexpr uint32_t kEntrySize = 28;
constexpr uint32_t kNameBytes = 8;
constexpr uint32_t kExtensionBytes = 3;

constexpr uint8_t kSlotNeverUsed = 0x00;
constexpr uint8_t kSlotDeleted = 0xE5;
constexpr uint8_t kLeadingE5 = 0x05;  // stored in place of a name's leading 0xE5

constexpr uint8_t kAttributeVolumeLabel = 0x08;
constexpr uint8_t kAttributeDirectory = 0x10;
constexpr uint8_t kAttributeArchive = 0x20;
constexpr uint8_t kAttributeLongNameMask = 0x3F;
constexpr uint8_t kAttributeLongName = 0x0F;  // read-only, hidden, system and label together

// The stamp of entries made without a clock: 1 January 1980, 00:00.
constexpr uint16_t kNoDate = 0x0021;
constexpr uint16_t kNoTime = 0x0000;

inline uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Load32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void Store16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Store32(uint8_t* p, uint32_t v) {
  Store16(p, static_cast<uint16_t>(v));
  Store16(p + 2, static_cast<uint16_t>(v >> 16));
}

inline bool IsLongNameEntry(const uint8_t* entry) {
  return (entry[kEntryAttributes] & kAttributeLongNameMask) == kAttributeLongName;
}
inline uint32_t EntryCluster(const uint8_t* entry) {
  return (static_cast<uint32_t>(Load16(entry + kEntryClusterHigh)) << 16) | Load16(entry + kEntryClusterLow);
}
inline void SetEntryCluster(uint8_t* entry, uint32_t cluster) {
  Store16(entry + kEntryClusterHigh, static_cast<uint16_t>(cluster >> 16));
  Store16(entry + kEntryClusterLow, static_cast<uint16_t>(cluster));
}

}  // namespace filesystem
}  // namespace korvan
