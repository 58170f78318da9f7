// The serial driver against a simulated 16550: line setup, hand-over from the
// boot log, receiving through IRQ 4 and bounded sending.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drivers/serial.h"
#include "drivers/uart.h"
#include "hosted/clean_bus.h"
#include "hosted/hosted_interrupts.h"
#include "hosted/simulated_uart.h"

namespace {

using korvan::drivers::SerialDriver;
using korvan::drivers::SerialEventHandler;

struct RecordingHandler : SerialEventHandler {
  int activations = 0;
  int sends = 0;
  std::string received;
  void OnActivate() override { activations++; }
  void OnSend(uint8_t) override { sends++; }
  void OnReceive(uint8_t byte) override { received += static_cast<char>(byte); }
};

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

class Serial : public ::testing::Test {
 protected:
  void interrupt() { irq.raise(SerialDriver::kInterruptLine); }

  korvan::hosted::CleanBus bus;
  korvan::hosted::SimulatedUart uart{SerialDriver::kBase};
  korvan::hosted::HostedInterrupts irq;
  RecordingHandler handler;
  SerialDriver driver{&irq.manager, &handler};
};

TEST_F(Serial, RegistersForIrq4WithoutTouchingTheUart) {
  korvan::hosted::clear_port_log();
  SerialDriver second(&irq.manager, &handler);
  unsigned count;
  korvan::hosted::port_log(&count);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(irq.manager.Handler(0x24), &second);
}

TEST_F(Serial, ActivateSetsUp38400Baud8N1WithFifosAndReceiveInterrupt) {
  korvan::hosted::clear_port_log();
  driver.Activate();
  EXPECT_EQ(handler.activations, 1);

  std::vector<std::pair<uint16_t, uint8_t>> writes;
  unsigned count;
  const korvan::hosted::PortAccess* log = korvan::hosted::port_log(&count);
  for (unsigned i = 0; i < count; i++)
    if (log[i].is_write) writes.push_back({log[i].port, static_cast<uint8_t>(log[i].value)});
  EXPECT_EQ(writes, (std::vector<std::pair<uint16_t, uint8_t>>{{0x3F9, 0x00}, {0x3FB, 0x80}, {0x3F8, 0x03},
                                                              {0x3F9, 0x00}, {0x3FB, 0x03}, {0x3FA, 0xC7},
                                                              {0x3FC, 0x0B}, {0x3F9, 0x01}}));
  EXPECT_EQ(uart.baud(), 38400u);
  EXPECT_EQ(uart.line_control, 0x03);
  EXPECT_EQ(uart.interrupt_enable, 0x01);
}

TEST_F(Serial, ActivateLetsTheBootLogLeaveTheFifoFirst) {
  korvan::drivers::Uart16550 mirror(korvan::drivers::Uart16550::kCom1);
  mirror.configure(SerialDriver::kBaud);
  for (char c : std::string("[OK]\r\n")) ASSERT_TRUE(mirror.write(static_cast<uint8_t>(c)));
  driver.Activate();
  EXPECT_EQ(uart.lost, 0u);
  EXPECT_EQ(Text(uart.on_wire), "[OK]\r\n");
  // The mirror goes on writing on the same line afterwards.
  EXPECT_TRUE(mirror.write('x'));
  EXPECT_EQ(Text(uart.written()), "[OK]\r\nx");
}

TEST_F(Serial, EveryReceivedByteReachesTheHandlerInOrder) {
  driver.Activate();
  uart.receive({'L', 'O', 'A', 'D'});
  interrupt();
  uart.receive({'\r'});
  interrupt();
  EXPECT_EQ(handler.received, "LOAD\r");
  EXPECT_EQ(uart.unread(), 0u);
}

TEST_F(Serial, SpuriousInterruptDeliversNothing) {
  driver.Activate();
  interrupt();
  EXPECT_EQ(handler.received, "");
}

TEST_F(Serial, WithoutHandlerReceivedBytesAreStillTaken) {
  SerialDriver silent(&irq.manager, nullptr);
  silent.Activate();
  uart.receive({1, 2, 3});
  interrupt();
  EXPECT_EQ(uart.unread(), 0u);
}

TEST_F(Serial, SendPutsTheByteOnTheLine) {
  driver.Activate();
  EXPECT_FALSE(driver.PortIsBusy());
  for (char c : std::string("READY.")) EXPECT_TRUE(driver.Send(static_cast<uint8_t>(c)));
  EXPECT_EQ(Text(uart.written()), "READY.");
  EXPECT_EQ(handler.sends, 0) << "the driver does not report its own sends";
}

TEST_F(Serial, SendGivesUpWhenTheLineNeverDrains) {
  driver.Activate();
  uart.transmitter_stuck = true;
  EXPECT_TRUE(driver.PortIsBusy());
  EXPECT_FALSE(driver.Send('A'));
  EXPECT_TRUE(uart.written().empty());
}

}  // namespace
