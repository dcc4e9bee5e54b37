#include "xml/XmlTokenizer.h"

namespace zel {

std::string_view TokenPrefix(TXmlToken kind) {
  switch (kind) {
    case TXmlToken::OpenTag:
      return "OT:";
    case TXmlToken::CloseTag:
      return "CT:";
    case TXmlToken::EmptyTag:
      return "ET:";
    case TXmlToken::Text:
      return "TX:";
    case TXmlToken::CData:
      return "CD:";
    case TXmlToken::Comment:
      return "CM:";
    case TXmlToken::Instruction:
      return "PI:";
  }
  return "";
}

bool TokenFromLine(std::string_view line, TXmlToken& kind, std::string_view& text) {
  if (line.size() < 3 || line[2] != ':') return false;
  const std::string_view p = line.substr(0, 2);
  if (p == "OT")
    kind = TXmlToken::OpenTag;
  else if (p == "CT")
    kind = TXmlToken::CloseTag;
  else if (p == "ET")
    kind = TXmlToken::EmptyTag;
  else if (p == "TX")
    kind = TXmlToken::Text;
  else if (p == "CD")
    kind = TXmlToken::CData;
  else if (p == "CM")
    kind = TXmlToken::Comment;
  else if (p == "PI")
    kind = TXmlToken::Instruction;
  else
    return false;
  text = line.substr(3);
  return true;
}

namespace xmltok {

size_t FindTagEnd(std::string_view t, size_t a) {
  char last = 0;  // the last non-blank character seen inside the tag
  for (size_t i = a + 1; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '>') return i;
    if ((c == '"' || c == '\'') && last == '=') {
      const size_t q = t.find(c, i + 1);
      if (q == std::string_view::npos) return t.find('>', i + 1);
      i = q;
      last = c;
      continue;
    }
    if (!IsBlank(c)) last = c;
  }
  return std::string_view::npos;
}

size_t FindDeclarationEnd(std::string_view t, size_t a) {
  int depth = 0;
  for (size_t i = a + 2; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '"' || c == '\'') {
      const size_t q = t.find(c, i + 1);
      if (q == std::string_view::npos) break;
      i = q;
    } else if (c == '[') {
      ++depth;
    } else if (c == ']') {
      if (depth > 0) --depth;
    } else if (c == '>' && depth == 0) {
      return i;
    }
  }
  return t.find('>', a + 2);
}

bool IsXmlDeclaration(std::string_view t, size_t a) {
  if (t.compare(a, 5, "<?xml") != 0) return false;
  if (a + 5 >= t.size()) return true;
  const char c = t[a + 5];
  return IsBlank(c) || c == '?' || c == '>';
}

}  // namespace xmltok

void TokenizeXML(TStringList& L) {
  const std::string text = L.Text();
  L.Clear();
  std::string line;
  Tokenize(text, [&](TXmlToken kind, std::string_view s) {
    line.assign(TokenPrefix(kind));
    line.append(s);
    L.Add(line);
  });
}

}  // namespace zel
