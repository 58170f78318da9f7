// The FAT32 volume's root directory served as a Commodore disk.
#include "filesystem/fat_disk.h"

#include "filesystem/fat_walk.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

namespace {

const uint8_t kDiskId[5] = {'0', '0', ' ', '2', 'A'};

struct TypeExtension {
  CbmFileType type;
  const char* extension;
};
const TypeExtension kTypeExtensions[] = {
    {CbmFileType::Prg, "PRG"}, {CbmFileType::Seq, "SEQ"}, {CbmFileType::Usr, "USR"}, {CbmFileType::D64, "D64"}};

const char* ExtensionOf(CbmFileType type) {
  for (const TypeExtension& t : kTypeExtensions)
    if (t.type == type) return t.extension;
  return nullptr;
}

// Bytes up to the last that is not a blank.
uint32_t TrimmedLength(const uint8_t* bytes, uint32_t count) {
  while (count > 0 && bytes[count - 1] == ' ') count--;
  return count;
}

void Append(CbmName& name, const uint8_t* bytes, uint32_t count) {
  for (uint32_t i = 0; i < count && name.length < kCbmNameBytes; i++) name.bytes[name.length++] = bytes[i];
}

class TitleFinder : public Fat32::EntryVisitor {
 public:
  explicit TitleFinder(uint8_t* name) : name_(name) {}
  bool Entry(const uint8_t* entry) override {
    if (!(entry[kEntryAttributes] & kAttributeVolumeLabel)) return true;
    memcpy(name_, entry, kNameBytes + kExtensionBytes);
    if (name_[0] == kLeadingE5) name_[0] = kSlotDeleted;
    return false;
  }

 private:
  uint8_t* name_;
};

class EntryLister : public Fat32::EntryVisitor {
 public:
  explicit EntryLister(CbmDisk::Visitor& visitor) : visitor_(visitor) {}
  bool Entry(const uint8_t* entry) override {
    CbmEntry described;
    return !FatDisk::DescribeEntry(entry, described) || visitor_.Visit(described);
  }

 private:
  CbmDisk::Visitor& visitor_;
};

}  // namespace

FatDisk::FatDisk(Fat32& volume) : volume_(volume) { memset(handles_, 0, sizeof(handles_)); }

FatDisk::~FatDisk() {
  for (uint8_t handle = 0; handle < kHandles; handle++) Close(handle);
}

bool FatDisk::DescribeEntry(const uint8_t* entry, CbmEntry& out) {
  uint8_t attributes = entry[kEntryAttributes];
  if (attributes & kAttributeVolumeLabel) return false;
  bool directory = (attributes & kAttributeDirectory) != 0;
  if (directory && entry[0] == '.') return false;
  uint8_t name8[kNameBytes];
  uint8_t ext3[kExtensionBytes];
  for (uint32_t i = 0; i < kNameBytes; i++) name8[i] = UpperCase(entry[kEntryName + i]);
  for (uint32_t i = 0; i < kExtensionBytes; i++) ext3[i] = UpperCase(entry[kEntryExtension + i]);
  if (name8[0] == kLeadingE5) name8[0] = kSlotDeleted;
  out.name.length = 0;
  Append(out.name, name8, TrimmedLength(name8, kNameBytes));
  out.type = directory ? CbmFileType::Dir : CbmFileType::Prg;
  bool typed = false;
  for (const TypeExtension& t : kTypeExtensions) {
    bool same = true;
    for (uint32_t i = 0; i < kExtensionBytes; i++) same &= ext3[i] == static_cast<uint8_t>(t.extension[i]);
    if (!directory && same) {
      out.type = t.type;
      typed = true;
    }
  }
  uint32_t extLength = TrimmedLength(ext3, kExtensionBytes);
  if (!typed && (!directory || extLength > 0)) {
    const uint8_t dot = '.';
    Append(out.name, &dot, 1);
    Append(out.name, ext3, extLength);
  }
  out.blocks = directory ? 0 : CbmBlocks(Load32(entry + kEntrySize));
  out.closed = true;
  out.locked = false;
  return true;
}

bool FatDisk::VolumeName(const CbmName& name, CbmFileType type, char (&out)[kVolumeNameBytes]) {
  uint32_t dot = name.length;
  for (uint32_t i = 0; i < name.length; i++)
    if (name.bytes[i] == '.') dot = i;
  const uint8_t* extension = nullptr;
  uint32_t extLength = 0;
  if (dot < name.length) {
    extension = name.bytes + dot + 1;
    extLength = name.length - dot - 1;
  } else {
    const char* typed = ExtensionOf(type);
    if (typed == nullptr) return false;
    extension = reinterpret_cast<const uint8_t*>(typed);
    extLength = kExtensionBytes;
  }
  if (dot == 0 || dot > kNameBytes || extLength > kExtensionBytes) return false;
  for (uint32_t i = 0; i < kNameBytes; i++) out[i] = i < dot ? static_cast<char>(name.bytes[i]) : ' ';
  out[kNameBytes] = '.';
  for (uint32_t i = 0; i < kExtensionBytes; i++)
    out[kNameBytes + 1 + i] = i < extLength ? static_cast<char>(extension[i]) : ' ';
  out[kVolumeNameBytes - 1] = '\0';
  return true;
}

FatDisk::Handle* FatDisk::HandleAt(uint8_t handle) { return handle < kHandles ? &handles_[handle] : nullptr; }

DriveStatus FatDisk::Status(int fatStatus) const {
  switch (fatStatus) {
    case kFatOk: return kDriveOk;
    case kFatNotFound: return kDriveFileNotFound;
    case kFatExists: return kDriveFileExists;
    case kFatVolumeFull: return kDriveDiskFull;
    case kFatEndOfFile: return kDiskEndOfFile;
    case kFatIsDirectory: return kDriveTypeMismatch;
    case kFatSlotInUse:
    case kFatNoMemory: return kDriveNoChannel;
    case kFatWrongMode: return kDriveFileNotOpen;
    case kFatDamaged: return kDriveDirError;
    case kFatInvalid: return volume_.Mounted() ? kDriveInvalidName : kDriveNotReady;
    default: return kDriveWriteError;
  }
}

void FatDisk::Title(uint8_t (&name)[kCbmNameBytes], uint8_t (&id)[5]) {
  memset(name, ' ', sizeof(name));
  memcpy(id, kDiskId, static_cast<uint32_t>(sizeof(id)));
  TitleFinder finder(name);
  volume_.VisitRoot(finder);
}

DriveStatus FatDisk::List(Visitor& visitor) {
  EntryLister lister(visitor);
  return Status(volume_.VisitRoot(lister));
}

uint32_t FatDisk::FreeBlocks() {
  if (!volume_.Mounted()) return 0;
  uint64_t blocks = static_cast<uint64_t>(volume_.FreeClusters()) * volume_.BytesPerCluster() / kCbmBlockBytes;
  return blocks > kCbmMostBlocks ? kCbmMostBlocks : static_cast<uint32_t>(blocks);
}

DriveStatus FatDisk::OpenRead(uint8_t handle, const CbmName& name, CbmFileType type) {
  Handle* h = HandleAt(handle);
  char volumeName[kVolumeNameBytes];
  if (h == nullptr || h->open) return kDriveNoChannel;
  if (type == CbmFileType::Dir) return kDriveTypeMismatch;
  if (!VolumeName(name, type, volumeName)) return kDriveFileNotFound;
  int result = volume_.OpenFile(static_cast<uint8_t>(kFirstSlot + handle), volumeName, Fat32::kModeRead);
  if (result == kFatInvalid && volume_.Mounted()) return kDriveFileNotFound;
  if (result != kFatOk) return Status(result);
  h->open = true;
  h->standIn = false;
  return kDriveOk;
}

// The file is written as @WRITEn with the final extension, so the old one
// stays whole until the new one is.
DriveStatus FatDisk::BeginStandIn(uint8_t handle, const char* finalName) {
  Handle* h = &handles_[handle];
  memcpy(h->finalName, finalName, kVolumeNameBytes);
  memcpy(h->writtenName, "@WRITE0 .", kNameBytes + 1);
  h->writtenName[6] = static_cast<char>('0' + handle);
  memcpy(h->writtenName + kNameBytes + 1, finalName + kNameBytes + 1, kExtensionBytes + 1);
  // One left by a machine that stopped while writing is no file anyone wants.
  volume_.DeleteFile(h->writtenName);
  int result = volume_.OpenFile(static_cast<uint8_t>(kFirstSlot + handle), h->writtenName, Fat32::kModeCreate);
  if (result != kFatOk) return Status(result);
  h->open = true;
  h->standIn = true;
  return kDriveOk;
}

DriveStatus FatDisk::Create(uint8_t handle, const CbmName& name, CbmFileType type, bool replace) {
  Handle* h = HandleAt(handle);
  char volumeName[kVolumeNameBytes];
  if (h == nullptr || h->open) return kDriveNoChannel;
  if (!VolumeName(name, type, volumeName)) return volume_.Mounted() ? kDriveInvalidName : kDriveNotReady;
  int result = volume_.OpenFile(static_cast<uint8_t>(kFirstSlot + handle), volumeName, Fat32::kModeCreate);
  if (result == kFatOk) {
    h->open = true;
    h->standIn = false;
    return kDriveOk;
  }
  if (result != kFatExists || !replace) return Status(result);
  return BeginStandIn(handle, volumeName);
}

DriveStatus FatDisk::OpenAppend(uint8_t handle, const CbmName& name, CbmFileType type) {
  Handle* h = HandleAt(handle);
  char volumeName[kVolumeNameBytes];
  if (h == nullptr || h->open) return kDriveNoChannel;
  if (!VolumeName(name, type, volumeName)) return kDriveFileNotFound;
  uint8_t slot = static_cast<uint8_t>(kFirstSlot + handle);
  // The old bytes are read whole before the copy is begun in the same slot.
  int result = volume_.OpenFile(slot, volumeName, Fat32::kModeRead);
  if (result != kFatOk) return result == kFatInvalid ? kDriveFileNotFound : Status(result);
  uint32_t size = volume_.GetFileSize(volumeName);
  uint8_t* old = size > 0 ? new uint8_t[size] : nullptr;
  uint32_t count = 0;
  uint8_t byte = 0;
  if (size > 0 && old == nullptr) {
    volume_.CloseFile(slot);
    return kDriveNoChannel;
  }
  while (count < size && volume_.ReadNextFileByte(slot, byte) == kFatOk) old[count++] = byte;
  volume_.CloseFile(slot);
  DriveStatus status = BeginStandIn(handle, volumeName);
  for (uint32_t i = 0; i < count && status == kDriveOk; i++) status = Write(handle, old[i]);
  delete[] old;
  if (status != kDriveOk && h->open) {
    volume_.CloseFile(slot);
    volume_.DeleteFile(h->writtenName);
    h->open = false;
  }
  return status;
}

DriveStatus FatDisk::Read(uint8_t handle, uint8_t& byte) {
  Handle* h = HandleAt(handle);
  if (h == nullptr || !h->open) return kDriveFileNotOpen;
  return Status(volume_.ReadNextFileByte(static_cast<uint8_t>(kFirstSlot + handle), byte));
}

DriveStatus FatDisk::Write(uint8_t handle, uint8_t byte) {
  Handle* h = HandleAt(handle);
  if (h == nullptr || !h->open) return kDriveFileNotOpen;
  return Status(volume_.WriteNextFileByte(static_cast<uint8_t>(kFirstSlot + handle), byte));
}

DriveStatus FatDisk::Close(uint8_t handle) {
  Handle* h = HandleAt(handle);
  if (h == nullptr || !h->open) return kDriveOk;
  h->open = false;
  int result = volume_.CloseFile(static_cast<uint8_t>(kFirstSlot + handle));
  if (result != kFatOk || !h->standIn) return Status(result);
  // Complete: only now does the old file go.
  result = volume_.DeleteFile(h->finalName);
  if (result != kFatOk && result != kFatNotFound) return Status(result);
  return Status(volume_.RenameFile(h->writtenName, h->finalName));
}

DriveStatus FatDisk::Scratch(const CbmName& name, CbmFileType type) {
  char volumeName[kVolumeNameBytes];
  if (!VolumeName(name, type, volumeName)) return kDriveFileNotFound;
  return Status(volume_.DeleteFile(volumeName));
}

DriveStatus FatDisk::Rename(const CbmName& from, CbmFileType type, const CbmName& to) {
  char oldName[kVolumeNameBytes];
  char newName[kVolumeNameBytes];
  if (!VolumeName(from, type, oldName)) return kDriveFileNotFound;
  if (!VolumeName(to, type, newName)) return kDriveInvalidName;
  return Status(volume_.RenameFile(oldName, newName));
}

DriveStatus FatDisk::Validate(uint32_t& problems) {
  uint32_t damaged = 0, lost = 0;
  int result = volume_.Check(damaged, lost);
  problems = damaged + (lost > 0 ? 1 : 0);
  if (result != kFatOk) return Status(result);
  return problems == 0 ? kDriveOk : kDriveDirError;
}

}  // namespace filesystem
}  // namespace korvan
