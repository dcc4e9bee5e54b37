#include "treedoc/OutlineWalk.h"

namespace zel {

// Follows NextTagAttribute from the name's end: the '=' it finds is the first after the blank,
// the value's quote the one right after it, its end the next such quote.
bool TPlainTag::Read(std::string_view t) {
  const char* const p = t.data();
  const size_t n = t.size();
  bool colon = false;
  size_t i = 0;
  while (i < n && !IsBlank(p[i])) colon |= p[i++] == ':';
  NameEnd = i;
  Quotes = 0;
  while (i < n) {
    if (p[i] != ' ') return false;
    size_t eq = ++i;
    while (eq < n && p[eq] != '=') {
      if (IsBlank(p[eq])) return false;
      colon |= p[eq++] == ':';
    }
    if (eq + 1 >= n) return false;
    const char quote = p[eq + 1];
    if (quote != '"' && quote != '\'') return false;
    bool doubleQuote = false;
    size_t end = eq + 2;
    for (; end < n && p[end] != quote; ++end) {
      doubleQuote |= p[end] == '"';
      colon |= p[end] == ':';
    }
    if (end == n) return false;
    if (quote == '\'' && !doubleQuote) {
      if (Quotes + 2 > kQuotes) return false;
      At[Quotes++] = eq + 1;
      At[Quotes++] = end;
    }
    i = end + 1;
  }
  // Only a tag with a ':' can name xml:space.
  return !colon || t.find("xml:space") == std::string_view::npos;
}

}  // namespace zel
