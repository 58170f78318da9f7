// c64host's command line parsing.
#include "tools/c64host/options.h"

#include <stdio.h>
#include <stdlib.h>

namespace {

constexpr char kReturn = 0x0D;

const char* kUsage =
    "usage: c64host --flat FILE --load ADDR --start ADDR [--max N]\n"
    "       c64host [--passes N] [--type TEXT]... [--until TEXT] [--screen] [--roms DIR]\n"
    "               [--load-prg FILE] [--save-prg FILE] [--cycles] [--disk IMAGE]\n"
    "ADDR is decimal, 0x hexadecimal or $ hexadecimal.\n";

bool parse_number(const char* text, uint64_t limit, uint64_t* value) {
  int base = 10;
  if (text[0] == '$') {
    base = 16;
    text++;
  } else if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text += 2;
  }
  // strtoull would accept a sign or leading blanks; a count or address has none.
  bool digit = (*text >= '0' && *text <= '9') || (base == 16 && ((*text >= 'a' && *text <= 'f') ||
                                                                   (*text >= 'A' && *text <= 'F')));
  if (!digit) return false;
  char* end = nullptr;
  unsigned long long parsed = strtoull(text, &end, base);
  if (*end != '\0' || parsed > limit) return false;
  *value = parsed;
  return true;
}

bool fail(const char* what, const char* detail) {
  fprintf(stderr, "c64host: %s%s\n%s", what, detail, kUsage);
  return false;
}

}  // namespace

std::string resolve_escapes(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); i++) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      char next = text[i + 1];
      if (next == 'r' || next == 'n') {
        out += kReturn;
        i++;
        continue;
      }
      if (next == '\\') {
        out += '\\';
        i++;
        continue;
      }
    }
    out += (c == '\n' || c == '\r') ? kReturn : c;
  }
  return out;
}

bool parse_options(int argc, char** argv, Options* options) {
  bool have_load = false, have_start = false;
  for (int i = 1; i < argc; i++) {
    std::string arg = argv[i];
    bool takes_value = arg == "--flat" || arg == "--load" || arg == "--start" || arg == "--max" ||
                       arg == "--passes" || arg == "--type" || arg == "--until" || arg == "--roms" ||
                       arg == "--load-prg" || arg == "--save-prg" || arg == "--disk";
    if (arg == "--screen" || arg == "--cycles") {
      (arg == "--screen" ? options->c64_options.screen : options->c64_options.cycles) = true;
      continue;
    }
    if (!takes_value) return fail("unknown option ", argv[i]);
    if (i + 1 >= argc) return fail("missing value after ", argv[i]);
    const char* value = argv[++i];
    uint64_t number = 0;
    if (arg == "--flat") {
      options->flat = true;
      options->flat_options.file = value;
    } else if (arg == "--load" || arg == "--start") {
      if (!parse_number(value, 0xFFFF, &number)) return fail("not a 16-bit address: ", value);
      if (arg == "--load") {
        options->flat_options.load = static_cast<uint16_t>(number);
        have_load = true;
      } else {
        options->flat_options.start = static_cast<uint16_t>(number);
        have_start = true;
      }
    } else if (arg == "--max") {
      if (!parse_number(value, UINT64_MAX, &number)) return fail("not a count: ", value);
      options->flat_options.max_instructions = number;
    } else if (arg == "--passes") {
      if (!parse_number(value, UINT32_MAX, &number)) return fail("not a count: ", value);
      options->c64_options.passes = static_cast<uint32_t>(number);
    } else if (arg == "--type") {
      options->c64_options.typed.push_back(resolve_escapes(value));
    } else if (arg == "--until") {
      options->c64_options.has_until = true;
      options->c64_options.until = value;
    } else if (arg == "--load-prg") {
      options->c64_options.load_prg = value;
    } else if (arg == "--save-prg") {
      options->c64_options.save_prg = value;
    } else if (arg == "--disk") {
      options->c64_options.disk = value;
    } else {
      options->c64_options.roms_dir = value;
    }
  }
  if (options->flat && (!have_load || !have_start))
    return fail("--flat needs --load and --start", "");
  return true;
}
