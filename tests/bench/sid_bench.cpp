// The SID's cost per second of C64 time: three voices with their envelopes
// and the filter rendered into a ring that is drained, and the same chip run
// on while nobody takes its samples (the ring full, or no sound card).
#include <benchmark/benchmark.h>

#include "emulator/sid.h"
#include "lib/sample_ring.h"

namespace {

struct Bench {
  uint32_t clock = 0;
  SampleRing ring;
  Sid sid;

  Bench() {
    sid.clock(&clock);
    const uint8_t setup[][2] = {
        {0x18, 0x1F}, {0x17, 0xF3}, {0x16, 0x40},                                                   // low pass, voices 1-2
        {0x00, 0x00}, {0x01, 0x1C}, {0x05, 0x09}, {0x06, 0xA9}, {0x04, 0x41}, {0x03, 0x08},  // pulse
        {0x07, 0x00}, {0x08, 0x0E}, {0x0C, 0x22}, {0x0D, 0xF4}, {0x0B, 0x21},                // saw
        {0x0E, 0x00}, {0x0F, 0x48}, {0x13, 0x00}, {0x14, 0xF0}, {0x12, 0x15},                // ring-modulated triangle
    };
    for (const auto& w : setup) sid.write_register(w[0], w[1]);
  }
};

void BM_SecondOfSoundRendered(benchmark::State& state) {
  Bench b;
  b.sid.output(&b.ring);
  for (auto _ : state) {
    for (uint32_t step = 0; step < kSidClockHz; step += 20000) {
      b.clock += 20000;
      b.sid.emulate();
      b.ring.clear();
    }
  }
  state.counters["realtime_x"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SecondOfSoundRendered);

void BM_SecondRunWithoutListener(benchmark::State& state) {
  Bench b;
  for (auto _ : state) {
    b.clock += kSidClockHz;
    b.sid.emulate();
  }
  state.counters["realtime_x"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SecondRunWithoutListener);

}  // namespace

BENCHMARK_MAIN();
