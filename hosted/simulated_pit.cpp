// Simulated interval timer and system control port.
#include "hosted/simulated_pit.h"

namespace korvan::hosted {

namespace {
constexpr uint16_t kChannel0 = 0x40;
constexpr uint16_t kCommand = 0x43;
constexpr uint16_t kSystemControl = 0x61;
constexpr uint8_t kReadBack = 3;
constexpr uint8_t kLatchCount = 0;
}  // namespace

SimulatedPit::SimulatedPit() {
  attach_ports(kChannel0, kCommand, this);
  attach_ports(kSystemControl, kSystemControl, this);
}

SimulatedPit::~SimulatedPit() { detach_ports(this); }

uint32_t SimulatedPit::divisor(int channel) const {
  uint32_t reload = channels[channel].reload;
  return reload == 0 ? 65536 : reload;
}

uint32_t SimulatedPit::read(uint16_t port, unsigned) {
  if (port == kSystemControl) return system_control;
  return 0;  // counter read-back is not needed by the drivers
}

void SimulatedPit::write(uint16_t port, uint32_t value, unsigned) {
  uint8_t byte = static_cast<uint8_t>(value);
  if (port == kSystemControl) {
    system_control = byte;
    system_control_writes++;
    return;
  }
  if (port != kCommand) {
    load_count(channels[port - kChannel0], byte);
    return;
  }
  uint8_t select = byte >> 6, access = (byte >> 4) & 3;
  if (select == kReadBack || access == kLatchCount) return;
  Channel& channel = channels[select];
  channel.access = access;
  channel.mode = (byte >> 1) & 7;
  channel.bcd = (byte & 1) != 0;
  channel.high_byte_next = false;
}

void SimulatedPit::load_count(Channel& channel, uint8_t byte) {
  switch (channel.access) {
    case 1:
      channel.reload = byte;
      channel.loads++;
      break;
    case 2:
      channel.reload = static_cast<uint32_t>(byte) << 8;
      channel.loads++;
      break;
    case 3:
      if (!channel.high_byte_next) {
        channel.low = byte;
        channel.high_byte_next = true;
      } else {
        channel.reload = channel.low | static_cast<uint32_t>(byte) << 8;
        channel.loads++;
        channel.high_byte_next = false;
      }
      break;
    default:
      break;  // no control word yet: the write is lost
  }
}

}  // namespace korvan::hosted
