#pragma once
// The tokenizer core, shared by TokenizeXML (which collects token lines) and the fused
// parse (which hands each token straight to the tree builder).

#include <string>
#include <string_view>

#include "base/StrUtils.h"
#include "xml/MorXMLTree.h"

namespace zel {

enum class TXmlToken : char {
  OpenTag = 'O',
  CloseTag = 'C',
  EmptyTag = 'E',
  Text = 'T',
  CData = 'D',
  Comment = 'M',
  Instruction = 'P'
};

// The prefix of a token line ("OT:", ...) and back.
std::string_view TokenPrefix(TXmlToken kind);
bool TokenFromLine(std::string_view line, TXmlToken& kind, std::string_view& text);

namespace xmltok {

inline bool HasCleanableChars(std::string_view s) {
  for (const char c : s)
    if (c == '\r' || c == '\t') return true;
  return false;
}

// CleanTagText without a copy when nothing but trimming is needed.
inline std::string_view Clean(std::string_view s, std::string& scratch) {
  if (!HasCleanableChars(s)) return TrimView(s);
  scratch = CleanTagText(s);
  return scratch;
}

// EscapeCData without a copy when there is nothing to escape.
inline std::string_view Escape(std::string_view s, std::string& scratch) {
  if (!HasCleanableChars(s)) return s;
  scratch = EscapeCData(s);
  return scratch;
}

inline bool IsCDataStart(std::string_view t, size_t a) {
  static constexpr std::string_view kOpen = "<![CDATA[";
  if (t.size() - a < kOpen.size()) return false;
  for (size_t i = 0; i < kOpen.size(); ++i) {
    char c = t[a + i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kOpen[i]) return false;
  }
  return true;
}

// The '>' that ends a tag opened at a. A quote right after '=' (blanks allowed between)
// opens an attribute value, whose '>' does not count; an unclosed value falls back to the
// first '>' after its quote.
size_t FindTagEnd(std::string_view t, size_t a);
// The '>' that ends a declaration <!NAME ...> opened at a, skipping quoted text and a
// bracketed internal subset; falls back to the first '>' when those do not close.
size_t FindDeclarationEnd(std::string_view t, size_t a);
// True when the processing instruction at a has the target exactly "xml".
bool IsXmlDeclaration(std::string_view t, size_t a);

}  // namespace xmltok

// Cuts t into tokens, calling sink(TXmlToken, std::string_view) for each; the view is valid
// during the call only.
template <typename Sink>
void Tokenize(std::string_view t, Sink&& sink) {
  using namespace xmltok;
  std::string scratch;
  const size_t len = t.size();
  const auto text = [&](size_t from, size_t to) {
    const std::string_view r = TrimView(t.substr(from, to - from));
    if (!r.empty()) sink(TXmlToken::Text, Clean(r, scratch));
  };
  size_t from = 0;
  while (from < len) {
    const size_t a = t.find('<', from);
    if (a == std::string_view::npos) {
      text(from, len);
      break;
    }
    text(from, a);
    if (IsCDataStart(t, a)) {
      const size_t b = t.find("]]>", a + 9);
      // An unterminated section runs to the end of the text.
      const size_t end = b == std::string_view::npos ? len : b;
      sink(TXmlToken::CData, Escape(t.substr(a + 9, end - a - 9), scratch));
      from = b == std::string_view::npos ? len : b + 3;
      continue;
    }
    if (t.compare(a, 4, "<!--") == 0) {
      const size_t b = t.find("-->", a + 4);
      const size_t end = b == std::string_view::npos ? len : b;
      sink(TXmlToken::Comment, Escape(t.substr(a + 4, end - a - 4), scratch));
      from = b == std::string_view::npos ? len : b + 3;
      continue;
    }
    const bool instruction = t.compare(a, 2, "<?") == 0 && !IsXmlDeclaration(t, a);
    const bool declaration = t.compare(a, 2, "<!") == 0;
    if (instruction || declaration) {
      size_t b;
      if (instruction) {
        b = t.find("?>", a + 2);
        b = b == std::string_view::npos ? t.find('>', a + 2) : b + 1;
      } else {
        b = FindDeclarationEnd(t, a);
      }
      if (b == std::string_view::npos) {
        from = a + 1;  // no end at all: the '<' is dropped, as for any tag
        continue;
      }
      const std::string_view d = Clean(t.substr(a + 1, b - a - 1), scratch);
      sink(TXmlToken::Instruction, d);
      from = b + 1;
      continue;
    }
    const size_t b = FindTagEnd(t, a);
    if (b == std::string_view::npos) {
      from = a + 1;  // a '<' without '>' is dropped
      continue;
    }
    const std::string_view d = t.substr(a + 1, b - a - 1);
    if (d.empty()) {
      // "<>" gives no token.
    } else if (d.front() == '/') {
      sink(TXmlToken::CloseTag, Clean(d.substr(1), scratch));
    } else if (d.back() == '/') {
      sink(TXmlToken::EmptyTag, Clean(d.substr(0, d.size() - 1), scratch));
    } else {
      sink(TXmlToken::OpenTag, Clean(d, scratch));
    }
    from = b + 1;
  }
}

}  // namespace zel
