#include "editor/TreeSearch.h"

#include "editor/TextMatch.h"

namespace zel {

TTreeNode* FindNodeText(TTreeNode* from, std::string_view pattern, const TFindOptions& options) {
  if (!from) return nullptr;
  const TTextMatch match(pattern, options.MatchCase, options.WholeWord);
  for (TTreeNode* n = options.Down ? from->GetNext() : from->GetPrev(); n;
       n = options.Down ? n->GetNext() : n->GetPrev()) {
    if (match(n->Text())) return n;
  }
  return nullptr;
}

}  // namespace zel
