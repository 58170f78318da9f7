// FAT32 open-file table: whole-file reads, cluster-by-cluster writes and allocation.
#include "filesystem/fat.h"
#include "filesystem/fat_walk.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

Fat32::OpenFileEntry* Fat32::Slot(uint8_t slot) { return slot < kOpenFileSlots ? &openFiles[slot] : nullptr; }

void Fat32::ResetOpenFileListEntry(uint8_t slot) {
  OpenFileEntry* file = Slot(slot);
  if (file == nullptr) return;
  delete[] file->buffer;
  memset(file, 0, sizeof(OpenFileEntry));
}

// A chain that ends before length bytes is damage: the size that asked for
// them says the chain should hold them.
int Fat32::ReadChain(uint32_t cluster, uint8_t* destination, uint32_t length) {
  if (length == 0) return kFatOk;
  uint32_t copied = 0;
  uint8_t* sector = ReadNextSectorInChain(cluster);
  while (sector != nullptr) {
    uint32_t take = length - copied < kSectorBytes ? length - copied : kSectorBytes;
    memcpy(destination + copied, sector, take);
    copied += take;
    if (copied == length) return kFatOk;
    sector = ReadNextSectorInChain(0);
  }
  return walkStatus != kFatOk ? walkStatus : kFatDamaged;
}

int Fat32::ChainHoldsSize(const Found& found) {
  if (found.size == 0) return kFatOk;
  uint32_t clusters = 0;
  if (found.cluster == 0 || table.MeasureChain(found.cluster, clusters) != kFatOk ||
      found.size > static_cast<uint64_t>(clusters) * bytesPerCluster)
    return kFatDamaged;
  return kFatOk;
}

int Fat32::ReadFile(const char* name, uint8_t* destination, uint32_t length) {
  if (!mounted) return kFatInvalid;
  Found found;
  int result = FindByName(name, Match::Files, found);
  if (result == kFatInvalid) return kFatNotFound;
  if (result != kFatOk) return result;
  if ((result = ChainHoldsSize(found)) != kFatOk) return result;
  return ReadChain(found.cluster, destination, length < found.size ? length : found.size);
}

int Fat32::OpenFile(uint8_t slot, const char* name, uint8_t mode) {
  OpenFileEntry* file = Slot(slot);
  if (file == nullptr || !mounted) return kFatInvalid;
  if (file->mode != 0) return kFatSlotInUse;
  uint8_t name8[kNameBytes];
  uint8_t ext3[kExtensionBytes];
  bool parsed = ParseFilename(name, name8, ext3) == kFatOk;
  Found found;

  if (mode == kModeRead) {
    if (!parsed) return kFatNotFound;
    if (HasEmbeddedBlank(name8, ext3)) return kFatInvalid;
    int result = FindEntry(name8, ext3, Match::Files, found);
    if (result != kFatOk) return result;
    uint8_t* data = nullptr;
    if (found.size > 0) {
      // The chain must hold the whole size before a buffer of that size is trusted to it.
      if (ChainHoldsSize(found) != kFatOk) return kFatDamaged;
      data = new uint8_t[found.size];
      if (data == nullptr) return kFatNoMemory;
      result = ReadChain(found.cluster, data, found.size);
      if (result != kFatOk) {
        delete[] data;
        return result;
      }
    }
    file->mode = kModeRead;
    file->size = found.size;
    file->buffer = data;
    file->cluster = found.cluster;
  } else if (mode == kModeCreate) {
    if (!parsed || !IsValidShortName(name8, ext3)) return kFatInvalid;
    int result = FindEntry(name8, ext3, Match::FilesAndDirectories, found);
    if (result == kFatOk) return kFatExists;
    if (result != kFatNotFound) return result;
    uint8_t* data = new uint8_t[bytesPerCluster];
    if (data == nullptr) return kFatNoMemory;
    // The entry exists from the start, so a file that cannot be recorded is never begun.
    result = CreateDirectoryEntry(name8, ext3, 0);
    if (result != kFatOk) {
      delete[] data;
      return result;
    }
    file->mode = kModeWrite;
    file->buffer = data;
  } else {
    return kFatInvalid;
  }
  memcpy(file->name, name8, kNameBytes);
  memcpy(file->extension, ext3, kExtensionBytes);
  file->position = 0;
  return kFatOk;
}

int Fat32::ReadNextFileByte(uint8_t slot, uint8_t& byte) {
  OpenFileEntry* file = Slot(slot);
  if (file == nullptr) return kFatInvalid;
  if (file->mode != kModeRead) return kFatWrongMode;
  if (file->position >= file->size) return kFatEndOfFile;
  byte = file->buffer[file->position++];
  return kFatOk;
}

int Fat32::WriteNextFileByte(uint8_t slot, uint8_t byte) {
  OpenFileEntry* file = Slot(slot);
  if (file == nullptr) return kFatInvalid;
  if (file->mode != kModeWrite) return kFatWrongMode;
  if (file->failure != kFatOk) return file->failure;
  // FAT keeps sizes in 32 bits.
  if (file->size == 0xFFFFFFFF) return AbandonWrite(*file, kFatVolumeFull);
  file->buffer[file->position++] = byte;
  file->size++;
  if (file->position < bytesPerCluster) return kFatOk;
  int result = WriteClusterBuffer(*file);
  return result == kFatOk ? kFatOk : AbandonWrite(*file, result);
}

int Fat32::FlushWriteBuffer(uint8_t slot) {
  OpenFileEntry* file = Slot(slot);
  if (file == nullptr) return kFatInvalid;
  if (file->mode != kModeWrite) return kFatWrongMode;
  if (file->failure != kFatOk) return file->failure;
  if (file->position == 0) return kFatOk;
  int result = WriteClusterBuffer(*file);
  return result == kFatOk ? kFatOk : AbandonWrite(*file, result);
}

int Fat32::WriteClusterBuffer(OpenFileEntry& file) {
  int result = kFatOk;
  if (file.tailCluster == 0) {
    uint32_t fresh = 0;
    result = table.Allocate(fresh);
    if (result != kFatOk) return result;
    if (file.cluster == 0) {
      file.cluster = fresh;
    } else if ((result = table.Link(file.lastCluster, fresh)) != kFatOk) {
      table.FreeChain(fresh);
      return result;
    }
    file.tailCluster = fresh;
    file.lastCluster = fresh;
  }
  // A partly filled buffer is written again, with more bytes, by the next flush.
  uint32_t first = ClusterSector(file.tailCluster);
  for (uint32_t offset = 0; offset < file.position; offset += kSectorBytes) {
    uint32_t count = file.position - offset < kSectorBytes ? file.position - offset : kSectorBytes;
    if (disk->WriteSector(first + offset / kSectorBytes, file.buffer + offset, count) != 0) return kFatDiskError;
  }
  if (file.position == bytesPerCluster) {
    file.tailCluster = 0;
    file.position = 0;
  }
  return table.Commit();
}

// A file that cannot be completed leaves nothing behind: its clusters return
// to the free pool and its entry is removed. The slot stays open, reporting
// the failure, until it is closed.
int Fat32::AbandonWrite(OpenFileEntry& file, int failure) {
  table.FreeChain(file.cluster);
  table.Commit();
  EraseEntry(file.name, file.extension);
  file.cluster = 0;
  file.tailCluster = 0;
  file.lastCluster = 0;
  file.position = 0;
  file.failure = failure;
  return failure;
}

int Fat32::CloseFile(uint8_t slot) {
  OpenFileEntry* file = Slot(slot);
  if (file == nullptr) return kFatInvalid;
  int result = kFatOk;
  if (file->mode == kModeWrite) {
    result = file->failure;
    if (result == kFatOk && file->position > 0) {
      result = WriteClusterBuffer(*file);
      if (result != kFatOk) AbandonWrite(*file, result);
    }
    if (result == kFatOk) {
      result = UpdateDirectoryEntry(file->name, file->extension, file->size, file->cluster);
      // The entry went away while the file was open: its clusters must not be lost.
      if (result != kFatOk) {
        table.FreeChain(file->cluster);
        table.Commit();
      }
    }
  } else if (file->mode != kModeRead) {
    return kFatWrongMode;
  }
  ResetOpenFileListEntry(slot);
  return result;
}

int Fat32::AllocateCluster(uint32_t& cluster) {
  if (!mounted) return kFatInvalid;
  int result = table.Allocate(cluster);
  if (result != kFatOk) return result;
  return table.Commit();
}

}  // namespace filesystem
}  // namespace korvan
