// D64 BAM: free counts and bitmaps per track, and where a 1541 puts the next block.
#include "filesystem/d64_bam.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

namespace {
constexpr uint8_t kExtensionFirstTrack = 36;

uint8_t CountBits(uint32_t bits) {
  uint8_t count = 0;
  for (; bits != 0; bits &= bits - 1) count++;
  return count;
}

uint32_t Bitmap(const uint8_t* entry) { return entry[1] | (entry[2] << 8) | (static_cast<uint32_t>(entry[3]) << 16); }

uint32_t TrackMask(uint8_t track) { return (1u << D64Geometry::SectorsOnTrack(track)) - 1; }
}  // namespace

void D64Bam::Load(const uint8_t* bamSector, const D64Geometry& shape) {
  memcpy(sector, bamSector, kD64BlockBytes);
  geometry = shape;
  extension = Extension::None;
  if (geometry.Tracks() <= kBamStandardTracks) return;
  if (ExtensionLooksFormatted(kBamSpeedTracks))
    extension = Extension::SpeedDos;
  else if (ExtensionLooksFormatted(kBamDolphinTracks))
    extension = Extension::DolphinDos;
}

// A formatted extension has, for each of its tracks, a count that matches a
// bitmap within the track; all zeros is an unformatted spot, not a full one.
bool D64Bam::ExtensionLooksFormatted(uint32_t offset) const {
  bool anything = false;
  for (uint8_t track = kExtensionFirstTrack; track <= geometry.Tracks(); track++) {
    const uint8_t* entry = sector + offset + kBamEntryBytes * (track - kExtensionFirstTrack);
    uint32_t bits = Bitmap(entry);
    if ((bits & ~TrackMask(track)) != 0 || CountBits(bits) != entry[0]) return false;
    anything = anything || bits != 0;
  }
  return anything;
}

bool D64Bam::Covers(uint8_t track) const {
  if (track < 1 || track > geometry.Tracks()) return false;
  return track <= kBamStandardTracks || extension != Extension::None;
}

const uint8_t* D64Bam::Entry(uint8_t track) const {
  if (track <= kBamStandardTracks) return sector + kBamTracks + kBamEntryBytes * (track - 1);
  uint32_t base = extension == Extension::SpeedDos ? kBamSpeedTracks : kBamDolphinTracks;
  return sector + base + kBamEntryBytes * (track - kExtensionFirstTrack);
}

uint8_t* D64Bam::Entry(uint8_t track) { return const_cast<uint8_t*>(static_cast<const D64Bam*>(this)->Entry(track)); }

bool D64Bam::IsFree(uint8_t track, uint8_t block) const {
  if (!Covers(track) || block >= D64Geometry::SectorsOnTrack(track)) return false;
  return (Entry(track)[1 + block / 8] >> (block % 8)) & 1;
}

void D64Bam::Mark(uint8_t track, uint8_t block, bool free) {
  if (!Covers(track) || block >= D64Geometry::SectorsOnTrack(track) || IsFree(track, block) == free) return;
  uint8_t* entry = Entry(track);
  uint8_t bit = static_cast<uint8_t>(1u << (block % 8));
  if (free) {
    entry[1 + block / 8] |= bit;
    entry[0]++;
  } else {
    entry[1 + block / 8] &= static_cast<uint8_t>(~bit);
    entry[0]--;
  }
}

void D64Bam::ReleaseAll() {
  for (uint8_t track = 1; track <= geometry.Tracks(); track++) {
    if (!Covers(track)) continue;
    uint8_t* entry = Entry(track);
    uint32_t mask = TrackMask(track);
    entry[0] = D64Geometry::SectorsOnTrack(track);
    entry[1] = static_cast<uint8_t>(mask);
    entry[2] = static_cast<uint8_t>(mask >> 8);
    entry[3] = static_cast<uint8_t>(mask >> 16);
  }
}

uint16_t D64Bam::BlocksFree() const {
  uint16_t free = 0;
  for (uint8_t track = 1; track <= geometry.Tracks(); track++)
    if (Covers(track) && track != kD64DirectoryTrack) free += Entry(track)[0];
  return free;
}

uint8_t D64Bam::DisagreeingTrack() const {
  for (uint8_t track = 1; track <= geometry.Tracks(); track++) {
    if (!Covers(track)) continue;
    const uint8_t* entry = Entry(track);
    uint32_t bits = Bitmap(entry);
    if ((bits & ~TrackMask(track)) != 0 || CountBits(bits) != entry[0]) return track;
  }
  return 0;
}

bool D64Bam::FreeOnTrack(uint8_t track, uint8_t start, uint8_t interleave, uint8_t& found) const {
  uint8_t count = D64Geometry::SectorsOnTrack(track);
  if (count == 0 || !Covers(track) || Entry(track)[0] == 0) return false;
  uint8_t candidate = static_cast<uint8_t>((start + interleave) % count);
  // Past a taken sector the 1541 simply tries the next one up.
  for (uint8_t tried = 0; tried < count; tried++, candidate = static_cast<uint8_t>((candidate + 1) % count)) {
    if (IsFree(track, candidate)) {
      found = candidate;
      return true;
    }
  }
  return false;
}

bool D64Bam::NextFileBlock(bool first, uint8_t& track, uint8_t& block) const {
  uint8_t tracks = geometry.Tracks();
  if (first) {
    // Outward from the directory, below it before above it at each distance.
    for (uint8_t distance = 1; distance < tracks; distance++) {
      if (distance < kD64DirectoryTrack && FreeOnTrack(kD64DirectoryTrack - distance, 0, 0, block)) {
        track = static_cast<uint8_t>(kD64DirectoryTrack - distance);
        return true;
      }
      if (kD64DirectoryTrack + distance <= tracks && FreeOnTrack(kD64DirectoryTrack + distance, 0, 0, block)) {
        track = static_cast<uint8_t>(kD64DirectoryTrack + distance);
        return true;
      }
    }
    return false;
  }
  if (FreeOnTrack(track, block, kD64FileInterleave, block)) return true;
  // Further from the directory on the same side, then the other side from
  // its start: every track but the directory's is tried once.
  uint8_t candidate = track;
  for (uint8_t step = 0; step < tracks; step++) {
    if (candidate < kD64DirectoryTrack)
      candidate = candidate == 1 ? kD64DirectoryTrack + 1 : candidate - 1;
    else
      candidate = candidate >= tracks ? kD64DirectoryTrack - 1 : candidate + 1;
    if (candidate > tracks || candidate == kD64DirectoryTrack) continue;
    if (FreeOnTrack(candidate, 0, 0, block)) {
      track = candidate;
      return true;
    }
  }
  return false;
}

bool D64Bam::NextDirectoryBlock(uint8_t& block) const {
  return FreeOnTrack(kD64DirectoryTrack, block, kD64DirectoryInterleave, block);
}

}  // namespace filesystem
}  // namespace korvan
