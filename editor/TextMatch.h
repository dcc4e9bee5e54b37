#pragma once
// The plain-text match rule of the node-text search, shared by Find Next and Find All: a text
// matches when it holds the pattern or, with whole word, when it equals the pattern. Without
// match case only the letters a to z are folded.

#include <functional>
#include <string_view>
#include <variant>

namespace zel {

class TTextMatch {
 public:
  // The pattern's characters are not copied: they must outlive the match.
  TTextMatch(std::string_view pattern, bool matchCase, bool wholeWord);
  TTextMatch(const TTextMatch&) = delete;
  TTextMatch& operator=(const TTextMatch&) = delete;

  bool operator()(std::string_view text) const;
  // Where the pattern next occurs in `text` from `from` on, by the rule's case folding; npos
  // when it does not. Whole word plays no part here.
  size_t Find(std::string_view text, size_t from) const;

 private:
  struct FoldedEqual {
    bool operator()(char a, char b) const;
  };
  struct FoldedHash {
    size_t operator()(char c) const;
  };
  // Boyer-Moore with the good-suffix rule finds an occurrence in time linear in the text,
  // whatever the pattern, and its tables are built once per search.
  using TExact = std::boyer_moore_searcher<std::string_view::const_iterator>;
  using TFolded =
      std::boyer_moore_searcher<std::string_view::const_iterator, FoldedHash, FoldedEqual>;

  std::string_view FPattern;
  bool FMatchCase, FWholeWord;
  std::variant<TExact, TFolded> FSearcher;
};

}  // namespace zel
