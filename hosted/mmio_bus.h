// The host build's memory-mapped register backend: the kernel's register
// accesses land on simulated devices attached to address ranges. Unattached
// addresses read as all ones and ignore writes, like a bus with nothing there.
#pragma once
#include <stdint.h>

namespace korvan::hosted {

struct MmioDevice {
  virtual ~MmioDevice() = default;
  virtual uint32_t read(uint32_t offset, unsigned width_bytes) = 0;
  virtual void write(uint32_t offset, uint32_t value, unsigned width_bytes) = 0;
};

// At most a few devices at once; a second attach at the same base replaces the first.
void attach_mmio(uintptr_t base, uint32_t size, MmioDevice* device);
void detach_mmio(MmioDevice* device);

}  // namespace korvan::hosted
