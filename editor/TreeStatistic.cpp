#include "editor/TreeStatistic.h"

#include <algorithm>

#include "outline/TreeWalk.h"

namespace zel {

TTreeStatistic CountTreeStatistic(const TTreeView& tree) {
  TTreeStatistic s;
  WalkInDocumentOrder(tree, [&s](const TTreeNode& node, int level) {
    s.Depth = std::max<int64_t>(s.Depth, level);
    if (node.Parent()) s.Characters += static_cast<int64_t>(node.Text().size());
    return true;
  });
  // An empty tree has no root to leave out.
  s.Nodes = std::max(0, tree.Count() - 1);
  return s;
}

}  // namespace zel
