// The SID on the speaker, through the speaker driver and a simulated 8254:
// the tone of the loudest voice that can be heard, silence at volume 0, and
// the writes that change nothing.
#include <gtest/gtest.h>

#include "drivers/speaker.h"
#include "emulator/sid.h"
#include "hosted/clean_bus.h"
#include "hosted/simulated_pit.h"

namespace {

using korvan::drivers::SpeakerDriver;
using korvan::hosted::SimulatedPit;

class SidTest : public ::testing::Test {
 protected:
  SidTest() {
    sid.speaker(&speaker);
    sid.clock(&cycles);
  }

  // The divisor the driver programs for a tone, found on a second timer
  // (which takes the ports: call it last).
  static uint32_t divisor_for(uint32_t hertz) {
    SimulatedPit reference;
    SpeakerDriver driver;
    driver.Sound(hertz);
    return reference.divisor(2);
  }
  unsigned port_writes() {
    unsigned count;
    korvan::hosted::port_log(&count);
    return count;
  }
  // A voice gated with the fastest attack to a sustain level, some time on.
  void sound(int n, uint8_t high, uint8_t low, uint8_t sustain) {
    uint8_t base = static_cast<uint8_t>(n * Sid::kVoiceStride);
    sid.write_register(base + Sid::kFrequencyLow, low);
    sid.write_register(base + Sid::kFrequencyHigh, high);
    sid.write_register(base + Sid::kAttackDecay, 0x00);
    sid.write_register(base + Sid::kSustainRelease, static_cast<uint8_t>(sustain << 4));
    sid.write_register(base + Sid::kControl, SidVoice::kPulse | SidVoice::kGate);
    pass();
  }
  void pass() {
    cycles += 20000;
    sid.emulate();
  }

  korvan::hosted::CleanBus bus;
  SimulatedPit timer;
  SpeakerDriver speaker;
  uint32_t cycles = 0;
  Sid sid;
};

TEST_F(SidTest, FrequencyNumbersBecomeHertzAtThePalClock) {
  EXPECT_EQ(Sid::getFrequency(0x11, 0x25), 257);  // 4389 x 985248 / 2^24 = 257.7
  EXPECT_EQ(Sid::getFrequency(0x00, 0x00), 0);
  EXPECT_EQ(Sid::getFrequency(0x00, 0x11), 0);       // 0.998 truncates to 0
  EXPECT_EQ(Sid::getFrequency(0x00, 0x12), 1);       // 1.06
  EXPECT_EQ(Sid::getFrequency(0x1C, 0xD6), 433);     // 433.5
  EXPECT_EQ(Sid::getFrequency(0xFF, 0xFF), 3848);    // 3848.6
}

TEST_F(SidTest, AGatedVoiceSoundsItsToneUntilItsReleaseEnds) {
  sid.write_register(Sid::kModeVolume, 0x0F);
  sid.write_register(Sid::kFrequencyLow, 0x25);
  sid.write_register(Sid::kFrequencyHigh, 0x11);
  pass();
  EXPECT_FALSE(timer.speaker_sounding()) << "no waveform, no gate: nothing to hear";
  sound(0, 0x11, 0x25, 0xF);
  EXPECT_TRUE(timer.speaker_sounding());
  EXPECT_EQ(sid.frequency(), 257);
  uint32_t divisor = timer.divisor(2);
  sid.write_register(Sid::kControl, SidVoice::kPulse);  // release at rate 0: 6 ms
  pass();
  EXPECT_FALSE(timer.speaker_sounding());
  EXPECT_EQ(divisor, divisor_for(257));
}

TEST_F(SidTest, TheLoudestVoiceHasTheSpeaker) {
  sid.write_register(Sid::kModeVolume, 0x0F);
  sound(0, 0x11, 0x25, 0x6);
  sound(1, 0x1C, 0xD6, 0xA);
  EXPECT_EQ(sid.frequency(), 433);
  sound(2, 0x08, 0x00, 0xC);
  EXPECT_EQ(sid.frequency(), Sid::getFrequency(0x08, 0x00));
  sid.write_register(Sid::kModeVolume, 0x8F);  // 3OFF
  pass();
  EXPECT_EQ(sid.frequency(), 433) << "voice 3 cut off, voice 2 is the loudest left";
  EXPECT_EQ(timer.divisor(2), divisor_for(433));
}

TEST_F(SidTest, VolumeZeroSilencesWhateverTheVoices) {
  sid.write_register(Sid::kModeVolume, 0x0F);
  sound(0, 0x11, 0x25, 0xF);
  ASSERT_TRUE(timer.speaker_sounding());
  sid.write_register(Sid::kModeVolume, 0x00);
  EXPECT_FALSE(timer.speaker_sounding());
  sid.write_register(Sid::kModeVolume, 0x08);
  EXPECT_TRUE(timer.speaker_sounding()) << "the volume brings back the current tone";
  EXPECT_EQ(timer.divisor(2), divisor_for(257));
}

TEST_F(SidTest, AnUnchangedToneIsNotReprogrammed) {
  sid.write_register(Sid::kModeVolume, 0x0F);
  sound(0, 0x11, 0x25, 0xF);
  korvan::hosted::clear_port_log();
  for (uint8_t reg : {0x02, 0x03, 0x05, 0x15, 0x16, 0x17, 0x19, 0x1F}) sid.write_register(reg, 0x01);
  pass();
  EXPECT_EQ(port_writes(), 0u);
  EXPECT_EQ(sid.frequency(), 257);
}

TEST_F(SidTest, WithoutASpeakerNothingIsProgrammed) {
  Sid alone;
  alone.clock(&cycles);
  korvan::hosted::clear_port_log();
  alone.write_register(Sid::kModeVolume, 0x0F);
  alone.write_register(Sid::kFrequencyHigh, 0x11);
  alone.write_register(Sid::kControl, SidVoice::kPulse | SidVoice::kGate);
  cycles += 20000;
  alone.emulate();
  EXPECT_EQ(port_writes(), 0u);
  EXPECT_EQ(alone.frequency(), 0);
}

// Warp and the monitor mute the chip; a fresh machine's chip silences a tone
// the last machine left on the speaker.
TEST_F(SidTest, MutingAndANewMachineSilenceTheSpeaker) {
  sid.write_register(Sid::kModeVolume, 0x0F);
  sound(0, 0x11, 0x25, 15);
  ASSERT_TRUE(timer.speaker_sounding());
  sid.mute(true);
  pass();
  EXPECT_FALSE(timer.speaker_sounding());
  sid.mute(false);
  EXPECT_TRUE(timer.speaker_sounding()) << "the held note comes back";
  Sid fresh;
  fresh.speaker(&speaker);
  EXPECT_FALSE(timer.speaker_sounding());
}

}  // namespace
