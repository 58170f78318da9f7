// The main-loop pass, in the shape its image chose: substrate, controller
// poll, batches of instructions through the face, keys from the ring and the
// terminal, the chips, the redraw, and the wait that holds the machine to
// real speed.
#include "core/x86.h"
#include "emulator/c64.h"
#include "emulator/c64_loop.h"
#include "emulator/cia1.h"
#include "emulator/cia2.h"
#include "emulator/clock.h"
#include "emulator/face_cells.h"
#include "emulator/io.h"
#include "emulator/io_events.h"
#include "emulator/memory.h"
#include "emulator/monitor.h"
#include "emulator/pacer.h"
#include "emulator/scan_decoder.h"
#include "emulator/scan_ring.h"
#include "emulator/sid.h"
#include "emulator/vic.h"
#include "face/fake6502_bridge.h"
#include "face/substrate.h"

namespace {

// Kept across machines, like the shift key the user may still hold.
ScanDecoder g_scan_decoder;
TerminalDecoder g_terminal_decoder;

// At real speed a pass runs to the end of a video frame, in small batches,
// so keys and the redraw come once a frame; warp runs whole passes.
constexpr uint32_t kFrameBatch = 64;
constexpr uint32_t kNoticeMillis = 2000;
// Where the host cannot draw every frame, at least every fifth is drawn.
constexpr uint32_t kMostSkippedPictures = 4;

// The machine held to the wall clock, and the brief notice of a change of
// speed; both kept across machines, like the choice itself.
class SpeedKeeper {
 public:
  // Counts afresh from now: a new machine, or back from the monitor.
  void restart(Clock* clock) {
    warp_seen_ = g_warp;
    pacer_.restart(clock->now(), current_milli);
  }
  // After a pass: announces a change, then waits while the machine is ahead.
  void pace(Clock* clock, IO* io) {
    bool warp = g_warp;
    if (warp != warp_seen_) {
      restart(clock);
      io->show_notice(warp ? "WARP" : "REAL SPEED");
      notice_since_ = current_milli;
      notice_shown_ = true;
    } else if (notice_shown_ && current_milli - notice_since_ >= kNoticeMillis) {
      io->show_notice("");
      notice_shown_ = false;
    }
    if (warp) return;
    uint32_t ahead = pacer_.ahead(clock->now(), current_milli);
    if (ahead != 0) wait_until_milli(current_milli + ahead);
  }
  // Before the redraw: at real speed the video picture of a frame the
  // machine finished late is skipped, so the time goes to catching up and a
  // slow host sees whole frames dropped evenly instead of a slow machine.
  bool picture_due(Clock* clock) {
    if (g_warp || skipped_ == kMostSkippedPictures || !pacer_.late(clock->now(), current_milli)) {
      skipped_ = 0;
      return true;
    }
    skipped_++;
    return false;
  }

 private:
  Pacer pacer_;
  uint32_t skipped_ = 0;
  bool warp_seen_ = true;
  bool notice_shown_ = false;
  uint32_t notice_since_ = 0;
};
SpeedKeeper g_speed;

// The shape's script is typed once per boot, not once per machine.
uint32_t g_script_wait = 0;
bool g_script_typed = false;

void type_script(const char* script, Memory* memory) {
  for (const char* p = script; *p != 0; p++) {
    uint8_t count = memory->read_byte(kKeyCount);
    if (count >= kKeyBufferSize) continue;  // full: the rest of the line is dropped
    memory->write_byte(static_cast<uint16_t>(c64::KEYD + count), static_cast<uint8_t>(*p));
    memory->write_byte(kKeyCount, static_cast<uint8_t>(count + 1));
  }
}

}  // namespace

void C64::begin() {
  start_face();
  if (shape_.real_speed) g_speed.restart(clock);
  if (shape_.substrate) {
    uint64_t stamp = korvan::x86::read_timestamp_counter();
    ovra::substrate_init(static_cast<uint32_t>(stamp) ^ static_cast<uint32_t>(stamp >> 32));
  }
}

// Bytes typed while the monitor had the keyboard are consumed for the shift
// state only: they are not the machine's. Without the full keyboard every
// byte with its release bit set is ignored, shift releases included.
void C64::drain_scan_ring() {
  uint32_t head = c64_scan_head_snapshot();
  while (g_scan_tail != head) {
    uint32_t slot = g_scan_tail % kScanRingSize;
    bool machines = g_scan_monitor_byte[slot] == 0;
    uint8_t byte = g_scan_ring[slot];
    io->take_scan_byte(byte, machines);
    if (!shape_.full_keyboard) {
      g_scan_tail = g_scan_tail + 1;
      uint8_t ch = (byte & ScanDecoder::kReleased) ? 0 : ScanDecoder::unshifted(byte);
      if (ch != 0 && machines) c64_type_key(ch);
      continue;
    }
    // The cursor keys' events came with the $E0 prefixes before this byte.
    for (uint8_t ch = io->take_face_key(g_scan_tail); ch != 0; ch = io->take_face_key(g_scan_tail))
      if (machines) c64_type_key(ch);
    g_scan_tail = g_scan_tail + 1;
    if (byte == ScanDecoder::kF11 && machines) {
      g_video_view = !g_video_view;
      redraw_pending_ = true;
    }
    uint8_t ch = g_scan_decoder.decode(byte);
    if (ch != 0 && machines) c64_type_key(ch);
    if (g_scan_decoder.take_set_switch() && machines) c64_switch_character_set(&g_c64_self);
  }
  if (!shape_.full_keyboard) return;
  for (uint8_t ch = io->take_face_key(head); ch != 0; ch = io->take_face_key(head)) c64_type_key(ch);
}

// A terminal can send faster than the KERNAL takes keys, so bytes wait in
// their queue while the keyboard buffer is full instead of being dropped.
void C64::drain_serial_input(bool deliver) {
  if (g_serial_run_stop) {
    g_serial_run_stop = false;
    if (deliver) io->press_run_stop();
  }
  while (g_serial_input_tail != g_serial_input_head) {
    if (deliver && (c64_keys_waiting() || mem->read_byte(kKeyCount) >= kKeyBufferSize)) return;
    uint8_t byte = g_serial_input[g_serial_input_tail % kSerialInputSize];
    g_serial_input_tail = g_serial_input_tail + 1;
    uint8_t ch = g_terminal_decoder.decode(byte, g_face_cells.lower_case);
    if (ch != 0 && deliver) c64_type_key(ch);
    g_serial_input_dropped = g_terminal_decoder.dropped();
  }
}

void C64::run_batches() {
  for (uint32_t batch = 0; batch < shape_.batches; batch++) {
    c64_poll_keyboard_controller();
    c64_deliver_keys();
    uint32_t count = shape_.batch_instructions;
    if (shape_.real_speed && !g_warp) {
      uint32_t frame = vic->frame_count();
      for (uint32_t done = 0; done < count && vic->frame_count() == frame; done += kFrameBatch)
        face_tick_steps(&g_c64_face, kFrameBatch);
    } else {
      face_tick_steps(&g_c64_face, count);
    }
    if (shape_.script == nullptr || g_script_typed) continue;
    g_script_wait += count;
    if (g_script_wait <= shape_.script_after) continue;
    type_script(shape_.script, mem);
    g_script_typed = true;
  }
}

bool C64::run_pass() {
  if (!mode.machine_runs()) {
    sid->mute(true);
    enter_monitor();
    if (shape_.full_keyboard) drain_serial_input(false);
    if (shape_.real_speed) g_speed.restart(clock);
    return !mode.exit_requested();
  }
  // Unthrottled, the sound would be a blur at many times its pitch.
  sid->mute(g_warp || !shape_.real_speed);
  if (shape_.substrate) ovra::substrate_tick();
  run_batches();
  if (shape_.substrate) ovra::face_step_all();
  face_tick_observe(&g_c64_face);
  bool changed = copy_face_text();
  drain_scan_ring();
  if (shape_.full_keyboard) drain_serial_input(true);
  if (!cia1->emulate() || !cia2->emulate() || !vic->emulate() || !sid->emulate() || !io->emulate()) return false;
  finish_pass(changed, !shape_.real_speed || g_speed.picture_due(clock));
  if (shape_.real_speed) g_speed.pace(clock, io);
  return !mode.exit_requested();
}
