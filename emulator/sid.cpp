// The SID on the PC speaker.
#include "emulator/sid.h"

#include "drivers/speaker.h"

namespace {
// Each oscillator adds its 16-bit frequency number to a 24-bit accumulator
// every clock of the 1,022,727 Hz machine, so a period lasts 2^24 / Fn clocks:
// Fn x 0.06097 Hz. In integers, so the kernel needs no floating point; no
// 16-bit Fn makes Fn x 6097 a multiple of 100000, so truncation agrees.
constexpr uint32_t kHertzNumerator = 6097;
constexpr uint32_t kHertzDenominator = 100000;
}  // namespace

void Sid::write_register(uint8_t reg, uint8_t value) {
  switch (reg) {
    case kVoice1FrequencyLow:
    case kVoice2FrequencyLow:
    case kVoice3FrequencyLow:
      frequency_low_ = value;
      break;
    case kVoice1FrequencyHigh:
    case kVoice2FrequencyHigh:
    case kVoice3FrequencyHigh:
      frequency_high_ = value;
      break;
    case kModeVolume:
      volume_ = value;
      break;
    default:
      return;
  }
  play();
}

void Sid::play() {
  if (volume_ == 0) {
    if (speaker_ != nullptr) speaker_->Nosound();
    return;
  }
  frequency_ = getFrequency(frequency_high_, frequency_low_);
  if (frequency_ != 0 && speaker_ != nullptr) speaker_->Sound(static_cast<uint32_t>(frequency_));
}

int32_t Sid::getFrequency(uint8_t high, uint8_t low) {
  uint32_t number = (static_cast<uint32_t>(high) << 8) | low;
  return static_cast<int32_t>(number * kHertzNumerator / kHertzDenominator);
}
