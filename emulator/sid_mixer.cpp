// The SID output stage.
#include "emulator/sid_mixer.h"

#include "emulator/sid_filter.h"

int16_t SidMixer::mix(const int32_t voices[kVoices], SidFilter* filter, uint8_t mode_volume) {
  int32_t direct = 0;
  int32_t to_filter = 0;
  for (int v = 0; v < kVoices; v++) {
    if (filter->routes(v)) to_filter += voices[v];
    else if (v != kVoices - 1 || !(mode_volume & kVoice3Off)) direct += voices[v];
  }
  int64_t before_volume = static_cast<int64_t>(direct) + filter->process(to_filter) + kVolumeBias;
  int64_t level = (before_volume * (mode_volume & kVolumeMask)) >> kOutputShift;
  // The capacitor's charge is kept in 1/65536 steps, so that the decay of a
  // small offset does not stall on the rounding.
  previous_out_ = (level - previous_in_) * 65536 + ((previous_out_ * kCouplingPole) >> 16);
  previous_in_ = level;
  int64_t out = previous_out_ >> 16;
  if (out > 32767) return 32767;
  if (out < -32768) return -32768;
  return static_cast<int16_t>(out);
}
