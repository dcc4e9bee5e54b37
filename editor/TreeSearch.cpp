#include "editor/TreeSearch.h"

#include <algorithm>
#include <functional>

namespace zel {

namespace {

char Fold(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

struct FoldedEqual {
  bool operator()(char a, char b) const { return Fold(a) == Fold(b); }
};
struct FoldedHash {
  size_t operator()(char c) const { return std::hash<char>()(Fold(c)); }
};
struct ExactEqual {
  bool operator()(char a, char b) const { return a == b; }
};
struct ExactHash {
  size_t operator()(char c) const { return std::hash<char>()(c); }
};

// Boyer-Moore with the good-suffix rule finds the first occurrence in time linear in the text,
// whatever the pattern, and its tables are built once per search.
template <typename Hash, typename Equal>
TTreeNode* Search(TTreeNode* from, std::string_view pattern, const TFindOptions& options) {
  const Equal equal;
  const std::boyer_moore_searcher<std::string_view::const_iterator, Hash, Equal> searcher(
      pattern.begin(), pattern.end(), Hash(), equal);
  for (TTreeNode* n = options.Down ? from->GetNext() : from->GetPrev(); n;
       n = options.Down ? n->GetNext() : n->GetPrev()) {
    const std::string_view text = n->Text();
    if (options.WholeWord) {
      if (std::ranges::equal(text, pattern, equal)) return n;
    } else if (searcher(text.begin(), text.end()).first != text.end() || pattern.empty()) {
      return n;
    }
  }
  return nullptr;
}

}  // namespace

TTreeNode* FindNodeText(TTreeNode* from, std::string_view pattern, const TFindOptions& options) {
  if (!from) return nullptr;
  return options.MatchCase ? Search<ExactHash, ExactEqual>(from, pattern, options)
                           : Search<FoldedHash, FoldedEqual>(from, pattern, options);
}

}  // namespace zel
