#pragma once
// The questions the tree asks its owner before the user changes it in place, and the request
// with which it has its display open the in-place editor. Unset handlers allow everything.

#include <functional>
#include <string>

namespace zel {

class TTreeNode;

struct TTreeViewEditEvents {
  // Before an edit starts, by code or by the display's own gesture; may set allowEdit false.
  std::function<void(TTreeNode* node, bool& allowEdit)> OnEditing;
  // Before a node collapses at the user's request; may set allowCollapse false.
  std::function<void(TTreeNode* node, bool& allowCollapse)> OnCollapsing;
  // The edited text before it is stored; may change it, or throw to keep the old text.
  std::function<void(TTreeNode* node, std::string& text)> OnEdited;
  // Set by the display: opens its editor on the node; returns whether it did.
  std::function<bool(TTreeNode* node)> OnOpenEditor;
};

}  // namespace zel
