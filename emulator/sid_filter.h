// The SID's multimode filter, modelled as a state-variable filter run twice
// per output sample: low, band and high pass outputs summed as the mode bits
// select, an 11-bit cutoff mapped linearly onto 30 Hz to 12 kHz (the 8580's
// straight curve rather than the 6581's chip-to-chip one), and resonance
// narrowing the band from a Q of 0.7 to about 4.
#pragma once
#include <stdint.h>

class SidFilter {
 public:
  // MODE/VOL bits that choose the outputs.
  static constexpr uint8_t kLowPass = 0x10;
  static constexpr uint8_t kBandPass = 0x20;
  static constexpr uint8_t kHighPass = 0x40;
  static constexpr uint8_t kModes = kLowPass | kBandPass | kHighPass;
  // RES/FILT: voice routing in bits 0-2, resonance in bits 4-7.
  static constexpr uint8_t kFilterExternal = 0x08;

  static constexpr uint32_t kLowestCutoffHz = 30;
  static constexpr uint32_t kHighestCutoffHz = 12000;

  SidFilter();

  void cutoff_low(uint8_t value);
  void cutoff_high(uint8_t value);
  void resonance_routing(uint8_t value);
  void mode(uint8_t mode_volume) { mode_ = mode_volume & kModes; }

  bool routes(int voice) const { return (routing_ >> voice) & 1; }
  // One output sample from one input sample.
  int32_t process(int32_t input);

  uint32_t cutoff_hz() const;

 private:
  static constexpr int kFraction = 16;  // coefficients are in 1/65536
  static constexpr int32_t kStateLimit = 1 << 24;

  void update_coefficients();

  uint16_t cutoff_ = 0;  // 11 bits: FC LO bits 0-2, FC HI bits 3-10
  uint8_t routing_ = 0;
  uint8_t resonance_ = 0;
  uint8_t mode_ = 0;
  int64_t frequency_coefficient_ = 0;
  int64_t damping_ = 0;
  int32_t low_ = 0;
  int32_t band_ = 0;
};
