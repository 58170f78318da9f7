// The timer tick driver against a simulated 8254: channel 0 programming and
// delivery of IRQ 0 to the handler; the timestamp counter's calibration on
// channel 2, and the ticks that follow it.
#include <gtest/gtest.h>

#include "drivers/pit.h"
#include "drivers/timestamp_clock.h"
#include "emulator/io_events.h"
#include "hosted/clean_bus.h"
#include "hosted/hosted_cpu.h"
#include "hosted/hosted_interrupts.h"
#include "hosted/simulated_pit.h"

namespace {

using korvan::drivers::PITDriver;
using korvan::drivers::PITEventHandler;

struct CountingHandler : PITEventHandler {
  int activations = 0;
  int ticks = 0;
  void OnActivate() override { activations++; }
  void OnTick() override { ticks++; }
};

class Pit : public ::testing::Test {
 protected:
  korvan::hosted::CleanBus bus;
  korvan::hosted::SimulatedPit timer;
  korvan::hosted::HostedInterrupts irq;
  CountingHandler handler;
  PITDriver driver{&irq.manager, &handler};
};

TEST_F(Pit, RegistersForIrq0WithoutTouchingTheTimer) {
  korvan::hosted::clear_port_log();
  PITDriver second(&irq.manager, &handler);
  unsigned count;
  korvan::hosted::port_log(&count);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(irq.manager.Handler(0x20), &second);
}

TEST_F(Pit, ActivateRunsChannel0AsASquareWaveAtAboutOneKilohertz) {
  korvan::hosted::clear_port_log();
  driver.Activate();
  EXPECT_EQ(handler.activations, 1);
  unsigned count;
  const korvan::hosted::PortAccess* log = korvan::hosted::port_log(&count);
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(log[0].port, 0x43);
  EXPECT_EQ(log[0].value, 0x36u);
  EXPECT_EQ(log[1].port, 0x40);
  EXPECT_EQ(log[1].value, 0xA9u);
  EXPECT_EQ(log[2].port, 0x40);
  EXPECT_EQ(log[2].value, 0x04u);

  const auto& channel = timer.channels[0];
  EXPECT_EQ(channel.mode, 3);
  EXPECT_FALSE(channel.bcd);
  EXPECT_EQ(channel.loads, 1u);
  EXPECT_EQ(timer.divisor(0), 1193u);
  EXPECT_NEAR(timer.frequency(0), 1000.0, 0.5);
  EXPECT_EQ(timer.channels[2].loads, 0u) << "the speaker's channel is left alone";
}

TEST_F(Pit, EveryTickReachesTheHandlerAndResumesTheInterruptedCode) {
  driver.Activate();
  for (int i = 0; i < 250; i++) EXPECT_EQ(irq.raise(PITDriver::kInterruptLine, 0x2000u + i), 0x2000u + i);
  EXPECT_EQ(handler.ticks, 250);
}

TEST_F(Pit, TicksWithoutHandlerAreHarmless) {
  PITDriver silent(&irq.manager, nullptr);
  silent.Activate();
  irq.raise(PITDriver::kInterruptLine);
  EXPECT_EQ(timer.divisor(0), 1193u);
  EXPECT_EQ(handler.ticks, 0);
}

// A 2.4 GHz counter, each poll of OUT2 taking a microsecond.
class TimestampCalibration : public Pit {
 protected:
  static constexpr double kCounterHz = 2.4e9;
  void SetUp() override {
    korvan::hosted::reset_hosted_cpu();
    korvan::hosted::hosted_cpu().timestamp_step = 1;
    timer.timestamps_per_input_cycle = kCounterHz / korvan::drivers::kTimerInputHz;
    timer.timestamps_per_poll = 2400;
  }
  void TearDown() override { korvan::hosted::reset_hosted_cpu(); }
  korvan::drivers::TimestampClock wall;
};

TEST_F(TimestampCalibration, MeasuresTheCounterAgainstChannel2AndCountsMilliseconds) {
  timer.system_control = korvan::hosted::SimulatedPit::kSpeakerData | korvan::hosted::SimulatedPit::kGate2;
  ASSERT_TRUE(wall.Calibrate());
  EXPECT_NEAR(static_cast<double>(wall.TicksPerMilli()), kCounterHz / 1000, kCounterHz / 1000 * 0.001);
  EXPECT_EQ(timer.channels[2].mode, 0);
  EXPECT_EQ(timer.system_control & 0x03, 0) << "the speaker is left off";
  uint32_t start = wall.Millis();
  korvan::hosted::hosted_cpu().timestamp += static_cast<uint64_t>(kCounterHz * 3600);
  EXPECT_NEAR(static_cast<double>(wall.Millis() - start), 3600000.0, 3600.0) << "an hour within a second";
}

// The timer interrupt's count then follows the wall, however many ticks are lost.
TEST_F(TimestampCalibration, TicksSetTheMillisecondCountFromTheWallClock) {
  ASSERT_TRUE(wall.Calibrate());
  IOPITEventHandler ticks;
  current_milli = 500;
  ticks.follow(&wall);
  korvan::hosted::hosted_cpu().timestamp += static_cast<uint64_t>(kCounterHz * 0.25);
  ticks.OnTick();  // 249 ticks were dropped
  EXPECT_NEAR(static_cast<double>(current_milli), 750.0, 1.0);
  ticks.OnTick();
  EXPECT_NEAR(static_cast<double>(current_milli), 750.0, 1.0) << "no time passed";
}

TEST_F(TimestampCalibration, AStandingTimerFailsTheCalibrationInBoundedTime) {
  timer.timestamps_per_input_cycle = 0;
  EXPECT_FALSE(wall.Calibrate());
  EXPECT_FALSE(wall.Calibrated());
  EXPECT_EQ(wall.Millis(), 0u);
}

}  // namespace
