// prg2bas: a BASIC program's PRG file back to the text bas2prg reads.
#include <stdio.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/prg2bas/basic_lister.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    fprintf(stderr, "usage: prg2bas PROGRAM.prg [PROGRAM.bas]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    fprintf(stderr, "prg2bas: cannot read %s\n", argv[1]);
    return 1;
  }
  std::vector<uint8_t> prg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string text, error;
  if (!list_program(prg, &text, &error)) {
    fprintf(stderr, "prg2bas: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  if (argc == 2) {
    std::cout << text;
    return std::cout.flush() ? 0 : 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out << text;
  if (!out.flush()) {
    fprintf(stderr, "prg2bas: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
