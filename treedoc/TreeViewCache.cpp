// The position cache: absolute index, sibling index and level of every node, and the nodes in
// document order, rebuilt in one pass after a structural change.

#include "treedoc/TreeViewInternal.h"

namespace zel {

void TTreeView::InvalidateCache() {
  FCacheValid = false;
  FItemCursor = nullptr;
}

void TTreeView::EnsureCache() const {
  if (!FCacheValid) RebuildCache();
}

void TTreeView::EnsureOrder() const {
  if (!FCacheValid || !FOrderValid) RebuildCache();
}

void TTreeView::RebuildCache() const {
  FOrder.clear();
  FOrder.reserve(static_cast<size_t>(FCount));
  TTreeNode* node = FFirstRoot;
  FLastNode = nullptr;
  int index = 0;
  int level = 0;
  while (node) {
    node->FAbsIndex = static_cast<int>(FOrder.size());
    node->FIndex = index;
    node->FLevel = level;
    FOrder.push_back(node);
    FLastNode = node;
    if (node->FFirstChild) {
      node = node->FFirstChild;
      index = 0;
      ++level;
      continue;
    }
    while (node && !node->FNextSibling) {
      node = node->FParent;
      --level;
    }
    if (node) {
      index = node->FIndex + 1;
      node = node->FNextSibling;
    }
  }
  FCacheValid = true;
  FOrderValid = true;
  FItemCursor = nullptr;
}

TTreeNode* TTreeView::Item(int absoluteIndex) const {
  if (absoluteIndex < 0 || absoluteIndex >= FCount) throw EListError::OutOfBounds(absoluteIndex);
  EnsureOrder();
  return FOrder[static_cast<size_t>(absoluteIndex)];
}

TTreeNode* TTreeView::Root(int index) const {
  if (index < 0 || index >= FRootCount) throw EListError::OutOfBounds(index);
  return ChildAt(nullptr, index);
}

// Walks to a child from the nearest of: the first child, the last child, or the child found
// last time under the same parent, so a loop over the children costs O(1) a step.
TTreeNode* TTreeView::ChildAt(TTreeNode* parent, int index) const {
  EnsureCache();
  const int count = parent ? parent->FCount : FRootCount;
  TTreeNode* from = parent ? parent->FFirstChild : FFirstRoot;
  int distance = index;
  if (count - 1 - index < distance) {
    from = parent ? parent->FLastChild : FLastRoot;
    distance = count - 1 - index;
  }
  if (FItemCursor && FItemCursor->FParent == parent) {
    const int d = FItemCursor->FIndex - index;
    if ((d < 0 ? -d : d) < distance) {
      from = FItemCursor;
      distance = d < 0 ? -d : d;
    }
  }
  TTreeNode* node = from;
  while (node->FIndex < index) node = node->FNextSibling;
  while (node->FIndex > index) node = node->FPrevSibling;
  FItemCursor = node;
  return node;
}

}  // namespace zel
