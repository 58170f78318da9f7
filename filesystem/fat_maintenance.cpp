// FAT32 root-directory maintenance: creating, updating, deleting and renaming entries.
#include "filesystem/fat.h"
#include "filesystem/fat_walk.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

namespace {

// Characters that no short name may hold (besides controls and DEL).
const char kForbiddenNameCharacters[] = "\"*+,./:;<=>?[\\]|";

bool IsValidNameByte(uint8_t c) {
  if (c < 0x20 || c == 0x7F) return false;
  for (const char* f = kForbiddenNameCharacters; *f != 0; f++)
    if (c == static_cast<uint8_t>(*f)) return false;
  return true;
}

// A leading 0xE5 would read as a deleted slot, so it is stored as 0x05.
void StoreName(uint8_t* entry, const uint8_t* name8, const uint8_t* ext3) {
  memcpy(entry + kEntryName, name8, kNameBytes);
  memcpy(entry + kEntryExtension, ext3, kExtensionBytes);
  if (entry[0] == kSlotDeleted) entry[0] = kLeadingE5;
}

}  // namespace

namespace {
bool BlankInside(const uint8_t* bytes, uint32_t count) {
  for (uint32_t i = 1; i < count; i++)
    if (bytes[i - 1] == ' ' && bytes[i] != ' ') return true;
  return false;
}
}  // namespace

bool HasEmbeddedBlank(const uint8_t* name8, const uint8_t* ext3) {
  return BlankInside(name8, kNameBytes) || BlankInside(ext3, kExtensionBytes);
}

bool IsValidShortName(const uint8_t* name8, const uint8_t* ext3) {
  if (name8[0] == ' ' || HasEmbeddedBlank(name8, ext3)) return false;
  for (uint32_t i = 0; i < kNameBytes; i++)
    if (!IsValidNameByte(name8[i])) return false;
  for (uint32_t i = 0; i < kExtensionBytes; i++)
    if (!IsValidNameByte(ext3[i])) return false;
  return true;
}

int Fat32::EraseLongNameRun(uint8_t* sector) {
  int result = kFatOk;
  for (uint8_t i = 0; i < longNameRunLength; i++) {
    const SlotPosition& slot = longNameRun[i];
    if (slot.sector == currentSector) {
      sector[kEntryBytes * slot.index] = kSlotDeleted;
      continue;
    }
    // The run began in an earlier sector of the directory.
    uint8_t earlier[kSectorBytes];
    if (disk->ReadSector(slot.sector, earlier, kSectorBytes) != 0) return kFatDiskError;
    earlier[kEntryBytes * slot.index] = kSlotDeleted;
    if (disk->WriteSector(slot.sector, earlier, kSectorBytes) != 0) result = kFatDiskError;
  }
  return result;
}

int Fat32::ExtendDirectory(uint32_t lastCluster, uint32_t& firstSector) {
  uint32_t fresh = 0;
  int result = table.Allocate(fresh);
  if (result != kFatOk) return result;
  firstSector = ClusterSector(fresh);
  // A directory cluster must read as never-used slots from the start.
  for (uint32_t i = 0; i < sectorsPerCluster && result == kFatOk; i++)
    if (disk->WriteSector(firstSector + i, buffer, 0) != 0) result = kFatDiskError;
  if (result == kFatOk) result = table.Link(lastCluster, fresh);
  if (result != kFatOk) table.FreeChain(fresh);
  int committed = table.Commit();
  return result != kFatOk ? result : committed;
}

void Fat32::StampEntry(uint8_t* entry) {
  uint16_t date = kNoDate, time = kNoTime;
  if (clock != nullptr) clock->Now(date, time);
  Store16(entry + kEntryTime, time);
  Store16(entry + kEntryDate, date);
}

int Fat32::CreateDirectoryEntry(const uint8_t* name8, const uint8_t* ext3, uint32_t size) {
  auto fill = [&](uint8_t* entry) {
    StoreName(entry, name8, ext3);
    entry[kEntryAttributes] = kAttributeArchive;
    memset(entry + kEntryReserved, 0, kEntryTime - kEntryReserved);
    StampEntry(entry);
    Store16(entry + kEntryClusterLow, 0);
    Store32(entry + kEntrySize, size);
  };
  int result = WalkDirectory(0, [&](uint8_t* entry) {
    if (entry[0] != kSlotNeverUsed && entry[0] != kSlotDeleted) return WalkAction::Continue;
    fill(entry);
    return WalkAction::WriteBack;
  });
  if (result != kFatNotFound) return result;

  // Every slot is taken: the directory grows by one cluster.
  uint32_t sector = 0;
  result = ExtendDirectory(dataCluster, sector);
  if (result != kFatOk) return result;
  memset(buffer, 0, kSectorBytes);
  fill(buffer);
  currentSector = sector;
  return disk->WriteSector(sector, buffer, kSectorBytes) == 0 ? kFatOk : kFatDiskError;
}

int Fat32::UpdateDirectoryEntry(const uint8_t* name8, const uint8_t* ext3, uint32_t size, uint32_t cluster) {
  return WalkDirectory(0, [&](uint8_t* entry) {
    if (!IsLiveEntry(entry) || (entry[kEntryAttributes] & (kAttributeVolumeLabel | kAttributeDirectory)) ||
        !EntryNameIs(entry, name8, ext3))
      return WalkAction::Continue;
    SetEntryCluster(entry, cluster);
    Store32(entry + kEntrySize, size);
    StampEntry(entry);
    return WalkAction::WriteBack;
  });
}

int Fat32::EraseEntry(const uint8_t* name8, const uint8_t* ext3) {
  uint32_t chain = 0;
  int refusal = kFatOk;
  int result = WalkDirectory(0, [&](uint8_t* entry) {
    if (!IsLiveEntry(entry) || (entry[kEntryAttributes] & kAttributeVolumeLabel) ||
        !EntryNameIs(entry, name8, ext3))
      return WalkAction::Continue;
    // A directory's own entries would be orphaned along with their clusters.
    if (entry[kEntryAttributes] & kAttributeDirectory) {
      refusal = kFatIsDirectory;
      return WalkAction::Stop;
    }
    chain = EntryCluster(entry);
    uint32_t clusters = 0;
    if (chain != 0 && table.MeasureChain(chain, clusters) != kFatOk) {
      refusal = kFatDamaged;
      return WalkAction::Stop;
    }
    if ((refusal = EraseLongNameRun(buffer)) != kFatOk) return WalkAction::Stop;
    entry[0] = kSlotDeleted;
    return WalkAction::WriteBack;
  });
  if (result != kFatOk) return result;
  if (refusal != kFatOk) return refusal;
  // The entry goes first: a crash in between leaves lost clusters, never a
  // file whose clusters are free.
  result = table.FreeChain(chain);
  int committed = table.Commit();
  return result != kFatOk ? result : committed;
}

int Fat32::DeleteFile(const char* name) {
  uint8_t name8[kNameBytes];
  uint8_t ext3[kExtensionBytes];
  if (!mounted) return kFatInvalid;
  if (ParseFilename(name, name8, ext3) != kFatOk) return kFatNotFound;
  return EraseEntry(name8, ext3);
}

int Fat32::RenameFile(const char* oldName, const char* newName) {
  uint8_t oldName8[kNameBytes], oldExt3[kExtensionBytes];
  uint8_t newName8[kNameBytes], newExt3[kExtensionBytes];
  if (!mounted) return kFatInvalid;
  if (ParseFilename(oldName, oldName8, oldExt3) != kFatOk) return kFatNotFound;
  if (ParseFilename(newName, newName8, newExt3) != kFatOk || !IsValidShortName(newName8, newExt3))
    return kFatInvalid;
  Found found;
  int result = FindEntry(newName8, newExt3, Match::FilesAndDirectories, found);
  if (result == kFatOk) return kFatExists;
  if (result != kFatNotFound) return result;

  int erased = kFatOk;
  result = WalkDirectory(0, [&](uint8_t* entry) {
    if (!IsLiveEntry(entry) || (entry[kEntryAttributes] & kAttributeVolumeLabel) ||
        !EntryNameIs(entry, oldName8, oldExt3))
      return WalkAction::Continue;
    // The long name spelled the old name; other systems would show it still.
    if ((erased = EraseLongNameRun(buffer)) != kFatOk) return WalkAction::Stop;
    StoreName(entry, newName8, newExt3);
    return WalkAction::WriteBack;
  });
  return result == kFatOk ? erased : result;
}

}  // namespace filesystem
}  // namespace korvan
