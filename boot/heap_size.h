// How large the kernel heap may be, from what the loader says of memory.
#pragma once
#include <stdint.h>

namespace korvan {

constexpr uint32_t kHeapStart = 0x00A00000;
// Kept free above the heap's end, as the bring-up has always done.
constexpr uint32_t kHeapTail = 0x2800;
// When the loader does not say how much memory there is: enough for the
// machine, small enough for any PC that runs this at all.
constexpr uint32_t kDefaultHeapSize = 16u * 1024 * 1024;

// Memory above 1 MiB less the 10 MiB below the heap and the tail, when the
// record's memory flag vouches for mem_upper; the default otherwise. A
// machine with less memory than the heap's start gets an empty heap.
uint32_t kernel_heap_size(const uint8_t* multiboot_record, bool* from_loader);

}  // namespace korvan
