// The kernel's new and delete, over the active heap. There is no exception and
// no out-of-memory handler: a failed allocation yields null.
#include "core/memorymanagement.h"

using korvan::MemoryManager;

static void* heap_allocate(size_t size) {
  MemoryManager* heap = MemoryManager::activeMemoryManager;
  return heap != nullptr ? heap->malloc(static_cast<uint32_t>(size)) : nullptr;
}

static void heap_release(void* pointer) {
  MemoryManager* heap = MemoryManager::activeMemoryManager;
  if (heap != nullptr && pointer != nullptr) heap->free(pointer);
}

void* operator new(size_t size) { return heap_allocate(size); }
void* operator new[](size_t size) { return heap_allocate(size); }
void* operator new(size_t, void* pointer) { return pointer; }
void* operator new[](size_t, void* pointer) { return pointer; }
void operator delete(void* pointer) { heap_release(pointer); }
void operator delete[](void* pointer) { heap_release(pointer); }
void operator delete(void* pointer, size_t) { heap_release(pointer); }
void operator delete[](void* pointer, size_t) { heap_release(pointer); }
