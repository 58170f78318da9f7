// The SID envelope generator.
#include "emulator/sid_envelope.h"

#include "emulator/sid_clock.h"

namespace {

// The data sheet's times assume a full 255 steps; the period is rounded to
// whole cycles at the PAL clock.
constexpr uint32_t rate_period(uint16_t milliseconds) {
  return static_cast<uint32_t>((uint64_t{milliseconds} * kSidClockHz + 127500) / 255000);
}

constexpr uint32_t kPeriods[SidEnvelope::kRates] = {
    rate_period(SidEnvelope::kAttackMilliseconds[0]),  rate_period(SidEnvelope::kAttackMilliseconds[1]),
    rate_period(SidEnvelope::kAttackMilliseconds[2]),  rate_period(SidEnvelope::kAttackMilliseconds[3]),
    rate_period(SidEnvelope::kAttackMilliseconds[4]),  rate_period(SidEnvelope::kAttackMilliseconds[5]),
    rate_period(SidEnvelope::kAttackMilliseconds[6]),  rate_period(SidEnvelope::kAttackMilliseconds[7]),
    rate_period(SidEnvelope::kAttackMilliseconds[8]),  rate_period(SidEnvelope::kAttackMilliseconds[9]),
    rate_period(SidEnvelope::kAttackMilliseconds[10]), rate_period(SidEnvelope::kAttackMilliseconds[11]),
    rate_period(SidEnvelope::kAttackMilliseconds[12]), rate_period(SidEnvelope::kAttackMilliseconds[13]),
    rate_period(SidEnvelope::kAttackMilliseconds[14]), rate_period(SidEnvelope::kAttackMilliseconds[15]),
};

}  // namespace

uint32_t SidEnvelope::period(int rate) { return kPeriods[rate & (kRates - 1)]; }

void SidEnvelope::attack_decay(uint8_t value) { attack_decay_ = value; }

void SidEnvelope::sustain_release(uint8_t value) { sustain_release_ = value; }

void SidEnvelope::gate(bool on) {
  if (on && !gate_) {
    phase_ = Phase::Attack;
  } else if (!on && gate_) {
    phase_ = Phase::Release;
  }
  gate_ = on;
}

uint32_t SidEnvelope::current_period() const {
  switch (phase_) {
    case Phase::Attack:
      return kPeriods[attack_decay_ >> 4];
    case Phase::DecaySustain:
      return kPeriods[attack_decay_ & 0x0F];
    case Phase::Release:
      break;
  }
  return kPeriods[sustain_release_ & 0x0F];
}

void SidEnvelope::advance(uint32_t cycles) {
  rate_counter_ += cycles;
  // A released envelope at zero only counts; nothing it does can be heard.
  if (phase_ == Phase::Release && level_ == 0) {
    rate_counter_ %= current_period();
    return;
  }
  for (uint32_t period = current_period(); rate_counter_ >= period; period = current_period()) {
    rate_counter_ -= period;
    step();
  }
}

uint8_t SidEnvelope::exponential_divider(uint8_t level) {
  if (level > 93) return 1;
  if (level > 54) return 2;
  if (level > 26) return 4;
  if (level > 14) return 8;
  if (level > 6) return 16;
  return 30;
}

void SidEnvelope::step() {
  if (phase_ == Phase::Attack) {
    exponential_counter_ = 0;
    if (++level_ == kMaximum) phase_ = Phase::DecaySustain;
    return;
  }
  if (++exponential_counter_ < exponential_divider(level_)) return;
  exponential_counter_ = 0;
  // Sustain is the level both nibble copies make (e.g. 8 is $88); a lower
  // sustain written while it holds lets it decay further, a higher one does
  // not raise it.
  uint8_t floor = phase_ == Phase::DecaySustain ? static_cast<uint8_t>((sustain_release_ >> 4) * 0x11) : 0;
  if (level_ > floor) level_--;
}
