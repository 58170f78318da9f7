// D64 files: a reader following a chain, a writer laying one out block by block.
#include "filesystem/d64_files.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

D64Status D64FileReader::Open(D64Image& image, const D64Name& pattern, D64Entry& entry) {
  started = false;
  position = 0;
  D64Status status = image.Find(pattern, entry);
  if (status != kD64Ok) return status;
  if (entry.Type() == D64FileType::Rel) return kD64FileTypeMismatch;
  if (!entry.Closed()) return kD64WriteFileOpen;
  if (entry.firstTrack == 0) return image.Fail(kD64IllegalTrackSector, entry.firstTrack, entry.firstSector);
  chain.Start(image, entry.firstTrack, entry.firstSector);
  return kD64Ok;
}

D64Status D64FileReader::ReadByte(uint8_t& byte) {
  // A last block may hold nothing, so more than one block can pass here.
  while (!started || position == chain.DataLength()) {
    if (started && chain.Last()) return kD64EndOfFile;
    D64Status status = chain.Next();
    if (status != kD64Ok) return status;
    started = true;
    position = 0;
  }
  byte = chain.Block()[kD64BlockData + position++];
  return kD64Ok;
}

D64Status D64FileWriter::Open(D64Image& target, const D64Name& name, D64FileType type, Mode how) {
  Abandon();
  if (name.length == 0) return kD64NoName;
  if (name.HasWildcards()) return kD64InvalidName;
  D64Status status = target.CheckWritable();
  if (status != kD64Ok) return status;
  D64Entry found = {};
  status = target.Find(name, found);
  if (status != kD64Ok && status != kD64FileNotFound) return status;
  bool exists = status == kD64Ok;
  if (target.BeingWritten(name)) return how == Mode::Append ? kD64WriteFileOpen : kD64FileExists;

  image = &target;
  mode = how;
  replacing = false;
  holding = false;
  failure = kD64Ok;
  taken.Clear();
  entry = D64Entry{};
  entry.name = name;
  entry.typeByte = static_cast<uint8_t>(type);
  if (how == Mode::Append) {
    if (!exists) return kD64FileNotFound;
    if (found.Type() == D64FileType::Rel || found.Type() != type) return kD64FileTypeMismatch;
    if (!found.Closed()) return kD64WriteFileOpen;
    entry = found;
    entry.typeByte = static_cast<uint8_t>(found.typeByte & ~kTypeClosed);
    status = StartAppend();
  } else {
    if (exists && (how == Mode::Create || found.Locked())) return kD64FileExists;
    if (exists && found.Type() == D64FileType::Rel) return kD64FileTypeMismatch;
    replacing = exists;
    replaced = found;
    status = TakeBlock(true, track, sector);
    entry.firstTrack = track;
    entry.firstSector = sector;
    entry.blocks = 1;
    memset(block, 0, kD64BlockBytes);
    used = kD64BlockData;
  }
  if (status != kD64Ok) return Fail(status);
  if (!image->BeginWriting(name)) return Fail(kD64NoChannel);
  open = true;
  return kD64Ok;
}

D64Status D64FileWriter::StartAppend() {
  if (entry.firstTrack == 0) return image->Fail(kD64IllegalTrackSector, entry.firstTrack, entry.firstSector);
  D64ChainReader chain;
  chain.Start(*image, entry.firstTrack, entry.firstSector);
  D64Status status;
  while ((status = chain.Next()) == kD64Ok && !chain.Last()) {
  }
  if (status != kD64Ok) return status;
  memcpy(block, chain.Block(), kD64BlockBytes);
  track = chain.Track();
  sector = chain.Sector();
  used = static_cast<uint16_t>(kD64BlockData + chain.DataLength());
  return kD64Ok;
}

D64Status D64FileWriter::TakeBlock(bool first, uint8_t& blockTrack, uint8_t& blockSector) {
  D64Bam& bam = image->MutableBam();
  if (!bam.NextFileBlock(first, blockTrack, blockSector)) return image->Fail(kD64DiskFull, 0, 0);
  bam.Allocate(blockTrack, blockSector);
  taken.Add(image->Geometry().BlockIndex(blockTrack, blockSector));
  return kD64Ok;
}

D64Status D64FileWriter::WriteByte(uint8_t byte) {
  if (failure != kD64Ok) return failure;
  if (!open) return kD64FileNotOpen;
  if (used == kD64BlockBytes) {
    uint8_t nextTrack = track;
    uint8_t nextSector = sector;
    D64Status status = TakeBlock(false, nextTrack, nextSector);
    if (status != kD64Ok) return Fail(status);
    block[kD64LinkTrack] = nextTrack;
    block[kD64LinkSector] = nextSector;
    if ((status = Emit()) != kD64Ok) return Fail(status);
    track = nextTrack;
    sector = nextSector;
    memset(block, 0, kD64BlockBytes);
    used = kD64BlockData;
    entry.blocks++;
  }
  block[used++] = byte;
  return kD64Ok;
}

D64Status D64FileWriter::Emit() {
  if (holding) return image->WriteBlock(track, sector, block);
  memcpy(held, block, kD64BlockBytes);
  heldTrack = track;
  heldSector = sector;
  holding = true;
  return kD64Ok;
}

D64Status D64FileWriter::Close() {
  if (failure != kD64Ok) {
    D64Status status = failure;
    failure = kD64Ok;
    return status;
  }
  if (!open) return kD64FileNotOpen;
  D64Status status = Finish();
  if (status != kD64Ok) Abandon();
  return status;
}

// Until the entry is written nothing on disk reaches the new blocks, so any
// failure before it is undone by Abandon.
D64Status D64FileWriter::Finish() {
  block[kD64LinkTrack] = 0;
  block[kD64LinkSector] = static_cast<uint8_t>(used - 1);
  D64Status status = Emit();
  if (status != kD64Ok) return status;
  if (mode != Mode::Append) {
    if (replacing) {
      entry.place = replaced.place;
    } else if ((status = image->NewEntryPlace(entry.place)) != kD64Ok) {
      return status;
    }
  }
  if ((status = image->WriteBam()) != kD64Ok) return status;
  if ((status = image->WriteBlock(heldTrack, heldSector, held)) != kD64Ok) return status;
  entry.typeByte |= kTypeClosed;
  // From here the file is on disk: what fails now only leaves blocks taken.
  taken.Clear();
  open = false;
  image->EndWriting(entry.name);
  status = image->UpdateEntry(entry, mode != Mode::Append);
  if (status != kD64Ok || !replacing) return status;
  D64Bam& bam = image->MutableBam();
  D64ChainReader old;
  old.Start(*image, replaced.firstTrack, replaced.firstSector);
  while (old.Next() == kD64Ok) bam.Release(old.Track(), old.Sector());
  return image->WriteBam();
}

D64Status D64FileWriter::Fail(D64Status status) {
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
