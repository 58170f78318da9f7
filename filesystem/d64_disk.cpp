// A D64 image as drive 8's disk: entries, files and changes go to the image's
// own code, which keeps the BAM, the directory and the chains in step.
#include "filesystem/d64_disk.h"

#include "filesystem/d64_listing.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

namespace {

constexpr uint8_t kDiskNameBytes = kCbmNameBytes;
constexpr uint8_t kIdBytes = 5;  // ID, shifted space, DOS type

uint8_t Printable(uint8_t byte) { return byte == kShiftedSpace ? ' ' : byte; }

// The drive's names fit a directory entry: both hold at most 16 bytes.
D64Name ImageName(const CbmName& name) {
  D64Name converted;
  D64Name::From(name.bytes, name.length, converted);
  return converted;
}

// Type numbers above REL mean nothing to a 1541; such entries are listed but
// taken for deleted ones, so no LOAD finds them.
CbmFileType TypeOf(uint8_t typeByte) {
  uint8_t type = typeByte & kTypeMask;
  return type <= static_cast<uint8_t>(CbmFileType::Rel) ? static_cast<CbmFileType>(type) : CbmFileType::Del;
}

}  // namespace

D64Disk::~D64Disk() {
  for (uint8_t handle = 0; handle < kHandles; handle++) Close(handle);
}

void D64Disk::Title(uint8_t (&name)[kCbmNameBytes], uint8_t (&id)[5]) {
  const uint8_t* bam = image_.Bam().Sector();
  for (uint8_t i = 0; i < kDiskNameBytes; i++) name[i] = Printable(bam[kBamDiskName + i]);
  for (uint8_t i = 0; i < kIdBytes; i++) id[i] = Printable(bam[kBamDiskId + i]);
}

DriveStatus D64Disk::List(Visitor& visitor) {
  DriveStatus status = image_.WalkDirectory([&](uint8_t* bytes, const D64EntryPlace&) {
    if (bytes[kDirType] == 0) return D64Image::Visit::Continue;
    D64Name name = D64Name::OfEntry(bytes);
    CbmEntry entry;
    memcpy(entry.name.bytes, name.bytes, kCbmNameBytes);
    entry.name.length = name.length;
    entry.type = TypeOf(bytes[kDirType]);
    entry.blocks = static_cast<uint32_t>(bytes[kDirBlocks] | (bytes[kDirBlocks + 1] << 8));
    entry.closed = (bytes[kDirType] & kTypeClosed) != 0;
    entry.locked = (bytes[kDirType] & kTypeLocked) != 0;
    return visitor.Visit(entry) ? D64Image::Visit::Continue : D64Image::Visit::Stop;
  });
  return status == kDriveFileNotFound ? kDriveOk : status;
}

DriveStatus D64Disk::Listing(uint8_t* out, uint32_t capacity, uint32_t& length) {
  length = 0;
  if (capacity < 2) return kDriveNoChannel;
  DriveStatus status = kDriveOk;
  uint32_t lines = D64Listing::Render(image_, nullptr, out + 2, capacity - 2, status);
  if (lines == 0) return kDriveNoChannel;
  out[0] = static_cast<uint8_t>(D64Listing::kLoadAddress);
  out[1] = static_cast<uint8_t>(D64Listing::kLoadAddress >> 8);
  length = lines + 2;
  return status;
}

D64Disk::Handle* D64Disk::FreeHandle(uint8_t handle) {
  return handle < kHandles && handles_[handle].use == Use::Free ? &handles_[handle] : nullptr;
}

DriveStatus D64Disk::OpenRead(uint8_t handle, const CbmName& name, CbmFileType) {
  Handle* h = FreeHandle(handle);
  if (h == nullptr) return kDriveNoChannel;
  D64Entry entry;
  DriveStatus status = h->reader.Open(image_, ImageName(name), entry);
  if (status == kDriveOk) h->use = Use::Reading;
  return status;
}

DriveStatus D64Disk::OpenWriter(uint8_t handle, const CbmName& name, CbmFileType type, D64FileWriter::Mode mode) {
  Handle* h = FreeHandle(handle);
  if (h == nullptr) return kDriveNoChannel;
  DriveStatus status = h->writer.Open(image_, ImageName(name), type, mode);
  if (status == kDriveOk) h->use = Use::Writing;
  return status;
}

DriveStatus D64Disk::Create(uint8_t handle, const CbmName& name, CbmFileType type, bool replace) {
  return OpenWriter(handle, name, type, replace ? D64FileWriter::Mode::Replace : D64FileWriter::Mode::Create);
}

DriveStatus D64Disk::OpenAppend(uint8_t handle, const CbmName& name, CbmFileType type) {
  return OpenWriter(handle, name, type, D64FileWriter::Mode::Append);
}

DriveStatus D64Disk::Read(uint8_t handle, uint8_t& byte) {
  if (handle >= kHandles || handles_[handle].use != Use::Reading) return kDriveFileNotOpen;
  return handles_[handle].reader.ReadByte(byte);
}

DriveStatus D64Disk::Write(uint8_t handle, uint8_t byte) {
  if (handle >= kHandles || handles_[handle].use != Use::Writing) return kDriveFileNotOpen;
  return handles_[handle].writer.WriteByte(byte);
}

DriveStatus D64Disk::Close(uint8_t handle) {
  if (handle >= kHandles) return kDriveOk;
  Handle& h = handles_[handle];
  Use use = h.use;
  h.use = Use::Free;
  // A writer that failed has given its blocks back already and reports why.
  return use == Use::Writing ? h.writer.Close() : kDriveOk;
}

bool D64Disk::Writing() const {
  for (const Handle& h : handles_)
    if (h.use == Use::Writing) return true;
  return false;
}

DriveStatus D64Disk::Scratch(const CbmName& name, CbmFileType) {
  D64Name target = ImageName(name);
  // Its entry is rewritten when it is closed: its blocks must not go first.
  if (image_.BeingWritten(target)) return kDriveWriteFileOpen;
  uint8_t count = 0;
  DriveStatus status = image_.Scratch(target, count);
  if (status != kDriveFilesScratched) return status;
  // A locked file stays; the drive counts only what went.
  return count > 0 ? kDriveOk : kDriveFileNotFound;
}

DriveStatus D64Disk::Rename(const CbmName& from, CbmFileType, const CbmName& to) {
  return image_.Rename(ImageName(to), ImageName(from));
}

DriveStatus D64Disk::Validate(uint32_t& damaged) {
  damaged = 0;
  // The blocks of a file being written are in no chain yet: a rebuild would free them.
  if (Writing()) return kDriveWriteFileOpen;
  bool changed = false;
  return image_.Validate(changed);
}

}  // namespace filesystem
}  // namespace korvan
