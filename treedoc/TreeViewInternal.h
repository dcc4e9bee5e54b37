#pragma once
// Shared by the tree's own sources: the node pool and the notification gate.

#include "treedoc/TreeNodePool.h"
#include "treedoc/TreeView.h"

namespace zel {

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
