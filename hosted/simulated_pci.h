// A PCI configuration space behind ports 0x0CF8/0x0CFC, for host tests.
#pragma once
#include <stdint.h>

#include "hosted/port_bus.h"

namespace korvan::hosted {

class SimulatedPciBus : public PortDevice {
 public:
  SimulatedPciBus();
  ~SimulatedPciBus() override;

  // Adds a function with the given identity; returns its 256-byte space.
  uint8_t* add_function(uint8_t bus, uint8_t device, uint8_t function, uint16_t vendor, uint16_t device_id,
                        uint8_t class_id = 0, uint8_t subclass_id = 0, bool multifunction = false);
  void set_bar(uint8_t bus, uint8_t device, uint8_t function, int index, uint32_t value);
  unsigned configuration_reads() const { return reads; }

  uint32_t read(uint16_t port, unsigned width) override;
  void write(uint16_t port, uint32_t value, unsigned width) override;

 private:
  uint8_t* space_for(uint32_t address);
  uint8_t spaces[8][32][8][256];
  bool present[8][32][8];
  uint32_t address = 0;
  unsigned reads = 0;
};

// The Bochs/QEMU display adapter's index/data pair.
class SimulatedDisplayAdapter : public PortDevice {
 public:
  explicit SimulatedDisplayAdapter(uint16_t id);
  ~SimulatedDisplayAdapter() override;
  uint16_t registers[16] = {};
  unsigned writes = 0;

  uint32_t read(uint16_t port, unsigned width) override;
  void write(uint16_t port, uint32_t value, unsigned width) override;

 private:
  uint16_t index = 0;
};

}  // namespace korvan::hosted
