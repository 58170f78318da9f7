// The SID sound chip: three voices with their oscillators and envelopes,
// the filter and the output stage, brought up to the processor's cycle count
// whenever a register is touched and at the end of each pass. Samples go to
// a ring that the sound card drains; without one, the PC speaker sounds the
// loudest voice's tone.
#pragma once
#include <stdint.h>

#include "emulator/sid_clock.h"
#include "emulator/sid_envelope.h"
#include "emulator/sid_filter.h"
#include "emulator/sid_mixer.h"
#include "emulator/sid_voice.h"

class SampleRing;

namespace korvan::drivers {
class SpeakerDriver;
}

class Sid {
 public:
  static constexpr uint8_t kRegisterMask = 0x1F;  // 32 registers, mirrored through $D7FF
  static constexpr int kVoices = 3;
  static constexpr uint8_t kVoiceStride = 7;
  // Per voice, at kVoiceStride x (voice - 1) from the first.
  static constexpr uint8_t kFrequencyLow = 0x00;  // FREQ LO
  static constexpr uint8_t kFrequencyHigh = 0x01;  // FREQ HI
  static constexpr uint8_t kPulseWidthLow = 0x02;  // PW LO
  static constexpr uint8_t kPulseWidthHigh = 0x03;  // PW HI
  static constexpr uint8_t kControl = 0x04;  // CONTROL REG
  static constexpr uint8_t kAttackDecay = 0x05;  // ATTACK/DECAY
  static constexpr uint8_t kSustainRelease = 0x06;  // SUSTAIN/RELEASE
  static constexpr uint8_t kVoice1FrequencyLow = 0x00;
  static constexpr uint8_t kVoice1FrequencyHigh = 0x01;
  static constexpr uint8_t kVoice2FrequencyLow = 0x07;
  static constexpr uint8_t kVoice2FrequencyHigh = 0x08;
  static constexpr uint8_t kVoice3FrequencyLow = 0x0E;
  static constexpr uint8_t kVoice3FrequencyHigh = 0x0F;
  // Filter and volume.
  static constexpr uint8_t kCutoffLow = 0x15;  // FC LO
  static constexpr uint8_t kCutoffHigh = 0x16;  // FC HI
  static constexpr uint8_t kResonanceFilter = 0x17;  // RES/FILT
  static constexpr uint8_t kModeVolume = 0x18;  // MODE/VOL
  // Read-only.
  static constexpr uint8_t kPotX = 0x19;  // POT X
  static constexpr uint8_t kPotY = 0x1A;  // POT Y
  static constexpr uint8_t kOscillator3 = 0x1B;  // OSC3/RANDOM
  static constexpr uint8_t kEnvelope3 = 0x1C;  // ENV3
  // The paddle inputs of a C64 with nothing in the control ports.
  static constexpr uint8_t kNoPaddle = 0xFF;

  // OSC3, ENV3 and the paddles; the write-only registers read back as the
  // last byte written to the chip, which is what lingers on its data bus.
  uint8_t read_register(uint8_t reg);
  void write_register(uint8_t reg, uint8_t value);
  // Renders every cycle the processor has run since the last call and keeps
  // the speaker on the loudest voice. Always true. Safe to call from the
  // timer interrupt: it does nothing while the main flow is inside the chip.
  bool emulate();

  // The cycle counter of the running processor. Without it the chip sees no
  // time pass.
  void clock(const uint32_t* cycles);
  // The speaker starts silent: a tone an earlier machine left on stops.
  void speaker(korvan::drivers::SpeakerDriver* speaker);
  // Silence, in warp and while the monitor has the machine: no samples are
  // made and the speaker is off, while the chip still follows the processor
  // (OSC3 and ENV3 read as ever). Safe against the timer interrupt's emulate().
  void mute(bool on);
  void output(SampleRing* ring) { output_ = ring; }

  // The speaker's tone in Hz, 0 while silent.
  int32_t frequency() const { return frequency_; }
  // The tone in Hz of a SID frequency number at the PAL clock, truncated.
  static int32_t getFrequency(uint8_t high, uint8_t low);

  const SidVoice& voice(int n) const { return voices_[n]; }
  const SidEnvelope& envelope(int n) const { return envelopes_[n]; }

 private:
  // Beyond this many cycles at once the counter can only have jumped (a new
  // machine's processor, or a clock set by a test); the chip skips ahead.
  static constexpr uint32_t kLongestCatchUp = kSidClockHz * 2;
  // Cycles advanced at once while no sample is wanted.
  static constexpr uint32_t kSilentStep = 1024;

  void catch_up();
  void render(uint32_t cycles);
  void advance(uint32_t cycles);
  int16_t sample();
  void play_loudest_voice();
  static int source_of(int voice) { return (voice + kVoices - 1) % kVoices; }

  SidVoice voices_[kVoices];
  SidEnvelope envelopes_[kVoices];
  SidFilter filter_;
  SidMixer mixer_;
  uint8_t mode_volume_ = 0;
  uint8_t bus_ = 0;

  const uint32_t* clock_ = nullptr;
  uint32_t rendered_to_ = 0;
  // In 1/kSidSampleRate cycles: how far the next sample is.
  uint32_t sample_phase_ = 0;
  volatile bool busy_ = false;
  bool muted_ = false;

  SampleRing* output_ = nullptr;  // lent by the kernel
  korvan::drivers::SpeakerDriver* speaker_ = nullptr;  // lent by the kernel
  int32_t frequency_ = 0;
};
