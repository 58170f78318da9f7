// FAT32 directory reading: the listing, lookups by name and 8.3 name parsing.
#include "filesystem/fat.h"
#include "filesystem/fat_walk.h"
#include "lib/stdio.h"

namespace korvan {
namespace filesystem {

namespace {

// Name bytes are shown as stored, never read as a format; 0x05 stands for 0xE5.
void PrintNameBytes(const uint8_t* bytes, uint32_t count) {
  for (uint32_t i = 0; i < count; i++) putc(i == 0 && bytes[0] == kLeadingE5 ? kSlotDeleted : bytes[i]);
}

}  // namespace

int Fat32::ReadDirectory(uint32_t cluster) {
  int result = WalkDirectory(cluster, [this](uint8_t* entry) {
    if (entry[0] == kSlotNeverUsed) return WalkAction::Stop;
    if (!IsLiveEntry(entry)) return WalkAction::Continue;
    uint8_t attributes = entry[kEntryAttributes];
    if (attributes & kAttributeVolumeLabel) {
      printf("\n\nVolume Label: ");
      PrintNameBytes(entry, kNameBytes + kExtensionBytes);
      printf("\n");
      return WalkAction::Continue;
    }
    bool directory = (attributes & kAttributeDirectory) != 0;
    printf("\n");
    if (directory) printf("<");
    PrintNameBytes(entry, kNameBytes);
    if (directory) {
      printf(">");
    } else {
      printf(".");
      PrintNameBytes(entry + kEntryExtension, kExtensionBytes);
    }
    uint16_t date = Load16(entry + kEntryDate);
    uint16_t time = Load16(entry + kEntryTime);
    printf("   %d-%d-%d", (date >> 5) & 0x0F, date & 0x1F, 1980 + (date >> 9));
    printf(" %d:%d", time >> 11, (time >> 5) & 0x3F);
    uint32_t first = EntryCluster(entry);
    printf("     %06X", first);
    // An empty file has no cluster and so no sector.
    printf("     %06X", first >= AllocationTable::kFirstCluster ? ClusterSector(first) : 0);
    printf("   ");
    printf("  %u", Load32(entry + kEntrySize));
    return WalkAction::Continue;
  });
  return result == kFatNotFound ? kFatOk : result;
}

int Fat32::VisitRoot(EntryVisitor& visitor) {
  int result = WalkDirectory(0, [&](uint8_t* entry) {
    if (!IsLiveEntry(entry)) return WalkAction::Continue;
    return visitor.Entry(entry) ? WalkAction::Continue : WalkAction::Stop;
  });
  return result == kFatNotFound ? kFatOk : result;
}

int Fat32::Check(uint32_t& damaged, uint32_t& lost) {
  damaged = 0;
  lost = 0;
  if (!mounted) return kFatInvalid;
  uint32_t held = 0;
  if (table.MeasureChain(rootCluster, held) != kFatOk) return kFatDamaged;
  bool subdirectories = false;
  int result = WalkDirectory(0, [&](uint8_t* entry) {
    if (!IsLiveEntry(entry)) return WalkAction::Continue;
    uint8_t attributes = entry[kEntryAttributes];
    if (attributes & kAttributeVolumeLabel) return WalkAction::Continue;
    uint32_t first = EntryCluster(entry);
    bool directory = (attributes & kAttributeDirectory) != 0;
    // "." and ".." belong to a subdirectory, never to the root.
    if (directory && entry[0] == '.') return WalkAction::Continue;
    subdirectories |= directory;
    uint32_t size = Load32(entry + kEntrySize);
    uint32_t clusters = 0;
    if (first == 0) {
      if (directory || size != 0) damaged++;
      return WalkAction::Continue;
    }
    if (table.MeasureChain(first, clusters) != kFatOk) {
      damaged++;
      return WalkAction::Continue;
    }
    uint64_t needed = (static_cast<uint64_t>(size) + bytesPerCluster - 1) / bytesPerCluster;
    if (!directory && (needed != clusters)) damaged++;
    held += clusters;
    return WalkAction::Continue;
  });
  if (result != kFatNotFound) return result;
  uint32_t inUse = clusterCount - table.FreeClusters();
  if (!subdirectories && inUse > held) lost = inUse - held;
  return kFatOk;
}

int Fat32::FindEntry(const uint8_t* name8, const uint8_t* ext3, Match match, Found& found) {
  return WalkDirectory(0, [&](uint8_t* entry) {
    if (!IsLiveEntry(entry)) return WalkAction::Continue;
    uint8_t attributes = entry[kEntryAttributes];
    if (attributes & kAttributeVolumeLabel) return WalkAction::Continue;
    if ((attributes & kAttributeDirectory) && match == Match::Files) return WalkAction::Continue;
    if (!EntryNameIs(entry, name8, ext3)) return WalkAction::Continue;
    found.cluster = EntryCluster(entry);
    found.size = Load32(entry + kEntrySize);
    found.attributes = attributes;
    return WalkAction::Stop;
  });
}

int Fat32::FindByName(const char* name, Match match, Found& found) {
  uint8_t name8[kNameBytes];
  uint8_t ext3[kExtensionBytes];
  if (ParseFilename(name, name8, ext3) != kFatOk) return kFatInvalid;
  return FindEntry(name8, ext3, match, found);
}

uint32_t Fat32::GetFileCluster(const char* name) {
  Found found;
  return FindByName(name, Match::Files, found) == kFatOk ? found.cluster : 0;
}

uint32_t Fat32::GetFileSize(const char* name) {
  Found found;
  return FindByName(name, Match::Files, found) == kFatOk ? found.size : 0;
}

int Fat32::ParseFilename(const char* name, uint8_t* name8, uint8_t* ext3) {
  if (name == nullptr) return kFatNotFound;
  int length = 0;
  while (name[length] != 0 && length <= 12) length++;
  if (length > 12) return kFatNotFound;
  for (uint32_t i = 0; i < kNameBytes; i++) name8[i] = ' ';
  for (uint32_t i = 0; i < kExtensionBytes; i++) ext3[i] = ' ';
  int dot = 0;
  while (dot < length && name[dot] != '.') dot++;
  if (dot == length || dot == 0 || dot != length - 4) return kFatNotFound;
  // Short names are stored upper case, whatever case they were given in.
  for (int i = 0; i < dot; i++) name8[i] = UpperCase(static_cast<uint8_t>(name[i]));
  for (int i = 0; i < 3; i++) ext3[i] = UpperCase(static_cast<uint8_t>(name[dot + 1 + i]));
  return kFatOk;
}

}  // namespace filesystem
}  // namespace korvan
