// Simulated PCI configuration space and display adapter.
#include "hosted/simulated_pci.h"

namespace korvan::hosted {

SimulatedPciBus::SimulatedPciBus() : spaces{}, present{} { attach_ports(0x0CF8, 0x0CFF, this); }

SimulatedPciBus::~SimulatedPciBus() { detach_ports(this); }

uint8_t* SimulatedPciBus::add_function(uint8_t bus, uint8_t device, uint8_t function, uint16_t vendor,
                                       uint16_t device_id, uint8_t class_id, uint8_t subclass_id,
                                       bool multifunction) {
  uint8_t* space = spaces[bus][device][function];
  present[bus][device][function] = true;
  space[0x00] = static_cast<uint8_t>(vendor);
  space[0x01] = static_cast<uint8_t>(vendor >> 8);
  space[0x02] = static_cast<uint8_t>(device_id);
  space[0x03] = static_cast<uint8_t>(device_id >> 8);
  space[0x0A] = subclass_id;
  space[0x0B] = class_id;
  if (multifunction) spaces[bus][device][0][0x0E] |= 0x80;
  return space;
}

void SimulatedPciBus::set_bar(uint8_t bus, uint8_t device, uint8_t function, int index, uint32_t value) {
  uint8_t* bar = &spaces[bus][device][function][0x10 + 4 * index];
  for (int i = 0; i < 4; i++) bar[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint8_t* SimulatedPciBus::space_for(uint32_t a) {
  if (!(a & 0x80000000u)) return nullptr;
  uint32_t bus = (a >> 16) & 0xFF, device = (a >> 11) & 0x1F, function = (a >> 8) & 7;
  if (bus >= 8 || !present[bus][device][function]) return nullptr;
  return spaces[bus][device][function];
}

uint32_t SimulatedPciBus::read(uint16_t port, unsigned width) {
  if (port == 0x0CF8) return address;
  reads++;
  uint8_t* space = space_for(address);
  if (space == nullptr) return width == 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
  uint32_t offset = (address & 0xFC) + (port - 0x0CFC);
  uint32_t value = 0;
  for (unsigned i = 0; i < width && offset + i < 256; i++) value |= static_cast<uint32_t>(space[offset + i]) << (8 * i);
  return value;
}

void SimulatedPciBus::write(uint16_t port, uint32_t value, unsigned width) {
  if (port == 0x0CF8 && width == 4) {
    address = value;
    return;
  }
  uint8_t* space = space_for(address);
  if (space == nullptr || port < 0x0CFC) return;
  uint32_t offset = (address & 0xFC) + (port - 0x0CFC);
  for (unsigned i = 0; i < width && offset + i < 256; i++) space[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

SimulatedDisplayAdapter::SimulatedDisplayAdapter(uint16_t id) {
  registers[0] = id;
  attach_ports(0x01CE, 0x01CF, this);
}

SimulatedDisplayAdapter::~SimulatedDisplayAdapter() { detach_ports(this); }

uint32_t SimulatedDisplayAdapter::read(uint16_t port, unsigned) {
  return port == 0x01CE ? index : registers[index & 0x0F];
}

void SimulatedDisplayAdapter::write(uint16_t port, uint32_t value, unsigned) {
  if (port == 0x01CE) {
    index = static_cast<uint16_t>(value);
  } else {
    registers[index & 0x0F] = static_cast<uint16_t>(value);
    writes++;
  }
}

}  // namespace korvan::hosted
