// Choosing the framebuffer from the multiboot record or the display adapter,
// and the progress marks drawn into it.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <memory>

#include "boot/display_adapter.h"
#include "boot/framebuffer.h"
#include "boot/heap_size.h"
#include "boot/progress_marks.h"
#include "hosted/port_bus.h"
#include "hosted/simulated_pci.h"

namespace {

using namespace korvan;
using korvan::hosted::SimulatedDisplayAdapter;
using korvan::hosted::SimulatedPciBus;

struct Record {
  uint8_t bytes[120] = {};
  void put32(int offset, uint32_t value) {
    for (int i = 0; i < 4; i++) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  }
  Record& framebuffer(uint32_t address, uint32_t width, uint32_t height, uint8_t bpp, uint32_t pitch) {
    put32(0, 0x1000 | 0x1);
    put32(88, address);
    put32(96, pitch);
    put32(100, width);
    put32(104, height);
    bytes[108] = bpp;
    return *this;
  }
};

class FramebufferChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    hosted::reset_ports();
    g_fb_addr = g_fb_width = g_fb_height = g_fb_pitch = 0;
    g_fb_bpp = 0;
    pci = std::make_unique<SimulatedPciBus>();
  }
  void TearDown() override {
    adapter.reset();
    pci.reset();
    hosted::reset_ports();
  }
  void add_adapter(uint32_t bar0 = 0xFD000008) {
    adapter = std::make_unique<SimulatedDisplayAdapter>(0xB0C5);
    pci->add_function(0, 2, 0, 0x1234, 0x1111, 0x03, 0x00);
    pci->set_bar(0, 2, 0, 0, bar0);
  }
  std::unique_ptr<SimulatedPciBus> pci;
  std::unique_ptr<SimulatedDisplayAdapter> adapter;
};

TEST_F(FramebufferChoice, LoaderFramebufferAtTheMinimumIsAccepted) {
  add_adapter();
  Record record;
  record.framebuffer(0xC0000000, 320, 200, 15, 640);
  EXPECT_EQ(choose_framebuffer(record.bytes), FramebufferSource::Loader);
  EXPECT_EQ(g_fb_addr, 0xC0000000u);
  EXPECT_EQ(g_fb_width, 320u);
  EXPECT_EQ(g_fb_height, 200u);
  EXPECT_EQ(g_fb_pitch, 640u);
  EXPECT_EQ(g_fb_bpp, 15);
  EXPECT_EQ(adapter->writes, 0u) << "the adapter is left alone";
}

TEST_F(FramebufferChoice, TooNarrowOrTooShallowFallsBackToTheAdapter) {
  add_adapter();
  for (auto [width, bpp] : {std::pair<uint32_t, uint8_t>{319, 16}, {640, 14}}) {
    Record record;
    record.framebuffer(0xC0000000, width, 480, bpp, 1280);
    EXPECT_EQ(choose_framebuffer(record.bytes), FramebufferSource::DisplayAdapter);
    EXPECT_EQ(g_fb_addr, 0xFD000000u) << "BAR0 with its low bits cleared";
    EXPECT_EQ(g_fb_width, 800u);
    EXPECT_EQ(g_fb_height, 600u);
    EXPECT_EQ(g_fb_pitch, 1600u);
    EXPECT_EQ(g_fb_bpp, 16);
    EXPECT_EQ(adapter->registers[1], 800);
    EXPECT_EQ(adapter->registers[2], 600);
    EXPECT_EQ(adapter->registers[3], 16);
    EXPECT_EQ(adapter->registers[4], 0x41);
  }
}

TEST_F(FramebufferChoice, RecordWithoutTheFramebufferFlagIsNotTrusted) {
  add_adapter();
  Record record;
  record.framebuffer(0xC0000000, 1024, 768, 32, 4096);
  record.put32(0, 0x1);
  EXPECT_EQ(choose_framebuffer(record.bytes), FramebufferSource::DisplayAdapter);
}

TEST_F(FramebufferChoice, ModeIsProgrammedInOrderWithTheDisplayOffFirst) {
  add_adapter();
  hosted::clear_port_log();
  EXPECT_TRUE(vbe_set_mode(800, 600, 16));
  unsigned count;
  const hosted::PortAccess* log = hosted::port_log(&count);
  std::vector<std::pair<uint16_t, uint16_t>> writes;
  uint16_t index = 0;
  for (unsigned i = 0; i < count; i++) {
    if (!log[i].is_write) continue;
    if (log[i].port == kVbeIndexPort) index = static_cast<uint16_t>(log[i].value);
    if (log[i].port == kVbeDataPort) writes.push_back({index, static_cast<uint16_t>(log[i].value)});
  }
  std::vector<std::pair<uint16_t, uint16_t>> expected = {{4, 0}, {1, 800}, {2, 600}, {3, 16}, {4, 0x41}};
  EXPECT_EQ(writes, expected);
}

TEST_F(FramebufferChoice, AdapterWithAForeignIdIsLeftUntouched) {
  adapter = std::make_unique<SimulatedDisplayAdapter>(0xB0BF);
  EXPECT_FALSE(vbe_set_mode(800, 600, 16));
  EXPECT_EQ(adapter->writes, 0u);
  adapter = std::make_unique<SimulatedDisplayAdapter>(0xB0D0);
  EXPECT_FALSE(vbe_set_mode(800, 600, 16));
  Record record;
  record.framebuffer(0x12345000, 100, 50, 8, 100);
  EXPECT_EQ(choose_framebuffer(record.bytes), FramebufferSource::LoaderUnchecked);
  EXPECT_EQ(g_fb_addr, 0x12345000u);
  EXPECT_EQ(g_fb_bpp, 8);
}

TEST_F(FramebufferChoice, NoMatchingFunctionGivesTheDefaultAddress) {
  pci->add_function(0, 0, 0, 0x8086, 0x1237);
  pci->add_function(0, 1, 0, 0x1234, 0x2222);
  EXPECT_EQ(vbe_find_lfb(), kVbeDefaultFramebuffer);
}

TEST_F(FramebufferChoice, IoBarDoesNotEndTheScan) {
  pci->add_function(0, 1, 0, 0x1111, 0x0001);
  pci->set_bar(0, 1, 0, 0, 0x0000C001);
  pci->add_function(1, 3, 0, 0x1234, 0x1111);
  pci->set_bar(1, 3, 0, 0, 0xE100000C);
  EXPECT_EQ(vbe_find_lfb(), 0xE1000000u);
}

TEST_F(FramebufferChoice, EveryFunctionIsProbedWithoutAMultifunctionTest) {
  // Function 5 of a device whose function 0 does not claim to be multi-function.
  pci->add_function(0, 7, 0, 0x8086, 0x0001);
  pci->add_function(0, 7, 5, 0x1111, 0x0002);
  pci->set_bar(0, 7, 5, 0, 0xD0000000);
  EXPECT_EQ(vbe_find_lfb(), 0xD0000000u);
}

// A framebuffer the marks can reach through a 32-bit physical address.
struct LowFramebuffer {
  LowFramebuffer(uint32_t width, uint32_t height, uint8_t bpp) {
    size = width * height * 4 + 4096;
    memory = static_cast<uint8_t*>(mmap(nullptr, size, PROT_READ | PROT_WRITE,
                                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0));
    memset(memory, 0x55, size);
    g_fb_addr = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(memory));
    g_fb_width = width;
    g_fb_height = height;
    g_fb_bpp = bpp;
    g_fb_pitch = width * ((bpp + 7) / 8);
  }
  ~LowFramebuffer() { munmap(memory, size); }
  const uint8_t* at(uint32_t x, uint32_t y) { return memory + y * g_fb_pitch + x * ((g_fb_bpp + 7) / 8); }
  uint8_t* memory;
  size_t size;
};

TEST(ProgressMarks, SixteenBitMarksAreRgb565InTheirColumns) {
  LowFramebuffer fb(800, 600, 16);
  draw_progress_mark(ProgressMark::DescriptorTable);
  draw_progress_mark(ProgressMark::MachineReady);
  EXPECT_EQ(fb.at(0, 0)[0], 0xE0);
  EXPECT_EQ(fb.at(31, 31)[1], 0x07);
  EXPECT_EQ(fb.at(32, 0)[0], 0x55);
  EXPECT_EQ(fb.at(0, 32)[0], 0x55);
  EXPECT_EQ(fb.at(120, 0)[0], 0xFF);
  EXPECT_EQ(fb.at(151, 31)[1], 0xFF);
  EXPECT_EQ(fb.at(40, 0)[0], 0x55) << "mark 2 not drawn";
}

TEST(ProgressMarks, ThirtyTwoBitMarksSetThreeBytesOfFour) {
  LowFramebuffer fb(800, 600, 32);
  draw_progress_mark(ProgressMark::Heap);
  draw_progress_mark(ProgressMark::Display);
  const uint8_t* cyan = fb.at(40, 10);
  EXPECT_EQ(cyan[0], 0xF8);
  EXPECT_EQ(cyan[1], 0xFC);
  EXPECT_EQ(cyan[2], 0x00);
  EXPECT_EQ(cyan[3], 0x55);
  const uint8_t* yellow = fb.at(111, 31);
  EXPECT_EQ(yellow[0], 0x00);
  EXPECT_EQ(yellow[1], 0xFC);
  EXPECT_EQ(yellow[2], 0xF8);
  EXPECT_EQ(fb.at(72, 0)[0], 0x55);
}

TEST(ProgressMarks, TwentyFourBitMarksArePackedThreeBytesAPixel) {
  LowFramebuffer fb(800, 600, 24);
  draw_progress_mark(ProgressMark::DescriptorTable);
  EXPECT_EQ(fb.at(31, 0)[1], 0xFC);
  EXPECT_EQ(fb.at(32, 0)[1], 0x55) << "pixel 32 starts at byte 96";
}

TEST(ProgressMarks, UnusableFramebufferIsNotTouched) {
  LowFramebuffer fb(800, 600, 16);
  g_fb_bpp = 8;
  draw_progress_mark(ProgressMark::DescriptorTable);
  EXPECT_EQ(fb.memory[0], 0x55);
  g_fb_bpp = 16;
  g_fb_pitch = 0;
  draw_progress_mark(ProgressMark::DescriptorTable);
  EXPECT_EQ(fb.memory[0], 0x55);
}

TEST(ProgressMarks, SmallFramebufferClipsTheMarks) {
  LowFramebuffer fb(130, 20, 16);
  draw_progress_mark(ProgressMark::MachineReady);
  EXPECT_EQ(fb.at(129, 19)[0], 0xFF);
  EXPECT_EQ(fb.memory[130 * 2 * 20], 0x55) << "nothing below the last row";
}

}  // namespace

namespace {

TEST(HeapSize, TakenFromTheRecordOnlyWhenItsMemoryFlagIsSet) {
  uint8_t record[120] = {};
  record[8] = 0x00;  // mem_upper = 0x1FC00 KiB: 127 MiB above 1 MiB
  record[9] = 0xFC;
  record[10] = 0x01;
  bool from_loader = true;
  EXPECT_EQ(korvan::kernel_heap_size(record, &from_loader), korvan::kDefaultHeapSize);
  EXPECT_FALSE(from_loader);
  record[0] = 0x01;
  EXPECT_EQ(korvan::kernel_heap_size(record, &from_loader), 127u * 1024 * 1024 - 0xA00000 - 0x2800);
  EXPECT_TRUE(from_loader);
}

TEST(HeapSize, TooLittleMemoryGivesAnEmptyHeapNotAWrappedOne) {
  uint8_t record[120] = {};
  record[0] = 0x01;
  record[8] = 0x00;  // 8 MiB above 1 MiB, below the heap's start
  record[9] = 0x20;
  bool from_loader = false;
  EXPECT_EQ(korvan::kernel_heap_size(record, &from_loader), 0u);
  for (int i = 8; i < 12; i++) record[i] = 0xFF;  // a record claiming 4 TiB
  EXPECT_EQ(korvan::kernel_heap_size(record, &from_loader), static_cast<uint32_t>((1ull << 32) - 0xA02800));
}

}  // namespace
