// A simulated 8042 keyboard controller with a keyboard on its first port
// (ports 0x60/0x64), for host tests of the keyboard driver.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <deque>
#include <initializer_list>
#include <vector>

#include "hosted/port_bus.h"

namespace korvan::hosted {

class Simulated8042 : public PortDevice {
 public:
  static constexpr uint8_t kKeyboardAck = 0xFA;
  // As a BIOS leaves it: system flag and translation on, both clocks off, no interrupts.
  static constexpr uint8_t kPowerOnConfiguration = 0x74;

  Simulated8042();
  ~Simulated8042() override;

  // Bytes the keyboard sends, queued behind anything not yet read.
  void type(std::initializer_list<uint8_t> bytes);
  bool output_full() const { return !output.empty(); }
  size_t pending() const { return output.size(); }

  uint8_t configuration = kPowerOnConfiguration;
  bool first_port_enabled = false;
  std::vector<uint8_t> controller_commands;
  std::vector<uint8_t> keyboard_commands;  // bytes the keyboard received (each acknowledged)

  uint32_t read(uint16_t port, unsigned width) override;
  void write(uint16_t port, uint32_t value, unsigned width) override;

 private:
  std::deque<uint8_t> output;
  uint8_t last_output = 0;
  bool configuration_write_pending = false;
};

}  // namespace korvan::hosted
