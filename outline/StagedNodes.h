#pragma once
// Nodes built for a tree view in storage of their own, which the tree takes over whole once
// they are complete (TTreeView::TakeNodes): a load that fails or stops half way leaves the
// tree as it was, and taking them costs no copy. They are made in document order only.

#include <memory>
#include <string>

#include "outline/TreeView.h"

namespace zel {

class TTreeView::TStagedNodes {
 public:
  // The nodes belong to owner once it takes them.
  explicit TStagedNodes(TTreeView& owner);
  ~TStagedNodes();
  TStagedNodes(const TStagedNodes&) = delete;
  TStagedNodes& operator=(const TStagedNodes&) = delete;

  // A new last child of parent (a staged node: the last one or one of its ancestors), or a
  // new last root.
  TTreeNode* AddChild(TTreeNode* parent, std::string_view text);
  int Count() const { return FCount; }

 private:
  friend class TTreeView;
  TTreeView& FOwner;
  std::unique_ptr<TNodePool> FPool;
  TTreeNode* FFirstRoot = nullptr;
  TTreeNode* FLastRoot = nullptr;
  TTreeNode* FLast = nullptr;
  int FRootCount = 0;
  int FCount = 0;
};

}  // namespace zel
