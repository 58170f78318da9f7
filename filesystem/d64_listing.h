// The directory of a D64 image as the BASIC program a 1541 sends for LOAD"$".
#pragma once
#include <stdint.h>
#include "filesystem/d64_image.h"

namespace korvan {
namespace filesystem {

class D64Listing {
 public:
  // Where a 1541 says its listing belongs; BASIC relinks the lines anyway.
  static constexpr uint16_t kLoadAddress = 0x0401;
  // Every line of the listing takes this many bytes.
  static constexpr uint32_t kLineBytes = 32;

  // Renders the header, one line for each file the pattern matches (all
  // files for a null pattern) and the free blocks into out, without the
  // load address. On damage the listing ends where the damage begins and
  // status tells what it was; the program is complete either way. Files
  // beyond capacity are left out. The result is the length.
  static uint32_t Render(D64Image& image, const D64Name* pattern, uint8_t* out, uint32_t capacity,
                         DriveStatus& status);
};

}  // namespace filesystem
}  // namespace korvan
