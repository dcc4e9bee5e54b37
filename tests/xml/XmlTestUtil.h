#pragma once
// Helpers shared by the XML document tests.

#include <string>
#include <vector>

#include "base/StringList.h"
#include "xml/MorXMLTree.h"

namespace zel::test {

// Line-list text: every line followed by CR LF.
inline std::string Crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

inline std::vector<std::string> Tokens(const std::string& text) {
  TStringList l;
  l.SetText(text);
  TokenizeXML(l);
  return l.Lines();
}

// Parsed the literal way: Lines, TokenizeXML, BuildFromTokens.
inline void ParseByTokens(TMorXMLTree& doc, const std::string& text) {
  doc.Lines.SetText(text);
  TokenizeXML(doc.Lines);
  doc.BuildFromTokens();
}

inline std::vector<std::string> OutputLines(const TMorXMLTree& doc) {
  TStringList l;
  l.SetText(doc.GetXMLText());
  return l.Lines();
}

// The writer's lines for text, without the document's own <root> and </root>.
inline std::vector<std::string> Written(const std::string& text) {
  TMorXMLTree doc;
  doc.ParseText(text);
  auto lines = OutputLines(doc);
  if (lines.size() >= 2) lines = std::vector<std::string>(lines.begin() + 1, lines.end() - 1);
  return lines;
}

}  // namespace zel::test
