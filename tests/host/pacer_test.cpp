// Real speed: the pacer's arithmetic against a simulated millisecond clock,
// the bounded wait, and the kernel image's pass at real speed and in warp.
#include <gtest/gtest.h>

#include <vector>

#include "emulator/clock.h"
#include "emulator/io.h"
#include "emulator/pacer.h"
#include "emulator/vic.h"
#include "face/fake6502_bridge.h"
#include "tests/host/machine_test_support.h"
#include "hosted/hosted_cpu.h"
#include "hosted/simulated_8042.h"

namespace {

constexpr uint32_t kSecond = Clock::kCyclesPerSecond;

TEST(Pacer, AMachineAheadWaitsOneBehindDropsItsDebt) {
  Pacer pacer;
  pacer.restart(1000, 5000);
  EXPECT_EQ(pacer.ahead(1000 + kSecond / 2, 5000), 500u);
  EXPECT_EQ(pacer.ahead(1000 + kSecond, 5990), 10u);
  EXPECT_EQ(pacer.ahead(1000 + kSecond, 6040), 0u) << "40 ms behind";
  EXPECT_EQ(pacer.ahead(1000 + 2 * kSecond, 6960), 40u) << "the small debt is kept";
  EXPECT_EQ(pacer.ahead(1000 + 2 * kSecond, 7100), 0u) << "100 ms behind";
  EXPECT_EQ(pacer.ahead(1000 + 2 * kSecond + kSecond / 10 + 1, 7100), 100u) << "counting from the debt's end";
}

// Whole minutes move the base exactly: an hour frame by frame drifts by
// less than a millisecond, and the count may wrap.
TEST(Pacer, AnHourOfFramesKeepsTheWallClockExactly) {
  Pacer pacer;
  uint32_t cycles = 0xFFF00000u;
  pacer.restart(cycles, 0);
  uint32_t worst = 0;
  const uint32_t frame = Vic::kLinesPerFrame * Vic::kCyclesPerLine;
  for (uint64_t total = 0; total < 3600ull * kSecond; total += frame) {
    cycles += frame;
    uint32_t millis = static_cast<uint32_t>((total + frame) * 1000 / kSecond);
    uint32_t lead = pacer.ahead(cycles, millis);
    if (lead > worst) worst = lead;
  }
  EXPECT_LE(worst, 1u);
}

TEST(Pacer, TheWaitIsBoundedWhenTheTimerStands) {
  korvan::hosted::reset_hosted_cpu();
  current_milli = 100;
  wait_until_milli(90);
  EXPECT_EQ(korvan::hosted::hosted_cpu().halts, 0u) << "already past";
  wait_until_milli(120);
  unsigned halts = korvan::hosted::hosted_cpu().halts;
  EXPECT_GT(halts, 0u);
  EXPECT_LE(halts, 20u * 64);
}

// At real speed a pass runs one video frame and then waits for the wall
// clock; in warp it runs its 12,000 instructions and never waits.
TEST(Pacer, RealSpeedPassesRunAFrameAndWaitWarpPassesDoNot) {
  korvan::hosted::Simulated8042 controller;
  C64 machine;
  machine_test::load_idle_kernal(machine.mem);
  bool warp = g_warp;
  g_warp = false;
  machine.begin();
  const uint32_t frame = Vic::kLinesPerFrame * Vic::kCyclesPerLine;
  for (int pass = 0; pass < 3; pass++) {
    korvan::hosted::reset_hosted_cpu();
    uint32_t before = machine.clock->now();
    uint32_t frames = machine.vic->frame_count();
    machine.run_pass();
    EXPECT_EQ(machine.vic->frame_count(), frames + 1) << pass;
    EXPECT_LE(machine.clock->now() - before, frame + 64 * 7) << pass;
    EXPECT_GT(korvan::hosted::hosted_cpu().halts, 0u) << "the wall clock stood still";
  }
  g_warp = true;
  korvan::hosted::reset_hosted_cpu();
  uint32_t steps = g_c64_self.steps;
  machine.run_pass();
  EXPECT_EQ(g_c64_self.steps - steps, C64::kInstructionsPerPass);
  EXPECT_EQ(korvan::hosted::hosted_cpu().halts, 0u);
  g_warp = warp;
}

// The video view at real speed: a host that keeps up draws every frame; one
// that takes 25 ms for a frame drawn and 10 ms for one not drawn skips a
// picture now and then, never two in a row, and the machine keeps time.
TEST(Pacer, TheVideoViewSkipsWholePicturesEvenlyWhereTheHostFallsBehind) {
  korvan::hosted::Simulated8042 controller;
  C64 machine;
  machine_test::load_idle_kernal(machine.mem);
  constexpr uint32_t kWidth = 80, kHeight = 60, kUntouched = 0xAAAAAAAAu;
  std::vector<uint32_t> framebuffer(kWidth * kHeight);
  machine.io->init_display(framebuffer.data(), kWidth, kHeight, kWidth * 4, 32);
  bool warp = g_warp;
  g_warp = false;
  int32_t view = g_video_view;
  g_video_view = 1;
  machine.begin();
  machine.run_pass();  // the first pass redraws whatever the pace
  for (uint32_t drawn_millis : {20u, 25u}) {
    uint32_t start_milli = current_milli, start_cycles = machine.clock->now();
    int pictures = 0, longest_gap = 0, gap = 0;
    bool drew = true;
    for (int pass = 0; pass < 50; pass++) {
      framebuffer[0] = kUntouched;
      current_milli = current_milli + (drew ? drawn_millis : 10);
      machine.run_pass();
      drew = framebuffer[0] != kUntouched;
      pictures += drew;
      gap = drew ? 0 : gap + 1;
      if (gap > longest_gap) longest_gap = gap;
    }
    double machine_millis = (machine.clock->now() - start_cycles) * 1000.0 / kSecond;
    // Drawing every frame would leave the machine 250 ms behind by now; a
    // frame ahead at the start and the debt it may carry are allowed.
    EXPECT_NEAR(machine_millis, current_milli - start_milli, 2 * Pacer::kMaxDebtMillis) << "keeps time";
    if (drawn_millis == 20) {
      EXPECT_EQ(pictures, 50) << "a host that keeps up draws every frame";
    } else {
      EXPECT_LT(pictures, 50) << "a late machine skips pictures";
      EXPECT_GE(pictures, 30);
      EXPECT_EQ(longest_gap, 1) << "evenly";
    }
  }
  g_video_view = view;
  g_warp = warp;
}

}  // namespace
