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

// Where the node's subtree ends in document order: the position of the node after it.
int SubtreeEnd(const TTreeView& tree, const TTreeNode* node) {
  for (const TTreeNode* n = node; n; n = n->Parent())
    if (n->getNextSibling()) return n->getNextSibling()->AbsoluteIndex();
  return tree.Count();
}

}  // namespace

TNodeSelection::TNodeSelection(const TTreeView& tree, std::vector<TTreeNode*> nodes) {
  std::erase_if(nodes, [&](const TTreeNode* n) { return !n || n->TreeView() != &tree; });
  if (nodes.size() <= 1) {
    FNodes = std::move(nodes);
    return;
  }
  // Positions cost the depths: when those add up to several walks over the outline, it is
  // walked once instead.
  const size_t budget = 4 * size_t(tree.Count()) + 16 * nodes.size();
  size_t steps = 0;
  for (const TTreeNode* n : nodes)
    for (const TTreeNode* p = n; p; p = p->Parent())
      if (++steps > budget) {
        FNodes = ByWalk(tree, std::unordered_set<const TTreeNode*>(nodes.begin(), nodes.end()));
        return;
      }
  std::vector<std::pair<int, TTreeNode*>> placed;
  placed.reserve(nodes.size());
  for (TTreeNode* n : nodes) placed.emplace_back(n->AbsoluteIndex(), n);
  std::sort(placed.begin(), placed.end());
  // In document order a listed ancestor comes first, and its subtree runs on without a gap.
  FNodes.reserve(placed.size());
  int end = -1;
  for (const auto& [at, n] : placed) {
    if (at < end) continue;
    FNodes.push_back(n);
    end = SubtreeEnd(tree, n);
  }
}

}  // namespace zel
