#include "xml/SectionMarks.h"

namespace zel {

namespace {

bool BreakAt(std::string_view s, size_t i) {
  return s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n';
}

bool TabMarkAt(std::string_view s, size_t i, TSectionMarks marks) {
  return s[i] == '\t' && marks == TSectionMarks::smBreaksAndTabs;
}

}  // namespace

void AppendMarked(std::string& out, std::string_view s, TSectionMarks marks, bool markFollows) {
  out.reserve(out.size() + s.size());
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] == '\\') {
      size_t j = i;
      while (j < s.size() && s[j] == '\\') ++j;
      const bool beforeMark = j == s.size() ? markFollows
                                            : BreakAt(s, j) || TabMarkAt(s, j, marks) ||
                                                  sectionmarks::IsMarkAt(s, j, marks);
      out.append((j - i) * (beforeMark ? 2 : 1), '\\');
      i = j;
    } else if (BreakAt(s, i)) {
      out.append(kLineBreakMark);
      i += 2;
    } else if (TabMarkAt(s, i, marks)) {
      out.append(kTabMark);
      ++i;
    } else {
      const size_t j = s.find_first_of("\\\r\t", i + 1);
      const size_t end = j == std::string_view::npos ? s.size() : j;
      out.append(s.substr(i, end - i));
      i = end;
    }
  }
}

}  // namespace zel
