#pragma once
// Nodes chosen together, as the operations on many nodes take them: each once, none that lies
// in the subtree of another (it goes with its ancestor), in document order.

#include <vector>

#include "outline/TreeView.h"

namespace zel {

class TNodeSelection {
 public:
  TNodeSelection() = default;
  // Nodes of `tree` in any order, repeats and nodes under a listed ancestor allowed. Costs
  // the nodes' depths, or one walk over the tree when those would add up to more.
  TNodeSelection(const TTreeView& tree, std::vector<TTreeNode*> nodes);

  const std::vector<TTreeNode*>& Nodes() const { return FNodes; }
  bool Empty() const { return FNodes.empty(); }
  size_t Size() const { return FNodes.size(); }
  TTreeNode* operator[](size_t i) const { return FNodes[i]; }
  // Whether the node before `i` is its previous sibling: the two stand side by side.
  bool FollowsSibling(size_t i) const {
    return i > 0 && FNodes[i - 1] == FNodes[i]->getPrevSibling();
  }

 private:
  std::vector<TTreeNode*> FNodes;
};

}  // namespace zel
