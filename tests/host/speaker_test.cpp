// The speaker driver against a simulated 8254 and system control port:
// channel 2 divisors, the gate bits, and silence.
#include <gtest/gtest.h>

#include "drivers/speaker.h"
#include "hosted/clean_bus.h"
#include "hosted/simulated_pit.h"

namespace {

using korvan::drivers::SpeakerDriver;
using korvan::hosted::SimulatedPit;

class Speaker : public ::testing::Test {
 protected:
  korvan::hosted::CleanBus bus;
  SimulatedPit timer;
  SpeakerDriver speaker;
};

TEST_F(Speaker, ConstructionTouchesNoPort) {
  korvan::hosted::clear_port_log();
  SpeakerDriver another;
  unsigned count;
  korvan::hosted::port_log(&count);
  EXPECT_EQ(count, 0u);
}

TEST_F(Speaker, Sound440ProgramsDivisor2711AndGatesTheSpeakerOn) {
  timer.system_control = 0x30;
  speaker.Sound(440);
  EXPECT_EQ(timer.channels[2].mode, 3);
  EXPECT_EQ(timer.channels[2].access, 3);
  EXPECT_EQ(timer.divisor(2), 0x0A97u);
  EXPECT_TRUE(timer.speaker_sounding());
  EXPECT_EQ(timer.system_control, 0x33) << "the port's other bits are kept";
  EXPECT_EQ(timer.channels[0].loads, 0u) << "the tick's channel is left alone";
}

TEST_F(Speaker, AnAlreadyOpenGateIsNotWrittenAgain) {
  speaker.Sound(1000);
  unsigned writes = timer.system_control_writes;
  speaker.Sound(2000);
  EXPECT_EQ(timer.system_control_writes, writes);
  EXPECT_EQ(timer.divisor(2), 596u);
}

TEST_F(Speaker, NosoundClosesTheGateAndKeepsTheOtherBits) {
  timer.system_control = 0xB0;
  speaker.Sound(440);
  speaker.Nosound();
  EXPECT_FALSE(timer.speaker_sounding());
  EXPECT_EQ(timer.system_control, 0xB0);
}

TEST_F(Speaker, SoundZeroIsSilenceWithoutReprogrammingTheTimer) {
  speaker.Sound(440);
  unsigned loads = timer.channels[2].loads;
  speaker.Sound(0);
  EXPECT_FALSE(timer.speaker_sounding());
  EXPECT_EQ(timer.channels[2].loads, loads);
  EXPECT_EQ(timer.divisor(2), 0x0A97u);
}

TEST_F(Speaker, FrequenciesBeyondTheTimersRangeSoundItsEdgeTones) {
  speaker.Sound(10);  // 119318 would not fit the 16-bit count
  EXPECT_EQ(timer.divisor(2), 0xFFFFu);
  speaker.Sound(5000000);  // the count would be 0, which the timer takes as 65536
  EXPECT_EQ(timer.divisor(2), 2u);
  EXPECT_TRUE(timer.speaker_sounding());
}

}  // namespace
