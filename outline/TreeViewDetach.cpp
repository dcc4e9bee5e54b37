// Subtrees taken out of the outline and put back whole, for an undo history that keeps what
// it removed by moving it, never by copying it; and the listeners of the outline.

#include <algorithm>
#include <utility>

#include "base/UpdateGuard.h"
#include "outline/TreeViewInternal.h"

namespace zel {

void TTreeView::AddObserver(ITreeViewObserver* observer) {
  if (observer && !HasObserver(observer)) FObservers.push_back(observer);
}

void TTreeView::RemoveObserver(ITreeViewObserver* observer) {
  std::erase(FObservers, observer);
}

bool TTreeView::HasObserver(const ITreeViewObserver* observer) const {
  return std::find(FObservers.begin(), FObservers.end(), observer) != FObservers.end();
}

void TTreeView::Detach(TTreeWriteKey, TTreeNode* node) {
  if (!node || node->FOwner != this) throw ETreeViewError("The node belongs to another tree");
  TTreeNode* parent = node->FParent;
  // The index costs a cache rebuild; only a listener needs it.
  const int index = !FObservers.empty() && FUpdateCount == 0 ? node->Index() : 0;
  TTreeNode* newSelected = SelectionAfterRemoving(node);
  FSelectionLeaving = newSelected != FSelected;
  Notify([&](ITreeViewObserver& o) { o.NodeAboutToBeRemoved(node); });
  const int size = FPositionsValid ? node->FSize : NumberSubtree(node);
  Unlink(node);
  FCount -= size;
  ZEL_ASSERT(FCount >= FRootCount && !node->FParent);
  PushDetached(node, size);
  Notify([&](ITreeViewObserver& o) { o.NodeRemoved(parent, index); });
  if (parent && parent->FCount == 0) ChildLeft(parent);
  if (newSelected != FSelected) SetSelected(newSelected);
}

void TTreeView::Attach(TTreeWriteKey, TTreeNode* node, TTreeNode* parent, TTreeNode* before) {
  if (!node || node->FOwner != this || node->FParent || (parent && parent->FOwner != this))
    throw ETreeViewError("Only a detached node of this tree can be attached");
  if (before && before->FParent != parent) throw ETreeViewError("Invalid place to attach");
  // Out of the detached list.
  if (node->FPrevSibling)
    node->FPrevSibling->FNextSibling = node->FNextSibling;
  else
    FDetached = node->FNextSibling;
  if (node->FNextSibling) node->FNextSibling->FPrevSibling = node->FPrevSibling;
  node->FNextSibling = node->FPrevSibling = nullptr;
  const int size = node->FSize;
  ZEL_ASSERT(size >= 1 && FDetachedCount >= size_t(size));
  FDetachedCount -= size_t(size);

  const int index = FObservers.empty() || FUpdateCount > 0 ? 0
                    : before                               ? before->Index()
                    : parent                               ? parent->FCount
                                                           : FRootCount;
  Notify([&](ITreeViewObserver& o) { o.NodeAboutToBeInserted(parent, index); });
  Link(node, parent, before);
  FCount += size;
  Notify([&](ITreeViewObserver& o) { o.NodeInserted(parent, index); });
  if (parent && !parent->FHasChildren) {
    parent->FHasChildren = true;
    Notify([&](ITreeViewObserver& o) { o.NodeStateChanged(parent); });
  }
}

void TTreeView::FreeDetached(TTreeWriteKey, TTreeNode* node) {
  if (!node || node->FOwner != this || node->FParent) return;
  if (node->FPrevSibling)
    node->FPrevSibling->FNextSibling = node->FNextSibling;
  else if (FDetached == node)
    FDetached = node->FNextSibling;
  else
    return;  // not detached: linked at root level
  if (node->FNextSibling) node->FNextSibling->FPrevSibling = node->FPrevSibling;
  node->FNextSibling = node->FPrevSibling = nullptr;
  ZEL_ASSERT(node->FSize >= 1 && FDetachedCount >= size_t(node->FSize));
  FDetachedCount -= size_t(node->FSize);
  FreeSubtree(node);
  CompactTextsIfWasteful();
}

void TTreeView::PushDetached(TTreeNode* top, int size) {
  top->FSize = size;
  FDetachedCount += size_t(size);
  top->FNextSibling = FDetached;
  if (FDetached) FDetached->FPrevSibling = top;
  FDetached = top;
}

void TTreeView::FreeAllDetached() {
  while (FDetached) {
    TTreeNode* top = FDetached;
    FDetached = top->FNextSibling;
    top->FNextSibling = top->FPrevSibling = nullptr;
    FreeSubtree(top);
  }
  FDetachedCount = 0;
}

TTreeNode* TTreeView::CopySubtree(TTreeWriteKey, const TTreeNode& source) {
  // Texts never change once written: a copy within this tree shares them.
  const bool share = source.FOwner == this;
  const auto newNode = [&](const TTreeNode& from) {
    return share ? FPool->NewSharing(this, from) : FPool->New(this, from.Text());
  };
  // Built unlinked and then put on the detached list, so that a failure frees what was made.
  TTreeNode* top = newNode(source);
  const auto copyState = [](TTreeNode* to, const TTreeNode* from) {
    to->CopyImages(*from);
    to->FExpanded = from->FExpanded;
    to->FHasChildren = from->FHasChildren;
  };
  copyState(top, &source);
  PushDetached(top, 1);
  // Walk the source in document order, mirroring each step in the copy.
  const TTreeNode* from = &source;
  TTreeNode* to = top;
  for (;;) {
    if (from->FFirstChild) {
      from = from->FFirstChild;
      TTreeNode* child = newNode(*from);
      ++top->FSize;
      ++FDetachedCount;
      child->FParent = to;
      child->FOffset = 1;
      to->FFirstChild = child;
      child->FPrevSibling = child;  // the first child leads to the last
      ++to->FCount;
      to = child;
    } else {
      while (from != &source && !from->FNextSibling) {
        from = from->FParent;
        to = to->FParent;
      }
      if (from == &source) break;
      from = from->FNextSibling;
      TTreeNode* sibling = newNode(*from);
      ++top->FSize;
      ++FDetachedCount;
      sibling->FParent = to->FParent;
      sibling->FPrevSibling = to;
      sibling->FIndex = to->FIndex + 1;
      sibling->FOffset = to->FOffset + unsigned(to->FSize);
      to->FNextSibling = sibling;
      to->FParent->FFirstChild->FPrevSibling = sibling;
      ++to->FParent->FCount;
      to = sibling;
    }
    copyState(to, from);
    // Sizes are right wherever positions are kept; the top counts what was made.
    to->FSize = from->FSize;
  }
  if (!source.FOwner->FPositionsValid) NumberSubtree(top);
  return top;
}

std::vector<TTreeNode*> TTreeView::Adopt(TTreeWriteKey, TTreeView& source, TTreeNode* parent) {
  if (&source == this || (parent && parent->FOwner != &source))
    throw ETreeViewError("Only the nodes of another tree can be adopted");
  std::vector<TTreeNode*> tops;
  for (TTreeNode* n = parent ? parent->FFirstChild : source.FFirstRoot; n; n = n->FNextSibling)
    tops.push_back(n);
  // The nodes taken keep their images; the others go with the rest.
  auto images = std::exchange(source.FImages, {});
  {
    TUpdateGuard suspended(source);
    if (!tops.empty()) source.FChangedWhileSuspended = true;
    for (TTreeNode* top : tops) source.Unlink(top);
    source.FreeAll();
  }
  // The storage moves with the nodes in it; only their owner changes.
  FPool->Splice(*source.FPool);
  for (TTreeNode* top : tops) {
    WalkSubtree(top, [&](TTreeNode* n) {
      n->FOwner = this;
      if (images.empty()) return;
      if (const auto held = images.find(n); held != images.end()) FImages[n] = held->second;
    });
    PushDetached(top, NumberSubtree(top));
  }
  return tops;
}

}  // namespace zel
