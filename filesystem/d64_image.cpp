// D64 image: mounting, block access with the error bytes, directory lookup and entries.
#include "filesystem/d64_image.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

namespace {
constexpr uint8_t kFirstUnusedSector = 0xFF;  // the link sector of a directory's last block
}  // namespace

DriveStatus D64Image::Mount() {
  mounted = false;
  checked = false;
  if (!D64Geometry::FromImageSize(store.Size(), geometry)) return Fail(kDriveNotReady, 0, 0);
  mounted = true;
  uint8_t sector[kD64BlockBytes];
  DriveStatus status = ReadBlock(kD64DirectoryTrack, kD64BamSector, sector);
  if (status != kDriveOk) {
    mounted = false;
    return status;
  }
  bam.Load(sector, geometry);
  return kDriveOk;
}

DriveStatus D64Image::Fail(DriveStatus status, uint8_t track, uint8_t sector) {
  errorTrack = track;
  errorSector = sector;
  return status;
}

DriveStatus D64Image::ReadBlock(uint8_t track, uint8_t sector, uint8_t* data) {
  if (!mounted) return kDriveNotReady;
  if (!geometry.IsBlock(track, sector)) return Fail(kDriveIllegalTrackSector, track, sector);
  if (geometry.HasErrorBytes()) {
    uint8_t error = 0;
    if (!store.Read(geometry.ErrorByteOffset(track, sector), &error, 1)) return Fail(kDriveReadError, track, sector);
    if (error >= kErrorByteFirst && error <= kErrorByteLast)
      return Fail(static_cast<DriveStatus>(error + kErrorByteToStatus), track, sector);
  }
  if (!store.Read(geometry.BlockOffset(track, sector), data, kD64BlockBytes)) return Fail(kDriveReadError, track, sector);
  return kDriveOk;
}

DriveStatus D64Image::WriteBlock(uint8_t track, uint8_t sector, const uint8_t* data) {
  if (!mounted) return kDriveNotReady;
  if (!geometry.IsBlock(track, sector)) return Fail(kDriveIllegalTrackSector, track, sector);
  if (!store.Write(geometry.BlockOffset(track, sector), data, kD64BlockBytes))
    return Fail(kDriveWriteError, track, sector);
  return kDriveOk;
}

DriveStatus D64Image::WriteBam() { return WriteBlock(kD64DirectoryTrack, kD64BamSector, bam.Sector()); }

DriveStatus D64Image::Find(const D64Name& pattern, D64Entry& entry) {
  DriveStatus status = WalkDirectory([&](uint8_t* bytes, const D64EntryPlace& place) {
    if (bytes[kDirType] == 0) return Visit::Continue;
    D64Name name = D64Name::OfEntry(bytes);
    if (!pattern.Matches(name)) return Visit::Continue;
    entry.place = place;
    entry.typeByte = bytes[kDirType];
    entry.firstTrack = bytes[kDirFirstTrack];
    entry.firstSector = bytes[kDirFirstSector];
    entry.blocks = static_cast<uint16_t>(bytes[kDirBlocks] | (bytes[kDirBlocks + 1] << 8));
    entry.name = name;
    return Visit::Stop;
  });
  return status;
}

DriveStatus D64Image::UpdateEntry(const D64Entry& entry, bool fresh) {
  uint8_t sector[kD64BlockBytes];
  DriveStatus status = ReadBlock(entry.place.track, entry.place.sector, sector);
  if (status != kDriveOk) return status;
  uint8_t* bytes = sector + kDirEntryBytes * entry.place.index;
  if (fresh) memset(bytes + kDirType, 0, kDirEntryBytes - kDirType);
  bytes[kDirType] = entry.typeByte;
  bytes[kDirFirstTrack] = entry.firstTrack;
  bytes[kDirFirstSector] = entry.firstSector;
  memcpy(bytes + kDirName, entry.name.bytes, kD64NameBytes);
  bytes[kDirBlocks] = static_cast<uint8_t>(entry.blocks);
  bytes[kDirBlocks + 1] = static_cast<uint8_t>(entry.blocks >> 8);
  return WriteBlock(entry.place.track, entry.place.sector, sector);
}

DriveStatus D64Image::NewEntryPlace(D64EntryPlace& place) {
  D64EntryPlace last = {0, 0, 0};
  DriveStatus status = WalkDirectory([&](uint8_t* bytes, const D64EntryPlace& at) {
    last = at;
    if (bytes[kDirType] != 0) return Visit::Continue;
    place = at;
    return Visit::Stop;
  });
  if (status != kDriveFileNotFound) return status;
  // Every slot is taken: a new directory sector on the directory track, as
  // a 1541 adds one; the entries never spill onto other tracks.
  uint8_t fresh = last.sector;
  if (last.track != kD64DirectoryTrack || !bam.NextDirectoryBlock(fresh)) return Fail(kDriveDiskFull, 0, 0);
  uint8_t sector[kD64BlockBytes] = {};
  sector[kD64LinkSector] = kFirstUnusedSector;
  if ((status = WriteBlock(kD64DirectoryTrack, fresh, sector)) != kDriveOk) return status;
  bam.Allocate(kD64DirectoryTrack, fresh);
  if ((status = WriteBam()) != kDriveOk) return status;
  // Linked in only once it is on disk and taken in the BAM.
  if ((status = ReadBlock(last.track, last.sector, sector)) != kDriveOk) return status;
  sector[kD64LinkTrack] = kD64DirectoryTrack;
  sector[kD64LinkSector] = fresh;
  if ((status = WriteBlock(last.track, last.sector, sector)) != kDriveOk) return status;
  place = D64EntryPlace{kD64DirectoryTrack, fresh, 0};
  return kDriveOk;
}

bool D64Image::BeginWriting(const D64Name& name) {
  if (BeingWritten(name)) return false;
  for (uint8_t i = 0; i < kMaxWriters; i++) {
    if (writingUsed[i]) continue;
    writing[i] = name;
    writingUsed[i] = true;
    return true;
  }
  return false;
}

void D64Image::EndWriting(const D64Name& name) {
  for (uint8_t i = 0; i < kMaxWriters; i++)
    if (writingUsed[i] && writing[i].Equals(name)) writingUsed[i] = false;
}

bool D64Image::BeingWritten(const D64Name& name) const {
  for (uint8_t i = 0; i < kMaxWriters; i++)
    if (writingUsed[i] && writing[i].Equals(name)) return true;
  return false;
}

}  // namespace filesystem
}  // namespace korvan
