// The kernel image's outer loop. The machine is not part of the image yet:
// once the boot log is complete the processor idles, with interrupts on, so
// keys, ticks and serial bytes are still taken.
#include "boot/outer_loop.h"

#include "core/x86.h"

namespace korvan {

void run_outer_loop(const KernelServices&) {
  for (;;) x86::halt();
}

}  // namespace korvan
