// Routes the kernel's port classes to simulated devices.
#include "hosted/port_bus.h"

#include "core/port.h"

namespace korvan::hosted {

namespace {

PortDevice* g_devices[65536];

constexpr unsigned kLogCapacity = 1 << 16;
PortAccess g_log[kLogCapacity];
unsigned g_log_count = 0;

void record(uint16_t port, uint32_t value, unsigned width, bool is_write, bool slow) {
  if (g_log_count < kLogCapacity)
    g_log[g_log_count++] = PortAccess{port, value, static_cast<uint8_t>(width), is_write, slow};
}

uint32_t floating_bus(unsigned width) { return width == 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1; }

uint32_t bus_read(uint16_t port, unsigned width) {
  PortDevice* device = g_devices[port];
  uint32_t value = device != nullptr ? device->read(port, width) : floating_bus(width);
  record(port, value, width, false, false);
  return value;
}

void bus_write(uint16_t port, uint32_t value, unsigned width, bool slow) {
  record(port, value, width, true, slow);
  if (PortDevice* device = g_devices[port]) device->write(port, value, width);
}

}  // namespace

void attach_ports(uint16_t first, uint16_t last, PortDevice* device) {
  for (uint32_t port = first; port <= last; port++) g_devices[port] = device;
}

void detach_ports(PortDevice* device) {
  for (PortDevice*& slot : g_devices)
    if (slot == device) slot = nullptr;
}

void reset_ports() {
  for (PortDevice*& slot : g_devices) slot = nullptr;
  g_log_count = 0;
}

const PortAccess* port_log(unsigned* count) {
  *count = g_log_count;
  return g_log;
}

void clear_port_log() { g_log_count = 0; }

}  // namespace korvan::hosted

namespace korvan::hardwarecommunication {

using hosted::bus_read;
using hosted::bus_write;

uint8_t Port8Bit::Read8(uint16_t port) { return static_cast<uint8_t>(bus_read(port, 1)); }
void Port8Bit::Write8(uint16_t port, uint8_t data) { bus_write(port, data, 1, false); }
void Port8BitSlow::Write8Slow(uint16_t port, uint8_t data) { bus_write(port, data, 1, true); }
uint16_t Port16Bit::Read16(uint16_t port) { return static_cast<uint16_t>(bus_read(port, 2)); }
void Port16Bit::Write16(uint16_t port, uint16_t data) { bus_write(port, data, 2, false); }
uint32_t Port32Bit::Read32(uint16_t port) { return bus_read(port, 4); }
void Port32Bit::Write32(uint16_t port, uint32_t data) { bus_write(port, data, 4, false); }

}  // namespace korvan::hardwarecommunication
