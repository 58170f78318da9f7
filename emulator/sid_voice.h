// One SID voice's oscillator: the 24-bit phase accumulator, the 23-bit noise
// shift register, and the 12-bit waveform output with ring modulation and
// hard sync from the voice before it.
#pragma once
#include <stdint.h>

class SidVoice {
 public:
  // CONTROL REG bits.
  static constexpr uint8_t kGate = 0x01;
  static constexpr uint8_t kSync = 0x02;
  static constexpr uint8_t kRingMod = 0x04;
  static constexpr uint8_t kTest = 0x08;
  static constexpr uint8_t kTriangle = 0x10;
  static constexpr uint8_t kSawtooth = 0x20;
  static constexpr uint8_t kPulse = 0x40;
  static constexpr uint8_t kNoise = 0x80;
  static constexpr uint8_t kWaveforms = 0xF0;

  static constexpr uint32_t kAccumulatorMask = 0xFFFFFF;
  static constexpr uint32_t kAccumulatorMsb = 0x800000;
  static constexpr uint16_t kOutputMidpoint = 0x800;

  void frequency_low(uint8_t value) { frequency_ = (frequency_ & 0xFF00) | value; }
  void frequency_high(uint8_t value) { frequency_ = static_cast<uint16_t>((frequency_ & 0x00FF) | value << 8); }
  void pulse_width_low(uint8_t value) { pulse_width_ = (pulse_width_ & 0xF00) | value; }
  void pulse_width_high(uint8_t value) { pulse_width_ = static_cast<uint16_t>((pulse_width_ & 0x0FF) | (value & 0x0F) << 8); }
  void control(uint8_t value);

  // Adds the frequency once per cycle, clocking the noise register on every
  // rising edge of accumulator bit 19 and noting a rising MSB for sync.
  void advance(uint32_t cycles);
  // Hard sync: restarts the accumulator where the source's MSB rose during
  // the last advance, as far into the new period as the cycles since then.
  void synchronize(const SidVoice& source);
  // The selected waveforms (several are ANDed), 0 with none selected. Ring
  // modulation replaces the triangle's MSB by its XOR with the source's.
  uint16_t output(const SidVoice& ring_source) const;
  bool sounding() const { return (control_ & kWaveforms) != 0; }

  uint16_t frequency() const { return frequency_; }
  uint8_t control() const { return control_; }
  uint32_t accumulator() const { return accumulator_; }

 private:
  static constexpr uint32_t kNoiseClockBit = 19;
  static constexpr uint32_t kNoiseSeed = 0x7FFFFF;  // the test bit fills the register with ones
  static constexpr uint32_t kNoiseMask = 0x7FFFFF;
  // More shifts than the register has bits would only reshuffle it again.
  static constexpr uint32_t kMaxNoiseShifts = 23;

  uint16_t noise() const;
  void shift_noise();

  uint16_t frequency_ = 0;
  uint16_t pulse_width_ = 0;
  uint8_t control_ = 0;
  uint32_t accumulator_ = 0;
  uint32_t noise_ = kNoiseSeed;
  bool msb_rose_ = false;
  uint32_t past_msb_rise_ = 0;  // accumulator units the source ran beyond its MSB rise
};
