// The root directory rendered as a tokenised C64 BASIC program, as LOAD "$" shows it.
#include "filesystem/fat.h"
#include "filesystem/fat_walk.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

namespace {

constexpr uint16_t kBasicStart = 0x0801;
constexpr uint16_t kHeaderBytes = 30;
constexpr uint16_t kFooterBytes = 20;
constexpr uint16_t kLabelOffset = 6;
constexpr uint32_t kLineBytesMost = 30;
constexpr uint32_t kBlockBytes = 254;
constexpr uint8_t kReverseOn = 0x12;
constexpr uint8_t kQuote = 0x22;

const uint8_t kHeader[kHeaderBytes] = {
    0x1F, 0x08, 0x00, 0x00, kReverseOn, kQuote, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
    ' ',  ' ',  ' ',  ' ',  ' ',        ' ',    ' ', kQuote, ' ', '0', '0', ' ', '2', 'A', 0x00};
const char kFooterText[] = "BLOCKS FREE.";

uint8_t StoredNameByte(const uint8_t* entry, uint32_t i) {
  return i == 0 && entry[0] == kLeadingE5 ? kSlotDeleted : entry[i];
}

// One directory line, link left at zero; returns its length.
uint32_t BuildLine(const uint8_t* entry, uint8_t* line) {
  uint32_t blocks = Load32(entry + kEntrySize) / kBlockBytes + 1;
  if (blocks > 0xFFFF) blocks = 0xFFFF;
  uint32_t n = 0;
  line[n++] = 0;
  line[n++] = 0;
  line[n++] = static_cast<uint8_t>(blocks);
  line[n++] = static_cast<uint8_t>(blocks >> 8);
  uint32_t blanks = 3 - (blocks > 10 ? 1 : 0) - (blocks > 100 ? 1 : 0);
  for (uint32_t i = 0; i < blanks; i++) line[n++] = ' ';
  line[n++] = kQuote;
  for (uint32_t i = 0; i < kNameBytes; i++) line[n++] = StoredNameByte(entry, i);
  line[n++] = kQuote;
  for (uint32_t i = 0; i < 9; i++) line[n++] = ' ';
  bool directory = (entry[kEntryAttributes] & kAttributeDirectory) != 0;
  for (uint32_t i = 0; i < kExtensionBytes; i++)
    line[n++] = directory ? static_cast<uint8_t>("DIR"[i]) : entry[kEntryExtension + i];
  line[n++] = 0;
  return n;
}

}  // namespace

uint16_t Fat32::GetCBMDir(uint8_t* out, uint16_t capacity) {
  if (out == nullptr || capacity < kHeaderBytes + kFooterBytes) return 0;
  memcpy(out, kHeader, kHeaderBytes);
  uint32_t index = kHeaderBytes;
  if (mounted) {
    WalkDirectory(0, [&](uint8_t* entry) {
      if (!IsLiveEntry(entry)) return WalkAction::Continue;
      if (entry[kEntryAttributes] & kAttributeVolumeLabel) {
        for (uint32_t i = 0; i < kNameBytes + kExtensionBytes; i++) out[kLabelOffset + i] = StoredNameByte(entry, i);
        return WalkAction::Continue;
      }
      uint8_t line[kLineBytesMost];
      uint32_t length = BuildLine(entry, line);
      // A listing that does not fit is cut after the last whole line.
      if (index + length + kFooterBytes > capacity) return WalkAction::Stop;
      Store16(line, static_cast<uint16_t>(kBasicStart + index + length));
      memcpy(out + index, line, length);
      index += length;
      return WalkAction::Continue;
    });
  }
  uint32_t footerLine = 4 + sizeof(kFooterText);
  Store16(out + index, static_cast<uint16_t>(kBasicStart + index + footerLine));
  Store16(out + index + 2, 0);
  memcpy(out + index + 4, kFooterText, sizeof(kFooterText));
  index += footerLine;
  for (int i = 0; i < 3; i++) out[index++] = 0;
  return static_cast<uint16_t>(index);
}

}  // namespace filesystem
}  // namespace korvan
