#include "treedoc/XMLOutline.h"

#include "base/StrUtils.h"
#include "xml/MorXMLTree.h"
#include "xml/SectionMarks.h"

namespace zel {

bool IsDeclarationLine(std::string_view s) {
  if (!StartsWith(s, "<?xml")) return false;
  if (s.size() == 5) return true;
  const char c = s[5];
  return c == ' ' || c == '>' || c == '?';
}

namespace {

struct StringPut {
  std::string& Text;
  void Put(std::string_view s) { Text.append(s); }
};

}  // namespace

bool IsMultiLineSectionText(std::string_view text) {
  if (StartsWith(text, "<!--") || StartsWith(text, "<![CDATA[")) return true;
  if (StartsWith(text, "<?")) return !IsDeclarationLine(text);
  // A text run that holds a CDATA section (a text the reader gives has no '<' of its own)
  if (!StartsWith(text, "<")) return text.find("<![CDATA[") != std::string_view::npos;
  // An element kept as it was read, whose whitespace is data (the test may look beyond its
  // start tag: the load and the save take it the same way).
  if (text.size() < 2 || text[1] == '/' || text[1] == '!') return false;
  if (DeclaresSpacePreserve(text.substr(1))) return true;
  // Line breaks in its start tag are marks in the outline (the reader saw blanks there).
  return text.find(kLineBreakMark) != std::string_view::npos &&
         text.find("xml:space") != std::string_view::npos &&
         DeclaresSpacePreserve(std::string_view(SectionTextForFile(text)).substr(1));
}

std::string SectionTextForFile(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  StringPut put{out};
  Unmarked(put, text, TSectionMarks::smBreaks);
  return out;
}

}  // namespace zel
