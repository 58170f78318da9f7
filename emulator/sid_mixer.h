// The SID's output stage: the three voices, some through the filter, voice
// 3 cut off by 3OFF unless filtered, the 4-bit master volume, and the C64's
// AC-coupled audio output, as one 16-bit sample.
#pragma once
#include <stdint.h>

class SidFilter;

class SidMixer {
 public:
  static constexpr uint8_t kVoice3Off = 0x80;  // MODE/VOL 3OFF
  static constexpr uint8_t kVolumeMask = 0x0F;
  static constexpr int kVoices = 3;
  // The mixer's own DC level, which the master volume scales like any
  // signal: writing the volume alone moves the output, which is how the C64
  // plays sampled sound.
  static constexpr int32_t kVolumeBias = 16384;

  // voices: each voice's waveform centred on zero and scaled by its
  // envelope. Runs the filter whatever is routed, so its state moves on.
  int16_t mix(const int32_t voices[kVoices], SidFilter* filter, uint8_t mode_volume);

 private:
  // The output's coupling capacitor as a one-pole high pass near 15 Hz.
  static constexpr int64_t kCouplingPole = 65405;  // 0.998 in 1/65536
  static constexpr int kOutputShift = 6;

  int64_t previous_in_ = 0;
  int64_t previous_out_ = 0;  // in 1/65536
};
