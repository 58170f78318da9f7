// D64 files: a reader following a chain, a writer laying one out block by block.
#include "filesystem/d64_files.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

DriveStatus D64FileReader::Open(D64Image& image, const D64Name& pattern, D64Entry& entry) {
  started = false;
  position = 0;
  DriveStatus status = image.Find(pattern, entry);
  if (status != kDriveOk) return status;
  if (entry.Type() == CbmFileType::Rel) return kDriveTypeMismatch;
  if (!entry.Closed()) return kDriveWriteFileOpen;
  if (entry.firstTrack == 0) return image.Fail(kDriveIllegalTrackSector, entry.firstTrack, entry.firstSector);
  chain.Start(image, entry.firstTrack, entry.firstSector);
  return kDriveOk;
}

DriveStatus D64FileReader::ReadByte(uint8_t& byte) {
  // A last block may hold nothing, so more than one block can pass here.
  while (!started || position == chain.DataLength()) {
    if (started && chain.Last()) return kDiskEndOfFile;
    DriveStatus status = chain.Next();
    if (status != kDriveOk) return status;
    started = true;
    position = 0;
  }
  byte = chain.Block()[kD64BlockData + position++];
  return kDriveOk;
}

DriveStatus D64FileWriter::Open(D64Image& target, const D64Name& name, CbmFileType type, Mode how) {
  Abandon();
  if (name.length == 0) return kDriveNoName;
  if (name.HasWildcards()) return kDriveInvalidName;
  DriveStatus status = target.CheckWritable();
  if (status != kDriveOk) return status;
  D64Entry found = {};
  status = target.Find(name, found);
  if (status != kDriveOk && status != kDriveFileNotFound) return status;
  bool exists = status == kDriveOk;
  if (target.BeingWritten(name)) return how == Mode::Append ? kDriveWriteFileOpen : kDriveFileExists;

  image = &target;
  mode = how;
  replacing = false;
  holding = false;
  failure = kDriveOk;
  taken.Clear();
  entry = D64Entry{};
  entry.name = name;
  entry.typeByte = static_cast<uint8_t>(type);
  if (how == Mode::Append) {
    if (!exists) return kDriveFileNotFound;
    if (found.Type() == CbmFileType::Rel || found.Type() != type) return kDriveTypeMismatch;
    if (!found.Closed()) return kDriveWriteFileOpen;
    entry = found;
    entry.typeByte = static_cast<uint8_t>(found.typeByte & ~kTypeClosed);
    status = StartAppend();
  } else {
    if (exists && (how == Mode::Create || found.Locked())) return kDriveFileExists;
    if (exists && found.Type() == CbmFileType::Rel) return kDriveTypeMismatch;
    replacing = exists;
    replaced = found;
    status = TakeBlock(true, track, sector);
    entry.firstTrack = track;
    entry.firstSector = sector;
    entry.blocks = 1;
    memset(block, 0, kD64BlockBytes);
    used = kD64BlockData;
  }
  if (status != kDriveOk) return Fail(status);
  if (!image->BeginWriting(name)) return Fail(kDriveNoChannel);
  open = true;
  return kDriveOk;
}

DriveStatus D64FileWriter::StartAppend() {
  if (entry.firstTrack == 0) return image->Fail(kDriveIllegalTrackSector, entry.firstTrack, entry.firstSector);
  D64ChainReader chain;
  chain.Start(*image, entry.firstTrack, entry.firstSector);
  DriveStatus status;
  while ((status = chain.Next()) == kDriveOk && !chain.Last()) {
  }
  if (status != kDriveOk) return status;
  memcpy(block, chain.Block(), kD64BlockBytes);
  track = chain.Track();
  sector = chain.Sector();
  used = static_cast<uint16_t>(kD64BlockData + chain.DataLength());
  return kDriveOk;
}

DriveStatus D64FileWriter::TakeBlock(bool first, uint8_t& blockTrack, uint8_t& blockSector) {
  D64Bam& bam = image->MutableBam();
  if (!bam.NextFileBlock(first, blockTrack, blockSector)) return image->Fail(kDriveDiskFull, 0, 0);
  bam.Allocate(blockTrack, blockSector);
  taken.Add(image->Geometry().BlockIndex(blockTrack, blockSector));
  return kDriveOk;
}

DriveStatus D64FileWriter::WriteByte(uint8_t byte) {
  if (failure != kDriveOk) return failure;
  if (!open) return kDriveFileNotOpen;
  if (used == kD64BlockBytes) {
    uint8_t nextTrack = track;
    uint8_t nextSector = sector;
    DriveStatus status = TakeBlock(false, nextTrack, nextSector);
    if (status != kDriveOk) return Fail(status);
    block[kD64LinkTrack] = nextTrack;
    block[kD64LinkSector] = nextSector;
    if ((status = Emit()) != kDriveOk) return Fail(status);
    track = nextTrack;
    sector = nextSector;
    memset(block, 0, kD64BlockBytes);
    used = kD64BlockData;
    entry.blocks++;
  }
  block[used++] = byte;
  return kDriveOk;
}

DriveStatus D64FileWriter::Emit() {
  if (holding) return image->WriteBlock(track, sector, block);
  memcpy(held, block, kD64BlockBytes);
  heldTrack = track;
  heldSector = sector;
  holding = true;
  return kDriveOk;
}

DriveStatus D64FileWriter::Close() {
  if (failure != kDriveOk) {
    DriveStatus status = failure;
    failure = kDriveOk;
    return status;
  }
  if (!open) return kDriveFileNotOpen;
  DriveStatus status = Finish();
  if (status != kDriveOk) Abandon();
  return status;
}

// Until the entry is written nothing on disk reaches the new blocks, so any
// failure before it is undone by Abandon.
DriveStatus D64FileWriter::Finish() {
  block[kD64LinkTrack] = 0;
  block[kD64LinkSector] = static_cast<uint8_t>(used - 1);
  DriveStatus status = Emit();
  if (status != kDriveOk) return status;
  if (mode != Mode::Append) {
    if (replacing) {
      entry.place = replaced.place;
    } else if ((status = image->NewEntryPlace(entry.place)) != kDriveOk) {
      return status;
    }
  }
  if ((status = image->WriteBam()) != kDriveOk) return status;
  if ((status = image->WriteBlock(heldTrack, heldSector, held)) != kDriveOk) return status;
  entry.typeByte |= kTypeClosed;
  // From here the file is on disk: what fails now only leaves blocks taken.
  taken.Clear();
  open = false;
  image->EndWriting(entry.name);
  status = image->UpdateEntry(entry, mode != Mode::Append);
  if (status != kDriveOk || !replacing) return status;
  D64Bam& bam = image->MutableBam();
  D64ChainReader old;
  old.Start(*image, replaced.firstTrack, replaced.firstSector);
  while (old.Next() == kDriveOk) bam.Release(old.Track(), old.Sector());
  return image->WriteBam();
}

DriveStatus D64FileWriter::Fail(DriveStatus status) {
  Abandon();
  failure = status;
  return status;
}

void D64FileWriter::Abandon() {
  if (image == nullptr) return;
  const D64Geometry& geometry = image->Geometry();
  D64Bam& bam = image->MutableBam();
  bool released = false;
  uint16_t index = 0;
  for (uint8_t t = 1; t <= geometry.Tracks(); t++) {
    for (uint8_t s = 0; s < D64Geometry::SectorsOnTrack(t); s++, index++) {
      if (!taken.Contains(index)) continue;
      bam.Release(t, s);
      released = true;
    }
  }
  taken.Clear();
  // The BAM on disk may hold them already, written by another change meanwhile.
  if (released) image->WriteBam();
  if (open) image->EndWriting(entry.name);
  open = false;
}

}  // namespace filesystem
}  // namespace korvan
