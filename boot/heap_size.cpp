// Sizing the kernel heap.
#include "boot/heap_size.h"

#include "boot/multiboot.h"

namespace korvan {

static constexpr uint64_t kAddressSpace = 1ull << 32;

uint32_t kernel_heap_size(const uint8_t* record, bool* from_loader) {
  *from_loader = (multiboot::flags(record) & multiboot::kFlagMemory) != 0;
  if (!*from_loader) return kDefaultHeapSize;
  uint64_t top = static_cast<uint64_t>(multiboot::mem_upper(record)) * 1024;
  // Nothing past 4 GiB is addressable here, whatever the record claims.
  if (top > kAddressSpace) top = kAddressSpace;
  uint64_t reserved = static_cast<uint64_t>(kHeapStart) + kHeapTail;
  return top > reserved ? static_cast<uint32_t>(top - reserved) : 0;
}

}  // namespace korvan
