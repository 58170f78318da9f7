// c64host's command line.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

struct FlatOptions {
  std::string file;
  uint16_t load = 0;
  uint16_t start = 0;
  uint64_t max_instructions = 100000000;
};

struct C64Options {
  uint32_t passes = 300;
  std::vector<std::string> typed;  // escapes already resolved
  bool has_until = false;
  std::string until;
  bool screen = false;
  std::string roms_dir;  // empty: the images linked in
  std::string load_prg;  // put into memory as a direct-mode LOAD would, before typing
  std::string save_prg;  // the BASIC program area written out at the end
  bool cycles = false;   // print the processor's cycle count at the end
  std::string disk;      // a disk image whose FAT32 volume LOAD and SAVE use
};

struct Options {
  bool flat = false;
  FlatOptions flat_options;
  C64Options c64_options;
};

// Parses argv; on a bad command line prints why to stderr and returns false.
bool parse_options(int argc, char** argv, Options* options);
// "\r" and "\n" (as typed, or real line breaks) become RETURN, "\\" a backslash.
std::string resolve_escapes(const std::string& text);
