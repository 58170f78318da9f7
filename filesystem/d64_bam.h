// The block availability map of a D64 image (sector 18/0), held in memory and changed there.
#pragma once
#include <stdint.h>
#include "filesystem/d64_format.h"
#include "filesystem/d64_geometry.h"

namespace korvan {
namespace filesystem {

class D64Bam {
 public:
  // Where a 40-track image keeps tracks 36 to 40, if anywhere: the DOS
  // extensions that format them each use their own spot in the BAM sector.
  enum class Extension : uint8_t { None, SpeedDos, DolphinDos };

  void Load(const uint8_t* bamSector, const D64Geometry& geometry);
  const uint8_t* Sector() const { return sector; }
  Extension TrackExtension() const { return extension; }

  // Tracks the BAM has an entry for; blocks elsewhere are never allocated.
  bool Covers(uint8_t track) const;
  bool IsFree(uint8_t track, uint8_t sector) const;
  void Allocate(uint8_t track, uint8_t sector) { Mark(track, sector, false); }
  void Release(uint8_t track, uint8_t sector) { Mark(track, sector, true); }
  // Every block of every covered track free: where a rebuild starts.
  void ReleaseAll();
  // The sum of the free counts, the directory track left out as a 1541 does.
  uint16_t BlocksFree() const;
  // The first track whose free count disagrees with its bitmap; 0 if none.
  uint8_t DisagreeingTrack() const;

  // A free block for a file, never on the directory track. With first set,
  // the one nearest the directory; otherwise the next after track/sector as
  // a 1541 lays a file out. False when the disk is full.
  bool NextFileBlock(bool first, uint8_t& track, uint8_t& sector) const;
  // A free directory block after sector on the directory track.
  bool NextDirectoryBlock(uint8_t& sector) const;

 private:
  uint8_t* Entry(uint8_t track);
  const uint8_t* Entry(uint8_t track) const;
  void Mark(uint8_t track, uint8_t sector, bool free);
  bool FreeOnTrack(uint8_t track, uint8_t start, uint8_t interleave, uint8_t& sector) const;
  bool ExtensionLooksFormatted(uint32_t offset) const;

  uint8_t sector[kD64BlockBytes] = {};
  D64Geometry geometry;
  Extension extension = Extension::None;
};

}  // namespace filesystem
}  // namespace korvan
