// The SID model's sound, judged from its samples and its readable registers:
// pitch for each waveform, envelope times against the data sheet's table,
// pulse duty, noise, ring modulation and sync, the filter, and OSC3.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "emulator/sid.h"
#include "lib/sample_ring.h"

namespace {

constexpr double kClock = 985248.0;
constexpr double kRate = 48000.0;

class SidSound : public ::testing::Test {
 protected:
  SidSound() {
    sid.clock(&cycles);
    sid.output(&ring);
  }

  void write(uint8_t reg, uint8_t value) { sid.write_register(reg, value); }
  void voice(int n, uint16_t frequency, uint8_t control, uint16_t pulse = 0x800) {
    uint8_t base = static_cast<uint8_t>(n * Sid::kVoiceStride);
    write(base + Sid::kFrequencyLow, frequency & 0xFF);
    write(base + Sid::kFrequencyHigh, frequency >> 8);
    write(base + Sid::kPulseWidthLow, pulse & 0xFF);
    write(base + Sid::kPulseWidthHigh, pulse >> 8);
    write(base + Sid::kAttackDecay, 0x00);
    write(base + Sid::kSustainRelease, 0xF0);
    write(base + Sid::kControl, control | SidVoice::kGate);
  }
  // Runs the chip for a time, taking every sample it makes.
  std::vector<int16_t> run(double seconds) {
    std::vector<int16_t> out;
    uint32_t total = static_cast<uint32_t>(seconds * kClock);
    for (uint32_t done = 0; done < total; done += 10000) {
      cycles += std::min<uint32_t>(10000, total - done);
      sid.emulate();
      int16_t s;
      while (ring.pop(&s)) out.push_back(s);
    }
    return out;
  }
  // Seconds until ENV3 first satisfies done, reading it every 4 cycles.
  template <typename Done>
  double seconds_until(Done done) {
    uint32_t start = cycles;
    while (!done(sid.read_register(Sid::kEnvelope3))) {
      cycles += 4;
      if (cycles - start > 40 * kClock) return -1.0;
    }
    return (cycles - start) / kClock;
  }

  uint32_t cycles = 12345;
  SampleRing ring;
  Sid sid;
};

// Rising crossings of the mean, with a little hysteresis; the first counted
// comes after a low.
double pitch(const std::vector<int16_t>& s) {
  double mean = 0;
  for (int16_t v : s) mean += v;
  mean /= s.size();
  double peak = 0;
  for (int16_t v : s) peak = std::max(peak, std::fabs(v - mean));
  int crossings = 0;
  size_t first = 0, last = 0;
  bool low = false;
  for (size_t i = 0; i < s.size(); i++) {
    if (low && s[i] - mean > peak / 4) {
      low = false;
      if (crossings++ == 0) first = i;
      last = i;
    } else if (!low && s[i] - mean < -peak / 4) {
      low = true;
    }
  }
  return (crossings - 1) * kRate / (last - first);
}

// The strength of one frequency in the samples (Goertzel).
double strength(const std::vector<int16_t>& s, double hz) {
  double k = 2 * std::cos(2 * M_PI * hz / kRate), a = 0, b = 0;
  for (int16_t v : s) {
    double c = v + k * a - b;
    b = a;
    a = c;
  }
  return std::sqrt(a * a + b * b - k * a * b) / s.size();
}

double rms(const std::vector<int16_t>& s) {
  double sum = 0;
  for (int16_t v : s) sum += double(v) * v;
  return std::sqrt(sum / s.size());
}

TEST_F(SidSound, EveryWaveformSoundsAtItsFrequencyNumber) {
  write(Sid::kModeVolume, 0x0F);
  for (uint8_t wave : {SidVoice::kTriangle, SidVoice::kSawtooth, SidVoice::kPulse}) {
    for (uint16_t number : {0x0449, 0x1CD6, 0x8000}) {  // 64, 434 and 1924 Hz
      voice(0, number, wave);
      run(0.05);
      double expected = number * kClock / 16777216.0;
      EXPECT_NEAR(pitch(run(1.0)), expected, expected * 0.005) << "waveform $" << std::hex << int(wave) << " Fn $"
                                                                << number;
    }
  }
}

TEST_F(SidSound, EnvelopeTimesFollowTheDataSheet) {
  const double decay_ms[] = {6, 24, 48, 72, 114, 168, 204, 240, 300, 750, 1500, 2400, 3000, 9000, 15000, 24000};
  write(Sid::kModeVolume, 0x0F);
  for (int rate : {0, 3, 8, 11, 15}) {
    write(0x0E + Sid::kAttackDecay, static_cast<uint8_t>(rate << 4 | rate));
    write(0x0E + Sid::kSustainRelease, static_cast<uint8_t>(0x00 | rate));
    write(0x0E + Sid::kControl, SidVoice::kTriangle | SidVoice::kGate);
    double attack = seconds_until([](uint8_t e) { return e == 0xFF; });
    EXPECT_NEAR(attack * 1000, SidEnvelope::kAttackMilliseconds[rate], SidEnvelope::kAttackMilliseconds[rate] * 0.1)
        << "attack " << rate;
    double decay = seconds_until([](uint8_t e) { return e == 0; });
    EXPECT_NEAR(decay * 1000, decay_ms[rate], decay_ms[rate] * 0.1) << "decay " << rate;

    write(0x0E + Sid::kSustainRelease, static_cast<uint8_t>(0xF0 | rate));
    write(0x0E + Sid::kControl, SidVoice::kTriangle);
    write(0x0E + Sid::kControl, SidVoice::kTriangle | SidVoice::kGate);
    seconds_until([](uint8_t e) { return e == 0xFF; });
    cycles += 100000;
    EXPECT_EQ(sid.read_register(Sid::kEnvelope3), 0xFF) << "sustain F holds the peak";
    write(0x0E + Sid::kControl, SidVoice::kTriangle);
    double release = seconds_until([](uint8_t e) { return e == 0; });
    EXPECT_NEAR(release * 1000, decay_ms[rate], decay_ms[rate] * 0.1) << "release " << rate;
  }
}

TEST_F(SidSound, SustainHoldsItsLevelAndALowerOneDecaysFurther) {
  write(0x0E + Sid::kAttackDecay, 0x00);
  write(0x0E + Sid::kSustainRelease, 0x80);
  write(0x0E + Sid::kControl, SidVoice::kTriangle | SidVoice::kGate);
  cycles += 100000;
  EXPECT_EQ(sid.read_register(Sid::kEnvelope3), 0x88);
  write(0x0E + Sid::kSustainRelease, 0xA0);
  cycles += 100000;
  EXPECT_EQ(sid.read_register(Sid::kEnvelope3), 0x88) << "a higher sustain does not raise it";
  write(0x0E + Sid::kSustainRelease, 0x30);
  cycles += 100000;
  EXPECT_EQ(sid.read_register(Sid::kEnvelope3), 0x33);
}

TEST_F(SidSound, PulseWidthSetsTheDuty) {
  for (uint16_t width : {0x400, 0x800, 0xC00}) {
    voice(2, 0x1000, SidVoice::kPulse, width);
    int high = 0, reads = 4000;
    for (int i = 0; i < reads; i++) {
      cycles += 97;
      if (sid.read_register(Sid::kOscillator3) == 0xFF) high++;
    }
    EXPECT_NEAR(double(high) / reads, 1.0 - width / 4096.0, 0.02) << std::hex << width;
  }
}

TEST_F(SidSound, NoiseDoesNotRepeatWithinASecond) {
  voice(2, 0xFFFF, SidVoice::kNoise);
  write(0x0E + Sid::kControl, SidVoice::kNoise);  // gate off: games read it silent
  std::set<uint32_t> windows;
  uint32_t window = 0;
  int reads = static_cast<int>(kClock / 17);
  for (int i = 0; i < reads; i++) {
    cycles += 17;  // the noise register shifts every 16 cycles at $FFFF
    window = window << 8 | sid.read_register(Sid::kOscillator3);
    if (i >= 3) windows.insert(window);
  }
  EXPECT_GT(windows.size(), reads * 0.99);
}

TEST_F(SidSound, SyncLocksToTheSourceAndRingAddsSumAndDifference) {
  write(Sid::kModeVolume, 0x0F);
  write(Sid::kModeVolume, 0x8F);  // voice 3 only as the modulator
  const uint16_t kCarrier = 0x4000, kSource = 0x1300;
  const double carrier = kCarrier * kClock / 16777216, source = kSource * kClock / 16777216;
  voice(2, kSource, SidVoice::kTriangle);
  voice(0, kCarrier, SidVoice::kSawtooth);
  run(0.05);
  std::vector<int16_t> free = run(1.0);
  voice(0, kCarrier, SidVoice::kSawtooth | SidVoice::kSync);
  run(0.05);
  std::vector<int16_t> synced = run(1.0);
  EXPECT_GT(strength(synced, source), 10 * strength(free, source));

  voice(0, kCarrier, SidVoice::kTriangle);
  run(0.05);
  std::vector<int16_t> plain = run(1.0);
  voice(0, kCarrier, SidVoice::kTriangle | SidVoice::kRingMod);
  run(0.05);
  std::vector<int16_t> ringed = run(1.0);
  for (double hz : {carrier + source, carrier - source})
    EXPECT_GT(strength(ringed, hz), 10 * strength(plain, hz)) << hz;
  EXPECT_LT(strength(ringed, carrier), strength(plain, carrier) / 4);
}

TEST_F(SidSound, FilterPassesItsBandAndCutsTheRest) {
  const uint16_t kLow = 0x0800, kHigh = 0xF000;  // 117 and 3608 Hz
  write(Sid::kCutoffLow, 0x00);
  write(Sid::kCutoffHigh, 0x10);  // 778 Hz
  auto level = [&](uint16_t number, uint8_t routing, uint8_t mode) {
    write(Sid::kResonanceFilter, routing);
    write(Sid::kModeVolume, mode | 0x0F);
    voice(0, number, SidVoice::kTriangle);
    run(0.1);
    return rms(run(0.5));
  };
  double low_direct = level(kLow, 0x00, 0), high_direct = level(kHigh, 0x00, 0);
  EXPECT_GT(level(kLow, 0x01, SidFilter::kLowPass), 0.7 * low_direct);
  EXPECT_LT(level(kHigh, 0x01, SidFilter::kLowPass), 0.1 * high_direct);
  EXPECT_GT(level(kHigh, 0x01, SidFilter::kHighPass), 0.7 * high_direct);
  EXPECT_LT(level(kLow, 0x01, SidFilter::kHighPass), 0.1 * low_direct);
  EXPECT_LT(level(kLow, 0x01, 0), 0.1 * low_direct) << "routed with no mode chosen, nothing is heard";
}

TEST_F(SidSound, VolumeWritesAloneMakeSampledSound) {
  std::vector<int16_t> out;
  for (int i = 0; i < 2000; i++) {
    write(Sid::kModeVolume, (i / 24) % 2 ? 0x0F : 0x00);  // 1 kHz at 48 kHz: 24 cycles x ~20.5
    cycles += 12;
    sid.emulate();
    int16_t s;
    while (ring.pop(&s)) out.push_back(s);
  }
  EXPECT_GT(rms(out), 1000);
}

TEST_F(SidSound, ARegisterWriteIsHeardFromItsOwnSample) {
  write(Sid::kModeVolume, 0x0F);
  run(0.2);  // the output's coupling settles
  voice(0, 0x1CD6, SidVoice::kPulse);
  write(0x04, SidVoice::kPulse);  // gate off, silent
  run(0.1);
  cycles += 1000;  // 1000 cycles: 48.7 samples
  write(0x04, SidVoice::kPulse | SidVoice::kGate);
  std::vector<int16_t> out = run(0.01);
  size_t first = 0;
  while (first < out.size() && std::abs(out[first]) < 20) first++;
  EXPECT_NEAR(first, 49, 1);  // an envelope step of the fastest attack is 8 cycles
}

TEST_F(SidSound, AFullRingDropsSamplesAndTheChipKeepsTime) {
  voice(2, 0x1000, SidVoice::kSawtooth);
  cycles += 200000;  // far more than the ring holds
  sid.emulate();
  EXPECT_TRUE(ring.full());
  uint8_t first = sid.read_register(Sid::kOscillator3);
  cycles += 1024;  // $1000 x 1024 = a quarter of the 24-bit accumulator
  EXPECT_EQ(static_cast<uint8_t>(sid.read_register(Sid::kOscillator3) - first), 0x40);
}

// Muted, the chip makes no samples but keeps its time to the cycle: voice 3's
// oscillator reads on as if it had sounded all along.
TEST_F(SidSound, AMutedChipMakesNoSamplesAndKeepsTime) {
  write(Sid::kModeVolume, 0x0F);
  voice(2, 0x1000, SidVoice::kSawtooth);
  EXPECT_GT(rms(run(0.05)), 100.0);
  sid.mute(true);
  uint8_t first = sid.read_register(Sid::kOscillator3);
  EXPECT_TRUE(run(0.5).empty());
  cycles += 1024;  // $1000 x 1024 = a quarter of the 24-bit accumulator
  uint32_t ran = static_cast<uint32_t>(0.5 * kClock) + 1024;
  EXPECT_EQ(static_cast<uint8_t>(sid.read_register(Sid::kOscillator3) - first),
            static_cast<uint8_t>((uint64_t{0x1000} * ran >> 16) & 0xFF));
  sid.mute(false);
  EXPECT_GT(rms(run(0.05)), 100.0);
}

}  // namespace
