#pragma once
// Raw blocks for the document pools. Large blocks are 2 MB aligned and offered to the
// kernel for huge pages: filling a DOM of hundreds of megabytes is otherwise dominated by
// one page fault per 4 KB.

#include <cstddef>

namespace zel {

constexpr size_t kHugeBlock = size_t(2) << 20;

void* AllocBlock(size_t bytes);
void FreeBlock(void* p);

// Block sizes grow from small (a small document stays small) to kHugeBlock.
inline size_t NextBlockSize(size_t previous) {
  if (previous == 0) return size_t(64) << 10;
  return previous * 2 > kHugeBlock ? kHugeBlock : previous * 2;
}

}  // namespace zel
