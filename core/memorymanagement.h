// The kernel heap: one contiguous region as a doubly linked list of blocks in
// address order, first fit, split on allocation and merged on release.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace korvan {

struct HeapBlock {
  HeapBlock* nextBlock;
  HeapBlock* prevBlock;
  bool inUse;
  uint32_t blockSize;  // bytes after the header
};

class MemoryManager {
 public:
  // The manager that operator new and delete use; the newest one constructed.
  static MemoryManager* activeMemoryManager;

  MemoryManager(uintptr_t start, uint32_t size);
  ~MemoryManager();

  // The first free block strictly larger than size, or null. A block that is
  // split keeps size rounded up to the header alignment.
  void* malloc(uint32_t size);
  void free(void* pointer);

  // Bytes in free blocks, and the number of blocks: a leak shows in both.
  uint32_t free_bytes() const;
  uint32_t block_count() const;

 private:
  HeapBlock* firstBlock;
};

}  // namespace korvan
