#include "treedoc/OutlineBuilder.h"

#include "base/StrUtils.h"
#include "treedoc/TreeView.h"

namespace zel {

void TOutlineBuilder::AddLine(std::string_view line) {
  size_t indent = 0;
  while (indent < line.size() && (line[indent] == '\t' || line[indent] == ' ')) ++indent;
  AddNode(static_cast<int>(indent), std::string(line.substr(indent)));
}

TTreeNode* TOutlineBuilder::AddNode(int level, std::string text) {
  TTreeNode* parent = nullptr;
  if (!FPrev) {
    level = 0;  // the first line is a root whatever its indentation
  } else if (level == FPrevLevel) {
    parent = FPrev->Parent();
  } else if (level == FPrevLevel + 1) {
    parent = FPrev;
  } else if (level > FPrevLevel || level < 0) {
    throw ETreeViewError(Format("Invalid level (%d) for item \"%s\"", level, text.c_str()));
  } else {
    // A drop: the new node follows the ancestor of the previous node at the line's level.
    TTreeNode* ancestor = FPrev->Parent();
    for (int l = FPrevLevel - 1; l > level; --l) ancestor = ancestor->Parent();
    parent = ancestor->Parent();
  }
  FPrev = FTree.AddChild(parent, std::move(text));
  FPrevLevel = level;
  return FPrev;
}

}  // namespace zel
