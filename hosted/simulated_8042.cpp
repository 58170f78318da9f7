// Simulated 8042 keyboard controller.
#include "hosted/simulated_8042.h"

namespace korvan::hosted {

namespace {
constexpr uint16_t kData = 0x60;
constexpr uint16_t kCommand = 0x64;
constexpr uint8_t kStatusOutputFull = 0x01;
}  // namespace

Simulated8042::Simulated8042() {
  attach_ports(kData, kData, this);
  attach_ports(kCommand, kCommand, this);
}

Simulated8042::~Simulated8042() { detach_ports(this); }

void Simulated8042::type(std::initializer_list<uint8_t> bytes) {
  for (uint8_t byte : bytes) output.push_back(byte);
}

uint32_t Simulated8042::read(uint16_t port, unsigned) {
  if (port == kCommand) return output.empty() ? 0 : kStatusOutputFull;
  // An empty buffer reads as the byte it last held, as on the real controller.
  if (!output.empty()) {
    last_output = output.front();
    output.pop_front();
  }
  return last_output;
}

void Simulated8042::write(uint16_t port, uint32_t value, unsigned) {
  uint8_t byte = static_cast<uint8_t>(value);
  if (port == kCommand) {
    controller_commands.push_back(byte);
    if (byte == 0x20) output.push_back(configuration);
    if (byte == 0x60) configuration_write_pending = true;
    if (byte == 0xAE) first_port_enabled = true;
    if (byte == 0xAD) first_port_enabled = false;
    return;
  }
  if (configuration_write_pending) {
    configuration = byte;
    configuration_write_pending = false;
    return;
  }
  keyboard_commands.push_back(byte);
  output.push_back(kKeyboardAck);
}

}  // namespace korvan::hosted
