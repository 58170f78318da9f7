// The C64 face's step callback of the kernel image: instructions only.
#include "face/fake6502_bridge.h"

uint32_t c64_step(void* user, uint32_t count) {
  c64_run_instructions(static_cast<C64Self*>(user), count);
  return 0;
}
