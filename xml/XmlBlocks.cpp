#include "xml/XmlBlocks.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace zel {

void* AllocBlock(size_t bytes) {
  void* p = bytes >= kHugeBlock
                ? std::aligned_alloc(kHugeBlock, (bytes + kHugeBlock - 1) / kHugeBlock * kHugeBlock)
                : std::malloc(bytes);
  if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  if (bytes >= kHugeBlock) ::madvise(p, bytes, MADV_HUGEPAGE);
#endif
  return p;
}

void FreeBlock(void* p) {
  std::free(p);
}

}  // namespace zel
