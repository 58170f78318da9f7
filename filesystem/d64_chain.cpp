// D64 chain walk: bounded by the blocks of the disk, since none is visited twice.
#include "filesystem/d64_chain.h"

namespace korvan {
namespace filesystem {

void D64ChainReader::Start(D64Image& owner, uint8_t firstTrack, uint8_t firstSector) {
  image = &owner;
  nextTrack = firstTrack;
  nextSector = firstSector;
  seen.Clear();
}

DriveStatus D64ChainReader::Next() {
  if (image == nullptr || nextTrack == 0) return kDiskEndOfFile;
  const D64Geometry& geometry = image->Geometry();
  if (!geometry.IsBlock(nextTrack, nextSector)) return image->Fail(kDriveIllegalTrackSector, nextTrack, nextSector);
  uint16_t index = geometry.BlockIndex(nextTrack, nextSector);
  if (seen.Contains(index)) return image->Fail(kDriveDirError, nextTrack, nextSector);
  seen.Add(index);
  DriveStatus status = image->ReadBlock(nextTrack, nextSector, block);
  if (status != kDriveOk) return status;
  track = nextTrack;
  sector = nextSector;
  nextTrack = block[kD64LinkTrack];
  nextSector = block[kD64LinkSector];
  return kDriveOk;
}

uint16_t D64ChainReader::DataLength() const {
  if (!Last()) return kD64DataPerBlock;
  // The last block names its last used byte; 1 (or less) leaves it empty.
  return block[kD64LinkSector] <= kD64LinkSector ? 0 : block[kD64LinkSector] - kD64LinkSector;
}

}  // namespace filesystem
}  // namespace korvan
