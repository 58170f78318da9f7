// D64 images on the FAT volume: every access goes through the file's own clusters.
#include "filesystem/d64_fat_store.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

D64FatStore::D64FatStore(Fat32& volume, const char* fileName) : volume(volume) {
  name[0] = 0;
  if (fileName != nullptr && strlen(fileName) <= static_cast<int>(kNameChars)) strcpy(name, fileName);
}

uint32_t D64FatStore::Size() { return name[0] == 0 ? 0 : volume.GetFileSize(name); }

bool D64FatStore::Read(uint32_t offset, uint8_t* data, uint32_t length) {
  return name[0] != 0 && volume.ReadFileRange(name, offset, data, length) == kFatOk;
}

bool D64FatStore::Write(uint32_t offset, const uint8_t* data, uint32_t length) {
  return name[0] != 0 && volume.WriteFileRange(name, offset, data, length) == kFatOk;
}

}  // namespace filesystem
}  // namespace korvan
