#include "outline/TreeView.h"

#include "base/UpdateGuard.h"
#include "outline/TreeViewInternal.h"

namespace zel {

static_assert(sizeof(void*) != 8 || sizeof(TTreeNode) <= 64,
              "a node grew: millions of them must stay small");

TTreeView::TTreeView() : FPool(std::make_unique<TNodePool>()) {}

size_t TTreeView::TextBytesHeld() const {
  return FPool->Texts().HeldBytes();
}

TTreeView::~TTreeView() {
  FObservers.clear();
  FreeAllDetached();
  while (FFirstRoot) {
    TTreeNode* root = FFirstRoot;
    Unlink(root);
    FreeSubtree(root);
  }
}

TTreeNode* TTreeView::AddChild(TTreeWriteKey, TTreeNode* parent, std::string_view text) {
  if (parent && parent->FOwner != this)
    throw ETreeViewError("The parent node belongs to another tree");
  const int index = parent ? parent->FCount : FRootCount;
  Notify([&](ITreeViewObserver& o) { o.NodeAboutToBeInserted(parent, index); });

  TTreeNode* node = FPool->New(this, text);
  Link(node, parent, nullptr);
  ++FCount;
  ZEL_ASSERT(FCount >= FRootCount && node->FSize == 1);

  Notify([&](ITreeViewObserver& o) { o.NodeInserted(parent, index); });
  if (parent && !parent->FHasChildren) {
    parent->FHasChildren = true;
    Notify([&](ITreeViewObserver& o) { o.NodeStateChanged(parent); });
  }
  return node;
}

void TTreeView::Delete(TTreeWriteKey key, TTreeNode* node) {
  if (!node) return;
  Detach(key, node);
  FreeDetached(key, node);
}

TTreeNode* TTreeView::SelectionAfterRemoving(TTreeNode* node) const {
  if (!FSelected || (FSelected != node && !FSelected->HasAsParent(node))) return FSelected;
  return node->FNextSibling       ? node->FNextSibling
         : node->getPrevSibling() ? node->getPrevSibling()
                                  : node->FParent;
}

void TTreeView::Clear(TTreeWriteKey) {
  FreeAll();
  FPool->Release();
}

void TTreeView::FreeAll() {
  FImages.clear();  // every node goes
  if (FDetached) {
    FreeAllDetached();
    ++FGeneration;
  }
  if (!FFirstRoot && !FSelected && FCount == 0) return;
  ++FGeneration;
  TUpdateGuard suspended(*this);
  if (FFirstRoot) FChangedWhileSuspended = true;
  while (FFirstRoot) {
    TTreeNode* root = FFirstRoot;
    Unlink(root);
    FreeSubtree(root);
  }
  FCount = 0;
  // What is built next is numbered when first asked.
  FPositionsValid = false;
  FStale.clear();
  FItemCursors = {};
  FAbsCursor = nullptr;
  if (FSelected) {
    FSelected = nullptr;
    FChangedWhileSuspended = true;
  }
}

void TTreeView::BeginUpdate() {
  if (FUpdateCount++ == 0) {
    FChangedWhileSuspended = false;
    for (ITreeViewObserver* o : FObservers) o->UpdatesSuspended();
  }
}

void TTreeView::EndUpdate() {
  if (FUpdateCount == 0) return;  // an unmatched resume must not wrap the count
  if (--FUpdateCount > 0) return;
  const bool changed = FChangedWhileSuspended;
  FChangedWhileSuspended = false;
  // A copy: a listener may stop listening while it hears the resume.
  const std::vector<ITreeViewObserver*> observers = FObservers;
  if (changed)
    for (ITreeViewObserver* o : observers) o->Reset();
  for (ITreeViewObserver* o : observers) o->UpdatesResumed(changed);
}

void TTreeView::SetSelected(TTreeNode* node) {
  if (node && node->FOwner != this) throw ETreeViewError("The node belongs to another tree");
  FSelectionLeaving = false;
  if (node == FSelected) return;
  FSelected = node;
  Notify([](ITreeViewObserver& o) { o.SelectionChanged(); });
}

void TTreeView::SetToolTips(bool value) {
  if (value == FToolTips) return;
  FToolTips = value;
  Notify([](ITreeViewObserver& o) { o.AppearanceChanged(); });
}

void TTreeView::Link(TTreeNode* node, TTreeNode* parent, TTreeNode* before) {
  TTreeNode*& first = parent ? parent->FFirstChild : FFirstRoot;
  TTreeNode* const last = parent ? parent->GetLastChild() : FLastRoot;
  ZEL_ASSERT(!node->FParent && (!before || before->FParent == parent));
  FAbsCursor = nullptr;
  ++FEdits;
  if (FPositionsValid) {
    if (before) {
      // Right if `before` was, else at or past the mark: either way the mark holds.
      node->FIndex = before->FIndex;
      StaleFrom(parent, before->FIndex);
    } else {
      node->FIndex = last ? last->FIndex + 1 : 0;
      node->FOffset = last ? last->FOffset + unsigned(last->FSize) : parent ? 1 : 0;
    }
    Resized(parent, node->FSize);
  }
  node->FParent = parent;
  node->FNextSibling = before;
  TTreeNode* const prev = before ? before->getPrevSibling() : last;
  TTreeNode* const oldFirst = first;
  if (prev)
    prev->FNextSibling = node;
  else
    first = node;
  if (parent) {
    // The first child's back link leads to the last.
    if (!oldFirst) {
      node->FPrevSibling = node;
    } else if (!before) {
      node->FPrevSibling = last;
      oldFirst->FPrevSibling = node;
    } else {
      node->FPrevSibling = prev ? prev : last;
      before->FPrevSibling = node;
    }
  } else {
    node->FPrevSibling = prev;
    if (before)
      before->FPrevSibling = node;
    else
      FLastRoot = node;
  }
  const int count = ++(parent ? parent->FCount : FRootCount);
  ZEL_ASSERT(prev ? prev->FNextSibling == node : first == node);
  ZEL_ASSERT(node->getPrevSibling() == prev);
  ZEL_ASSERT(before ? before->getPrevSibling() == node
                    : (parent ? parent->GetLastChild() : FLastRoot) == node);
  ZEL_ASSERT(!prev || prev->FParent == parent);
  ZEL_ASSERT((first == (parent ? parent->GetLastChild() : FLastRoot)) == (count == 1));
  // An index below its list's stale mark is right.
  ZEL_ASSERT(!FPositionsValid || before || !Placed(node) || node->FIndex == count - 1);
}

void TTreeView::Unlink(TTreeNode* node) {
  TTreeNode* parent = node->FParent;
  TTreeNode*& first = parent ? parent->FFirstChild : FFirstRoot;
  TTreeNode* const prev = node->getPrevSibling();
  TTreeNode* const last = parent ? parent->GetLastChild() : FLastRoot;
  FAbsCursor = nullptr;
  ++FEdits;
  DropCursor(node, prev ? prev : node->FNextSibling);
  if (FPositionsValid) {
    if (node->FNextSibling) StaleFrom(parent, node->FIndex);
    Resized(parent, -node->FSize);
  }
  if (prev)
    prev->FNextSibling = node->FNextSibling;
  else
    first = node->FNextSibling;
  // A first child's successor takes its back link to the last; a last child's predecessor
  // becomes the last.
  if (node->FNextSibling)
    node->FNextSibling->FPrevSibling = prev || !parent ? prev : last;
  else if (!parent)
    FLastRoot = prev;
  else if (first)
    first->FPrevSibling = prev;
  const int count = --(parent ? parent->FCount : FRootCount);
  TTreeNode* const lastNow = parent ? parent->GetLastChild() : FLastRoot;
  ZEL_ASSERT(count >= 0 && (first == nullptr) == (count == 0) &&
             (lastNow == nullptr) == (count == 0));
  ZEL_ASSERT(!prev || prev->FNextSibling == node->FNextSibling);
  ZEL_ASSERT(!node->FNextSibling || node->FNextSibling->getPrevSibling() == prev);
  node->FParent = node->FNextSibling = node->FPrevSibling = nullptr;
}

// Frees an unlinked subtree bottom-up without recursion; returns the number of nodes freed.
int TTreeView::FreeSubtree(TTreeNode* top) {
  int freed = 0;
  TTreeNode* cur = top;
  for (;;) {
    while (cur->FFirstChild) cur = cur->FFirstChild;
    // cur is a leaf and the first child of its parent (or the top).
    DropCursor(cur, nullptr);
    DropImages(cur);
    if (cur == top) {
      FPool->Free(cur);
      return freed + 1;
    }
    TTreeNode* parent = cur->FParent;
    TTreeNode* next = cur->FNextSibling ? cur->FNextSibling : parent;
    parent->FFirstChild = cur->FNextSibling;
    FPool->Free(cur);
    ++freed;
    cur = next;
  }
}

// The last child has gone: the parent shows no expand button and is no longer expanded.
void TTreeView::ChildLeft(TTreeNode* parent) {
  if (!parent->FHasChildren && !parent->FExpanded) return;
  parent->FHasChildren = false;
  parent->FExpanded = false;
  Notify([&](ITreeViewObserver& o) { o.NodeStateChanged(parent); });
}

}  // namespace zel
