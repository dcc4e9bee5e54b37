// Moving a node with its subtree: insert in front of a target, add as a target's last child,
// or add at root level.

#include "outline/TreeViewInternal.h"

namespace zel {

void TTreeView::MoveNode(TTreeNode* node, TTreeNode* target, TNodeAttachMode mode) {
  if (target && target->FOwner != this) throw ETreeViewError("Cannot move a node to another tree");
  // Onto itself or into its own subtree: nothing to do, and not an error.
  if (target && (target == node || target->HasAsParent(node))) return;

  TTreeNode* newParent = nullptr;
  TTreeNode* before = nullptr;
  switch (mode) {
    case TNodeAttachMode::naInsert:
      if (target) {
        newParent = target->FParent;
        before = target;
      }
      break;
    case TNodeAttachMode::naAddChild:
      newParent = target;
      break;
    case TNodeAttachMode::naAddRoot:
      break;
  }

  TTreeNode* oldParent = node->FParent;
  const bool inPlace = oldParent == newParent && node->FNextSibling == before;
  if (!inPlace) {
    const bool tell = !FObservers.empty() && FUpdateCount == 0;
    int oldIndex = 0, newIndex = 0;
    if (tell) {
      oldIndex = node->Index();
      newIndex = before ? before->Index() : newParent ? newParent->FCount : FRootCount;
    }
    Notify([&](ITreeViewObserver& o) { o.NodeAboutToBeMoved(node, newParent, newIndex); });
    Unlink(node);
    Link(node, newParent, before);
    ZEL_ASSERT(node->FParent == newParent && node->FNextSibling == before);
    Notify([&](ITreeViewObserver& o) { o.NodeMoved(node, oldParent, oldIndex); });
    if (oldParent && oldParent->FCount == 0) ChildLeft(oldParent);
  }
  if (newParent && (!newParent->FHasChildren || !newParent->FExpanded)) {
    newParent->FHasChildren = true;
    newParent->FExpanded = true;
    Notify([&](ITreeViewObserver& o) { o.NodeStateChanged(newParent); });
  }
}

}  // namespace zel
