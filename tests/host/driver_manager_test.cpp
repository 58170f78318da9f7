// The driver framework: activation order, the table's limit, and the
// bring-up's three interrupt-driven drivers activated through it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drivers/driver.h"
#include "drivers/keyboard.h"
#include "drivers/pit.h"
#include "drivers/serial.h"
#include "hosted/clean_bus.h"
#include "hosted/console_capture.h"
#include "hosted/hosted_interrupts.h"
#include "hosted/simulated_8042.h"
#include "hosted/simulated_pit.h"
#include "hosted/simulated_uart.h"

namespace {

using korvan::drivers::Driver;
using korvan::drivers::DriverManager;

struct NamedDriver : Driver {
  NamedDriver(std::string* log, char name) : log(log), name(name) {}
  void Activate() override { *log += name; }
  std::string* log;
  char name;
};

TEST(DriverManager, ActivatesEveryDriverInTheOrderAdded) {
  std::string log;
  NamedDriver a(&log, 'a'), b(&log, 'b'), c(&log, 'c');
  DriverManager manager;
  EXPECT_TRUE(manager.AddDriver(&b));
  EXPECT_TRUE(manager.AddDriver(&a));
  EXPECT_TRUE(manager.AddDriver(&c));
  manager.ActivateAll();
  EXPECT_EQ(log, "bac");
  EXPECT_EQ(manager.DriverCount(), 3);
}

TEST(DriverManager, AFullTableRefusesTheNextDriverAndSaysSo) {
  std::string log;
  std::vector<NamedDriver> drivers(DriverManager::kMaxDrivers + 1, NamedDriver(&log, '.'));
  NamedDriver last(&log, '!');
  DriverManager manager;
  for (int i = 0; i < DriverManager::kMaxDrivers; i++) ASSERT_TRUE(manager.AddDriver(&drivers[i]));
  korvan::hosted::ConsoleCapture console;
  EXPECT_FALSE(manager.AddDriver(&last));
  EXPECT_NE(std::string(console.text()).find("Driver table full"), std::string::npos);
  manager.ActivateAll();
  EXPECT_EQ(log, std::string(DriverManager::kMaxDrivers, '.'));
}

TEST(DriverManager, NullDriverIsRefused) {
  DriverManager manager;
  EXPECT_FALSE(manager.AddDriver(nullptr));
  manager.ActivateAll();
  EXPECT_EQ(manager.DriverCount(), 0);
}

TEST(DriverManager, BaseDriverResetReportsSuccess) {
  Driver plain;
  plain.Activate();
  plain.Deactivate();
  EXPECT_EQ(plain.Reset(), 0);
}

// Bring-up: keyboard, serial and timer added and activated in that order.
TEST(DriverManager, ActivatesTheBringUpDriversThroughTheirDriverPart) {
  korvan::hosted::CleanBus bus;
  korvan::hosted::Simulated8042 controller;
  korvan::hosted::SimulatedUart uart(korvan::drivers::SerialDriver::kBase);
  korvan::hosted::SimulatedPit timer;
  korvan::hosted::HostedInterrupts irq;
  korvan::drivers::KeyboardEventHandler keys;
  korvan::drivers::SerialEventHandler bytes;
  korvan::drivers::PITEventHandler ticks;
  korvan::drivers::KeyboardDriver keyboard(&irq.manager, &keys);
  korvan::drivers::SerialDriver serial(&irq.manager, &bytes);
  korvan::drivers::PITDriver pit(&irq.manager, &ticks);
  DriverManager manager;
  manager.AddDriver(&keyboard);
  manager.AddDriver(&serial);
  manager.AddDriver(&pit);
  korvan::hosted::clear_port_log();
  manager.ActivateAll();

  EXPECT_TRUE(controller.first_port_enabled);
  EXPECT_EQ(uart.baud(), 38400u);
  EXPECT_EQ(timer.divisor(0), 1193u);
  // The first write of each driver, in order.
  std::vector<uint16_t> firsts;
  unsigned count;
  const korvan::hosted::PortAccess* log = korvan::hosted::port_log(&count);
  for (unsigned i = 0; i < count; i++) {
    uint16_t device = log[i].port >= 0x3F8 ? 0x3F8 : log[i].port >= 0x60 ? 0x60 : 0x40;
    if (log[i].is_write && (firsts.empty() || firsts.back() != device)) firsts.push_back(device);
  }
  EXPECT_EQ(firsts, (std::vector<uint16_t>{0x60, 0x3F8, 0x40}));
}

}  // namespace
