// The timer tick driver against a simulated 8254: channel 0 programming and
// delivery of IRQ 0 to the handler.
#include <gtest/gtest.h>

#include "drivers/pit.h"
#include "hosted/clean_bus.h"
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

}  // namespace
