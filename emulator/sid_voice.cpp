// The SID oscillator.
#include "emulator/sid_voice.h"

void SidVoice::control(uint8_t value) {
  // The test bit holds the accumulator at zero and resets the noise register
  // for as long as it is set.
  if (value & kTest) {
    accumulator_ = 0;
    noise_ = kNoiseSeed;
  }
  control_ = value;
}

void SidVoice::advance(uint32_t cycles) {
  msb_rose_ = false;
  if (control_ & kTest) return;
  uint32_t old = accumulator_;
  uint32_t sum = old + static_cast<uint32_t>(frequency_) * cycles;
  // Bit 19 rises where accumulator + 2^19 crosses a multiple of 2^20; the
  // MSB where accumulator + 2^23 crosses a multiple of 2^24.
  constexpr uint32_t kHalfNoise = 1u << kNoiseClockBit;
  uint32_t shifts = ((sum + kHalfNoise) >> (kNoiseClockBit + 1)) - ((old + kHalfNoise) >> (kNoiseClockBit + 1));
  if (shifts > kMaxNoiseShifts) shifts = kMaxNoiseShifts;
  for (uint32_t i = 0; i < shifts; i++) shift_noise();
  uint32_t periods_after = (sum + kAccumulatorMsb) >> 24;
  if (periods_after != (old + kAccumulatorMsb) >> 24) {
    msb_rose_ = true;
    past_msb_rise_ = sum - ((periods_after << 24) - kAccumulatorMsb);
  }
  accumulator_ = sum & kAccumulatorMask;
}

void SidVoice::synchronize(const SidVoice& source) {
  if (!(control_ & kSync) || !source.msb_rose_ || (control_ & kTest)) return;
  uint32_t cycles_since = source.frequency_ != 0 ? source.past_msb_rise_ / source.frequency_ : 0;
  accumulator_ = (static_cast<uint32_t>(frequency_) * cycles_since) & kAccumulatorMask;
}

void SidVoice::shift_noise() {
  uint32_t feedback = ((noise_ >> 22) ^ (noise_ >> 17)) & 1;
  noise_ = ((noise_ << 1) | feedback) & kNoiseMask;
}

// Bits 20, 18, 14, 11, 9, 5, 2 and 0 of the register are the output's top eight.
uint16_t SidVoice::noise() const {
  return static_cast<uint16_t>(((noise_ >> 9) & 0x800) | ((noise_ >> 8) & 0x400) | ((noise_ >> 5) & 0x200) |
                               ((noise_ >> 3) & 0x100) | ((noise_ >> 2) & 0x080) | ((noise_ << 1) & 0x040) |
                               ((noise_ << 3) & 0x020) | ((noise_ << 4) & 0x010));
}

uint16_t SidVoice::output(const SidVoice& ring_source) const {
  if (!sounding()) return 0;
  uint16_t out = 0xFFF;
  if (control_ & kTriangle) {
    uint32_t msb = accumulator_ & kAccumulatorMsb;
    if (control_ & kRingMod) msb ^= ring_source.accumulator_ & kAccumulatorMsb;
    uint32_t folded = msb ? ~accumulator_ : accumulator_;
    out &= static_cast<uint16_t>((folded >> 11) & 0xFFF);
  }
  if (control_ & kSawtooth) out &= static_cast<uint16_t>(accumulator_ >> 12);
  if (control_ & kPulse) out &= ((control_ & kTest) || (accumulator_ >> 12) >= pulse_width_) ? 0xFFF : 0x000;
  if (control_ & kNoise) out &= noise();
  return out;
}
