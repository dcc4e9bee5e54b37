#include "platform/BlockAllocator.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace zel {

namespace {

size_t WholeHugePages(size_t bytes) {
  return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

// Maps one huge page more than needed and cuts the ends off, so the block starts on a huge
// page boundary.
void* MapAligned(size_t bytes) {
  const size_t mapped = bytes + kHugePageBytes;
  void* p = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t start = reinterpret_cast<uintptr_t>(p);
  const uintptr_t aligned = (start + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
  if (aligned > start) ::munmap(p, aligned - start);
  const uintptr_t end = start + mapped, blockEnd = aligned + bytes;
  if (end > blockEnd) ::munmap(reinterpret_cast<void*>(blockEnd), end - blockEnd);
  void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
  ::madvise(block, bytes, MADV_HUGEPAGE);
#endif
  return block;
}

}  // namespace

void* AllocateBlock(size_t bytes) {
  if (bytes > SIZE_MAX / 2) throw std::bad_alloc();  // the rounding below must not wrap
  if (bytes >= kHugePageBytes) return MapAligned(WholeHugePages(bytes));
  void* p = std::malloc(bytes == 0 ? 1 : bytes);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void FreeBlock(void* block, size_t bytes) {
  if (block == nullptr) return;
  if (bytes >= kHugePageBytes)
    ::munmap(block, WholeHugePages(bytes));
  else
    std::free(block);
}

}  // namespace zel
