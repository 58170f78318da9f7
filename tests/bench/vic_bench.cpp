// The VIC-II's cost per frame: the line machine catching up a whole frame
// in one call, painting the text screen with eight sprites, or only counting
// lines while the face's text is what the host screen shows.
#include <benchmark/benchmark.h>

#include "emulator/cia2.h"
#include "emulator/clock.h"
#include "emulator/cpu.h"
#include "emulator/io.h"
#include "emulator/memory.h"
#include "emulator/vic.h"

namespace {

constexpr uint32_t kFrameCycles = Vic::kLinesPerFrame * Vic::kCyclesPerLine;

struct Bench {
  uint32_t clock = 0;
  Clock time{&clock};
  Memory memory;
  Cia2 cia2;
  IO io;
  Cpu cpu;
  Vic vic;

  explicit Bench(bool shown) {
    g_face_active = shown ? 0 : 1;
    g_video_view = 0;
    memory.cia2(&cia2);
    memory.vic(&vic);
    io.init_display(nullptr, 0, 0, 0, 16);
    vic.memory(&memory);
    vic.cpu(&cpu);
    vic.io(&io);
    vic.clock(&time);
    for (uint16_t a = 0x0400; a < 0x07E8; a++) memory.write_byte_no_io(a, static_cast<uint8_t>(a));
    vic.write_register(Vic::kMemoryPointers, 0x15);
    vic.write_register(Vic::kControl1, 0x1B);
    vic.write_register(Vic::kControl2, 0x08);
    vic.write_register(Vic::kSpriteEnable, 0xFF);
    for (int n = 0; n < 8; n++) {
      vic.write_register(static_cast<uint8_t>(2 * n), static_cast<uint8_t>(30 + 30 * n));
      vic.write_register(static_cast<uint8_t>(2 * n + 1), static_cast<uint8_t>(60 + 20 * n));
    }
  }
};

void run_frames(benchmark::State& state, bool shown) {
  Bench bench(shown);
  for (auto _ : state) {
    bench.clock += kFrameCycles;
    bench.vic.emulate();
  }
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_FramePainted(benchmark::State& state) { run_frames(state, true); }
void BM_FrameBehindTheFaceText(benchmark::State& state) { run_frames(state, false); }

BENCHMARK(BM_FramePainted);
BENCHMARK(BM_FrameBehindTheFaceText);

}  // namespace

BENCHMARK_MAIN();
