// D64 maintenance: the chains checked against the BAM, scratch, rename and validate.
#include "filesystem/d64_chain.h"
#include "filesystem/d64_image.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

namespace {

// The blocks the BAM, the directory and the closed files hold. A block held
// twice, a link off the disk or a loop is damage the scan stops at.
class D64Usage {
 public:
  explicit D64Usage(D64Image& image) : image(image) {}

  D64Status Scan() {
    used.Clear();
    D64Status status = Take(kD64DirectoryTrack, kD64BamSector);
    if (status != kD64Ok) return status;
    D64Status damage = kD64Ok;
    status = image.WalkDirectory([&](uint8_t* entry, const D64EntryPlace& place) {
      if (place.index == 0) damage = Take(place.track, place.sector);
      if (damage == kD64Ok && (entry[kDirType] & kTypeClosed) != 0) {
        damage = TakeChain(entry[kDirFirstTrack], entry[kDirFirstSector]);
        if (damage == kD64Ok && (entry[kDirType] & kTypeMask) == static_cast<uint8_t>(D64FileType::Rel))
          damage = TakeChain(entry[kDirSideTrack], entry[kDirSideSector]);
      }
      if (damage == kD64Ok && (entry[kDirType] & kTypeClosed) == 0 && entry[kDirType] != 0) unclosed++;
      return damage == kD64Ok ? D64Image::Visit::Continue : D64Image::Visit::Stop;
    });
    if (damage != kD64Ok) return damage;
    return status == kD64FileNotFound ? kD64Ok : status;
  }

  bool Holds(uint8_t track, uint8_t sector) const {
    return used.Contains(image.Geometry().BlockIndex(track, sector));
  }
  uint16_t Unclosed() const { return unclosed; }

 private:
  D64Status Take(uint8_t track, uint8_t sector) {
    if (!image.Geometry().IsBlock(track, sector)) return image.Fail(kD64IllegalTrackSector, track, sector);
    uint16_t index = image.Geometry().BlockIndex(track, sector);
    if (used.Contains(index)) return image.Fail(kD64DirError, track, sector);
    used.Add(index);
    return kD64Ok;
  }

  // A file entry without blocks (track 0) holds nothing.
  D64Status TakeChain(uint8_t track, uint8_t sector) {
    if (track == 0) return kD64Ok;
    D64ChainReader chain;
    chain.Start(image, track, sector);
    D64Status status;
    while ((status = chain.Next()) == kD64Ok)
      if ((status = Take(chain.Track(), chain.Sector())) != kD64Ok) return status;
    return status == kD64EndOfFile ? kD64Ok : status;
  }

  D64Image& image;
  D64BlockSet used;
  uint16_t unclosed = 0;
};

}  // namespace

D64Status D64Image::CheckWritable() {
  if (!mounted) return kD64NotAnImage;
  if (checked) return checkVerdict;
  D64Usage usage(*this);
  D64Status verdict = usage.Scan();
  uint8_t track = bam.DisagreeingTrack();
  if (verdict == kD64Ok && track != 0) verdict = Fail(kD64DirError, track, 0);
  for (uint8_t t = 1; verdict == kD64Ok && t <= geometry.Tracks(); t++)
    for (uint8_t s = 0; verdict == kD64Ok && s < D64Geometry::SectorsOnTrack(t); s++)
      if (usage.Holds(t, s) && bam.IsFree(t, s)) verdict = Fail(kD64DirError, t, s);
  // A read error says nothing lasting about the disk: check again next time.
  checked = verdict == kD64Ok || verdict == kD64DirError || verdict == kD64IllegalTrackSector;
  checkVerdict = verdict;
  return verdict;
}

D64Status D64Image::Scratch(const D64Name& pattern, uint8_t& count) {
  count = 0;
  D64Status status = CheckWritable();
  if (status != kD64Ok) return status;
  // One entry per walk; each walk either scratches one or ends the loop.
  for (uint16_t round = 0; round < geometry.Blocks() * kDirEntriesPerSector; round++) {
    D64Entry victim = {};
    bool closed = false;
    uint8_t sideTrack = 0;
    uint8_t sideSector = 0;
    status = WalkDirectory([&](uint8_t* entry, const D64EntryPlace& place) {
      if (entry[kDirType] == 0 || (entry[kDirType] & kTypeLocked) != 0) return Visit::Continue;
      if (!pattern.Matches(D64Name::OfEntry(entry))) return Visit::Continue;
      victim.place = place;
      victim.typeByte = entry[kDirType];
      victim.firstTrack = entry[kDirFirstTrack];
      victim.firstSector = entry[kDirFirstSector];
      closed = (entry[kDirType] & kTypeClosed) != 0;
      sideTrack = entry[kDirSideTrack];
      sideSector = entry[kDirSideSector];
      entry[kDirType] = 0;
      return Visit::WriteBack;
    });
    if (status == kD64FileNotFound) break;
    if (status != kD64Ok) return status;
    count++;
    // An unclosed file's blocks were never taken for sure; validate sorts them out.
    if (!closed) continue;
    D64ChainReader chain;
    if (victim.firstTrack != 0) {
      chain.Start(*this, victim.firstTrack, victim.firstSector);
      while (chain.Next() == kD64Ok) bam.Release(chain.Track(), chain.Sector());
    }
    if (victim.Type() == D64FileType::Rel && sideTrack != 0) {
      chain.Start(*this, sideTrack, sideSector);
      while (chain.Next() == kD64Ok) bam.Release(chain.Track(), chain.Sector());
    }
  }
  // Like a 1541, a pattern that matches nothing scratches 0 files; no error.
  status = count == 0 ? kD64Ok : WriteBam();
  return status == kD64Ok ? Fail(kD64FilesScratched, count, 0) : status;
}

D64Status D64Image::Rename(const D64Name& newName, const D64Name& oldName) {
  if (newName.length == 0 || oldName.length == 0) return kD64NoName;
  if (newName.HasWildcards() || oldName.HasWildcards()) return kD64InvalidName;
  D64Entry entry = {};
  D64Status status = Find(newName, entry);
  if (status == kD64Ok || BeingWritten(newName)) return kD64FileExists;
  if (status != kD64FileNotFound) return status;
  if ((status = Find(oldName, entry)) != kD64Ok) return status;
  if (BeingWritten(oldName)) return kD64WriteFileOpen;
  entry.name = newName;
  return UpdateEntry(entry, false);
}

D64Status D64Image::Validate(bool& changed) {
  changed = false;
  if (!mounted) return kD64NotAnImage;
  D64Usage usage(*this);
  D64Status status = usage.Scan();
  if (status != kD64Ok) return status;
  // Unclosed files go, as a 1541 drops them; their blocks are not in the usage.
  for (uint16_t left = usage.Unclosed(); left > 0; left--) {
    status = WalkDirectory([&](uint8_t* entry, const D64EntryPlace&) {
      if (entry[kDirType] == 0 || (entry[kDirType] & kTypeClosed) != 0) return Visit::Continue;
      entry[kDirType] = 0;
      return Visit::WriteBack;
    });
    if (status != kD64Ok) return status;
    changed = true;
  }
  uint8_t before[kD64BlockBytes];
  memcpy(before, bam.Sector(), kD64BlockBytes);
  bam.ReleaseAll();
  for (uint8_t t = 1; t <= geometry.Tracks(); t++)
    for (uint8_t s = 0; s < D64Geometry::SectorsOnTrack(t); s++)
      if (usage.Holds(t, s)) bam.Allocate(t, s);
  checked = true;
  checkVerdict = kD64Ok;
  bool bamChanged = false;
  for (uint32_t i = 0; i < kD64BlockBytes; i++) bamChanged = bamChanged || before[i] != bam.Sector()[i];
  changed = changed || bamChanged;
  return bamChanged ? WriteBam() : kD64Ok;
}

}  // namespace filesystem
}  // namespace korvan
