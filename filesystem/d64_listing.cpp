// D64 listing: the lines a 1541 builds, each 32 bytes with a dummy link.
#include "filesystem/d64_listing.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

namespace {

constexpr uint8_t kDummyLink = 0x01;
constexpr uint8_t kQuote = 0x22;
constexpr uint8_t kSpace = 0x20;
constexpr uint8_t kUnclosedMark = '*';
constexpr uint8_t kLockedMark = '<';
constexpr uint32_t kHeaderIdBytes = 5;  // ID, shifted space, DOS type
constexpr uint32_t kFileTextBytes = 27;
const char kTypeNames[][4] = {"DEL", "SEQ", "PRG", "USR", "REL", "???", "???", "???"};
const char kBlocksFree[] = "BLOCKS FREE.             ";
constexpr uint32_t kFooterBytes = 5 + sizeof(kBlocksFree) - 1;
const char kLeftOut[] = "FILES LEFT OUT.";
constexpr uint32_t kLeftOutBytes = 5 + sizeof(kLeftOut) - 1;

// Appends within capacity; a line that does not fit is dropped whole.
class ProgramWriter {
 public:
  ProgramWriter(uint8_t* out, uint32_t capacity) : out(out), capacity(capacity) {}
  // reserve keeps room for the lines that must follow.
  bool Line(uint16_t number, const uint8_t* text, uint32_t length, uint32_t reserve) {
    // Link, number, text, the line's zero, and room for the program's end.
    if (length + 7 + reserve > capacity - used) return false;
    out[used++] = kDummyLink;
    out[used++] = kDummyLink;
    out[used++] = static_cast<uint8_t>(number);
    out[used++] = static_cast<uint8_t>(number >> 8);
    memcpy(out + used, text, length);
    used += length;
    out[used++] = 0;
    return true;
  }
  uint32_t End() {
    if (capacity - used >= 2) {
      out[used++] = 0;
      out[used++] = 0;
    }
    return used;
  }

 private:
  uint8_t* out;
  uint32_t capacity;
  uint32_t used = 0;
};

uint8_t Printable(uint8_t byte) { return byte == kShiftedSpace ? kSpace : byte; }

uint32_t HeaderText(const uint8_t* bam, uint8_t* text) {
  uint32_t length = 0;
  text[length++] = D64Listing::kReverseOn;
  text[length++] = kQuote;
  for (uint32_t i = 0; i < kD64NameBytes; i++) text[length++] = Printable(bam[kBamDiskName + i]);
  text[length++] = kQuote;
  text[length++] = kSpace;
  for (uint32_t i = 0; i < kHeaderIdBytes; i++) text[length++] = Printable(bam[kBamDiskId + i]);
  return length;
}

// The name's first shifted space closes the quote; what follows it shows
// after the quote, which is how disks put text beside a name.
uint32_t FileText(const uint8_t* entry, uint16_t blocks, uint8_t* text) {
  uint32_t length = 0;
  uint32_t lead = blocks < 10 ? 3 : blocks < 100 ? 2 : blocks < 1000 ? 1 : 0;
  for (uint32_t i = 0; i < lead; i++) text[length++] = kSpace;
  text[length++] = kQuote;
  bool quoted = true;
  for (uint32_t i = 0; i < kD64NameBytes; i++) {
    uint8_t byte = entry[kDirName + i];
    if (byte == kShiftedSpace && quoted) {
      text[length++] = kQuote;
      quoted = false;
    } else {
      text[length++] = Printable(byte);
    }
  }
  text[length++] = quoted ? kQuote : kSpace;
  uint8_t type = entry[kDirType];
  text[length++] = (type & kTypeClosed) != 0 ? kSpace : kUnclosedMark;
  memcpy(text + length, kTypeNames[type & kTypeMask], 3);
  length += 3;
  text[length++] = (type & kTypeLocked) != 0 ? kLockedMark : kSpace;
  while (length < kFileTextBytes) text[length++] = kSpace;
  return length;
}

}  // namespace

uint32_t D64Listing::Render(D64Image& image, const D64Name* pattern, uint8_t* out, uint32_t capacity,
                            DriveStatus& status) {
  ProgramWriter program(out, capacity);
  uint8_t text[kLineBytes];
  program.Line(0, text, HeaderText(image.Bam().Sector(), text), kFooterBytes);
  uint16_t left_out = 0;
  status = image.WalkDirectory([&](uint8_t* entry, const D64EntryPlace&) {
    if (entry[kDirType] == 0) return D64Image::Visit::Continue;
    if (pattern != nullptr && !pattern->Matches(D64Name::OfEntry(entry))) return D64Image::Visit::Continue;
    uint16_t blocks = static_cast<uint16_t>(entry[kDirBlocks] | (entry[kDirBlocks + 1] << 8));
    // Once one line is left out, the rest are too: the listing keeps the directory's order.
    if (left_out > 0 || !program.Line(blocks, text, FileText(entry, blocks, text), kLeftOutBytes + kFooterBytes))
      left_out++;
    return D64Image::Visit::Continue;
  });
  if (status == kDriveFileNotFound) status = kDriveOk;
  if (left_out > 0)
    program.Line(left_out, reinterpret_cast<const uint8_t*>(kLeftOut), sizeof(kLeftOut) - 1, kFooterBytes);
  program.Line(image.Bam().BlocksFree(), reinterpret_cast<const uint8_t*>(kBlocksFree), sizeof(kBlocksFree) - 1, 0);
  return program.End();
}

}  // namespace filesystem
}  // namespace korvan
