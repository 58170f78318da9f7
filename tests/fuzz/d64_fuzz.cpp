// libFuzzer target: D64 images with any directory track and any block links,
// listed, read, written, scratched and validated the way drive 8 does, by
// the image code and through drive 8's own channels.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "emulator/drive.h"
#include "filesystem/d64_disk.h"
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

void Command(Drive& drive, const char* text) {
  drive.open(Drive::kCommandChannel, reinterpret_cast<const uint8_t*>(text), static_cast<uint8_t>(strlen(text)));
}

// Opens name on sa and reads until the channel ends, as LOAD and GET# do.
void Drain(Drive& drive, uint8_t sa, const char* name) {
  drive.open(sa, reinterpret_cast<const uint8_t*>(name), static_cast<uint8_t>(strlen(name)));
  uint8_t byte = 0;
  bool last = false;
  for (uint32_t i = 0; i < 0x20000 && drive.read(sa, byte, last) == korvan::filesystem::kDriveOk; i++) {
  }
  drive.close(sa);
}

// The image as drive 8's disk: after a V0 that succeeded, a save, a
// scratch and a rename through the channels leave nothing to rebuild.
bool ServedImageStaysValid(d64_test::MemoryImageStore& store) {
  using namespace korvan::filesystem;
  D64Disk disk(store);
  if (disk.Mount() != kDriveOk) return true;
  Drive drive;
  drive.disk(&disk);
  Drain(drive, Drive::kLoadChannel, "$");
  Drain(drive, Drive::kLoadChannel, "*");
  Drain(drive, 2, "?*");
  Command(drive, "V0");
  bool rebuilt = drive.status() == kDriveOk;
  drive.open(2, reinterpret_cast<const uint8_t*>("LOG,S,W"), 7);
  for (uint32_t i = 0; i < 600 && drive.write(2, static_cast<uint8_t>(i)) == kDriveOk; i++) {
  }
  drive.close(2);
  Command(drive, "S0:F*");
  Command(drive, "R0:NEW=LOG");
  drive.disk(nullptr);
  if (!rebuilt) return true;
  D64Image image(store);
  bool changed = false;
  return image.Mount() == kDriveOk && image.Validate(changed) == kDriveOk && !changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  d64_test::MemoryImageStore store(ImageFrom(data, size));
  d64_test::Round round = d64_test::ExerciseImage(store);
  // Out of the image, or a BAM our own save left disagreeing with the chains.
  if (store.strays != 0 || round.validateDisagreed) __builtin_trap();
  d64_test::MemoryImageStore served(ImageFrom(data, size));
  if (!ServedImageStaysValid(served) || served.strays != 0) __builtin_trap();
  return 0;
}
