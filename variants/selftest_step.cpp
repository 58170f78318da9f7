// The self-test image's step callback: the instructions, then, once the
// machine has run long enough to reach READY., the test line typed straight
// into the KERNAL keyboard buffer, once per boot.
#include "emulator/memory.h"
#include "face/fake6502_bridge.h"

namespace {

constexpr uint32_t kInstructionsBeforeTyping = 4000000;
constexpr uint16_t kKeyBuffer = 0x0277;  // KEYD
constexpr uint16_t kKeyCount = 0x00C6;   // NDX
constexpr uint8_t kKeyBufferLast = 9;    // the buffer holds ten characters
const char kTestLine[] = "PRINT 3+4\r";

// Both survive the rebuilding of the machine: the test fires once per boot.
int32_t st_done = 0;
uint32_t st_wait = 0;

void type_test_line(Memory* memory) {
  for (const char* p = kTestLine; *p != 0; p++) {
    uint8_t count = memory->read_byte(kKeyCount);
    if (count > kKeyBufferLast) continue;  // full: the rest of the line is dropped
    memory->write_byte(static_cast<uint16_t>(kKeyBuffer + count), static_cast<uint8_t>(*p));
    memory->write_byte(kKeyCount, static_cast<uint8_t>(count + 1));
  }
}

}  // namespace

uint32_t c64_step(void* user, uint32_t count) {
  C64Self* self = static_cast<C64Self*>(user);
  c64_run_instructions(self, count);
  if (st_done) return 0;
  st_wait += count;
  if (st_wait <= kInstructionsBeforeTyping) return 0;
  if (self->memory != nullptr) type_test_line(self->memory);
  st_done = 1;
  return 0;
}
