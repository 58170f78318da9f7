// The machine's construction, teardown and main-loop pass.
#include "emulator/c64.h"

#include "core/port.h"
#include "core/x86.h"
#include "emulator/cia1.h"
#include "emulator/cia2.h"
#include "emulator/cpu.h"
#include "emulator/io.h"
#include "emulator/memory.h"
#include "emulator/monitor.h"
#include "emulator/scan_decoder.h"
#include "emulator/scan_ring.h"
#include "emulator/serial_console.h"
#include "emulator/io_events.h"
#include "emulator/sid.h"
#include "emulator/vic.h"
#include "face/fake6502.h"
#include "face/fake6502_bridge.h"
#include "face/substrate.h"
#include "lib/placement.h"
#include "lib/string.h"

using korvan::hardwarecommunication::Port8Bit;

C64* volatile c64ptr = nullptr;
uint32_t g_dbg_facekeys = 0;

namespace {

constexpr uint16_t kControllerData = 0x60;
constexpr uint16_t kControllerStatus = 0x64;
constexpr uint8_t kStatusOutputFull = 0x01;
constexpr uint16_t kKeyCount = 0x00C6;  // NDX
constexpr uint8_t kKeyBufferSize = 10;

// Kept across machines, like the shift key the user may still hold.
ScanDecoder g_scan_decoder;
uint32_t g_frame_ctr = 0;
// The terminal on COM1 outlives machines too.
SerialMirror g_serial_mirror;
TerminalDecoder g_terminal_decoder;

void send_serial(void* io, uint8_t byte) { static_cast<IO*>(io)->SendSerial(byte); }

void type_key(uint8_t ch) {
  g_dbg_facekeys++;
  face_key(&g_c64_face, ch);
}

// Each byte is read and appended with interrupts off: the keyboard interrupt
// would otherwise take the byte between the status and data reads (and this
// poll would append a stale one), or take the same ring slot.
void poll_keyboard_controller() {
  Port8Bit data(kControllerData);
  Port8Bit status(kControllerStatus);
  for (int i = 0; i < C64::kPollLimit; i++) {
    korvan::x86::disable_interrupts();
    bool full = (status.Read() & kStatusOutputFull) != 0;
    if (full) scan_ring_append(data.Read());
    korvan::x86::enable_interrupts();
    if (!full) return;
  }
}

template <typename T>
void release(T*& object) {
  delete object;
  object = nullptr;
}

}  // namespace

C64::C64() : running(true), exit_requested(false) {
  io = new IO();
  // The register model starts from all zeros, whatever the heap held.
  void* cpu_storage = ::operator new(sizeof(Cpu));
  memset(cpu_storage, 0, sizeof(Cpu));
  cpu = new (cpu_storage) Cpu();
  mem = new Memory();
  cia1 = new Cia1();
  cia2 = new Cia2();
  vic = new Vic();
  sid = new Sid();
  monitor = new Monitor();
  cpu->memory(mem);
  cpu->reset();
  vic->memory(mem);
  vic->cpu(cpu);
  vic->io(io);
  // The video chip keeps time by the processor that runs the machine, so the
  // raster moves while a batch of instructions waits on it.
  vic->clock(&f6502_context()->cycles);
  cia1->cpu(cpu);
  cia1->io(io);
  cia2->cpu(cpu);
  io->cpu(cpu);
  io->memory(mem);
  mem->vic(vic);
  mem->cia1(cia1);
  mem->cia2(cia2);
  mem->sid(sid);
  monitor->io(io);
  monitor->mem(mem);
  monitor->cpu(cpu);
}

C64::~C64() {
  release(cpu);
  release(mem);
  release(cia1);
  release(cia2);
  release(vic);
  release(sid);
  release(io);
  release(monitor);
}

uint32_t C64::passes_since_boot() { return g_frame_ctr; }

void C64::resume() {
  if (monitor != nullptr) monitor->Stop();
  running = true;
}

void C64::begin() {
  face_bind_c64(&g_c64_face, mem);
  face_realize(&g_c64_face);
  g_face_active = 1;
  uint64_t stamp = korvan::x86::read_timestamp_counter();
  ovra::substrate_init(static_cast<uint32_t>(stamp) ^ static_cast<uint32_t>(stamp >> 32));
  redraw_pending_ = true;
  g_serial_mirror.invalidate();
}

void C64::start() {
  begin();
  while (run_pass()) {
  }
}

bool C64::copy_face_text() {
  bool changed = false;
  for (int i = 0; i < kFaceTextSize; i++) {
    if (g_face_screen[i] != g_c64_face.text[i]) {
      g_face_screen[i] = g_c64_face.text[i];
      changed = true;
    }
  }
  return changed;
}

// deliver false: the bytes are consumed for the shift state only (the keys
// typed while the monitor had the keyboard are not the machine's).
void C64::drain_scan_ring(bool deliver) {
  korvan::x86::disable_interrupts();
  uint32_t head = g_scan_head;
  korvan::x86::enable_interrupts();
  while (g_scan_tail != head) {
    uint8_t byte = g_scan_ring[g_scan_tail % kScanRingSize];
    g_scan_tail = g_scan_tail + 1;
    if (byte == ScanDecoder::kF11 && deliver) {
      g_video_view = !g_video_view;
      redraw_pending_ = true;
    }
    uint8_t ch = g_scan_decoder.decode(byte);
    if (ch != 0 && deliver) type_key(ch);
  }
  for (uint8_t ch = io->take_face_key(); ch != 0; ch = io->take_face_key())
    if (deliver) type_key(ch);
}

// A terminal can send faster than the KERNAL takes keys, so bytes wait in
// their queue while the keyboard buffer is full instead of being dropped.
void C64::drain_serial_input(bool deliver) {
  while (g_serial_input_tail != g_serial_input_head) {
    if (deliver && mem->read_byte(kKeyCount) >= kKeyBufferSize) return;
    uint8_t byte = g_serial_input[g_serial_input_tail % kSerialInputSize];
    g_serial_input_tail = g_serial_input_tail + 1;
    uint8_t ch = g_terminal_decoder.decode(byte);
    if (ch != 0 && deliver) type_key(ch);
  }
}

bool C64::run_pass() {
  if (!running) {
    monitor->Start();
    running = true;
    drain_scan_ring(false);
    drain_serial_input(false);
    redraw_pending_ = true;
    g_serial_mirror.invalidate();
    return true;
  }
  ovra::substrate_tick();
  poll_keyboard_controller();
  face_tick_steps(&g_c64_face, kInstructionsPerPass);
  ovra::face_step_all();
  face_tick_observe(&g_c64_face);
  bool changed = copy_face_text();
  drain_scan_ring(true);
  drain_serial_input(true);
  if (!cia1->emulate() || !cia2->emulate() || !vic->emulate() || !io->emulate()) return false;
  g_frame_ctr++;
  if (redraw_pending_) {
    io->screen_redraw();
    redraw_pending_ = false;
  } else if (changed || g_frame_ctr <= kStartupRedrawPasses || g_video_view != 0) {
    // The video chip's picture changes without the text changing.
    io->screen_refresh();
  }
  g_serial_mirror.update(g_face_screen, current_milli, send_serial, io);
  return !exit_requested;
}
