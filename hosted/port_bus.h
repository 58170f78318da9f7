// The host build's port backend: the kernel's port instructions land on
// simulated devices attached to port ranges. Unattached ports read as a
// floating bus (all ones) and ignore writes, like an empty ISA slot.
#pragma once
#include <stdint.h>

namespace korvan::hosted {

struct PortDevice {
  virtual ~PortDevice() = default;
  virtual uint32_t read(uint16_t port, unsigned width_bytes) = 0;
  virtual void write(uint16_t port, uint32_t value, unsigned width_bytes) = 0;
};

struct PortAccess {
  uint16_t port;
  uint32_t value;
  uint8_t width_bytes;
  bool is_write;
  bool slow;
};

void attach_ports(uint16_t first, uint16_t last, PortDevice* device);
void detach_ports(PortDevice* device);
// Detaches every device and clears the access log.
void reset_ports();

// Every access in order, for tests that check a device's programming sequence.
const PortAccess* port_log(unsigned* count);
void clear_port_log();

}  // namespace korvan::hosted
