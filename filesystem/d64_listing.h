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
  // Room for the header, the footer and every entry a directory chain
  // through all blocks of the largest image could hold.
  static constexpr uint32_t kMostBytes = kLineBytes * (2 + kDirEntriesPerSector * D64Geometry::kMaxBlocks);
  // The byte that turns reverse video on, at the start of the header.
  static constexpr uint8_t kReverseOn = 0x12;

  // Renders the header, one line for each file the pattern matches (all
  // files for a null pattern) and the free blocks into out, without the
  // load address. On damage the listing ends where the damage begins and
  // status tells what it was; the program is complete either way. Files
  // beyond capacity are counted on a line of their own before the free
  // blocks, as the volume's listing does. The result is the length.
  static uint32_t Render(D64Image& image, const D64Name* pattern, uint8_t* out, uint32_t capacity,
                         DriveStatus& status);

  // Calls line(number, text, length) for each line of a rendered listing,
  // as LIST would show them.
  template <typename Line>
  static void ForEachLine(const uint8_t* program, uint32_t length, Line line) {
    for (uint32_t at = 0; at + 4 <= length && (program[at] | program[at + 1]) != 0;) {
      uint16_t number = static_cast<uint16_t>(program[at + 2] | (program[at + 3] << 8));
      uint32_t end = at + 4;
      while (end < length && program[end] != 0) end++;
      line(number, program + at + 4, end - at - 4);
      at = end + 1;
    }
  }
};

}  // namespace filesystem
}  // namespace korvan
