// The VIC-II's registers, its line machine (bad lines, frames, catching up
// with the clock), the raster interrupt, and the raster followed by a
// program running on the processor core.
#include <gtest/gtest.h>

#include "tests/host/vic_test_support.h"

namespace {

using vic_test::VicBench;

class VicTest : public ::testing::Test, public VicBench {};

TEST_F(VicTest, PlainRegistersReadBack) {
  for (uint8_t reg = 0x00; reg <= 0x10; reg++) {
    vic.write_register(reg, static_cast<uint8_t>(0xA0 + reg));
    EXPECT_EQ(vic.read_register(reg), 0xA0 + reg) << int(reg);
  }
  for (uint8_t reg : {0x15, 0x16, 0x17, 0x1B, 0x1C, 0x1D}) {
    vic.write_register(reg, 0x5A);
    EXPECT_EQ(vic.read_register(reg), 0x5A) << int(reg);
  }
  EXPECT_EQ(vic.sprite_x(3), 0xA6) << "bit 3 of $10 ($B0) is clear";
  EXPECT_EQ(vic.sprite_x(4), 0x1A8) << "bit 4 of $10 ($B0) is set";
}

TEST_F(VicTest, ColourRegistersKeepFourBitsAndReadTheRestAsOnes) {
  for (uint8_t reg = 0x20; reg <= 0x2E; reg++) {
    vic.write_register(reg, static_cast<uint8_t>(0x30 + (reg & 0x0F)));
    EXPECT_EQ(vic.read_register(reg), 0xF0 | (reg & 0x0F)) << int(reg);
  }
}

TEST_F(VicTest, AbsentRegistersReadFixedValues) {
  for (uint8_t reg : {0x13, 0x14, 0x2F, 0x30, 0x3F}) {
    vic.write_register(reg, 0x00);
    EXPECT_EQ(vic.read_register(reg), 0xFF) << int(reg);
  }
  vic.write_register(0x1E, 0x55);
  EXPECT_EQ(vic.read_register(0x1E), 0x00);
  EXPECT_EQ(vic.read_register(0x1F), 0x00);
  EXPECT_EQ(vic.read_register(0x1A), 0xF0);
  EXPECT_EQ(vic.read_register(0x19), 0x70);
  EXPECT_EQ(vic.read_register(0x60), vic.read_register(0x20)) << "64 registers, repeated";
}

TEST_F(VicTest, MemoryPointersPlaceScreenCharactersAndBitmap) {
  EXPECT_EQ(vic.read_register(0x18), 0x01);
  vic.write_register(0x18, 0x15);
  EXPECT_EQ(vic.read_register(0x18), 0x15);
  memory.write_byte_no_io(0x0400 + 81, 0x42);
  EXPECT_EQ(vic.get_screen_char(1, 2), 0x42);
  EXPECT_EQ(vic.get_char_data(3, 5), memory.vic_read_byte(0x1000 + 3 * 8 + 5)) << "the character ROM";
  vic.write_register(0x18, 0x3C);  // screen $0C00, characters $3000, bitmap $2000
  memory.write_byte_no_io(0x0C00 + 40, 0x43);
  memory.write_byte_no_io(0x3000 + 2 * 8 + 1, 0x44);
  memory.write_byte_no_io(0x2000 + (40 + 2) * 8 + 6, 0x45);
  EXPECT_EQ(vic.get_screen_char(0, 1), 0x43);
  EXPECT_EQ(vic.get_char_data(2, 1), 0x44);
  EXPECT_EQ(vic.get_bitmap_data(2, 1, 6), 0x45);
  cia2.write_register(Cia2::kPortA, 0x02);  // bank $4000
  memory.write_byte_no_io(0x4C00 + 40, 0x46);
  EXPECT_EQ(vic.get_screen_char(0, 1), 0x46);
}

TEST_F(VicTest, ColourComesFromColourRamAndSpritePointersFollowTheScreen) {
  memory.write_byte_no_io(0xD800 + 3 * 40 + 7, 0xF9);
  EXPECT_EQ(vic.get_char_color(7, 3), 0x09);
  vic.write_register(0x18, 0x14);
  memory.write_byte_no_io(0x07F8 + 2, 0x0D);
  EXPECT_EQ(vic.get_sprite_ptr(2), 0x0340);
}

TEST_F(VicTest, ExtendedBackgroundModeFetchesOnlySixtyFourGlyphs) {
  text_screen();
  memory.write_byte_no_io(0x2000 + 0x01 * 8, 0x99);
  vic.write_register(0x11, 0x5B);
  EXPECT_EQ(vic.get_char_data(0xC1, 0), 0x99);
}

TEST_F(VicTest, GraphicModeFollowsEcmBmmMcm) {
  const int expected[8] = {0, 1, 2, 3, 4, 5, 5, 5};  // index ECM BMM MCM
  for (int bits = 0; bits < 8; bits++) {
    uint8_t control1 = static_cast<uint8_t>(0x1B | ((bits & 4) ? 0x40 : 0) | ((bits & 2) ? 0x20 : 0));
    vic.write_register(0x11, control1);
    vic.write_register(0x16, (bits & 1) ? 0x18 : 0x08);
    EXPECT_EQ(vic.graphic_mode(), expected[bits]) << bits;
  }
}

// The interrupt comes as the raster reaches the compare line, and the line
// stays held until the program acknowledges it in $D019.
TEST_F(VicTest, RasterInterruptRaisesStatusAndHoldsTheIrqLine) {
  vic.write_register(0x12, 40);
  vic.write_register(0x1A, 0x01);
  ASSERT_TRUE(run_through(38));
  EXPECT_EQ(vic.raster_counter(), 39);
  EXPECT_EQ(vic.read_register(0x19), 0x70);
  EXPECT_EQ(f6502_context()->irq_request, 0);
  ASSERT_TRUE(run_through(39));
  EXPECT_EQ(vic.read_register(0x19), 0xF1);
  EXPECT_EQ(f6502_context()->irq_request, Cpu::kIrqVic);
  vic.write_register(0x11, 0x9B);
  vic.write_register(0x12, 0x90);  // line 400: never again
  clock += 312 * 63;
  vic.emulate();
  EXPECT_EQ(f6502_context()->irq_request, Cpu::kIrqVic) << "held while unacknowledged";
  vic.write_register(0x19, 0x01);
  EXPECT_EQ(vic.read_register(0x19), 0x70);
  EXPECT_EQ(f6502_context()->irq_request, 0);
}

TEST_F(VicTest, DisabledRasterInterruptSetsNothing) {
  vic.write_register(0x12, 10);
  ASSERT_TRUE(run_through(10));
  EXPECT_EQ(vic.read_register(0x19), 0x70);
  EXPECT_EQ(f6502_context()->irq_request, 0);
}

TEST_F(VicTest, Control1BitSevenIsTheCompareLinesBitEight) {
  vic.write_register(0x11, 0x9B);
  vic.write_register(0x12, 0x04);  // line 260
  vic.write_register(0x1A, 0x01);
  ASSERT_TRUE(run_through(4));
  EXPECT_EQ(vic.read_register(0x19), 0x70);
  ASSERT_TRUE(run_through(260));
  EXPECT_EQ(vic.read_register(0x19), 0xF1);
  EXPECT_EQ(vic.read_register(0x11), 0x9B) << "bit 7 reads the raster's bit 8";
  EXPECT_EQ(vic.read_register(0x12), 261 - 256);
}

// Bit 7 written clear takes the compare line back below 256.
TEST_F(VicTest, Control1BitSevenClearedBringsTheCompareLineBackBelow256) {
  vic.write_register(0x11, 0x9B);
  vic.write_register(0x12, 0x04);  // line 260
  vic.write_register(0x11, 0x1B);  // line 4
  vic.write_register(0x1A, 0x01);
  ASSERT_TRUE(run_through(4));
  EXPECT_EQ(vic.read_register(0x19), 0xF1);
}

TEST_F(VicTest, WritingControl1LeavesTheRasterAlone) {
  ASSERT_TRUE(run_through(269));
  ASSERT_EQ(vic.raster_counter(), 270);
  vic.write_register(0x11, 0x1B);
  EXPECT_EQ(vic.raster_counter(), 270);
  EXPECT_EQ(vic.read_register(0x11), 0x9B);
}

TEST_F(VicTest, RasterCounterSetterSplitsItsNineBits) {
  vic.raster_counter(0x123);
  EXPECT_EQ(vic.read_register(0x12), 0x23);
  EXPECT_EQ(vic.read_register(0x11) & 0x80, 0x80);
  vic.raster_counter(0x045);
  EXPECT_EQ(vic.read_register(0x11) & 0x80, 0x00);
  EXPECT_EQ(vic.raster_counter(), 0x45);
}

// Only a frame whose display was on in line $30 has bad lines.
TEST_F(VicTest, BadLinesAreTheDisplayLinesMatchingTheVerticalScroll) {
  vic.write_register(0x11, 0x1B);  // scroll 3
  ASSERT_TRUE(run_through(0x2F));
  for (int line : {0x33, 0x3B, 0xF3}) {
    vic.raster_counter(line);
    EXPECT_TRUE(vic.is_bad_line()) << line;
  }
  for (int line : {0x2B, 0x30, 0x34, 0xFB, 0x133}) {
    vic.raster_counter(line);
    EXPECT_FALSE(vic.is_bad_line()) << line;
  }
  vic.write_register(0x11, 0x0F);  // scroll 7, screen off after line $30: still bad lines
  vic.raster_counter(0xF7);
  EXPECT_TRUE(vic.is_bad_line());
  ASSERT_TRUE(run_through(0x2F));  // the next frame's line $30, the screen off
  vic.raster_counter(0x37);
  EXPECT_FALSE(vic.is_bad_line());
}

// The lines keep 63 cycles of time; a bad line leaves the processor 23 of
// them, a line with sprites 2 fewer for each and 3 for the bus change.
TEST_F(VicTest, ABadLineLeavesTheProcessor23Cycles) {
  vic.write_register(0x11, 0x10);  // scroll 0
  vic.write_register(0x15, 0x05);  // sprites 0 and 2 on lines $31-$45
  vic.write_register(0x01, 0x31);
  vic.write_register(0x05, 0x31);
  ASSERT_TRUE(run_through(0x2F));
  EXPECT_EQ(cycles_to_next_line(), 23u) << "line $30";
  EXPECT_EQ(cycles_to_next_line(), 63u - 3 - 2 * 2) << "line $31";
  vic.write_register(0x17, 0x01);  // sprite 0 twice as tall: lines $31-$5A
  ASSERT_TRUE(run_through(0x51));
  EXPECT_EQ(cycles_to_next_line(), 63u - 3 - 2) << "line $52";
}

TEST_F(VicTest, AFrameIs312LinesWith25BadLines) {
  vic.write_register(0x11, 0x1B);
  uint32_t cycles = 0;
  while (vic.frame_count() == 0 && cycles < 30000) {
    clock++;
    cycles++;
    vic.emulate();
  }
  EXPECT_EQ(vic.frame_count(), 1u);
  EXPECT_EQ(vic.raster_counter(), 0);
  EXPECT_EQ(cycles, 312u * 63 - 25 * 40);
}

TEST_F(VicTest, OnePassCatchesUpEveryLineDue) {
  VicBench stepped;
  for (uint32_t target : {100u, 5000u, 61000u}) {
    clock = target;
    vic.emulate();
    while (stepped.clock < target) {
      stepped.clock++;
      stepped.vic.emulate();
    }
    EXPECT_EQ(vic.raster_counter(), stepped.vic.raster_counter()) << target;
    EXPECT_EQ(vic.frame_count(), stepped.vic.frame_count()) << target;
  }
  EXPECT_EQ(vic.frame_count(), 3u);
}

TEST_F(VicTest, ReadingTheRasterCatchesUpWithoutEmulate) {
  clock = 63 * 40;  // before the first bad line
  EXPECT_EQ(vic.read_register(0x12), 40);
}

TEST_F(VicTest, AClockThatRestartsResumesAtTheCurrentLine) {
  clock = 2000000000u;
  vic.emulate();
  clock = 0;
  vic.emulate();
  int line = vic.raster_counter();
  clock = 62;
  vic.emulate();
  EXPECT_EQ(vic.raster_counter(), line);
  EXPECT_EQ(cycles_to_next_line(), 1u);
}

// The register model's counter keeps time for nothing.
TEST_F(VicTest, WithoutAClockNoTimePasses) {
  Vic chip;
  Cpu model;
  chip.cpu(&model);
  model.tick(200);
  chip.emulate();
  EXPECT_EQ(chip.raster_counter(), 0);
}

TEST_F(VicTest, EmulateSucceedsEvenInTheInvalidMode) {
  text_screen();
  vic.write_register(0x11, 0x7B);
  EXPECT_TRUE(vic.emulate());
  clock = 20000;
  EXPECT_TRUE(vic.emulate());
  EXPECT_EQ(vic.frame_count(), 1u);
}

// A program on the processor core, with the VIC clocked by the core's
// cycle counter as the machine wires it.
class VicOnTheCore : public VicTest {
 protected:
  VicOnTheCore() {
    f6502_bind(&memory);
    core()->cycles = 0;
    core()->status = kFlagInterrupt | kFlagConstant;
    core()->sp = 0xFF;
    vic.clock(&core_time);
  }
  ~VicOnTheCore() override { f6502_bind(nullptr); }
  static fake6502_context* core() { return f6502_context(); }
  Clock core_time{&core()->cycles};
  void load(uint16_t addr, std::initializer_list<uint8_t> code) {
    for (uint8_t byte : code) memory.write_byte_no_io(addr++, byte);
  }
  // Steps until the core reaches addr; false after limit instructions.
  bool run_until(uint16_t addr, uint32_t limit) {
    for (uint32_t i = 0; i < limit; i++) {
      if (core()->pc == addr) return true;
      f6502_step();
    }
    return false;
  }
};

TEST_F(VicOnTheCore, WaitingForARasterLineFinishes) {
  load(0xC000, {0xAD, 0x12, 0xD0,    // LDA $D012
                0xC9, 0x80,          // CMP #$80
                0xD0, 0xF9,          // BNE $C000
                0x2C, 0x11, 0xD0,    // BIT $D011
                0x10, 0xFB,          // BPL $C007
                0xEA});              // $C00C
  core()->pc = 0xC000;
  ASSERT_TRUE(run_until(0xC007, 20000));
  EXPECT_EQ(vic.raster_counter(), 0x80);
  ASSERT_TRUE(run_until(0xC00C, 20000));
  EXPECT_GE(vic.raster_counter(), 0x100);
}

TEST_F(VicOnTheCore, RasterInterruptReachesTheRunningProcessor) {
  memory.write_byte(Memory::kProcessorPort, 0x35);  // RAM under the KERNAL, I/O in
  memory.write_word_no_io(0xFFFE, 0xC100);
  load(0xC100, {0xE6, 0xFB,          // INC $FB
                0xAD, 0x12, 0xD0,    // LDA $D012
                0x85, 0xFC,          // STA $FC
                0xA9, 0x01,          // LDA #$01
                0x8D, 0x19, 0xD0,    // STA $D019
                0x40});              // RTI
  load(0xC000, {0x58,                // CLI
                0x4C, 0x01, 0xC0});  // JMP $C001
  memory.write_byte_no_io(0xFB, 0);
  vic.write_register(0x12, 0x80);
  vic.write_register(0x1A, 0x01);
  core()->pc = 0xC000;
  // As the face runs the chips: after the instruction that reaches an event.
  const uint32_t frame = 312 * 63;
  while (core()->cycles < 2 * frame + 100) {
    f6502_step();
    if (core_time.due()) core_time.serve();
  }
  EXPECT_EQ(memory.read_byte_no_io(0xFB), 2) << "once a frame";
  EXPECT_EQ(memory.read_byte_no_io(0xFC), 0x80) << "taken as the raster reaches line $80";
  EXPECT_EQ(vic.read_register(0x19), 0x70);
}

}  // namespace
