// The SID: register file, time keeping and the choice of output.
#include "emulator/sid.h"

#include "drivers/speaker.h"
#include "lib/sample_ring.h"

namespace {

// Marks the chip as in use by the main flow, so the timer interrupt's
// emulate() leaves it alone until the guard ends.
class BusyGuard {
 public:
  explicit BusyGuard(volatile bool* busy) : busy_(busy) {
    *busy_ = true;
    __atomic_signal_fence(__ATOMIC_SEQ_CST);
  }
  ~BusyGuard() {
    __atomic_signal_fence(__ATOMIC_SEQ_CST);
    *busy_ = false;
  }

 private:
  volatile bool* busy_;
};

}  // namespace

void Sid::clock(const uint32_t* cycles) {
  clock_ = cycles;
  rendered_to_ = cycles != nullptr ? *cycles : 0;
}

void Sid::speaker(korvan::drivers::SpeakerDriver* speaker) {
  speaker_ = speaker;
  frequency_ = 0;
  if (speaker_ != nullptr) speaker_->Nosound();
}

// The cycles before the change are rendered as they were: a mute takes
// effect at the cycle it comes, like a register write.
void Sid::mute(bool on) {
  if (on == muted_) return;
  BusyGuard guard(&busy_);
  catch_up();
  muted_ = on;
  play_loudest_voice();
}

uint8_t Sid::read_register(uint8_t reg) {
  reg &= kRegisterMask;
  if (reg == kPotX || reg == kPotY) return kNoPaddle;
  if (reg != kOscillator3 && reg != kEnvelope3) return bus_;
  BusyGuard guard(&busy_);
  catch_up();
  if (reg == kEnvelope3) return envelopes_[2].level();
  return static_cast<uint8_t>(voices_[2].output(voices_[1]) >> 4);
}

void Sid::write_register(uint8_t reg, uint8_t value) {
  BusyGuard guard(&busy_);
  catch_up();
  reg &= kRegisterMask;
  bus_ = value;
  if (reg < kVoices * kVoiceStride) {
    int n = reg / kVoiceStride;
    SidVoice& voice = voices_[n];
    switch (reg % kVoiceStride) {
      case kFrequencyLow: voice.frequency_low(value); break;
      case kFrequencyHigh: voice.frequency_high(value); break;
      case kPulseWidthLow: voice.pulse_width_low(value); break;
      case kPulseWidthHigh: voice.pulse_width_high(value); break;
      case kControl:
        voice.control(value);
        envelopes_[n].gate(value & SidVoice::kGate);
        break;
      case kAttackDecay: envelopes_[n].attack_decay(value); break;
      case kSustainRelease: envelopes_[n].sustain_release(value); break;
    }
  } else if (reg == kCutoffLow) {
    filter_.cutoff_low(value);
  } else if (reg == kCutoffHigh) {
    filter_.cutoff_high(value);
  } else if (reg == kResonanceFilter) {
    filter_.resonance_routing(value);
  } else if (reg == kModeVolume) {
    mode_volume_ = value;
    filter_.mode(value);
  }
  play_loudest_voice();
}

bool Sid::emulate() {
  if (busy_) return true;
  BusyGuard guard(&busy_);
  catch_up();
  play_loudest_voice();
  return true;
}

void Sid::catch_up() {
  if (clock_ == nullptr) return;
  uint32_t now = *clock_;
  uint32_t elapsed = now - rendered_to_;
  rendered_to_ = now;
  if (elapsed > kLongestCatchUp) return;
  render(elapsed);
}

// A sample is taken every kSidClockHz / kSidSampleRate cycles (20.5), the
// phase carrying the fraction. While the ring is full, or there is none, or
// the chip is muted, the chip runs on in long steps: its state stays right to the cycle for
// OSC3 and ENV3, only the samples nobody takes are not made.
void Sid::render(uint32_t cycles) {
  while (cycles > 0) {
    if (output_ == nullptr || output_->full() || muted_) {
      uint32_t step = cycles < kSilentStep ? cycles : kSilentStep;
      advance(step);
      sample_phase_ = (sample_phase_ + step * kSidSampleRate) % kSidClockHz;
      cycles -= step;
      continue;
    }
    uint32_t due = (kSidClockHz - sample_phase_ + kSidSampleRate - 1) / kSidSampleRate;
    if (due > cycles) {
      advance(cycles);
      sample_phase_ += cycles * kSidSampleRate;
      return;
    }
    advance(due);
    sample_phase_ = sample_phase_ + due * kSidSampleRate - kSidClockHz;
    cycles -= due;
    output_->push(sample());
  }
}

void Sid::advance(uint32_t cycles) {
  for (SidVoice& voice : voices_) voice.advance(cycles);
  for (int v = 0; v < kVoices; v++) voices_[v].synchronize(voices_[source_of(v)]);
  for (SidEnvelope& envelope : envelopes_) envelope.advance(cycles);
}

// Each voice's 12-bit waveform, centred, times its 8-bit envelope, in 16 bits.
int16_t Sid::sample() {
  int32_t signals[kVoices];
  for (int v = 0; v < kVoices; v++) {
    const SidVoice& voice = voices_[v];
    int32_t wave = voice.sounding() ? voice.output(voices_[source_of(v)]) - SidVoice::kOutputMidpoint : 0;
    signals[v] = (wave * envelopes_[v].level()) >> 4;
  }
  return mixer_.mix(signals, &filter_, mode_volume_);
}

// The speaker has one tone: the voice with the highest envelope that can be
// heard, while the volume is up.
void Sid::play_loudest_voice() {
  if (speaker_ == nullptr) return;
  int loudest = -1;
  uint8_t highest = 0;
  for (int v = 0; v < kVoices; v++) {
    bool cut = v == kVoices - 1 && (mode_volume_ & SidMixer::kVoice3Off) && !filter_.routes(v);
    if (!voices_[v].sounding() || cut || voices_[v].frequency() == 0) continue;
    if (envelopes_[v].level() > highest) {
      highest = envelopes_[v].level();
      loudest = v;
    }
  }
  int32_t tone = 0;
  if (loudest >= 0 && (mode_volume_ & SidMixer::kVolumeMask) != 0 && !muted_) {
    uint16_t number = voices_[loudest].frequency();
    tone = getFrequency(static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number));
  }
  if (tone == frequency_) return;
  frequency_ = tone;
  if (tone == 0) speaker_->Nosound();
  else speaker_->Sound(static_cast<uint32_t>(tone));
}

int32_t Sid::getFrequency(uint8_t high, uint8_t low) {
  uint32_t number = (static_cast<uint32_t>(high) << 8) | low;
  return static_cast<int32_t>((static_cast<uint64_t>(number) * kSidClockHz) >> 24);
}
