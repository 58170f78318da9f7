// The machine's construction, wiring and teardown; the pass itself is in
// emulator/c64_pass.cpp.
#include "emulator/c64.h"

#include "core/interrupts.h"
#include "core/port.h"
#include "core/x86.h"
#include "drivers/keyboard.h"
#include "emulator/c64_loop.h"
#include "emulator/cia1.h"
#include "emulator/cia2.h"
#include "emulator/clock.h"
#include "emulator/cpu.h"
#include "emulator/face_cells.h"
#include "emulator/io.h"
#include "emulator/io_events.h"
#include "emulator/memory.h"
#include "emulator/monitor.h"
#include "emulator/roms/c64_locations.h"
#include "emulator/scan_ring.h"
#include "emulator/sid.h"
#include "emulator/vic.h"
#include "face/fake6502.h"
#include "face/fake6502_bridge.h"
#include "lib/placement.h"
#include "lib/string.h"

using korvan::drivers::KeyboardDriver;
using korvan::hardwarecommunication::InterruptHandler;
using korvan::hardwarecommunication::InterruptManager;
using korvan::hardwarecommunication::Port8Bit;

C64* volatile c64ptr = nullptr;
uint32_t g_dbg_facekeys = 0;

static constexpr uint16_t kControllerData = 0x60;
static constexpr uint16_t kControllerStatus = 0x64;
static constexpr uint8_t kStatusOutputFull = 0x01;

namespace {

template <typename T>
void release(T*& object) {
  delete object;
  object = nullptr;
}

}  // namespace

uint32_t g_frame_ctr = 0;
// The terminal on COM1 outlives machines.
SerialMirror g_serial_mirror;

namespace {

// Keys the C64 cannot take yet. The KERNAL removes a key from its buffer
// with interrupts off, since on a C64 only the keyboard interrupt adds one;
// a key put in while the processor has interrupts off could land between
// its reading the count and storing it, and be lost or doubled.
constexpr uint32_t kPendingKeys = 32;
uint8_t g_pending_keys[kPendingKeys];
uint32_t g_pending_head = 0;
uint32_t g_pending_tail = 0;

bool c64_takes_key() {
  Memory* memory = g_c64_self.memory;
  return memory != nullptr && (f6502_context()->status & kFlagInterrupt) == 0 &&
         memory->read_byte(kKeyCount) < kKeyBufferSize;
}

}  // namespace

bool c64_keys_waiting() { return g_pending_head != g_pending_tail; }

void c64_deliver_keys() {
  while (c64_keys_waiting() && c64_takes_key()) {
    g_dbg_facekeys++;
    face_key(&g_c64_face, g_pending_keys[g_pending_tail++ % kPendingKeys]);
  }
}

void c64_drop_waiting_keys() { g_pending_tail = g_pending_head; }

void c64_type_key(uint8_t ch) {
  // Beyond 32 waiting keys the C64 has stopped reading the keyboard for now.
  if (g_pending_head - g_pending_tail < kPendingKeys) g_pending_keys[g_pending_head++ % kPendingKeys] = ch;
  c64_deliver_keys();
}

// Each byte is read and appended with interrupts off: the keyboard interrupt
// would otherwise take the byte between the status and data reads (and this
// poll would append a stale one), or take the same ring slot. Where there is
// a keyboard driver, the byte is its, taken as its interrupt takes it, so
// that Esc, F10 and the monitor's keys are seen whichever finds the byte.
void c64_poll_keyboard_controller() {
  Port8Bit data(kControllerData);
  Port8Bit status(kControllerStatus);
  InterruptManager* manager = InterruptManager::ActiveInterruptManager;
  InterruptHandler* keyboard =
      manager != nullptr
          ? manager->Handler(static_cast<uint8_t>(manager->HardwareInterruptOffset() + KeyboardDriver::kInterruptLine))
          : nullptr;
  for (int i = 0; i < C64::kPollLimit; i++) {
    korvan::x86::disable_interrupts();
    bool full = (status.Read() & kStatusOutputFull) != 0;
    if (full) {
      if (keyboard != nullptr) keyboard->HandleInterrupt(0);
      else scan_ring_append(data.Read());
    }
    korvan::x86::enable_interrupts();
    if (!full) return;
  }
}

C64::C64(const PassShape& shape) : shape_(shape) {
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
  clock = new Clock(&f6502_context()->cycles);
  cpu->memory(mem);
  cpu->reset();
  vic->memory(mem);
  vic->cpu(cpu);
  vic->io(io);
  // The chips keep time by the processor that runs the machine, so the
  // raster moves and the timers count while a batch of instructions runs.
  vic->clock(clock);
  sid->clock(&f6502_context()->cycles);
  mem->clock(&f6502_context()->cycles);
  cia1->cpu(cpu);
  cia1->io(io);
  cia1->clock(clock);
  cia2->cpu(cpu);
  cia2->clock(clock);
  io->cpu(cpu);
  io->memory(mem);
  mem->vic(vic);
  mem->cia1(cia1);
  mem->cia2(cia2);
  mem->sid(sid);
  monitor->io(io);
  monitor->mem(mem);
  monitor->cpu(cpu);
  monitor->mode(&mode);
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
  release(clock);
}

uint32_t C64::passes_since_boot() { return g_frame_ctr; }

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
  // Reverse video, graphics and colours change the picture, not the text.
  if (face_cells_scrape(&g_face_cells, *mem, *vic)) changed = true;
  return changed;
}

uint32_t c64_scan_head_snapshot() {
  korvan::x86::disable_interrupts();
  uint32_t head = g_scan_head;
  korvan::x86::enable_interrupts();
  return head;
}

void C64::start_face() {
  mem->let_host_type_keys();
  face_bind_c64(&g_c64_face, mem);
  g_c64_self.serve_request = IO::serve_request;
  g_c64_self.serve_context = io;
  g_c64_self.clock = clock;
  face_realize(&g_c64_face);
  g_face_active = 1;
  redraw_pending_ = true;
  g_serial_mirror.invalidate();
  c64_drop_waiting_keys();
}

// The pass found the machine stopped. A second Esc may have taken the stop
// back since; otherwise the monitor is shown and runs until Esc or F10 gives
// the keyboard back.
void C64::enter_monitor() {
  if (!mode.from_main_loop(C64Mode::kShown)) return;
  monitor->Run();
  redraw_pending_ = true;
  g_serial_mirror.invalidate();
}

static void send_serial(void* io, uint8_t byte) { static_cast<IO*>(io)->SendSerial(byte); }

namespace {

// The terminal has a cursor of its own, so the mirror shows the cell under
// the C64's blinking cursor as it is: a machine waiting at its prompt leaves
// the serial line quiet instead of repainting the row twice a second.
// The cursor is on the screen the video chip shows, whichever that is.
void show_cell_under_cursor(FaceCells* cells, const Memory& memory, const Vic& vic) {
  if (memory.read_byte_no_io(c64::BLNON) == 0) return;
  uint16_t cursor =
      static_cast<uint16_t>(memory.read_word_no_io(c64::PNT) + memory.read_byte_no_io(c64::PNTR));
  uint16_t cell = static_cast<uint16_t>(cursor - vic.screen_address());
  if (cell < kFaceCellCount) cells->codes[cell] = memory.read_byte_no_io(c64::GDBLN);
}

FaceCells g_serial_cells;

}  // namespace

void C64::finish_pass(bool text_changed, bool picture_due) {
  g_frame_ctr++;
  if (redraw_pending_) {
    io->screen_redraw();
    redraw_pending_ = false;
  } else if (g_video_view != 0 ? picture_due : text_changed || g_frame_ctr <= kStartupRedrawPasses) {
    // The video chip's picture changes without the text changing.
    io->screen_refresh();
  }
  g_serial_cells = g_face_cells;
  show_cell_under_cursor(&g_serial_cells, *mem, *vic);
  g_serial_mirror.update(g_serial_cells, g_serial_input_refused, g_serial_input_dropped, current_milli, send_serial,
                         io);
}
