// The flat runner: no banking, no chips, every address plain RAM.
#include "tools/c64host/flat_runner.h"

#include <stdio.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "face/fake6502_core.h"

namespace {

struct FlatBus {
  std::vector<uint8_t> ram = std::vector<uint8_t>(0x10000, 0);
  uint8_t read(uint16_t address) { return ram[address]; }
  void write(uint16_t address, uint8_t value) { ram[address] = value; }
  void push(uint16_t address, uint8_t value) { ram[address] = value; }
};

}  // namespace

int run_flat(const FlatOptions& options) {
  std::ifstream in(options.file, std::ios::binary);
  if (!in) {
    fprintf(stderr, "c64host: cannot read %s\n", options.file.c_str());
    return 2;
  }
  std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  FlatBus bus;
  if (image.size() > bus.ram.size() - options.load) {
    fprintf(stderr, "c64host: %s (%zu bytes) does not fit in memory from $%04X\n",
            options.file.c_str(), image.size(), options.load);
    return 2;
  }
  std::copy(image.begin(), image.end(), bus.ram.begin() + options.load);

  fake6502_context context = {};
  context.pc = options.start;
  context.sp = fake6502::kResetStackPointer;
  context.status = kFlagInterrupt | kFlagConstant;
  uint64_t instructions = 0;
  uint64_t cycles = 0;
  bool self_jump = false;
  while (instructions < options.max_instructions) {
    uint16_t before = context.pc;
    uint32_t cycles_before = context.cycles;
    fake6502::step(&context, bus);
    instructions++;
    cycles += static_cast<uint32_t>(context.cycles - cycles_before);  // the core's count wraps
    if (context.pc == before) {
      self_jump = true;
      break;
    }
  }
  printf("pc=$%04X\na=$%02X\nx=$%02X\ny=$%02X\nsp=$%02X\np=$%02X\n", context.pc, context.a,
         context.x, context.y, context.sp, context.status);
  printf("instructions=%llu\ncycles=%llu\n", static_cast<unsigned long long>(instructions),
         static_cast<unsigned long long>(cycles));
  return self_jump ? 0 : 1;
}
