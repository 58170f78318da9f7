// The outer loop of the probe image, a test build of the kernel that shows on
// the serial port what the interrupt paths deliver: every byte the keyboard
// interrupt puts in the scancode ring, and the millisecond counter once a
// second of timestamp-counter time. Key Z (scancode 0x2C) divides by zero so
// that the fatal-exception path can be watched.
#include "boot/outer_loop.h"
#include "core/x86.h"
#include "emulator/io_events.h"
#include "emulator/scan_ring.h"
#include "lib/stdio.h"

namespace korvan {

static constexpr uint8_t kScancodeZ = 0x2C;

static volatile int g_divisor = 0;

void run_outer_loop(const KernelServices&) {
  printf("\nprobe: ready\n");
  uint32_t next_report = current_milli + 1000;
  for (;;) {
    x86::halt();
    while (g_scan_tail != g_scan_head) {
      uint8_t byte = g_scan_ring[g_scan_tail % kScanRingSize];
      g_scan_tail = g_scan_tail + 1;
      printf("probe: scancode %02X\n", byte);
      if (byte == kScancodeZ) printf("probe: %d\n", 100 / g_divisor);
    }
    if (static_cast<int32_t>(current_milli - next_report) >= 0) {
      printf("probe: milli %u tsc %u\n", current_milli,
             static_cast<uint32_t>(x86::read_timestamp_counter() >> 20));
      next_report += 1000;
    }
  }
}

}  // namespace korvan
