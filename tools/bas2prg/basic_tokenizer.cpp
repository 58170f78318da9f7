#include "tools/bas2prg/basic_tokenizer.h"

#include <stdio.h>

#include <map>

#include "tools/bas2prg/basic_keywords.h"

namespace {

constexpr uint8_t kShift = 0x80;
constexpr uint32_t kLastLineNumber = 63999;
// The editor's input buffer holds 88 characters, so no stored line is longer.
constexpr size_t kLongestBody = 88;

// The C64 compares each typed character with the keyword's: equal goes on,
// and a difference of only the shift bit ends the match there, which both
// accepts the keyword's last letter and lets a shifted letter abbreviate.
size_t match_length(const std::vector<uint8_t>& text, size_t at, const char* keyword) {
  for (size_t i = 0; keyword[i] != '\0'; i++) {
    bool last = keyword[i + 1] == '\0';
    uint8_t expected = static_cast<uint8_t>(keyword[i]) | (last ? kShift : 0);
    uint8_t typed = at + i < text.size() ? text[at + i] : 0;
    uint8_t difference = typed ^ expected;
    if (difference == kShift || (difference == 0 && last)) return i + 1;
    if (difference != 0) return 0;
  }
  return 0;
}

std::vector<uint8_t> crunch(const std::vector<uint8_t>& text, size_t at) {
  std::vector<uint8_t> out;
  bool in_quotes = false, in_data = false, in_rem = false;
  while (at < text.size()) {
    uint8_t c = text[at];
    bool literal = in_quotes || in_rem || in_data || c == '"' || c == ' ' || c >= 0x80 ||
                   (c >= '0' && c <= ';');
    if (literal) {
      if (c == '"') in_quotes = !in_quotes;
      else if (c == ':' && in_data && !in_quotes) in_data = false;
      out.push_back(c);
      at++;
      continue;
    }
    if (c == '?') {
      out.push_back(kTokenPrint);
      at++;
      continue;
    }
    size_t length = 0;
    uint8_t token = kFirstToken;
    for (size_t k = 0; k < kKeywordCount; k++) {
      length = match_length(text, at, kKeywords[k]);
      if (length != 0) break;
      token++;
    }
    if (length == 0) {
      out.push_back(c);
      at++;
      continue;
    }
    out.push_back(token);
    at += length;
    in_data = token == kTokenData;
    in_rem = token == kTokenRem;
  }
  return out;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Text characters to the bytes the C64 keyboard would have typed.
bool to_petscii(const std::string& text, std::vector<uint8_t>* out, std::string* error) {
  for (size_t i = 0; i < text.size(); i++) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '{') {
      int high = i + 3 < text.size() ? hex_digit(text[i + 1]) : -1;
      int low = high >= 0 ? hex_digit(text[i + 2]) : -1;
      if (low < 0 || text[i + 3] != '}') {
        *error = "\"{\" must start a byte as {xx} with two hex digits";
        return false;
      }
      out->push_back(static_cast<uint8_t>(high * 16 + low));
      i += 3;
    } else if (c >= 'a' && c <= 'z') {
      out->push_back(static_cast<uint8_t>(c - 'a' + 'A'));
    } else if (c >= 0x20 && c <= 0x5F) {
      out->push_back(c);  // the C64 has the same codes here (\ is the pound sign)
    } else {
      char code[8];
      snprintf(code, sizeof code, "0x%02X", c);
      *error = std::string("character ") + code + " has no C64 counterpart; write it as {xx}";
      return false;
    }
  }
  return true;
}

}  // namespace

bool tokenize_line(const std::string& text, TokenizedLine* line, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!to_petscii(text, &bytes, error)) return false;
  size_t at = 0;
  while (at < bytes.size() && bytes[at] == ' ') at++;
  if (at == bytes.size() || bytes[at] < '0' || bytes[at] > '9') {
    *error = "a program line starts with its number";
    return false;
  }
  uint32_t number = 0;
  // Like the C64's editor, blanks between the digits do not end the number.
  while (at < bytes.size() && ((bytes[at] >= '0' && bytes[at] <= '9') || bytes[at] == ' ')) {
    if (bytes[at] != ' ') number = number * 10 + (bytes[at] - '0');
    if (number > kLastLineNumber) {
      *error = "line numbers go up to 63999";
      return false;
    }
    at++;
  }
  line->number = static_cast<uint16_t>(number);
  line->body = crunch(bytes, at);
  if (line->body.size() > kLongestBody) {
    *error = "line is longer than the C64 can store (88 bytes after tokenising)";
    return false;
  }
  return true;
}

bool build_program(const std::string& text, std::vector<uint8_t>* prg, std::string* error) {
  std::map<uint16_t, std::vector<uint8_t>> lines;
  size_t start = 0;
  for (uint32_t text_line = 1; start < text.size(); text_line++) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string source = text.substr(start, end - start);
    start = end + 1;
    if (!source.empty() && source.back() == '\r') source.pop_back();
    if (source.find_first_not_of(' ') == std::string::npos) continue;
    TokenizedLine line;
    std::string why;
    if (!tokenize_line(source, &line, &why)) {
      *error = "line " + std::to_string(text_line) + ": " + why;
      return false;
    }
    if (line.body.empty())
      lines.erase(line.number);
    else
      lines[line.number] = line.body;
  }
  prg->assign({kBasicProgramStart & 0xFF, kBasicProgramStart >> 8});
  uint32_t address = kBasicProgramStart;
  for (const auto& [number, body] : lines) {
    address += 2 + 2 + static_cast<uint32_t>(body.size()) + 1;
    if (address + 2 > 0xA000) {
      *error = "program does not fit below $A000";
      return false;
    }
    prg->insert(prg->end(), {static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8),
                             static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8)});
    prg->insert(prg->end(), body.begin(), body.end());
    prg->push_back(0);
  }
  prg->insert(prg->end(), {0, 0});
  return true;
}
