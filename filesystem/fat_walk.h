// The directory walk shared by every directory operation of the volume.
#pragma once
#include "filesystem/fat.h"

namespace korvan {
namespace filesystem {

// An entry that describes a file, directory or label: not free, not deleted, not part of a long name.
inline bool IsLiveEntry(const uint8_t* entry) {
  return entry[0] != kSlotNeverUsed && entry[0] != kSlotDeleted && !IsLongNameEntry(entry);
}

// Short names are upper case; other tools may still have stored lower-case letters.
inline uint8_t UpperCase(uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a' + 'A') : c; }

// Compares the stored 11 name bytes without regard to case, reading a stored
// 0x05 as the 0xE5 it stands for.
inline bool EntryNameIs(const uint8_t* entry, const uint8_t* name8, const uint8_t* ext3) {
  uint8_t first = entry[0] == kLeadingE5 ? kSlotDeleted : entry[0];
  if (UpperCase(first) != UpperCase(name8[0])) return false;
  for (uint32_t i = 1; i < kNameBytes; i++)
    if (UpperCase(entry[kEntryName + i]) != UpperCase(name8[i])) return false;
  for (uint32_t i = 0; i < kExtensionBytes; i++)
    if (UpperCase(entry[kEntryExtension + i]) != UpperCase(ext3[i])) return false;
  return true;
}

// A blank inside a name or extension (not only as padding at its end): other
// systems reject such short names.
bool HasEmbeddedBlank(const uint8_t* name8, const uint8_t* ext3);

// True when the 11 bytes are a name other systems accept for a new entry.
bool IsValidShortName(const uint8_t* name8, const uint8_t* ext3);

template <typename Visit>
int Fat32::WalkDirectory(uint32_t cluster, Visit visit) {
  if (!mounted) return kFatInvalid;
  longNameRunLength = 0;
  endOfChain = false;
  for (uint8_t* sector = ReadNextSectorInChain(cluster == 0 ? rootCluster : cluster); sector != nullptr;
       sector = ReadNextSectorInChain(0)) {
    for (uint8_t index = 0; index < kEntriesPerSector; index++) {
      uint8_t* entry = sector + kEntryBytes * index;
      WalkAction action = visit(entry);
      if (action == WalkAction::Stop) return kFatOk;
      if (action == WalkAction::WriteBack)
        return disk->WriteSector(currentSector, sector, kSectorBytes) == 0 ? kFatOk : kFatDiskError;
      // Remember the live long-name entries that lead up to the next entry.
      bool longName = IsLongNameEntry(entry) && entry[0] != kSlotDeleted && entry[0] != kSlotNeverUsed;
      if (!longName) {
        longNameRunLength = 0;
      } else {
        if (longNameRunLength == kLongNameRunLimit) {
          for (uint8_t i = 1; i < kLongNameRunLimit; i++) longNameRun[i - 1] = longNameRun[i];
          longNameRunLength--;
        }
        longNameRun[longNameRunLength++] = SlotPosition{currentSector, index};
      }
    }
  }
  return walkStatus == kFatOk ? kFatNotFound : walkStatus;
}

}  // namespace filesystem
}  // namespace korvan
