// The string conversions of tag text and CDATA content.

#include "base/StrUtils.h"
#include "xml/MorXMLTree.h"
#include "xml/SectionMarks.h"
#include "xml/internal/ReadRules.h"

namespace zel {

std::string CleanTagText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
      out.push_back(' ');
      ++i;
    } else if (c == '\t') {
      out.push_back(' ');
    } else {
      out.push_back(c);
    }
  }
  return std::string(TrimView(out));
}

std::string EscapeCData(std::string_view s) {
  std::string out;
  AppendMarked(out, s, TSectionMarks::smBreaksAndTabs);
  return out;
}

size_t PosFrom(std::string_view sub, std::string_view s, size_t start) {
  if (sub.empty() || s.empty()) return 0;
  if (start < 1) start = 1;
  if (start > s.size()) return 0;
  const size_t hit = s.find(sub, start - 1);
  return hit == std::string_view::npos ? 0 : hit + 1;
}

bool FindPseudoAttribute(std::string_view text, std::string_view name, size_t& begin, size_t& end) {
  for (size_t at = text.find(name); at != std::string_view::npos; at = text.find(name, at + 1)) {
    if (at > 0 && !IsBlank(text[at - 1])) continue;  // part of another word
    size_t p = at + name.size();
    while (p < text.size() && IsBlank(text[p])) ++p;
    if (p >= text.size() || text[p] != '=') continue;
    ++p;
    while (p < text.size() && IsBlank(text[p])) ++p;
    if (p >= text.size() || (text[p] != '"' && text[p] != '\'')) continue;
    const size_t close = text.find(text[p], p + 1);
    if (close == std::string_view::npos) continue;
    begin = p + 1;
    end = close;
    return true;
  }
  return false;
}

size_t NextTagAttribute(std::string_view t, size_t pos, std::string_view& name,
                        std::string_view& value, char* openQuote) {
  constexpr size_t npos = std::string_view::npos;
  const size_t eq = t.find('=', pos);
  if (eq == npos) return npos;
  // A loop, not find_first_of: that asks memchr once per character of the tag.
  size_t q1 = eq;
  while (q1 < t.size() && t[q1] != '"' && t[q1] != '\'') ++q1;
  if (q1 == t.size()) return npos;
  const size_t q2 = t.find(t[q1], q1 + 1);
  if (q2 == npos) {
    if (openQuote) *openQuote = t[q1];
    return npos;
  }
  name = TrimView(t.substr(pos, eq - pos));
  value = t.substr(q1 + 1, q2 - q1 - 1);
  return q2 + 1;
}

char OpenValueQuote(std::string_view tag) {
  std::string_view name, value;
  char quote = 0;
  for (size_t pos = xmlread::TagName(tag).size(); pos < tag.size();)
    pos = NextTagAttribute(tag, pos, name, value, &quote);
  return quote;
}

bool DeclaresSpacePreserve(std::string_view tag) {
  // Most tags are shorter than the shortest such declaration: no search for them.
  static constexpr std::string_view kShortest = "xml:space='preserve'", kName = "xml:space";
  if (tag.size() < kShortest.size() || tag.find(kName) == std::string_view::npos) return false;
  std::string_view name, value;
  for (size_t pos = xmlread::TagName(tag).size(); pos < tag.size();) {
    pos = NextTagAttribute(tag, pos, name, value);
    if (pos == std::string_view::npos) return false;
    // A name the builder took with a word before it is written with the word, and read
    // again with it.
    if (value == "preserve" && name.ends_with(kName) &&
        (name.size() == kName.size() || IsBlank(name[name.size() - kName.size() - 1])))
      return true;
  }
  return false;
}

}  // namespace zel
