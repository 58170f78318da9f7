// The machine: construction and wiring, teardown on the kernel heap, and the
// main-loop pass (controller poll, ring drain, redraw rule, exit, monitor).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <vector>

#include "core/memorymanagement.h"
#include "emulator/c64.h"
#include "emulator/cpu.h"
#include "emulator/io.h"
#include "emulator/monitor.h"
#include "emulator/scan_ring.h"
#include "emulator/vic.h"
#include "face/fake6502_bridge.h"
#include "tests/host/machine_test_support.h"
#include "hosted/console_capture.h"
#include "hosted/simulated_8042.h"

using korvan::MemoryManager;
using namespace machine_test;

// While a test heap is set, every allocation of this program comes from the
// kernel's own MemoryManager, as it does in the kernel image.
namespace {
MemoryManager* g_test_heap = nullptr;
std::vector<uint8_t>* g_test_heap_region = nullptr;

bool in_test_heap(void* pointer) {
  if (g_test_heap_region == nullptr) return false;
  uint8_t* p = static_cast<uint8_t*>(pointer);
  return p >= g_test_heap_region->data() && p < g_test_heap_region->data() + g_test_heap_region->size();
}

void* allocate(size_t size) {
  if (g_test_heap != nullptr) return g_test_heap->malloc(static_cast<uint32_t>(size));
  void* pointer = malloc(size == 0 ? 1 : size);
  if (pointer == nullptr) abort();
  return pointer;
}

void release_memory(void* pointer) {
  if (pointer == nullptr) return;
  if (in_test_heap(pointer)) {
    g_test_heap->free(pointer);
  } else {
    free(pointer);
  }
}
}  // namespace

void* operator new(size_t size) { return allocate(size); }
void* operator new[](size_t size) { return allocate(size); }
void operator delete(void* pointer) noexcept { release_memory(pointer); }
void operator delete[](void* pointer) noexcept { release_memory(pointer); }
void operator delete(void* pointer, size_t) noexcept { release_memory(pointer); }
void operator delete[](void* pointer, size_t) noexcept { release_memory(pointer); }

namespace {

constexpr uint32_t kHeapSize = 8u * 1024 * 1024;
constexpr uint32_t kFbWidth = 800, kFbHeight = 600;

// A kernel heap for the scope; the region is allocated before the heap
// takes over new.
class KernelHeap {
 public:
  KernelHeap() : region_(kHeapSize) {
    g_test_heap_region = &region_;
    manager_ = static_cast<MemoryManager*>(malloc(sizeof(MemoryManager)));
    new (manager_) MemoryManager(reinterpret_cast<uintptr_t>(region_.data()), kHeapSize);
  }
  ~KernelHeap() {
    g_test_heap = nullptr;
    manager_->~MemoryManager();
    free(manager_);
    g_test_heap_region = nullptr;
  }
  void route(bool on) { g_test_heap = on ? manager_ : nullptr; }
  MemoryManager* manager() { return manager_; }

 private:
  std::vector<uint8_t> region_;
  MemoryManager* manager_;
};

// One machine as the outer loop builds it: constructed, display initialised.
void build_and_destroy(KernelHeap* heap, std::vector<uint32_t>* framebuffer) {
  heap->route(true);
  C64* machine = new C64();
  machine->io->init_display(framebuffer->data(), kFbWidth, kFbHeight, kFbWidth * 2, 16);
  heap->route(false);
  ASSERT_NE(machine->io->frame(), nullptr);
  // The machine, its 64 KB of memory and its video frame live on this heap.
  ASSERT_LT(heap->manager()->free_bytes(), kHeapSize - 65536u - IO::kFrameWidth * IO::kFrameHeight * 2);
  heap->route(true);
  delete machine;
  heap->route(false);
}

TEST(MachineLifetime, RebuildsLeaveTheHeapAsTheFirstMachineLeftIt) {
  KernelHeap heap;
  std::vector<uint32_t> framebuffer(kFbWidth * kFbHeight / 2);
  uint32_t empty_free = heap.manager()->free_bytes();
  build_and_destroy(&heap, &framebuffer);
  uint32_t free_after_first = heap.manager()->free_bytes();
  uint32_t blocks_after_first = heap.manager()->block_count();
  EXPECT_EQ(free_after_first, empty_free);
  // Stop at the first rebuild that leaks, before a leak exhausts the heap.
  for (int i = 0; i < 25; i++) {
    build_and_destroy(&heap, &framebuffer);
    ASSERT_EQ(heap.manager()->free_bytes(), free_after_first) << "rebuild " << i;
    ASSERT_EQ(heap.manager()->block_count(), blocks_after_first) << "rebuild " << i;
  }
}

TEST(MachineLifetime, DisplayBuffersAreReplacedNotLeakedOnSecondInit) {
  KernelHeap heap;
  std::vector<uint32_t> framebuffer(kFbWidth * kFbHeight / 2);
  heap.route(true);
  C64* machine = new C64();
  machine->io->init_display(framebuffer.data(), kFbWidth, kFbHeight, kFbWidth * 2, 16);
  uint32_t once = heap.manager()->free_bytes();
  machine->io->init_display(framebuffer.data(), kFbWidth, kFbHeight, kFbWidth * 2, 16);
  uint32_t twice = heap.manager()->free_bytes();
  delete machine;
  heap.route(false);
  // Checked outside the test heap: a failure message must not live in it.
  EXPECT_EQ(twice, once);
}

TEST(MachineWiring, ConstructionLeavesTheMachineRunningAndItsPartsConnected) {
  C64 machine;
  EXPECT_TRUE(machine.running());
  EXPECT_EQ(machine.mode.state(), C64Mode::kMachine);
  EXPECT_FALSE(machine.mode.exit_requested());
  ASSERT_NE(machine.cpu, nullptr);
  ASSERT_NE(machine.io, nullptr);
  ASSERT_NE(machine.monitor, nullptr);
  // The register model was reset from the reset vector through the memory map.
  load_idle_kernal(machine.mem);
  machine.cpu->reset();
  EXPECT_EQ(machine.cpu->pc(), 0xE000);
  // RESTORE (F9) reaches the processor through IO's wiring.
  uint32_t cycles = machine.cpu->cycles();
  machine.io->OnKeyDown(korvan::drivers::kKeyF9);
  EXPECT_GT(machine.cpu->cycles(), cycles);
}

// A machine on the idle KERNAL, begun, with an empty controller attached.
class MachinePass : public ::testing::Test {
 protected:
  void SetUp() override {
    load_idle_kernal(machine.mem);
    machine.begin();
    g_scan_tail = g_scan_head;
    g_video_view = 0;
  }
  void pass() {
    advance_clock();
    ASSERT_TRUE(machine.run_pass());
  }
  std::vector<uint8_t> typed() {
    std::vector<uint8_t> keys;
    for (uint8_t i = 0; i < machine.mem->read_byte_no_io(kKeyCount); i++)
      keys.push_back(machine.mem->read_byte_no_io(static_cast<uint16_t>(kKeyBuffer + i)));
    return keys;
  }
  void clear_typed() { machine.mem->write_byte_no_io(kKeyCount, 0); }
  void ring(std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) scan_ring_append(b);
  }

  korvan::hosted::Simulated8042 controller;
  C64 machine;
};

TEST_F(MachinePass, RingBytesBecomeCharactersWithShiftHeldAndReleased) {
  // a, Shift+a (the C64's shifted A), Shift released, a; releases of a
  // produce nothing.
  ring({0x1E, 0x9E, 0x2A, 0x1E, 0x9E, 0xAA, 0x1E, 0x9E});
  uint32_t delivered = g_dbg_facekeys;
  pass();
  EXPECT_EQ(typed(), (std::vector<uint8_t>{'A', 0xC1, 'A'}));
  EXPECT_EQ(g_dbg_facekeys - delivered, 3u);
  clear_typed();
  // The right shift gives the shifted table too: Shift+1 is '!'.
  ring({0x36, 0x02, 0xB6, 0x02});
  pass();
  EXPECT_EQ(typed(), (std::vector<uint8_t>{'!', '1'}));
}

// The KERNAL takes keys out of its buffer with interrupts off; a key put in
// then could be lost, so keys wait until the processor has them on again.
TEST_F(MachinePass, KeysWaitWhileTheProcessorHasInterruptsOff) {
  pass();  // past the idle KERNAL's CLI
  machine.cpu->idf(true);
  ring({0x1E, 0x9E, 0x30, 0xB0});  // a, b
  pass();
  EXPECT_TRUE(typed().empty());
  EXPECT_TRUE(c64_keys_waiting());
  machine.cpu->idf(false);
  pass();
  EXPECT_EQ(typed(), (std::vector<uint8_t>{'A', 'B'}));
  EXPECT_FALSE(c64_keys_waiting());
}

TEST_F(MachinePass, ModifiersHotKeysAndExtendedPrefixGiveNothing) {
  ring({0x1D, 0x38, 0x43, 0x44, 0x58, 0xE0, 0x9D, 0xB8});
  pass();
  EXPECT_TRUE(typed().empty());
}

// Shift, C= (Alt) and CTRL (Ctrl) as the C64's keyboard combines them, the
// function keys, and the PC keys that stand in for the C64's own.
TEST_F(MachinePass, ModifiedKeysGiveTheC64sCodes) {
  ring({0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42});  // F1-F8
  ring({0x2A, 0x3B, 0x41, 0xAA});                          // Shift+F1, Shift+F7
  pass();
  EXPECT_EQ(typed(), (std::vector<uint8_t>{0x85, 0x89, 0x86, 0x8A, 0x87, 0x8B, 0x88, 0x8C, 0x89, 0x8C}));
  clear_typed();
  ring({0x1D, 0x02, 0x09, 0x0A, 0x0B, 0x9D});  // CTRL+1, 8, 9, 0: black, yellow, RVS on, off
  ring({0x38, 0x02, 0x09, 0x1E, 0x10, 0xB8});  // C=+1, 8, A, Q: orange, light grey, two graphics
  pass();
  EXPECT_EQ(typed(), (std::vector<uint8_t>{0x90, 0x9E, 0x12, 0x92, 0x81, 0x9B, 0xB0, 0xAB}));
  clear_typed();
  ring({0x29, 0x2B, 0x2A, 0x07, 0x29, 0x39, 0xAA});  // ` \ Shift+6 Shift+` Shift+space
  pass();
  EXPECT_EQ(typed(), (std::vector<uint8_t>{0x5F, 0x5C, 0x5E, 0xDE, 0xA0}));
}

// Shift+C= types nothing: the scan switches the character set in $D018,
// unless CHR$(8) locked it, and a held key's repeats do not switch again.
TEST_F(MachinePass, ShiftWithCommodoreSwitchesTheCharacterSet) {
  uint8_t before = machine.vic->memory_pointers();
  machine.mem->write_byte_no_io(0x0291, 0x00);  // MODE: the switch enabled, as the KERNAL starts
  ring({0x2A, 0x38, 0x38, 0x38});
  pass();
  EXPECT_TRUE(typed().empty());
  EXPECT_EQ(machine.vic->memory_pointers(), before ^ 0x02);
  ring({0xB8, 0x38, 0xB8, 0xAA});  // C= released and pressed again, Shift still held
  pass();
  EXPECT_EQ(machine.vic->memory_pointers(), before);
  machine.mem->write_byte_no_io(0x0291, 0x80);
  ring({0x2A, 0x38, 0xB8, 0xAA});
  pass();
  EXPECT_EQ(machine.vic->memory_pointers(), before);
}

TEST_F(MachinePass, EditingKeysArriveOnceAsTheirPetsciiCodes) {
  // Backspace from the ring is DEL (INST with shift); Tab (RUN/STOP) is not
  // typed, it goes to the keyboard matrix. The cursor keys come as key
  // events (the ring holds only their E0 prefix, and keypad bytes without
  // it give nothing, or they would act twice).
  ring({0x0E, 0x8E, 0x0F, 0x8F, 0xE0, 0xE0, 0x48, 0x4B});
  machine.io->OnKeyDown(korvan::drivers::kKeyLeft);
  machine.io->OnKeyDown(korvan::drivers::kKeyHome);
  pass();
  EXPECT_EQ(typed(), (std::vector<uint8_t>{0x14, 0x9D, 0x13}));
  clear_typed();
  ring({0x2A, 0x0E, 0xAA});
  machine.io->OnKeyDown(korvan::drivers::kKeyUp);
  machine.io->OnKeyDown(korvan::drivers::kKeyDown);
  machine.io->OnKeyDown(korvan::drivers::kKeyRight);
  pass();
  EXPECT_EQ(typed(), (std::vector<uint8_t>{0x94, 0x91, 0x11, 0x1D}));
  clear_typed();
  // A cursor key between two ring keys of one pass is typed between them.
  ring({0x03, 0x83, 0xE0});
  machine.io->OnKeyDown(korvan::drivers::kKeyLeft);
  ring({0xE0, 0xCB, 0x06, 0x86});
  pass();
  EXPECT_EQ(typed(), (std::vector<uint8_t>{'2', 0x9D, '5'}));
}

TEST_F(MachinePass, PollTakesAtMostSixteenBytesFromTheController) {
  for (int i = 0; i < 20; i++) controller.type({0x39});
  uint32_t head = g_scan_head;
  pass();
  EXPECT_EQ(g_scan_head - head, 16u);
  EXPECT_EQ(controller.pending(), 4u);
  EXPECT_EQ(typed().size(), 10u);  // the KERNAL's buffer holds ten
  pass();
  EXPECT_EQ(g_scan_head - head, 20u);
  EXPECT_EQ(controller.pending(), 0u);
}

TEST_F(MachinePass, PollStopsAtAnEmptyController) {
  controller.type({0x1E, 0x9E});
  uint32_t head = g_scan_head;
  pass();
  EXPECT_EQ(g_scan_head - head, 2u);
  EXPECT_EQ(typed(), (std::vector<uint8_t>{'A'}));
}

TEST_F(MachinePass, ScreenChangesReachTheShadowScreen) {
  machine.mem->write_byte_no_io(kScreen + 41, 0x08);  // H, row 1 column 1
  pass();
  EXPECT_EQ(g_face_screen[41], 'H');
}

TEST_F(MachinePass, ExitRequestEndsThePassLoop) {
  machine.request_exit();
  advance_clock();
  EXPECT_FALSE(machine.run_pass());
}

TEST_F(MachinePass, StoppedMachineEntersTheMonitorAndResumesWhereItWas) {
  korvan::hosted::ConsoleCapture console;
  // Keys typed while the monitor runs are its own, not the machine's: an A
  // arrives once the monitor is shown, then Esc.
  InterruptWindows windows([this](unsigned) {
    if (!machine.mode.monitor_shown()) return;
    scan_ring_append(0x1E);
    machine.mode.on_interrupt(C64Mode::kEscape);
  });
  machine.mode.on_interrupt(C64Mode::kEscape);
  uint32_t passes = C64::passes_since_boot();
  advance_clock();
  EXPECT_TRUE(machine.run_pass());
  EXPECT_TRUE(machine.running());
  EXPECT_EQ(C64::passes_since_boot(), passes);  // the monitor is no pass
  EXPECT_NE(strstr(console.text(), "Quillon v0.10 - Debugging:"), nullptr);
  pass();
  EXPECT_TRUE(typed().empty());
  EXPECT_EQ(g_scan_tail, g_scan_head);
}

// The pass's redraw rule, seen in an in-memory framebuffer.
class MachineRedraw : public MachinePass {
 protected:
  void SetUp() override {
    MachinePass::SetUp();
    framebuffer.assign(kFbWidth * kFbHeight / 2, 0);
    machine.io->init_display(framebuffer.data(), kFbWidth, kFbHeight, kFbWidth * 2, 16);
    // Whatever earlier tests did, be past the start-up redraws.
    while (C64::passes_since_boot() <= C64::kStartupRedrawPasses) pass();
  }
  // A mark inside the first character cell, pixel (30, 30).
  static constexpr size_t kMark = (30 * kFbWidth * 2 + 30 * 2) / 4;
  void scribble() { framebuffer[kMark] = 0x12341234; }
  bool redrawn() const { return framebuffer[kMark] != 0x12341234; }
  std::vector<uint32_t> framebuffer;
};

TEST_F(MachineRedraw, UnchangedScreenIsNotRedrawnButAChangeIs) {
  scribble();
  pass();
  EXPECT_FALSE(redrawn());
  machine.mem->write_byte_no_io(kScreen, 0x01);
  pass();
  EXPECT_TRUE(redrawn());
}

TEST_F(MachineRedraw, ANewMachineAndLeavingTheMonitorRedrawAtOnce) {
  scribble();
  machine.begin();
  pass();
  EXPECT_TRUE(redrawn());
  scribble();
  machine.io->toggle_frame_skip();  // even with frame skipping on
  machine.mode.on_interrupt(C64Mode::kEscape);
  {
    InterruptWindows windows([this](unsigned) {
      if (machine.mode.monitor_shown()) machine.mode.on_interrupt(C64Mode::kEscape);
    });
    advance_clock();
    machine.run_pass();
  }
  pass();
  EXPECT_TRUE(redrawn());
}

TEST_F(MachineRedraw, F11SwitchesBetweenTheTextViewAndTheVideoPicture) {
  machine.mem->write_byte(0xD020, 2);  // a red border
  ring({0x57, 0xD7});
  pass();
  pass();
  ASSERT_EQ(g_video_view, 1);
  EXPECT_EQ(static_cast<uint16_t>(framebuffer[0]), machine.io->palette(2));
  // The picture is redrawn every pass, text change or not.
  machine.mem->write_byte(0xD020, 5);
  pass();
  pass();
  EXPECT_EQ(static_cast<uint16_t>(framebuffer[0]), machine.io->palette(5));
  ring({0x57, 0xD7});
  pass();
  EXPECT_EQ(g_video_view, 0);
  // The text view's border is $D020's colour too.
  EXPECT_EQ(static_cast<uint16_t>(framebuffer[0]), machine.io->palette(5));
}

}  // namespace
