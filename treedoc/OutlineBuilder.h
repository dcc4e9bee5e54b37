#pragma once
// Builds nodes from outline lines, one at a time: a line's indentation (TABs and spaces, each
// counting one) is its level, placed relative to the node made from the line before. The
// first line always gives a root. It keeps the previous node, so each line costs only as
// many steps up as its level drops. The builder assumes nobody else changes the tree
// between its calls.

#include <string>
#include <string_view>

namespace zel {

class TTreeView;
class TTreeNode;

class TOutlineBuilder {
 public:
  explicit TOutlineBuilder(TTreeView& tree) : FTree(tree) {}

  void AddLine(std::string_view line);
  // Throws ETreeViewError "Invalid level (%d) for item \"%s\"" when the level is more than
  // one deeper than the previous node's (or negative); the tree keeps what was built.
  TTreeNode* AddNode(int level, std::string text);

  TTreeNode* LastNode() const { return FPrev; }

 private:
  TTreeView& FTree;
  TTreeNode* FPrev = nullptr;
  int FPrevLevel = 0;
};

}  // namespace zel
