// The SID on the speaker, through the speaker driver and a simulated 8254:
// the tone of the last frequency written, silence at volume 0, and the
// writes that change nothing.
#include <gtest/gtest.h>

#include "drivers/speaker.h"
#include "emulator/sid.h"
#include "tests/hosted/clean_bus.h"
#include "tests/hosted/simulated_pit.h"

namespace {

using korvan::drivers::SpeakerDriver;
using korvan::hosted::SimulatedPit;

class SidTest : public ::testing::Test {
 protected:
  SidTest() { sid.speaker(&speaker); }

  // The divisor the driver programs for a tone, found on a second timer.
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

  korvan::hosted::CleanBus bus;
  SimulatedPit timer;
  SpeakerDriver speaker;
  Sid sid;
};

TEST_F(SidTest, FrequencyNumbersBecomeHertz) {
  EXPECT_EQ(Sid::getFrequency(0x11, 0x25), 267);  // 4389 x 0.06097 = 267.6
  EXPECT_EQ(Sid::getFrequency(0x00, 0x00), 0);
  EXPECT_EQ(Sid::getFrequency(0x00, 0x10), 0);       // 0.98 truncates to 0
  EXPECT_EQ(Sid::getFrequency(0x00, 0x11), 1);       // 1.04
  EXPECT_EQ(Sid::getFrequency(0x1C, 0xD6), 450);     // 7382 x 0.06097 = 450.08
  EXPECT_EQ(Sid::getFrequency(0xFF, 0xFF), 3995);    // 3995.67
}

TEST_F(SidTest, VolumeThenFrequencySoundsTheFinalTone) {
  sid.write_register(0x18, 0x0F);
  EXPECT_FALSE(timer.speaker_sounding()) << "frequency 0 leaves the speaker silent";
  sid.write_register(0x00, 0x25);
  EXPECT_EQ(sid.frequency(), 2) << "the low byte alone sounds an intermediate tone";
  EXPECT_TRUE(timer.speaker_sounding());
  sid.write_register(0x01, 0x11);
  EXPECT_EQ(sid.frequency(), 267);
  EXPECT_TRUE(timer.speaker_sounding());
  EXPECT_EQ(timer.divisor(2), divisor_for(267));
  EXPECT_EQ(timer.channels[2].loads, 2u);
}

TEST_F(SidTest, VolumeZeroSilencesWhateverTheFrequency) {
  sid.write_register(0x18, 0x0F);
  sid.write_register(0x01, 0x11);
  ASSERT_TRUE(timer.speaker_sounding());
  sid.write_register(0x18, 0x00);
  EXPECT_FALSE(timer.speaker_sounding());
  sid.write_register(0x00, 0x40);
  EXPECT_FALSE(timer.speaker_sounding()) << "frequency writes stay silent at volume 0";
  sid.write_register(0x18, 0x08);
  EXPECT_TRUE(timer.speaker_sounding()) << "the volume brings back the current tone";
  EXPECT_EQ(timer.divisor(2), divisor_for(Sid::getFrequency(0x11, 0x40)));
}

TEST_F(SidTest, ZeroFrequencyLeavesThePreviousTonePlaying) {
  sid.write_register(0x18, 0x0F);
  sid.write_register(0x00, 0x25);
  sid.write_register(0x01, 0x11);
  unsigned loads = timer.channels[2].loads;
  sid.write_register(0x00, 0x00);
  sid.write_register(0x01, 0x00);
  EXPECT_TRUE(timer.speaker_sounding());
  EXPECT_EQ(timer.channels[2].loads, loads + 1) << "only the intermediate $1100 was loaded";
  EXPECT_EQ(timer.divisor(2), divisor_for(Sid::getFrequency(0x11, 0x00)));
}

TEST_F(SidTest, AllThreeVoicesShareOneFrequencyPair) {
  sid.write_register(0x18, 0x0F);
  sid.write_register(0x08, 0x1C);  // voice 2 high
  sid.write_register(0x0E, 0xD6);  // voice 3 low
  EXPECT_EQ(sid.frequency(), 450);
  sid.write_register(0x07, 0x00);  // voice 2 low
  sid.write_register(0x0F, 0x10);  // voice 3 high
  EXPECT_EQ(sid.frequency(), Sid::getFrequency(0x10, 0x00));
  EXPECT_EQ(timer.divisor(2), divisor_for(Sid::getFrequency(0x10, 0x00)));
}

TEST_F(SidTest, OtherRegistersChangeNothing) {
  sid.write_register(0x18, 0x0F);
  sid.write_register(0x01, 0x11);
  korvan::hosted::clear_port_log();
  for (uint8_t reg : {0x02, 0x04, 0x05, 0x06, 0x0B, 0x12, 0x15, 0x17, 0x19, 0x1C, 0x1F, 0x98, 0xFF})
    sid.write_register(reg, 0x41);
  EXPECT_EQ(port_writes(), 0u);
  EXPECT_EQ(sid.frequency(), Sid::getFrequency(0x11, 0x00));
}

TEST_F(SidTest, WithoutASpeakerWritesAreKeptButNothingSounds) {
  Sid alone;
  korvan::hosted::clear_port_log();
  alone.write_register(0x18, 0x0F);
  alone.write_register(0x01, 0x11);
  alone.write_register(0x18, 0x00);
  EXPECT_EQ(port_writes(), 0u);
  EXPECT_EQ(alone.frequency(), 265);  // $1100 x 0.06097 = 265.3
}

}  // namespace
