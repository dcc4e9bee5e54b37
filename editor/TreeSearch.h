#pragma once
// Find and Find Next over the node texts: from the node next to a start node, in document
// order, never wrapping; the first match wins.

#include <string_view>

#include "outline/TreeView.h"

namespace zel {

struct TFindOptions {
  bool Down = true;
  bool MatchCase = false;
  // The whole node text must equal the find text.
  bool WholeWord = false;
};

// The first node after `from` (Down) or before it (Up) whose text holds `pattern`; null when
// none does or `from` is null. Without MatchCase only the letters a to z are folded.
TTreeNode* FindNodeText(TTreeNode* from, std::string_view pattern, const TFindOptions& options);

}  // namespace zel
