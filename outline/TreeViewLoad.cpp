#include "base/StringList.h"
#include "base/UpdateGuard.h"
#include "outline/OutlineBuilder.h"
#include "outline/StagedNodes.h"
#include "outline/TreeViewInternal.h"

namespace zel {

void TTreeView::LoadFromStream(TTreeWriteKey key, TStream& stream) {
  TUpdateGuard suspended(*this);
  Clear(key);
  // Lines are handed over as views into the text, without a line list of copies.
  const std::string text = stream.ReadRest();
  TOutlineBuilder builder(*this, key);
  SplitLines(text, [&builder](std::string_view line) { builder.AddLine(line); });
}

TTreeView::TStagedNodes::TStagedNodes(TTreeView& owner)
    : FOwner(owner), FPool(std::make_unique<TNodePool>()) {}

TTreeView::TStagedNodes::~TStagedNodes() {
  if (!FFirstRoot) return;
  // The owner's own walk frees them, over this storage.
  std::swap(FOwner.FPool, FPool);
  for (TTreeNode* root = FFirstRoot; root;) {
    TTreeNode* next = root->FNextSibling;
    FOwner.FreeSubtree(root);
    root = next;
  }
  std::swap(FOwner.FPool, FPool);
}

TTreeNode* TTreeView::TStagedNodes::AddChild(TTreeNode* parent, std::string_view text) {
  TTreeNode* node = FPool->New(&FOwner, text);
  // Made in document order, so positions come as they go. A node still open (the last one and
  // its ancestors) holds its own absolute index in FSize, and turns it into its size once the
  // new node lies past its subtree.
  for (TTreeNode* open = FLast; open != parent; open = open->FParent) {
    ZEL_ASSERT(open != nullptr);  // the parent is the last node or one of its ancestors
    open->FSize = FCount - open->FSize;
  }
  node->FSize = FCount;
  node->FIndex = parent ? parent->FCount : FRootCount;
  node->FOffset = unsigned(parent ? FCount - parent->FSize : FCount);
  node->FParent = parent;
  if (parent) {
    ++parent->FCount;
    // The first child's back link leads to the last.
    if (TTreeNode* first = parent->FFirstChild) {
      node->FPrevSibling = first->FPrevSibling;
      first->FPrevSibling->FNextSibling = node;
      first->FPrevSibling = node;
    } else {
      parent->FFirstChild = node;
      node->FPrevSibling = node;
    }
    parent->FHasChildren = true;
  } else {
    ++FRootCount;
    node->FPrevSibling = FLastRoot;
    (FLastRoot ? FLastRoot->FNextSibling : FFirstRoot) = node;
    FLastRoot = node;
  }
  ++FCount;
  FLast = node;
  return node;
}

void TTreeView::TakeNodes(TTreeWriteKey, TStagedNodes& staged) {
  if (FFirstRoot || FDetached) throw ETreeViewError("The tree must be empty to take nodes");
  if (!staged.FFirstRoot) return;
  TUpdateGuard suspended(*this);
  std::swap(FPool, staged.FPool);
  FFirstRoot = std::exchange(staged.FFirstRoot, nullptr);
  FLastRoot = std::exchange(staged.FLastRoot, nullptr);
  FRootCount = std::exchange(staged.FRootCount, 0);
  FCount = std::exchange(staged.FCount, 0);
  for (TTreeNode* open = std::exchange(staged.FLast, nullptr); open; open = open->FParent)
    open->FSize = FCount - open->FSize;
  // A root's offset is its absolute index: the last one's subtree ends the outline.
  ZEL_ASSERT(FRootCount > 0 && !FLastRoot->FNextSibling);
  ZEL_ASSERT(int(FLastRoot->FOffset) + FLastRoot->FSize == FCount);
  FPositionsValid = true;
  FStale.clear();
  FItemCursors = {};
  FAbsCursor = nullptr;
  FChangedWhileSuspended = true;
  ++FEdits;
}

}  // namespace zel
