// The SID filter.
#include "emulator/sid_filter.h"

#include "emulator/sid_clock.h"

namespace {

constexpr uint32_t kPassesPerSample = 2;  // keeps the filter stable up to the top cutoff
constexpr int64_t kOne = 1 << 16;
constexpr int64_t kPi = 205887;  // pi in 1/65536
// 1/Q from resonance 0 to 15.
constexpr int64_t kWidestDamping = 92682;  // Q 0.707
constexpr int64_t kNarrowestDamping = 16384;  // Q 4

int32_t clamp(int64_t value, int32_t limit) {
  if (value > limit) return limit;
  if (value < -limit) return -limit;
  return static_cast<int32_t>(value);
}

}  // namespace

SidFilter::SidFilter() { update_coefficients(); }

void SidFilter::cutoff_low(uint8_t value) {
  cutoff_ = static_cast<uint16_t>((cutoff_ & 0x7F8) | (value & 0x07));
  update_coefficients();
}

void SidFilter::cutoff_high(uint8_t value) {
  cutoff_ = static_cast<uint16_t>((cutoff_ & 0x007) | value << 3);
  update_coefficients();
}

void SidFilter::resonance_routing(uint8_t value) {
  routing_ = value & 0x0F;
  resonance_ = value >> 4;
  update_coefficients();
}

uint32_t SidFilter::cutoff_hz() const {
  return kLowestCutoffHz + cutoff_ * (kHighestCutoffHz - kLowestCutoffHz) / 0x7FF;
}

// f = 2 sin(pi fc / fs) at the filter's own rate, the sine from its series,
// which the small angles here (below 0.4) need only to the fifth power for.
void SidFilter::update_coefficients() {
  int64_t x = kPi * cutoff_hz() / (kSidSampleRate * kPassesPerSample);
  int64_t x3 = x * x / kOne * x / kOne;
  int64_t x5 = x3 * x / kOne * x / kOne;
  frequency_coefficient_ = 2 * (x - x3 / 6 + x5 / 120);
  damping_ = kWidestDamping - resonance_ * (kWidestDamping - kNarrowestDamping) / 15;
}

int32_t SidFilter::process(int32_t input) {
  int32_t high = 0;
  for (uint32_t pass = 0; pass < kPassesPerSample; pass++) {
    low_ = clamp(low_ + ((frequency_coefficient_ * band_) >> kFraction), kStateLimit);
    high = clamp(input - low_ - ((damping_ * band_) >> kFraction), kStateLimit);
    band_ = clamp(band_ + ((frequency_coefficient_ * high) >> kFraction), kStateLimit);
  }
  int32_t out = 0;
  if (mode_ & kLowPass) out += low_;
  if (mode_ & kBandPass) out += band_;
  if (mode_ & kHighPass) out += high;
  return out;
}
