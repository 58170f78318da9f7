// A device's memory-mapped registers: accesses of 8, 16 and 32 bits at
// offsets from the base its PCI function was given. Every such access in the
// kernel goes through this class; the host build links a backend that routes
// them to simulated devices instead.
#pragma once
#include <stdint.h>

namespace korvan::hardwarecommunication {

class MemoryMappedRegisters {
 public:
  explicit MemoryMappedRegisters(uintptr_t base) : base_(base) {}

  uint8_t Read8(uint32_t offset) const { return static_cast<uint8_t>(Read(base_ + offset, 1)); }
  uint16_t Read16(uint32_t offset) const { return static_cast<uint16_t>(Read(base_ + offset, 2)); }
  uint32_t Read32(uint32_t offset) const { return Read(base_ + offset, 4); }
  void Write8(uint32_t offset, uint8_t value) { Write(base_ + offset, value, 1); }
  void Write16(uint32_t offset, uint16_t value) { Write(base_ + offset, value, 2); }
  void Write32(uint32_t offset, uint32_t value) { Write(base_ + offset, value, 4); }

  static uint32_t Read(uintptr_t address, unsigned width_bytes);
  static void Write(uintptr_t address, uint32_t value, unsigned width_bytes);

 private:
  uintptr_t base_;
};

// The address a bus-mastering device must be given for a buffer: paging is
// off, so a pointer is its physical address.
inline uint64_t bus_address(const void* buffer) { return reinterpret_cast<uintptr_t>(buffer); }

}  // namespace korvan::hardwarecommunication
