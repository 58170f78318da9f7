// A D64 image that is a file in the FAT volume's root directory.
#pragma once
#include <stdint.h>
#include "filesystem/d64_image.h"
#include "filesystem/fat.h"

namespace korvan {
namespace filesystem {

class D64FatStore : public D64ImageStore {
 public:
  static constexpr uint32_t kNameChars = 12;

  // name in the short form (GAMES.D64) or the 12-character form; a name
  // too long for either makes an empty store, which no image fits.
  D64FatStore(Fat32& volume, const char* name);

  uint32_t Size() override;
  bool Read(uint32_t offset, uint8_t* data, uint32_t length) override;
  bool Write(uint32_t offset, const uint8_t* data, uint32_t length) override;

 private:
  Fat32& volume;
  char name[kNameChars + 1];
};

}  // namespace filesystem
}  // namespace korvan
