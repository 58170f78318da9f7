#include "tools/prg2bas/basic_lister.h"

#include <stdio.h>

#include "tools/bas2prg/basic_keywords.h"

namespace {

constexpr size_t kHeaderSize = 2;
constexpr size_t kLinkSize = 2;
constexpr size_t kNumberSize = 2;

// The text of one byte that stands for itself: capitals, digits and
// punctuation as they are, anything else as {xx}.
std::string character_text(uint8_t byte) {
  if (byte >= 0x20 && byte <= 0x5F) return std::string(1, static_cast<char>(byte));
  char code[8];
  snprintf(code, sizeof code, "{%02X}", byte);
  return code;
}

// A line's body as the C64's LIST shows it: tokens as keywords, except
// inside quotes, after REM and in DATA, where every byte is itself.
std::string body_text(const uint8_t* body, size_t size) {
  std::string out;
  bool in_quotes = false, in_rem = false, in_data = false;
  for (size_t i = 0; i < size; i++) {
    uint8_t byte = body[i];
    if (byte == '"') in_quotes = !in_quotes;
    else if (byte == ':' && in_data && !in_quotes) in_data = false;
    const char* keyword = (in_quotes || in_rem || in_data) ? nullptr : keyword_of(byte);
    if (keyword == nullptr) {
      out += character_text(byte);
      continue;
    }
    out += keyword;
    in_rem = byte == kTokenRem;
    in_data = byte == kTokenData;
  }
  return out;
}

uint16_t word_at(const std::vector<uint8_t>& prg, size_t at) {
  return static_cast<uint16_t>(prg[at] | prg[at + 1] << 8);
}

}  // namespace

bool list_program(const std::vector<uint8_t>& prg, std::string* text, std::string* error) {
  if (prg.size() < kHeaderSize) {
    *error = "no load address: the file is shorter than 2 bytes";
    return false;
  }
  uint16_t load = word_at(prg, 0);
  text->clear();
  size_t at = kHeaderSize;
  for (int line = 1;; line++) {
    // A program that simply stops after a line's 0 has lost only its end
    // marker; LIST on the C64 shows it whole.
    if (at == prg.size()) return true;
    if (at + kLinkSize > prg.size()) {
      *error = "line " + std::to_string(line) + ": its link runs past the end of the file";
      return false;
    }
    uint16_t link = word_at(prg, at);
    if (link == 0) return true;
    if (link < load || static_cast<size_t>(link - load) + kHeaderSize > prg.size()) {
      char where[64];
      snprintf(where, sizeof where, "line %d: its link $%04X points past the end", line, link);
      *error = where;
      return false;
    }
    size_t body = at + kLinkSize + kNumberSize;
    size_t end = body;
    while (end < prg.size() && prg[end] != 0) end++;
    if (body > prg.size() || end == prg.size()) {
      *error = "line " + std::to_string(line) + ": no 0 ends it before the end of the file";
      return false;
    }
    *text += std::to_string(word_at(prg, at + kLinkSize)) + " " +
             body_text(prg.data() + body, end - body) + "\n";
    at = end + 1;
  }
}
