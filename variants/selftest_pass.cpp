// The self-test image's main loop: no substrate, twenty smaller batches per
// pass with the controller polled before each, and unshifted keys only.
#include "core/x86.h"
#include "emulator/c64.h"
#include "emulator/c64_loop.h"
#include "emulator/cia1.h"
#include "emulator/cia2.h"
#include "emulator/io.h"
#include "emulator/io_events.h"
#include "emulator/monitor.h"
#include "emulator/scan_decoder.h"
#include "emulator/scan_ring.h"
#include "emulator/sid.h"
#include "emulator/vic.h"
#include "face/fake6502_bridge.h"

namespace {

constexpr int kBatchesPerPass = 20;
constexpr uint32_t kInstructionsPerBatch = 10000;

}  // namespace

void C64::begin() { start_face(); }

// Every byte with its release bit set is ignored, shift releases included, so
// only unshifted characters can be typed; the monitor's bytes are not the machine's.
void C64::drain_scan_ring() {
  uint32_t head = c64_scan_head_snapshot();
  while (g_scan_tail != head) {
    uint32_t slot = g_scan_tail % kScanRingSize;
    uint8_t byte = g_scan_ring[slot];
    bool machines = g_scan_monitor_byte[slot] == 0;
    g_scan_tail = g_scan_tail + 1;
    io->take_scan_byte(byte, machines);
    if (byte & ScanDecoder::kReleased) continue;
    uint8_t ch = ScanDecoder::unshifted(byte);
    if (ch != 0 && machines) c64_type_key(ch);
  }
}

bool C64::run_pass() {
  if (!mode.machine_runs()) {
    enter_monitor();
    return !mode.exit_requested();
  }
  for (int batch = 0; batch < kBatchesPerPass; batch++) {
    c64_poll_keyboard_controller();
    c64_deliver_keys();
    face_tick_steps(&g_c64_face, kInstructionsPerBatch);
  }
  face_tick_observe(&g_c64_face);
  bool changed = copy_face_text();
  drain_scan_ring();
  if (!cia1->emulate() || !cia2->emulate() || !vic->emulate() || !sid->emulate() || !io->emulate()) return false;
  finish_pass(changed);
  return !mode.exit_requested();
}
