// The kernel heap.
#include "core/memorymanagement.h"

namespace korvan {

MemoryManager* MemoryManager::activeMemoryManager = nullptr;

static constexpr uint32_t kHeaderSize = sizeof(HeapBlock);
// Headers sit where their fields can be read: 4 bytes in the kernel, 8 on a
// 64-bit host. Requests are rounded up to it, the slack staying with the user.
static constexpr uint32_t kHeaderAlign = alignof(HeapBlock);

MemoryManager::MemoryManager(uintptr_t start, uint32_t size) {
  activeMemoryManager = this;
  if (size < kHeaderSize) {
    firstBlock = nullptr;
    return;
  }
  firstBlock = reinterpret_cast<HeapBlock*>(start);
  firstBlock->nextBlock = nullptr;
  firstBlock->prevBlock = nullptr;
  firstBlock->inUse = false;
  firstBlock->blockSize = size - kHeaderSize;
}

MemoryManager::~MemoryManager() {
  if (activeMemoryManager == this) activeMemoryManager = nullptr;
}

void* MemoryManager::malloc(uint32_t size) {
  HeapBlock* chosen = nullptr;
  for (HeapBlock* block = firstBlock; block != nullptr; block = block->nextBlock) {
    if (!block->inUse && block->blockSize > size) {
      chosen = block;
      break;
    }
  }
  if (chosen == nullptr) return nullptr;

  // Split only when the rest holds a header and at least one byte. The block
  // handed out is rounded up so that the next header is aligned; the sums are
  // formed in 64 bits so that a request near 4 GiB cannot wrap into a split.
  uint64_t rounded = (static_cast<uint64_t>(size) + kHeaderAlign - 1) & ~static_cast<uint64_t>(kHeaderAlign - 1);
  if (static_cast<uint64_t>(chosen->blockSize) >= rounded + kHeaderSize + 1) {
    uint32_t handed_out = static_cast<uint32_t>(rounded);
    HeapBlock* rest = reinterpret_cast<HeapBlock*>(reinterpret_cast<uint8_t*>(chosen) + kHeaderSize + handed_out);
    rest->inUse = false;
    rest->blockSize = chosen->blockSize - handed_out - kHeaderSize;
    rest->prevBlock = chosen;
    rest->nextBlock = chosen->nextBlock;
    if (rest->nextBlock != nullptr) rest->nextBlock->prevBlock = rest;
    chosen->blockSize = handed_out;
    chosen->nextBlock = rest;
  }
  chosen->inUse = true;
  return reinterpret_cast<uint8_t*>(chosen) + kHeaderSize;
}

void MemoryManager::free(void* pointer) {
  if (pointer == nullptr) return;
  HeapBlock* block = reinterpret_cast<HeapBlock*>(static_cast<uint8_t*>(pointer) - kHeaderSize);
  block->inUse = false;

  HeapBlock* previous = block->prevBlock;
  if (previous != nullptr && !previous->inUse) {
    previous->nextBlock = block->nextBlock;
    previous->blockSize += block->blockSize + kHeaderSize;
    if (block->nextBlock != nullptr) block->nextBlock->prevBlock = previous;
    block = previous;
  }

  HeapBlock* following = block->nextBlock;
  if (following != nullptr && !following->inUse) {
    block->blockSize += following->blockSize + kHeaderSize;
    block->nextBlock = following->nextBlock;
    if (block->nextBlock != nullptr) block->nextBlock->prevBlock = block;
  }
}

uint32_t MemoryManager::free_bytes() const {
  uint32_t total = 0;
  for (HeapBlock* block = firstBlock; block != nullptr; block = block->nextBlock)
    if (!block->inUse) total += block->blockSize;
  return total;
}

uint32_t MemoryManager::block_count() const {
  uint32_t count = 0;
  for (HeapBlock* block = firstBlock; block != nullptr; block = block->nextBlock) count++;
  return count;
}

}  // namespace korvan
