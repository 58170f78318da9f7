// Emulated instructions per second through the C64 memory map, and the
// speed relative to a real C64's processor clock.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "emulator/cia1.h"
#include "emulator/cia2.h"
#include "emulator/memory.h"
#include "emulator/sid.h"
#include "emulator/vic.h"
#include "face/fake6502.h"
#include "face/fake6502_bridge.h"

namespace {

constexpr double kC64CyclesPerSecond = 985000.0;  // PAL clock, about 985 kHz
constexpr uint16_t kWorkloadStart = 0xC000;
constexpr uint32_t kStepsPerIteration = 12000;  // one main-loop pass

struct Machine {
  Memory memory;
  Vic vic;
  Sid sid;
  Cia1 cia1;
  Cia2 cia2;
  bool loaded = false;

  Machine() {
    memory.vic(&vic);
    memory.sid(&sid);
    memory.cia1(&cia1);
    memory.cia2(&cia2);
    std::ifstream in(QUILLON_BENCH_DATA_DIR "/cpu_mix.bin", std::ios::binary);
    std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), {});
    for (size_t i = 0; i < image.size() && kWorkloadStart + i < 0x10000; i++)
      memory.write_byte_no_io(static_cast<uint16_t>(kWorkloadStart + i), image[i]);
    loaded = !image.empty();
  }
};

constexpr uint16_t kWorkloadEnd = kWorkloadStart + 0x100;

// A workload that ran off into other memory would measure something else.
void report(benchmark::State& state, uint64_t instructions, uint64_t cycles) {
  uint16_t pc = f6502_pc();
  if (pc < kWorkloadStart || pc >= kWorkloadEnd) {
    state.SkipWithError("the workload left its loop");
    return;
  }
  state.SetItemsProcessed(static_cast<int64_t>(instructions));
  state.counters["instructions_per_second"] =
      benchmark::Counter(static_cast<double>(instructions), benchmark::Counter::kIsRate);
  // Emulated C64 seconds per host second: the speed against a real machine.
  state.counters["c64_seconds"] =
      benchmark::Counter(static_cast<double>(cycles) / kC64CyclesPerSecond,
                         benchmark::Counter::kIsRate);
}

void BM_CoreThroughMemory(benchmark::State& state) {
  Machine machine;
  if (!machine.loaded) {
    state.SkipWithError("cpu_mix.bin not built");
    return;
  }
  f6502_bind(&machine.memory);
  f6502_reset();
  fake6502_context* core = f6502_context();
  core->pc = kWorkloadStart;
  uint64_t instructions = 0, cycles = 0;
  for (auto _ : state) {
    uint32_t before = core->cycles;
    for (uint32_t i = 0; i < kStepsPerIteration; i++) f6502_step();
    cycles += static_cast<uint32_t>(core->cycles - before);
    instructions += kStepsPerIteration;
  }
  report(state, instructions, cycles);
  f6502_bind(nullptr);
}
BENCHMARK(BM_CoreThroughMemory);

// The same workload through the face, as the main loop runs it: passes of
// 12,000 instructions with the jiffy interrupt request.
void BM_FacePasses(benchmark::State& state) {
  Machine machine;
  if (!machine.loaded) {
    state.SkipWithError("cpu_mix.bin not built");
    return;
  }
  FaceNode face = {};
  face_bind_c64(&face, &machine.memory);
  face_realize(&face);
  fake6502_context* core = f6502_context();
  core->pc = kWorkloadStart;
  uint64_t instructions = 0, cycles = 0;
  for (auto _ : state) {
    uint32_t before = core->cycles;
    face_tick_steps(&face, kStepsPerIteration);
    face_tick_observe(&face);
    cycles += static_cast<uint32_t>(core->cycles - before);
    instructions += kStepsPerIteration;
  }
  report(state, instructions, cycles);
  f6502_bind(nullptr);
}
BENCHMARK(BM_FacePasses);

}  // namespace

BENCHMARK_MAIN();
