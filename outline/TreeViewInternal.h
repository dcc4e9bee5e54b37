#pragma once
// Shared by the tree's own sources: the node pool and the notification gate.

#include "base/Assert.h"
#include "outline/TreeNodePool.h"
#include "outline/TreeView.h"

namespace zel {

// Calls visit on every node of the subtree in document order; returns the node count.
template <typename Visit>
int WalkSubtree(TTreeNode* top, Visit&& visit) {
  int n = 0;
  for (TTreeNode* cur = top; cur;) {
    visit(cur);
    ++n;
    if (cur->GetFirstChild()) {
      cur = cur->GetFirstChild();
      continue;
    }
    while (cur != top && !cur->getNextSibling()) cur = cur->Parent();
    cur = cur == top ? nullptr : cur->getNextSibling();
  }
  return n;
}

// While updates are suspended a change is only remembered, for the Reset() of the last resume.
template <typename F>
void TTreeView::Notify(F&& f) {
  if (FUpdateCount > 0) {
    FChangedWhileSuspended = true;
    return;
  }
  for (ITreeViewObserver* o : FObservers) f(*o);
}

}  // namespace zel
