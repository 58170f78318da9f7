// The bootable images' outer loop: a fresh machine on the kernel's services,
// run until it asks to be rebuilt, for ever.
#include "boot/outer_loop.h"

#include "boot/framebuffer.h"
#include "boot/progress_marks.h"
#include "core/x86.h"
#include "emulator/c64.h"
#include "emulator/io.h"
#include "emulator/monitor.h"
#include "emulator/pacer.h"
#include "emulator/sid.h"
#include "lib/placement.h"

namespace korvan {

namespace {
// Every machine is built in the same place; only its parts come from the heap.
alignas(C64) uint8_t g_machine_storage[sizeof(C64)];

// The one thing the two images built from this file differ in.
#if defined(QUILLON_IMAGE_SELFTEST)
constexpr const PassShape& kImagePass = kSelfTestPass;
#else
constexpr const PassShape& kImagePass = kKernelImagePass;
#endif
}  // namespace

void run_outer_loop(const KernelServices& services) {
  // A PC's C64 keeps a C64's time; the warp key lets it run free.
  g_warp = false;
  for (;;) {
    C64* machine = new (g_machine_storage) C64(kImagePass);
    c64ptr = machine;
    if (services.sound != nullptr) machine->sid->output(services.sound);
    else machine->sid->speaker(services.speaker);
    machine->io->init_display(reinterpret_cast<uint32_t*>(x86::physical(g_fb_addr)), g_fb_width, g_fb_height,
                              g_fb_pitch, g_fb_bpp);
    draw_progress_mark(ProgressMark::Display);
    machine->io->fat32(services.volume);
    machine->io->serial(services.serial);
    machine->io->rtc(services.rtc);
    machine->monitor->fat32(services.volume);
    draw_progress_mark(ProgressMark::MachineReady);
    machine->start();
    // The keyboard interrupt must not reach a machine being taken apart.
    x86::disable_interrupts();
    c64ptr = nullptr;
    x86::enable_interrupts();
    machine->~C64();
  }
}

}  // namespace korvan
