// Walks a chain of linked blocks (a file, or a REL file's side sectors) one
// block at a time, each block at most once, every link checked.
#pragma once
#include <stdint.h>
#include "filesystem/d64_image.h"

namespace korvan {
namespace filesystem {

class D64ChainReader {
 public:
  // The chain begins at track/sector; nothing is read yet.
  void Start(D64Image& image, uint8_t track, uint8_t sector);
  // Reads the next block: kDriveOk, kDiskEndOfFile after the last one, or the
  // status of a link that leaves the disk (66), comes back (71) or cannot be read.
  DriveStatus Next();

  const uint8_t* Block() const { return block; }
  uint8_t Track() const { return track; }
  uint8_t Sector() const { return sector; }
  bool Last() const { return block[kD64LinkTrack] == 0; }
  // The data bytes of the block just read: 254, or fewer in the last one.
  uint16_t DataLength() const;

 private:
  D64Image* image = nullptr;
  uint8_t track = 0;
  uint8_t sector = 0;
  uint8_t nextTrack = 0;
  uint8_t nextSector = 0;
  D64BlockSet seen;
  uint8_t block[kD64BlockBytes] = {};
};

}  // namespace filesystem
}  // namespace korvan
