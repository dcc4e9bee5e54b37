#include "editor/Selection.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace zel {

namespace {

// One walk in document order, over the subtrees of no listed node.
std::vector<TTreeNode*> ByWalk(const TTreeView& tree,
                               const std::unordered_set<const TTreeNode*>& listed) {
  std::vector<TTreeNode*> out;
  out.reserve(listed.size());
  TTreeNode* n = tree.GetFirstNode();
  while (n) {
    if (listed.count(n)) {
      out.push_back(n);
      while (n && !n->getNextSibling()) n = n->Parent();
      if (n) n = n->getNextSibling();
    } else {
      n = n->GetNext();
    }
  }
  return out;
}

}  // namespace

TNodeSelection::TNodeSelection(const TTreeView& tree, std::vector<TTreeNode*> nodes) {
  std::erase_if(nodes, [&](const TTreeNode* n) { return !n || n->TreeView() != &tree; });
  if (nodes.size() <= 1) {
    FNodes = std::move(nodes);
    return;
  }
  const std::unordered_set<const TTreeNode*> listed(nodes.begin(), nodes.end());
  // Up the parent chains while they stay short; a deep outline is walked once instead.
  const size_t budget = size_t(tree.Count()) + nodes.size();
  size_t steps = 0;
  std::vector<std::pair<int, TTreeNode*>> kept;
  kept.reserve(listed.size());
  for (TTreeNode* n : nodes) {
    bool under = false;
    for (const TTreeNode* p = n->Parent(); p && !under; p = p->Parent()) {
      under = listed.count(p) != 0;
      if (++steps > budget) {
        FNodes = ByWalk(tree, listed);
        return;
      }
    }
    if (!under) kept.emplace_back(n->AbsoluteIndex(), n);
  }
  std::sort(kept.begin(), kept.end());
  kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
  FNodes.reserve(kept.size());
  for (const auto& [at, n] : kept) FNodes.push_back(n);
}

}  // namespace zel
