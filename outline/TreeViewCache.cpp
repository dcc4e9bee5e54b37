// Positions kept through edits: subtree sizes always right, sibling indices and offsets right
// up to a stale mark per list, renumbered from the mark when asked.

#include <algorithm>
#include <cstdlib>

#include "outline/TreeViewInternal.h"

namespace zel {

bool TTreeView::Placed(const TTreeNode* node) const {
  if (FStale.empty()) return true;
  const auto it = FStale.find(node->FParent);
  return it == FStale.end() || node->FIndex < it->second;
}

void TTreeView::StaleFrom(const TTreeNode* parent, int index) {
  const auto [it, added] = FStale.try_emplace(parent, index);
  if (!added && index < it->second) it->second = index;
}

void TTreeView::Resized(TTreeNode* parent, int delta) {
  for (TTreeNode* a = parent; a; a = a->FParent) {
    a->FSize += delta;
    // Unlink shrinks the parent before the child leaves its count: one child may be gone.
    ZEL_ASSERT(a->FSize >= 1 && a->FSize >= a->FCount);
    // The siblings after an ancestor now start elsewhere in document order.
    if (a->FNextSibling && Placed(a)) StaleFrom(a->FParent, a->FIndex + 1);
  }
}

// The right ones form a prefix of the list: find its last node from the nearest of the front,
// the back and a cursor inside the prefix, then number on to the end.
void TTreeView::Renumber(const TTreeNode* parent) const {
  const auto it = FStale.find(parent);
  if (it == FStale.end()) return;
  const int count = parent ? parent->FCount : FRootCount;
  const int mark = std::min(it->second, count);
  ZEL_ASSERT(mark >= 0);
  TTreeNode* right = nullptr;
  for (TTreeNode* c : FItemCursors)
    if (c && c->FParent == parent && c->FIndex < mark && (!right || c->FIndex > right->FIndex))
      right = c;
  // An edit is made at the selection, so the mark is most often next to it: a few steps back
  // from there find the last right one, as every node past the mark holds an index past it.
  if (TTreeNode* near = SelectionIn(parent)) {
    for (int steps = 0; near && near->FIndex >= mark && steps < kNearSteps; ++steps)
      near = near->getPrevSibling();
    if (near && near->FIndex < mark && (!right || near->FIndex > right->FIndex)) right = near;
  }
  if (!right && mark > 0 && mark <= count - mark) right = parent ? parent->FFirstChild : FFirstRoot;
  if (right) {
    while (right->FNextSibling && right->FNextSibling->FIndex < mark) right = right->FNextSibling;
  } else {
    right = parent ? parent->GetLastChild() : FLastRoot;
    while (right && right->FIndex >= mark) right = right->getPrevSibling();
  }
  int index = right ? right->FIndex + 1 : 0;
  int offset = right ? int(right->FOffset) + right->FSize : parent ? 1 : 0;
  TTreeNode* n = right ? right->FNextSibling : parent ? parent->FFirstChild : FFirstRoot;
  for (; n; n = n->FNextSibling) {
    n->FIndex = index++;
    n->FOffset = unsigned(offset);
    offset += n->FSize;
  }
  // Numbered to the end: the links, the count and the sizes agree.
  ZEL_ASSERT(index == count && offset == (parent ? parent->FSize : FCount));
  FStale.erase(it);
}

void TTreeView::Place(const TTreeNode* node) const {
  EnsurePositions();
  if (!Placed(node)) Renumber(node->FParent);
}

void TTreeView::EnsurePositions() const {
  if (FPositionsValid) return;
  int index = 0;
  int offset = 0;
  for (TTreeNode* root = FFirstRoot; root; root = root->FNextSibling) {
    root->FIndex = index++;
    root->FOffset = unsigned(offset);
    offset += NumberSubtree(root);
  }
  ZEL_ASSERT(index == FRootCount && offset == FCount);
  FStale.clear();
  FPositionsValid = true;
}

int TTreeView::NumberSubtree(TTreeNode* top) {
  top->FSize = 1;
  TTreeNode* n = top;
  for (;;) {
    if (n->FFirstChild) {
      n = n->FFirstChild;
      n->FIndex = 0;
      n->FOffset = 1;
      n->FSize = 1;
      continue;
    }
    // n's subtree is complete: its size goes to its parent.
    while (n != top && !n->FNextSibling) {
      n->FParent->FSize += n->FSize;
      n = n->FParent;
    }
    if (n == top) return top->FSize;
    n->FParent->FSize += n->FSize;
    TTreeNode* next = n->FNextSibling;
    next->FIndex = n->FIndex + 1;
    next->FOffset = n->FOffset + unsigned(n->FSize);
    next->FSize = 1;
    n = next;
  }
}

TTreeNode* TTreeView::Item(int absoluteIndex) const {
  if (absoluteIndex < 0 || absoluteIndex >= FCount) throw EListError::OutOfBounds(absoluteIndex);
  EnsurePositions();
  TTreeNode* n = FFirstRoot;
  int at = 0;
  // Every structural change drops the cursor, so the one kept is in this outline.
  ZEL_ASSERT(!FAbsCursor || (FAbsCursorIndex >= 0 && FAbsCursorIndex < FCount));
  if (FAbsCursor && FAbsCursorIndex <= absoluteIndex) {
    n = FAbsCursor;
    at = FAbsCursorIndex;
  }
  while (at != absoluteIndex) {
    if (absoluteIndex < at + n->FSize) {
      n = n->FFirstChild;
      ++at;
    } else {
      // Past n's subtree: on to the next sibling of n or of its nearest ancestor that has one.
      at += n->FSize;
      while (!n->FNextSibling) n = n->FParent;
      n = n->FNextSibling;
    }
    ZEL_ASSERT(n != nullptr);
  }
  FAbsCursor = n;
  FAbsCursorIndex = at;
  return n;
}

TTreeNode* TTreeView::Root(int index) const {
  if (index < 0 || index >= FRootCount) throw EListError::OutOfBounds(index);
  return ChildAt(nullptr, index);
}

void TTreeView::DropCursor(const TTreeNode* node, TTreeNode* instead) const {
  for (TTreeNode*& c : FItemCursors)
    if (c == node) c = instead;
}

// The selection, or its parent or grandparent, when it is a child of `parent`: a bounded look,
// so that the cost per query never grows with the depth.
TTreeNode* TTreeView::SelectionIn(const TTreeNode* parent) const {
  TTreeNode* n = FSelectionLeaving ? nullptr : FSelected;
  for (int up = 0; n && up < 3; ++up, n = n->FParent)
    if (n->FParent == parent) return n;
  return nullptr;
}

// Walks to a child from the nearest of: the first child, the last child, the selection or a
// child found lately under the same parent, so a loop over the children costs O(1) a step.
TTreeNode* TTreeView::ChildAt(TTreeNode* parent, int index) const {
  EnsurePositions();
  if (!FStale.empty()) Renumber(parent);
  const int count = parent ? parent->FCount : FRootCount;
  TTreeNode* from = parent ? parent->FFirstChild : FFirstRoot;
  int distance = index;
  if (count - 1 - index < distance) {
    from = parent ? parent->GetLastChild() : FLastRoot;
    distance = count - 1 - index;
  }
  // The slot the found node takes: the one walked from, else the oldest.
  size_t used = FItemCursors.size() - 1;
  const auto consider = [&](TTreeNode* c, size_t slot) {
    if (!c || c->FParent != parent) return;
    const int d = std::abs(c->FIndex - index);
    if (d < distance) {
      from = c;
      distance = d;
      used = slot;
    }
  };
  for (size_t k = 0; k < FItemCursors.size(); ++k) consider(FItemCursors[k], k);
  // A display keeps the selection in sight, so it asks most about the rows around it.
  consider(SelectionIn(parent), FItemCursors.size() - 1);
  ZEL_ASSERT(index >= 0 && index < count);
  TTreeNode* node = from;
  while (node->FIndex < index) node = node->FNextSibling;
  while (node->FIndex > index) node = node->getPrevSibling();
  ZEL_ASSERT(node->FParent == parent);
  // The slot's node makes room at the front.
  for (size_t k = used; k > 0; --k) FItemCursors[k] = FItemCursors[k - 1];
  FItemCursors[0] = node;
  return node;
}

}  // namespace zel
