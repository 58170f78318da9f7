// The shape of a D64 image: how many tracks, sectors per track, where each block and error byte lies.
#pragma once
#include <stdint.h>

namespace korvan {
namespace filesystem {

class D64Geometry {
 public:
  static constexpr uint16_t kMaxBlocks = 768;

  // The geometry an image of that many bytes has: 35 or 40 tracks, with or
  // without the error-byte block. False for any other size.
  static bool FromImageSize(uint32_t bytes, D64Geometry& geometry);

  // Sectors a 1541 formats on the track; 0 for a track outside 1 to 40.
  static uint8_t SectorsOnTrack(uint8_t track);

  uint8_t Tracks() const { return tracks; }
  bool HasErrorBytes() const { return errorBytes; }
  uint16_t Blocks() const { return blocks; }
  bool IsBlock(uint8_t track, uint8_t sector) const {
    return track >= 1 && track <= tracks && sector < SectorsOnTrack(track);
  }
  // Position of the block among all blocks; track and sector must satisfy IsBlock.
  uint16_t BlockIndex(uint8_t track, uint8_t sector) const;
  uint32_t BlockOffset(uint8_t track, uint8_t sector) const;
  uint32_t ErrorByteOffset(uint8_t track, uint8_t sector) const;

 private:
  uint8_t tracks = 0;
  bool errorBytes = false;
  uint16_t blocks = 0;
};

// One bit per block of an image: which blocks a walk has been through.
class D64BlockSet {
 public:
  void Clear() {
    for (uint32_t i = 0; i < kWords; i++) bits[i] = 0;
  }
  bool Contains(uint16_t index) const { return (bits[index / 32] >> (index % 32)) & 1; }
  void Add(uint16_t index) { bits[index / 32] |= 1u << (index % 32); }

 private:
  static constexpr uint32_t kWords = D64Geometry::kMaxBlocks / 32;
  uint32_t bits[kWords] = {};
};

}  // namespace filesystem
}  // namespace korvan
