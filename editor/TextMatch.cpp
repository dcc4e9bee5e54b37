#include "editor/TextMatch.h"

#include <algorithm>

namespace zel {

namespace {

char Fold(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool TTextMatch::FoldedEqual::operator()(char a, char b) const {
  return Fold(a) == Fold(b);
}

size_t TTextMatch::FoldedHash::operator()(char c) const {
  return std::hash<char>()(Fold(c));
}

TTextMatch::TTextMatch(std::string_view pattern, bool matchCase, bool wholeWord)
    : FPattern(pattern),
      FMatchCase(matchCase),
      FWholeWord(wholeWord),
      FSearcher(
          matchCase
              ? decltype(FSearcher)(std::in_place_type<TExact>, pattern.begin(), pattern.end())
              : decltype(FSearcher)(std::in_place_type<TFolded>, pattern.begin(), pattern.end())) {}

bool TTextMatch::operator()(std::string_view text) const {
  if (FWholeWord) {
    return FMatchCase ? text == FPattern : std::ranges::equal(text, FPattern, FoldedEqual());
  }
  if (FPattern.empty()) return true;
  return std::visit(
      [&](const auto& searcher) { return searcher(text.begin(), text.end()).first != text.end(); },
      FSearcher);
}

size_t TTextMatch::Find(std::string_view text, size_t from) const {
  if (from > text.size()) return std::string_view::npos;
  const auto begin = text.begin() + static_cast<std::ptrdiff_t>(from);
  const auto at = std::visit(
      [&](const auto& searcher) { return searcher(begin, text.end()).first; }, FSearcher);
  return at == text.end() && !FPattern.empty() ? std::string_view::npos
                                               : static_cast<size_t>(at - text.begin());
}

}  // namespace zel
