// Simulated interval timer and system control port.
#include "hosted/simulated_pit.h"

#include "hosted/hosted_cpu.h"

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
  if (port == kSystemControl) {
    hosted_cpu().timestamp += timestamps_per_poll;
    // Without a notion of time the port reads back as written.
    if (timestamps_per_input_cycle <= 0) return system_control;
    return (system_control & ~kOutput2) | (output2() ? kOutput2 : 0);
  }
  return 0;  // counter read-back is not needed by the drivers
}

// Mode 0 counts from the load, or from the gate's rise, while the gate is high.
void SimulatedPit::start_channel2_if_gated() {
  channel2_counting_ = (system_control & kGate2) != 0 && channels[2].loads != 0;
  channel2_start_ = hosted_cpu().timestamp;
}

bool SimulatedPit::output2() const {
  const Channel& channel = channels[2];
  if (channel.mode != 0) return false;
  if (!channel2_counting_) return false;
  double elapsed = static_cast<double>(hosted_cpu().timestamp - channel2_start_) / timestamps_per_input_cycle;
  return elapsed >= divisor(2);
}

void SimulatedPit::write(uint16_t port, uint32_t value, unsigned) {
  uint8_t byte = static_cast<uint8_t>(value);
  if (port == kSystemControl) {
    bool rise = (byte & kGate2) && !(system_control & kGate2);
    system_control = byte;
    system_control_writes++;
    if (rise) start_channel2_if_gated();
    if (!(byte & kGate2)) channel2_counting_ = false;
    return;
  }
  if (port != kCommand) {
    unsigned loads = channels[port - kChannel0].loads;
    load_count(channels[port - kChannel0], byte);
    if (port - kChannel0 == 2 && channels[2].loads != loads) start_channel2_if_gated();
    return;
  }
  uint8_t select = byte >> 6, access = (byte >> 4) & 3;
  if (select == kReadBack || access == kLatchCount) return;
  Channel& channel = channels[select];
  if (select == 2) channel2_counting_ = false;  // OUT2 low until the new count runs out
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
