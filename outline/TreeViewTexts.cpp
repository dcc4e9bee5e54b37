// The node texts' storage is compacted as a whole: only the tree knows every node that holds a
// text, the detached ones of an undo history included.

#include <new>

#include "outline/TreeViewInternal.h"

namespace zel {

void TTreeView::CompactTextsIfWasteful() {
  TTextBlocks& texts = FPool->Texts();
  if (!texts.Wasteful(size_t(FCount) + FDetachedCount)) return;
  const auto forEachNode = [this](auto&& visit) {
    for (TTreeNode* top = FFirstRoot; top; top = top->FNextSibling) WalkSubtree(top, visit);
    for (TTreeNode* top = FDetached; top; top = top->FNextSibling) WalkSubtree(top, visit);
  };
  try {
    TTextBlocks::TCompaction compaction(texts);
    forEachNode([&](TTreeNode* n) { compaction.Copy(n->FText); });
    forEachNode([&](TTreeNode* n) { n->FText = compaction.Moved(n->FText); });
    compaction.Finish();
  } catch (const std::bad_alloc&) {
    // Without memory for the copy the texts stay where they are, which is only wasteful.
  }
}

}  // namespace zel
