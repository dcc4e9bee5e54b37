// The string conversions of tag text and CDATA content.

#include "base/StrUtils.h"
#include "xml/MorXMLTree.h"
#include "xml/SectionMarks.h"

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

}  // namespace zel
