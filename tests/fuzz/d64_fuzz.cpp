// libFuzzer target: D64 images with any directory track and any block links,
// listed, read, written, scratched and validated the way drive 8 does.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "tests/fat/d64_image_support.h"

namespace {

using korvan::filesystem::D64Geometry;

constexpr uint8_t kFortyTracks = 0x01;
constexpr uint8_t kErrorBytes = 0x02;
constexpr uint32_t kTrack18 = 357 * 256;
constexpr uint32_t kTrack18Bytes = 19 * 256;

// Input: a shape byte, then the directory track (BAM and directory), then
// bytes laid over the image from its first block on; the rest stays zero.
std::vector<uint8_t> ImageFrom(const uint8_t* data, size_t size) {
  uint8_t shape = size > 0 ? data[0] : 0;
  uint32_t blocks = shape & kFortyTracks ? 768 : 683;
  std::vector<uint8_t> image(blocks * 256 + (shape & kErrorBytes ? blocks : 0), 0);
  data += size > 0;
  size -= size > 0;
  size_t directory = size < kTrack18Bytes ? size : kTrack18Bytes;
  size_t rest = size - directory;
  memcpy(image.data(), data + directory, rest < image.size() ? rest : image.size());
  memcpy(image.data() + kTrack18, data, directory);
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  d64_test::MemoryImageStore store(ImageFrom(data, size));
  d64_test::Round round = d64_test::ExerciseImage(store);
  // Out of the image, or a BAM our own save left disagreeing with the chains.
  if (store.strays != 0 || round.validateDisagreed) __builtin_trap();
  return 0;
}
