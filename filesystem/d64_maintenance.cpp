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

  DriveStatus Scan() {
    used.Clear();
    DriveStatus status = Take(kD64DirectoryTrack, kD64BamSector);
    if (status != kDriveOk) return status;
    DriveStatus damage = kDriveOk;
    status = image.WalkDirectory([&](uint8_t* entry, const D64EntryPlace& place) {
      if (place.index == 0) damage = Take(place.track, place.sector);
      if (damage == kDriveOk && (entry[kDirType] & kTypeClosed) != 0) {
        damage = TakeChain(entry[kDirFirstTrack], entry[kDirFirstSector]);
        if (damage == kDriveOk && (entry[kDirType] & kTypeMask) == static_cast<uint8_t>(CbmFileType::Rel))
          damage = TakeChain(entry[kDirSideTrack], entry[kDirSideSector]);
      }
      if (damage == kDriveOk && (entry[kDirType] & kTypeClosed) == 0 && entry[kDirType] != 0) unclosed++;
      return damage == kDriveOk ? D64Image::Visit::Continue : D64Image::Visit::Stop;
    });
    if (damage != kDriveOk) return damage;
    return status == kDriveFileNotFound ? kDriveOk : status;
  }

  bool Holds(uint8_t track, uint8_t sector) const {
    return used.Contains(image.Geometry().BlockIndex(track, sector));
  }
  uint16_t Unclosed() const { return unclosed; }

 private:
  DriveStatus Take(uint8_t track, uint8_t sector) {
    if (!image.Geometry().IsBlock(track, sector)) return image.Fail(kDriveIllegalTrackSector, track, sector);
    uint16_t index = image.Geometry().BlockIndex(track, sector);
    if (used.Contains(index)) return image.Fail(kDriveDirError, track, sector);
    used.Add(index);
    return kDriveOk;
  }

  // A file entry without blocks (track 0) holds nothing.
  DriveStatus TakeChain(uint8_t track, uint8_t sector) {
    if (track == 0) return kDriveOk;
    D64ChainReader chain;
    chain.Start(image, track, sector);
    DriveStatus status;
    while ((status = chain.Next()) == kDriveOk)
      if ((status = Take(chain.Track(), chain.Sector())) != kDriveOk) return status;
    return status == kDiskEndOfFile ? kDriveOk : status;
  }

  D64Image& image;
  D64BlockSet used;
  uint16_t unclosed = 0;
};

}  // namespace

DriveStatus D64Image::CheckWritable() {
  if (!mounted) return kDriveNotReady;
  if (checked) return checkVerdict;
  D64Usage usage(*this);
  DriveStatus verdict = usage.Scan();
  uint8_t track = bam.DisagreeingTrack();
  if (verdict == kDriveOk && track != 0) verdict = Fail(kDriveDirError, track, 0);
  for (uint8_t t = 1; verdict == kDriveOk && t <= geometry.Tracks(); t++)
    for (uint8_t s = 0; verdict == kDriveOk && s < D64Geometry::SectorsOnTrack(t); s++)
      if (usage.Holds(t, s) && bam.IsFree(t, s)) verdict = Fail(kDriveDirError, t, s);
  // A read error says nothing lasting about the disk: check again next time.
  checked = verdict == kDriveOk || verdict == kDriveDirError || verdict == kDriveIllegalTrackSector;
  checkVerdict = verdict;
  return verdict;
}

DriveStatus D64Image::Scratch(const D64Name& pattern, uint8_t& count) {
  count = 0;
  DriveStatus status = CheckWritable();
  if (status != kDriveOk) return status;
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
    if (status == kDriveFileNotFound) break;
    if (status != kDriveOk) return status;
    count++;
    // An unclosed file's blocks were never taken for sure; validate sorts them out.
    if (!closed) continue;
    D64ChainReader chain;
    if (victim.firstTrack != 0) {
      chain.Start(*this, victim.firstTrack, victim.firstSector);
      while (chain.Next() == kDriveOk) bam.Release(chain.Track(), chain.Sector());
    }
    if (victim.Type() == CbmFileType::Rel && sideTrack != 0) {
      chain.Start(*this, sideTrack, sideSector);
      while (chain.Next() == kDriveOk) bam.Release(chain.Track(), chain.Sector());
    }
  }
  // Like a 1541, a pattern that matches nothing scratches 0 files; no error.
  status = count == 0 ? kDriveOk : WriteBam();
  return status == kDriveOk ? Fail(kDriveFilesScratched, count, 0) : status;
}

DriveStatus D64Image::Rename(const D64Name& newName, const D64Name& oldName) {
  if (newName.length == 0 || oldName.length == 0) return kDriveNoName;
  if (newName.HasWildcards() || oldName.HasWildcards()) return kDriveInvalidName;
  D64Entry entry = {};
  DriveStatus status = Find(newName, entry);
  if (status == kDriveOk || BeingWritten(newName)) return kDriveFileExists;
  if (status != kDriveFileNotFound) return status;
  if ((status = Find(oldName, entry)) != kDriveOk) return status;
  if (BeingWritten(oldName)) return kDriveWriteFileOpen;
  entry.name = newName;
  return UpdateEntry(entry, false);
}

DriveStatus D64Image::Validate(bool& changed) {
  changed = false;
  if (!mounted) return kDriveNotReady;
  D64Usage usage(*this);
  DriveStatus status = usage.Scan();
  if (status != kDriveOk) return status;
  // Unclosed files go, as a 1541 drops them; their blocks are not in the usage.
  for (uint16_t left = usage.Unclosed(); left > 0; left--) {
    status = WalkDirectory([&](uint8_t* entry, const D64EntryPlace&) {
      if (entry[kDirType] == 0 || (entry[kDirType] & kTypeClosed) != 0) return Visit::Continue;
      entry[kDirType] = 0;
      return Visit::WriteBack;
    });
    if (status != kDriveOk) return status;
    changed = true;
  }
  uint8_t before[kD64BlockBytes];
  memcpy(before, bam.Sector(), kD64BlockBytes);
  bam.ReleaseAll();
  for (uint8_t t = 1; t <= geometry.Tracks(); t++)
    for (uint8_t s = 0; s < D64Geometry::SectorsOnTrack(t); s++)
      if (usage.Holds(t, s)) bam.Allocate(t, s);
  checked = true;
  checkVerdict = kDriveOk;
  bool bamChanged = false;
  for (uint32_t i = 0; i < kD64BlockBytes; i++) bamChanged = bamChanged || before[i] != bam.Sector()[i];
  changed = changed || bamChanged;
  return bamChanged ? WriteBam() : kDriveOk;
}

}  // namespace filesystem
}  // namespace korvan
