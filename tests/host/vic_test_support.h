// A VIC-II on a memory map, with IO's frame to paint into and a cycle
// counter of its own under its clock, for the VIC tests.
#pragma once
#include <stdint.h>

#include "emulator/cia2.h"
#include "emulator/clock.h"
#include "emulator/cpu.h"
#include "emulator/io.h"
#include "emulator/memory.h"
#include "emulator/vic.h"
#include "face/fake6502.h"

namespace vic_test {

constexpr uint8_t kBorder = 14, kBackground = 6;

class VicBench {
 public:
  VicBench() {
    g_face_active = 0;
    g_video_view = 0;
    f6502_context()->irq_request = 0;
    memory.cia2(&cia2);
    memory.vic(&vic);
    // No host framebuffer: the frame exists, and a refresh draws nothing.
    io.init_display(nullptr, 0, 0, 0, 16);
    vic.memory(&memory);
    vic.cpu(&cpu);
    vic.io(&io);
    vic.clock(&time);
  }
  ~VicBench() {
    f6502_context()->irq_request = 0;
    g_face_active = 0;
    g_video_view = 0;
  }

  // One cycle at a time until line has been processed (the raster has
  // moved past it); false if that never happens within two frames.
  bool run_through(int line) {
    int next = (line + 1) % Vic::kLinesPerFrame;
    for (uint32_t i = 0; i < 2 * Vic::kLinesPerFrame * Vic::kCyclesPerLine; i++) {
      clock++;
      vic.emulate();
      if (vic.raster_counter() == next) return true;
    }
    return false;
  }
  // Cycles until the raster counter next changes.
  uint32_t cycles_to_next_line() {
    int start = vic.raster_counter();
    for (uint32_t n = 1; n <= 2 * Vic::kCyclesPerLine; n++) {
      clock++;
      vic.emulate();
      if (vic.raster_counter() != start) return n;
    }
    return 0;
  }
  uint16_t pixel(int x, int y) const { return io.frame()[y * IO::kFrameWidth + x]; }
  // Frame row of a raster line.
  static int row_of(int raster) { return raster - Vic::kFirstVisibleLine; }

  // The usual screen: text at $0400, characters in RAM at $2000 (all
  // blank), 25 rows, 40 columns, vertical scroll 3.
  void text_screen() {
    for (uint16_t a = 0x0400; a < 0x0800; a++) memory.write_byte_no_io(a, 0x00);
    for (uint16_t a = 0x2000; a < 0x4000; a++) memory.write_byte_no_io(a, 0x00);
    for (uint16_t a = 0xD800; a < 0xDC00; a++) memory.write_byte_no_io(a, 0x01);
    vic.write_register(Vic::kMemoryPointers, 0x18);
    vic.write_register(Vic::kControl1, 0x1B);
    vic.write_register(Vic::kControl2, 0x08);
    vic.write_register(Vic::kBorderColour, kBorder);
    vic.write_register(Vic::kBackgroundColour0, kBackground);
  }

  uint32_t clock = 0;
  Clock time{&clock};
  Memory memory;
  Cia2 cia2;
  IO io;
  Cpu cpu;
  Vic vic;
};

}  // namespace vic_test
