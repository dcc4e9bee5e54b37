#pragma once
// Line breaks (and, inside the tokens, TABs) of a comment or CDATA section are kept within
// one line as marks: "\n " (backslash, n, space) for a line break, "\t " for a TAB. So that
// the marks can always be told from the text, a run of backslashes that is part of the text
// is doubled where a mark could follow it: before "n " (or "t "), and before a line break (or
// a TAB), whose mark comes next. Other backslashes stay single, so a section without such
// sequences reads as it always did.

#include <string>
#include <string_view>

namespace zel {

enum class TSectionMarks : unsigned char {
  smBreaks,         // the outline: only line breaks are marked, TABs stay as they are
  smBreaksAndTabs,  // the tokens: line breaks and TABs are marked
};

inline constexpr std::string_view kLineBreakMark = "\\n ";
inline constexpr std::string_view kTabMark = "\\t ";

// Appends s with its CR LF pairs (and TABs) turned into marks. markFollows tells that a line
// break mark will be appended right after s (a section that goes on over further lines).
void AppendMarked(std::string& out, std::string_view s, TSectionMarks marks,
                  bool markFollows = false);

// The inverse of AppendMarked: marks become CR LF (and TAB), doubled backslashes single.
// Any text is accepted; a backslash that is not part of a mark stays.
template <typename Out>
void Unmarked(Out& out, std::string_view s, TSectionMarks marks);

namespace sectionmarks {

inline bool IsMarkAt(std::string_view s, size_t i, TSectionMarks marks) {
  if (i + 1 >= s.size() || s[i + 1] != ' ') return false;
  return s[i] == 'n' || (s[i] == 't' && marks == TSectionMarks::smBreaksAndTabs);
}

}  // namespace sectionmarks

template <typename Out>
void Unmarked(Out& out, std::string_view s, TSectionMarks marks) {
  size_t from = 0, i = 0;
  while (i < s.size()) {
    if (s[i] != '\\') {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < s.size() && s[j] == '\\') ++j;
    if (!sectionmarks::IsMarkAt(s, j, marks)) {
      i = j;  // backslashes before anything else are text as they stand
      continue;
    }
    const size_t run = j - i;
    out.Put(s.substr(from, i - from));
    out.Put(s.substr(i, run / 2));
    if (run % 2 == 1) {
      out.Put(s[j] == 'n' ? std::string_view("\r\n") : std::string_view("\t"));
      from = j + 2;
    } else {
      from = j;  // "n " or "t " after doubled backslashes is text
    }
    i = j + 2;
  }
  out.Put(s.substr(from));
}

}  // namespace zel
