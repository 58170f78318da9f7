// Pacing the machine against the wall clock.
#include "emulator/pacer.h"

#include "core/x86.h"
#include "emulator/clock.h"
#include "emulator/io_events.h"

volatile bool g_warp = true;

namespace {
constexpr uint32_t kMillisPerSecond = 1000;
// The base moves on by whole minutes, exactly, so the cycle difference
// stays far from wrapping and nothing is lost to rounding.
constexpr uint32_t kRebaseSeconds = 60;
// The timer interrupt ends a halt every millisecond, other interrupts more
// often; this many halts per millisecond waited at most.
constexpr uint32_t kHaltsPerMilli = 64;
constexpr uint32_t kLongestWaitMillis = 1000;
}  // namespace

void Pacer::restart(uint32_t cycles, uint32_t millis) {
  base_cycles_ = cycles;
  base_millis_ = millis;
}

int32_t Pacer::lead(uint32_t cycles, uint32_t millis) {
  uint32_t elapsed = cycles - base_cycles_;
  if (static_cast<int32_t>(elapsed) < 0) {  // the count restarted (a new machine)
    restart(cycles, millis);
    return 0;
  }
  while (elapsed >= kRebaseSeconds * Clock::kCyclesPerSecond) {
    base_cycles_ += kRebaseSeconds * Clock::kCyclesPerSecond;
    base_millis_ += kRebaseSeconds * kMillisPerSecond;
    elapsed -= kRebaseSeconds * Clock::kCyclesPerSecond;
  }
  uint32_t due = base_millis_ + static_cast<uint32_t>(static_cast<uint64_t>(elapsed) * kMillisPerSecond /
                                                      Clock::kCyclesPerSecond);
  return static_cast<int32_t>(due - millis);
}

uint32_t Pacer::ahead(uint32_t cycles, uint32_t millis) {
  int32_t lead_millis = lead(cycles, millis);
  if (lead_millis > 0) return static_cast<uint32_t>(lead_millis);
  if (static_cast<uint32_t>(-lead_millis) > kMaxDebtMillis) restart(cycles, millis);
  return 0;
}

bool Pacer::late(uint32_t cycles, uint32_t millis) {
  return lead(cycles, millis) < -static_cast<int32_t>(kLateMillis);
}

void wait_until_milli(uint32_t target) {
  uint32_t left = target - current_milli;
  if (static_cast<int32_t>(left) <= 0) return;
  if (left > kLongestWaitMillis) left = kLongestWaitMillis;
  for (uint32_t halts = left * kHaltsPerMilli; halts > 0 && static_cast<int32_t>(current_milli - target) < 0;
       halts--)
    korvan::x86::halt();
}
