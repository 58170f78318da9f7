// bas2prg: a BASIC program as text to a PRG file the C64 loads and lists.
#include <stdio.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/bas2prg/basic_tokenizer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: bas2prg PROGRAM.bas PROGRAM.prg\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    fprintf(stderr, "bas2prg: cannot read %s\n", argv[1]);
    return 1;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<uint8_t> prg;
  std::string error;
  if (!build_program(text, &prg, &error)) {
    fprintf(stderr, "bas2prg: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(prg.data()), static_cast<std::streamsize>(prg.size()));
  if (!out.flush()) {
    fprintf(stderr, "bas2prg: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
