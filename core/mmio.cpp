// Memory-mapped register accesses, as single volatile loads and stores of
// the width the device expects.
#include "core/mmio.h"

namespace korvan::hardwarecommunication {

uint32_t MemoryMappedRegisters::Read(uintptr_t address, unsigned width_bytes) {
  if (width_bytes == 1) return *reinterpret_cast<volatile uint8_t*>(address);
  if (width_bytes == 2) return *reinterpret_cast<volatile uint16_t*>(address);
  return *reinterpret_cast<volatile uint32_t*>(address);
}

void MemoryMappedRegisters::Write(uintptr_t address, uint32_t value, unsigned width_bytes) {
  if (width_bytes == 1) *reinterpret_cast<volatile uint8_t*>(address) = static_cast<uint8_t>(value);
  else if (width_bytes == 2) *reinterpret_cast<volatile uint16_t*>(address) = static_cast<uint16_t>(value);
  else *reinterpret_cast<volatile uint32_t*>(address) = value;
}

}  // namespace korvan::hardwarecommunication
