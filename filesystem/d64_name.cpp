// D64 file names and the 1541's patterns.
#include "filesystem/d64_image.h"
#include "lib/string.h"

namespace korvan {
namespace filesystem {

namespace {
constexpr uint8_t kAnyCharacter = '?';
constexpr uint8_t kAnyRest = '*';
}  // namespace

bool D64Name::From(const uint8_t* text, uint32_t length, D64Name& name) {
  if (length > kD64NameBytes) return false;
  memset(name.bytes, kShiftedSpace, kD64NameBytes);
  memcpy(name.bytes, text, length);
  name.length = static_cast<uint8_t>(length);
  return true;
}

bool D64Name::From(const char* text, D64Name& name) {
  return From(reinterpret_cast<const uint8_t*>(text), static_cast<uint32_t>(strlen(text)), name);
}

D64Name D64Name::OfEntry(const uint8_t* entry) {
  const uint8_t* stored = entry + kDirName;
  uint32_t length = 0;
  while (length < kD64NameBytes && stored[length] != kShiftedSpace) length++;
  D64Name name;
  From(stored, length, name);
  return name;
}

bool D64Name::HasWildcards() const {
  for (uint8_t i = 0; i < length; i++)
    if (bytes[i] == kAnyCharacter || bytes[i] == kAnyRest) return true;
  return false;
}

bool D64Name::Equals(const D64Name& other) const {
  if (length != other.length) return false;
  for (uint8_t i = 0; i < length; i++)
    if (bytes[i] != other.bytes[i]) return false;
  return true;
}

bool D64Name::Matches(const D64Name& name) const {
  for (uint8_t i = 0; i < kD64NameBytes; i++) {
    if (i == length) return i == name.length;
    if (bytes[i] == kAnyRest) return true;
    if (i == name.length) return false;
    if (bytes[i] != kAnyCharacter && bytes[i] != name.bytes[i]) return false;
  }
  return name.length == kD64NameBytes;
}

}  // namespace filesystem
}  // namespace korvan
