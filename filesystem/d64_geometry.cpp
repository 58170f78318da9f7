// D64 geometry: the 1541's four speed zones, 35 or 40 tracks, optional error bytes.
#include "filesystem/d64_geometry.h"
#include "filesystem/d64_format.h"

namespace korvan {
namespace filesystem {

namespace {
constexpr uint16_t kBlocks35 = 683;
constexpr uint16_t kBlocks40 = 768;
}  // namespace

bool D64Geometry::FromImageSize(uint32_t bytes, D64Geometry& geometry) {
  const uint16_t counts[] = {kBlocks35, kBlocks40};
  const uint8_t tracks[] = {35, 40};
  for (int i = 0; i < 2; i++) {
    uint32_t plain = counts[i] * kD64BlockBytes;
    if (bytes != plain && bytes != plain + counts[i]) continue;
    geometry.tracks = tracks[i];
    geometry.blocks = counts[i];
    geometry.errorBytes = bytes != plain;
    return true;
  }
  return false;
}

uint8_t D64Geometry::SectorsOnTrack(uint8_t track) {
  if (track < 1 || track > 40) return 0;
  if (track <= 17) return 21;
  if (track <= 24) return 19;
  if (track <= 30) return 18;
  return 17;
}

uint16_t D64Geometry::BlockIndex(uint8_t track, uint8_t sector) const {
  uint16_t index = sector;
  for (uint8_t t = 1; t < track; t++) index += SectorsOnTrack(t);
  return index;
}

uint32_t D64Geometry::BlockOffset(uint8_t track, uint8_t sector) const {
  return static_cast<uint32_t>(BlockIndex(track, sector)) * kD64BlockBytes;
}

uint32_t D64Geometry::ErrorByteOffset(uint8_t track, uint8_t sector) const {
  return static_cast<uint32_t>(blocks) * kD64BlockBytes + BlockIndex(track, sector);
}

}  // namespace filesystem
}  // namespace korvan
