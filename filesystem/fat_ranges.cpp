// FAT32 file ranges: reading and overwriting bytes of an existing file where they lie.
#include "filesystem/fat.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

int Fat32::ReadFileRange(const char* name, uint32_t offset, uint8_t* data, uint32_t length) {
  return AccessFileRange(name, offset, length, data, nullptr);
}

int Fat32::WriteFileRange(const char* name, uint32_t offset, const uint8_t* data, uint32_t length) {
  return AccessFileRange(name, offset, length, nullptr, data);
}

// The entry is looked up on every call, so a file deleted or replaced in the
// meantime is never written through clusters it no longer owns.
int Fat32::AccessFileRange(const char* name, uint32_t offset, uint32_t length, uint8_t* into, const uint8_t* from) {
  if (!mounted) return kFatInvalid;
  Found found;
  int result = FindByName(name, Match::Files, found);
  if (result != kFatOk) return result == kFatInvalid ? kFatNotFound : result;
  if (offset > found.size || length > found.size - offset) return kFatInvalid;
  if (length == 0) return kFatOk;
  uint32_t clusters = 0;
  if (found.cluster == 0 || table.MeasureChain(found.cluster, clusters) != kFatOk ||
      found.size > static_cast<uint64_t>(clusters) * bytesPerCluster)
    return kFatDamaged;
  // The chain was measured to hold the whole size, so these links exist.
  uint32_t cluster = found.cluster;
  for (uint32_t skip = offset / bytesPerCluster; skip > 0; skip--) cluster = table.Entry(cluster);
  uint32_t position = offset % bytesPerCluster;
  uint8_t sector[kSectorBytes];
  while (length > 0) {
    uint32_t lba = ClusterSector(cluster) + position / kSectorBytes;
    uint32_t within = position % kSectorBytes;
    uint32_t take = length < kSectorBytes - within ? length : kSectorBytes - within;
    if (ReadDiskSector(lba, sector) != kFatOk) return kFatDiskError;
    if (into != nullptr) {
      memcpy(into, sector + within, take);
      into += take;
    } else {
      memcpy(sector + within, from, take);
      from += take;
      if (disk->WriteSector(lba, sector, kSectorBytes) != 0) return kFatDiskError;
    }
    length -= take;
    position += take;
    if (position == bytesPerCluster && length > 0) {
      position = 0;
      cluster = table.Entry(cluster);
    }
  }
  return kFatOk;
}

}  // namespace filesystem
}  // namespace korvan
