#pragma once
// Builds nodes from outline lines, one at a time: a line's indentation (TABs and spaces, each
// counting one) is its level, placed relative to the node made from the line before. The
// first line always gives a root. It keeps the previous node, so each line costs only as
// many steps up as its level drops. The builder assumes nobody else changes the tree
// between its calls. It builds into a tree view or into nodes staged for one (StagedNodes.h).

#include <string>
#include <string_view>

#include "base/StrUtils.h"
#include "outline/TreeView.h"

namespace zel {

template <typename Tree>
class TOutlineBuilderOf {
 public:
  explicit TOutlineBuilderOf(Tree& tree) : FTree(tree) {}

  void AddLine(std::string_view line) {
    size_t indent = 0;
    while (indent < line.size() && (line[indent] == '\t' || line[indent] == ' ')) ++indent;
    AddNode(static_cast<int>(indent), line.substr(indent));
  }
  // Throws ETreeViewError "Invalid level (%d) for item \"%s\"" when the level is more than
  // one deeper than the previous node's (or negative); the tree keeps what was built.
  TTreeNode* AddNode(int level, std::string_view text);

  TTreeNode* LastNode() const { return FPrev; }

 private:
  Tree& FTree;
  TTreeNode* FPrev = nullptr;
  int FPrevLevel = 0;
};

template <typename Tree>
TTreeNode* TOutlineBuilderOf<Tree>::AddNode(int level, std::string_view text) {
  TTreeNode* parent = nullptr;
  if (!FPrev) {
    level = 0;  // the first line is a root whatever its indentation
  } else if (level == FPrevLevel) {
    parent = FPrev->Parent();
  } else if (level == FPrevLevel + 1) {
    parent = FPrev;
  } else if (level > FPrevLevel || level < 0) {
    throw ETreeViewError(
        Format("Invalid level (%d) for item \"%s\"", level, std::string(text).c_str()));
  } else {
    // A drop: the new node follows the ancestor of the previous node at the line's level.
    TTreeNode* ancestor = FPrev->Parent();
    for (int l = FPrevLevel - 1; l > level; --l) ancestor = ancestor->Parent();
    parent = ancestor->Parent();
  }
  // A tree that keeps its texts in storage of its own takes the view; others take a string.
  if constexpr (requires { FTree.AddChild(parent, text); })
    FPrev = FTree.AddChild(parent, text);
  else
    FPrev = FTree.AddChild(parent, std::string(text));
  FPrevLevel = level;
  return FPrev;
}

// A tree view with the right to add to it: what a builder straight into a tree adds through.
class TTreeViewAdder {
 public:
  TTreeViewAdder(TTreeView& tree, TTreeWriteKey key) : FTree(tree), FKey(key) {}
  TTreeNode* AddChild(TTreeNode* parent, std::string_view text) {
    return FTree.AddChild(FKey, parent, text);
  }

 private:
  TTreeView& FTree;
  TTreeWriteKey FKey;
};

// Builds straight into a tree view.
class TOutlineBuilder : private TTreeViewAdder, public TOutlineBuilderOf<TTreeViewAdder> {
 public:
  TOutlineBuilder(TTreeView& tree, TTreeWriteKey key)
      : TTreeViewAdder(tree, key), TOutlineBuilderOf(static_cast<TTreeViewAdder&>(*this)) {}
};

}  // namespace zel
