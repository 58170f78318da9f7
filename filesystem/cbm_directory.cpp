// A disk's directory rendered as a tokenised C64 BASIC program, as LOAD "$"
// shows it: the header line, a line per file, the free blocks.
#include "filesystem/cbm_disk.h"
#include "filesystem/fat.h"
#include "filesystem/fat_disk.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

namespace {

constexpr uint16_t kBasicStart = 0x0801;
constexpr uint32_t kHeaderBytes = 30;
constexpr uint32_t kNameOffset = 6;
constexpr uint32_t kIdOffset = 24;
constexpr uint32_t kLineBytesMost = 4 + 3 + 2 + kCbmNameBytes + 1 + 3 + 1 + 1;
constexpr uint8_t kReverseOn = 0x12;
constexpr uint8_t kQuote = 0x22;
constexpr uint8_t kBlank = ' ';
const char kLeftOutText[] = "FILES LEFT OUT.";
const char kFooterText[] = "BLOCKS FREE.";
// A line with a number and a text: link, number, text, its 0.
constexpr uint32_t kLeftOutBytes = 4 + sizeof(kLeftOutText);
constexpr uint32_t kFooterBytes = 4 + sizeof(kFooterText);
constexpr uint32_t kProgramEndBytes = 3;

const char* const kTypeNames[] = {"DEL", "SEQ", "PRG", "USR", "REL", "DIR", "D64"};

// One directory line, link left at zero; returns its length. The names line
// up whatever the block count, as on a 1541: three blanks before a count
// below 10, two below 100, one below 1,000.
uint32_t BuildLine(const CbmEntry& entry, uint8_t* line) {
  uint32_t n = 0;
  line[n++] = 0;
  line[n++] = 0;
  Store16(line + n, static_cast<uint16_t>(entry.blocks));
  n += 2;
  uint32_t blanks = entry.blocks >= 1000 ? 0 : entry.blocks >= 100 ? 1 : entry.blocks >= 10 ? 2 : 3;
  for (uint32_t i = 0; i < blanks; i++) line[n++] = kBlank;
  line[n++] = kQuote;
  for (uint32_t i = 0; i < entry.name.length; i++) line[n++] = entry.name.bytes[i];
  line[n++] = kQuote;
  for (uint32_t i = entry.name.length; i < kCbmNameBytes; i++) line[n++] = kBlank;
  line[n++] = entry.closed ? kBlank : '*';
  const char* type = CbmTypeName(entry.type);
  for (uint32_t i = 0; i < 3; i++) line[n++] = static_cast<uint8_t>(type[i]);
  if (entry.locked) line[n++] = '<';
  line[n++] = 0;
  return n;
}

// A line of a number and a fixed text at out + index; returns the new index.
uint32_t PutNumberedText(uint8_t* out, uint32_t index, uint32_t number, const char* text, uint32_t textBytes) {
  Store16(out + index, static_cast<uint16_t>(kBasicStart + index + 4 + textBytes));
  Store16(out + index + 2, static_cast<uint16_t>(number > kCbmMostBlocks ? kCbmMostBlocks : number));
  memcpy(out + index + 4, reinterpret_cast<const uint8_t*>(text), textBytes);
  return index + 4 + textBytes;
}

class ListingWriter : public CbmDisk::Visitor {
 public:
  ListingWriter(uint8_t* out, uint32_t capacity) : out_(out), capacity_(capacity), index_(kHeaderBytes) {}

  bool Visit(const CbmEntry& entry) override {
    if (leftOut_ > 0) {
      leftOut_++;
      return true;
    }
    uint8_t line[kLineBytesMost];
    uint32_t length = BuildLine(entry, line);
    // Room stays for the line that counts what is left out, and the footer.
    if (index_ + length + kLeftOutBytes + kFooterBytes + kProgramEndBytes > capacity_) {
      leftOut_ = 1;
      return true;
    }
    Store16(line, static_cast<uint16_t>(kBasicStart + index_ + length));
    memcpy(out_ + index_, line, length);
    index_ += length;
    return true;
  }

  uint32_t Finish(uint32_t freeBlocks) {
    if (leftOut_ > 0) index_ = PutNumberedText(out_, index_, leftOut_, kLeftOutText, sizeof(kLeftOutText));
    index_ = PutNumberedText(out_, index_, freeBlocks, kFooterText, sizeof(kFooterText));
    for (uint32_t i = 0; i < kProgramEndBytes; i++) out_[index_++] = 0;
    return index_;
  }

 private:
  uint8_t* out_;
  uint32_t capacity_;
  uint32_t index_;
  uint32_t leftOut_ = 0;
};

}  // namespace

const char* CbmTypeName(CbmFileType type) {
  uint32_t index = static_cast<uint32_t>(type);
  return index < sizeof(kTypeNames) / sizeof(kTypeNames[0]) ? kTypeNames[index] : "???";
}

uint32_t CbmBlocks(uint32_t bytes) {
  uint32_t blocks = bytes / kCbmBlockBytes + (bytes % kCbmBlockBytes != 0 ? 1 : 0);
  if (blocks == 0) return 1;
  return blocks > kCbmMostBlocks ? kCbmMostBlocks : blocks;
}

uint32_t RenderCbmListing(CbmDisk& disk, uint8_t* out, uint32_t capacity) {
  if (out == nullptr || capacity < kHeaderBytes + kLeftOutBytes + kFooterBytes + kProgramEndBytes) return 0;
  uint8_t name[kCbmNameBytes];
  uint8_t id[5];
  disk.Title(name, id);
  out[0] = static_cast<uint8_t>(kBasicStart + kHeaderBytes);
  out[1] = static_cast<uint8_t>((kBasicStart + kHeaderBytes) >> 8);
  out[2] = 0;
  out[3] = 0;
  out[4] = kReverseOn;
  out[5] = kQuote;
  memcpy(out + kNameOffset, name, kCbmNameBytes);
  out[kNameOffset + kCbmNameBytes] = kQuote;
  out[kIdOffset - 1] = kBlank;
  memcpy(out + kIdOffset, id, static_cast<uint32_t>(sizeof(id)));
  out[kHeaderBytes - 1] = 0;
  ListingWriter writer(out, capacity);
  disk.List(writer);
  return writer.Finish(disk.FreeBlocks());
}

DriveStatus CbmDisk::Listing(uint8_t* out, uint32_t capacity, uint32_t& length) {
  length = 0;
  if (capacity < 2) return kDriveNoChannel;
  uint32_t lines = RenderCbmListing(*this, out + 2, capacity - 2);
  if (lines == 0) return kDriveNoChannel;
  out[0] = static_cast<uint8_t>(kBasicStart);
  out[1] = static_cast<uint8_t>(kBasicStart >> 8);
  length = lines + 2;
  return kDriveOk;
}

uint16_t Fat32::GetCBMDir(uint8_t* out, uint16_t capacity) {
  FatDisk disk(*this);
  return static_cast<uint16_t>(RenderCbmListing(disk, out, capacity));
}

}  // namespace filesystem
}  // namespace korvan
