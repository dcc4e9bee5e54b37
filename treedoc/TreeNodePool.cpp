#include "treedoc/TreeNodePool.h"

#include <sys/mman.h>

#include <cstdlib>

namespace zel {

TTreeView::TNodePool::Chunk TTreeView::TNodePool::NewChunk(size_t slots) {
  const size_t bytes = slots * sizeof(Slot);
  const bool huge = bytes >= kHugePage;
  void* p = huge ? std::aligned_alloc(kHugePage, (bytes + kHugePage - 1) / kHugePage * kHugePage)
                 : std::malloc(bytes);
  if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  if (huge) ::madvise(p, bytes, MADV_HUGEPAGE);
#endif
  return Chunk(static_cast<Slot*>(p));
}

void TTreeView::TNodePool::FreeChunk::operator()(Slot* chunk) const {
  std::free(chunk);
}

}  // namespace zel
