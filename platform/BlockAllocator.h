#pragma once
// Raw memory blocks for the pools of the XML document and of the tree view. Blocks of a huge
// page or more are mapped on their own, aligned to a huge page and offered to the kernel for
// huge pages: filling hundreds of megabytes is otherwise dominated by one fault per 4 KB, and
// a mapped block goes back to the system the moment it is freed.

#include <cstddef>

namespace zel {

inline constexpr size_t kHugePageBytes = size_t(2) << 20;
// The first block of a pool: a small document stays small.
inline constexpr size_t kFirstBlockBytes = size_t(64) << 10;

// A block of at least `bytes` bytes (not zero); throws std::bad_alloc when none can be had.
void* AllocateBlock(size_t bytes);
// Gives back a block of AllocateBlock; `bytes` is the size that was asked for.
void FreeBlock(void* block, size_t bytes);

// Block sizes double from kFirstBlockBytes up to one huge page.
inline size_t NextBlockSize(size_t previous) {
  if (previous == 0) return kFirstBlockBytes;
  return previous * 2 > kHugePageBytes ? kHugePageBytes : previous * 2;
}

}  // namespace zel
