// The kernel heap: first fit, splitting, merging, and its size edges.
#include <gtest/gtest.h>

#include <vector>

#include "core/memorymanagement.h"

namespace {

using korvan::HeapBlock;
using korvan::MemoryManager;

constexpr uint32_t kHeader = sizeof(HeapBlock);
constexpr uint32_t kAlign = alignof(HeapBlock);

constexpr uint32_t rounded(uint32_t size) { return (size + kAlign - 1) / kAlign * kAlign; }

struct Arena {
  explicit Arena(uint32_t size) : bytes(size + 64) {}
  uintptr_t start() { return reinterpret_cast<uintptr_t>(bytes.data()); }
  std::vector<uint8_t> bytes;
};

TEST(Heap, TooSmallForAHeaderFailsEveryAllocation) {
  Arena arena(kHeader - 1);
  MemoryManager heap(arena.start(), kHeader - 1);
  EXPECT_EQ(heap.malloc(0), nullptr);
  EXPECT_EQ(heap.block_count(), 0u);
}

TEST(Heap, ExactlyAHeaderGivesAnUnusableEmptyBlock) {
  Arena arena(kHeader);
  MemoryManager heap(arena.start(), kHeader);
  EXPECT_EQ(heap.block_count(), 1u);
  EXPECT_EQ(heap.free_bytes(), 0u);
  EXPECT_EQ(heap.malloc(0), nullptr);
}

TEST(Heap, RequestMustBeStrictlySmallerThanTheBlock) {
  const uint32_t size = 1000;
  Arena arena(size);
  MemoryManager heap(arena.start(), size);
  EXPECT_EQ(heap.malloc(size - kHeader), nullptr);
  void* whole = heap.malloc(size - kHeader - 1);
  ASSERT_NE(whole, nullptr);
  // The one byte left over cannot hold a header, so nothing was split off.
  EXPECT_EQ(heap.block_count(), 1u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(whole), arena.start() + kHeader);
  EXPECT_EQ(heap.malloc(0), nullptr);
}

TEST(Heap, SplitPlacesTheNextBlockRightAfterTheUserArea) {
  Arena arena(4096);
  MemoryManager heap(arena.start(), 4096);
  uint8_t* a = static_cast<uint8_t*>(heap.malloc(100));
  uint8_t* b = static_cast<uint8_t*>(heap.malloc(50));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b, a + rounded(100) + kHeader);
  EXPECT_EQ(heap.block_count(), 3u);
  EXPECT_EQ(heap.free_bytes(), 4096 - 3 * kHeader - rounded(100) - rounded(50));
}

TEST(Heap, NeighboursMergeInEitherOrder) {
  for (bool first_a : {true, false}) {
    Arena arena(4096);
    MemoryManager heap(arena.start(), 4096);
    void* a = heap.malloc(100);
    void* b = heap.malloc(200);
    heap.free(first_a ? a : b);
    heap.free(first_a ? b : a);
    EXPECT_EQ(heap.block_count(), 1u) << "first freed " << (first_a ? "a" : "b");
    EXPECT_EQ(heap.free_bytes(), 4096 - kHeader);
  }
}

TEST(Heap, FreedMiddleBlockIsReusedFirstFit) {
  Arena arena(4096);
  MemoryManager heap(arena.start(), 4096);
  void* a = heap.malloc(100);
  void* b = heap.malloc(100);
  void* c = heap.malloc(100);
  ASSERT_NE(c, nullptr);
  heap.free(b);
  EXPECT_EQ(heap.malloc(60), b);
  heap.free(a);
  heap.free(c);
  EXPECT_GE(heap.block_count(), 2u);
}

TEST(Heap, ManyRoundsLeaveTheHeapAsItWas) {
  Arena arena(1 << 16);
  MemoryManager heap(arena.start(), 1 << 16);
  const uint32_t before = heap.free_bytes();
  for (int round = 0; round < 50; round++) {
    void* blocks[20];
    for (int i = 0; i < 20; i++) blocks[i] = heap.malloc(37 * (i + 1));
    for (int i = 0; i < 20; i += 2) heap.free(blocks[i]);
    for (int i = 1; i < 20; i += 2) heap.free(blocks[i]);
  }
  EXPECT_EQ(heap.free_bytes(), before);
  EXPECT_EQ(heap.block_count(), 1u);
}

TEST(Heap, SplitBlocksKeepTheirHeadersAligned) {
  Arena arena(4096);
  MemoryManager heap(arena.start(), 4096);
  for (uint32_t size : {1u, 3u, 7u, 13u}) {
    auto* p = static_cast<uint8_t*>(heap.malloc(size));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p - arena.start()) % kAlign, 0u) << size;
  }
}

TEST(Heap, HugeRequestDoesNotWrapIntoASplit) {
  Arena arena(4096);
  MemoryManager heap(arena.start(), 4096);
  EXPECT_EQ(heap.malloc(0xFFFFFFF8u), nullptr);
  EXPECT_EQ(heap.block_count(), 1u);
}

TEST(Heap, ActiveManagerFollowsConstructionAndDestruction) {
  Arena arena(256);
  {
    MemoryManager heap(arena.start(), 256);
    EXPECT_EQ(MemoryManager::activeMemoryManager, &heap);
  }
  EXPECT_EQ(MemoryManager::activeMemoryManager, nullptr);
}

}  // namespace
