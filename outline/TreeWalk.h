#pragma once
// A pre-order walk over a whole tree view that carries each node's level along, so that no
// level is worked out again from the node's ancestors (that would cost the depth per node).

#include "outline/TreeView.h"

namespace zel {

// Calls visit(node, level) for every node in document order while it returns true; returns
// false when visit stopped the walk.
template <typename Visit>
bool WalkInDocumentOrder(const TTreeView& tree, Visit&& visit) {
  const TTreeNode* n = tree.GetFirstNode();
  int level = 0;
  while (n != nullptr) {
    if (!visit(*n, level)) return false;
    if (const TTreeNode* child = n->GetFirstChild()) {
      n = child;
      ++level;
      continue;
    }
    while (n != nullptr && n->getNextSibling() == nullptr) {
      n = n->Parent();
      --level;
    }
    if (n != nullptr) n = n->getNextSibling();
  }
  return true;
}

}  // namespace zel
