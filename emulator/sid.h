// The SID approximated by the PC speaker: one square-wave tone at the last
// frequency written to any voice, sounding while the volume is non-zero.
#pragma once
#include <stdint.h>

namespace korvan::drivers {
class SpeakerDriver;
}

class Sid {
 public:
  // Frequency registers of voices 1, 2 and 3, and mode/volume ($D418).
  static constexpr uint8_t kVoice1FrequencyLow = 0x00;
  static constexpr uint8_t kVoice1FrequencyHigh = 0x01;
  static constexpr uint8_t kVoice2FrequencyLow = 0x07;
  static constexpr uint8_t kVoice2FrequencyHigh = 0x08;
  static constexpr uint8_t kVoice3FrequencyLow = 0x0E;
  static constexpr uint8_t kVoice3FrequencyHigh = 0x0F;
  static constexpr uint8_t kModeVolume = 0x18;

  // Writes that are not frequency or volume change nothing; the chip is
  // never read.
  void write_register(uint8_t reg, uint8_t value);
  // Silence while the volume byte is 0, else the current frequency; a
  // frequency of 0 Hz leaves the speaker as it was.
  void play();
  // The tone in Hz of a SID frequency number, truncated.
  static int32_t getFrequency(uint8_t high, uint8_t low);

  void speaker(korvan::drivers::SpeakerDriver* speaker) { speaker_ = speaker; }
  int32_t frequency() const { return frequency_; }

 private:
  korvan::drivers::SpeakerDriver* speaker_ = nullptr;  // lent by the kernel
  uint8_t volume_ = 0;
  uint8_t frequency_low_ = 0;
  uint8_t frequency_high_ = 0;
  int32_t frequency_ = 0;
};
