// The machine's main-loop pass with the system's own ROMs: passes and
// emulated instructions per second while BASIC runs a loop, and the cost of
// the face path's redraw when every pass changes the screen.
#include <benchmark/benchmark.h>

#include <vector>

#include "emulator/c64.h"
#include "emulator/io.h"
#include "emulator/io_events.h"
#include "emulator/memory.h"
#include "face/fake6502_bridge.h"
#include "hosted/simulated_8042.h"

namespace {

constexpr uint16_t kKeyCount = 0x00C6;
constexpr uint8_t kKeyBufferSize = 10;
constexpr uint32_t kBootPasses = 200;

// More than a frame's worth of milliseconds, so the display never waits.
void advance_clock() { current_milli = current_milli + 100; }

// Boots BASIC and types a program and RUN, as fast as the KERNAL takes keys.
void boot_and_type(C64* machine, const char* text) {
  machine->begin();
  for (uint32_t pass = 0; pass < kBootPasses; pass++) {
    advance_clock();
    machine->run_pass();
  }
  for (const char* c = text; *c != 0;) {
    while (*c != 0 && machine->mem->read_byte_no_io(kKeyCount) < kKeyBufferSize) face_key(&g_c64_face, *c++);
    advance_clock();
    machine->run_pass();
  }
}

void report(benchmark::State& state) {
  state.counters["passes/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["instructions/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * C64::kInstructionsPerPass, benchmark::Counter::kIsRate);
}

void BM_PassRunningBasicLoop(benchmark::State& state) {
  korvan::hosted::Simulated8042 controller;
  C64 machine;
  boot_and_type(&machine, "10 a=a+1:goto 10\rrun\r");
  for (auto _ : state) {
    advance_clock();
    machine.run_pass();
  }
  report(state);
}
BENCHMARK(BM_PassRunningBasicLoop);

// PRINT scrolls the whole screen: every pass redraws most cells.
void BM_PassPrintingWithRedraw(benchmark::State& state) {
  korvan::hosted::Simulated8042 controller;
  C64 machine;
  std::vector<uint32_t> framebuffer(800 * 600 / 2);
  machine.io->init_display(framebuffer.data(), 800, 600, 1600, 16);
  boot_and_type(&machine, "10 print a:a=a+1:goto 10\rrun\r");
  for (auto _ : state) {
    advance_clock();
    machine.run_pass();
  }
  report(state);
}
BENCHMARK(BM_PassPrintingWithRedraw);

}  // namespace

BENCHMARK_MAIN();
