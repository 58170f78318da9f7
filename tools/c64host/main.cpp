// c64host: runs the emulator on the host, headless.
#include "tools/c64host/c64_runner.h"
#include "tools/c64host/flat_runner.h"
#include "tools/c64host/options.h"

int main(int argc, char** argv) {
  Options options;
  if (!parse_options(argc, argv, &options)) return 2;
  return options.flat ? run_flat(options.flat_options) : run_c64(options.c64_options);
}
