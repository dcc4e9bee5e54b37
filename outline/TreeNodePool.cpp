#include "outline/TreeNodePool.h"

namespace zel {

TTreeView::TNodePool::Chunk TTreeView::TNodePool::NewChunk(size_t slots) {
  const size_t bytes = slots == kMaxChunk ? kHugePageBytes : slots * sizeof(Slot);
  return Chunk(static_cast<Slot*>(AllocateBlock(bytes)), FreeChunk{bytes});
}

}  // namespace zel
