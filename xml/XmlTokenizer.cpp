#include "xml/internal/Tokenizer.h"

#include <array>

#include "base/StringList.h"

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
    case TXmlToken::Run:
      return "RN:";
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
  else if (p == "RN")
    kind = TXmlToken::Run;
  else
    return false;
  text = line.substr(3);
  return true;
}

namespace xmltok {

bool IsCDataStart(std::string_view t, size_t m) {
  static constexpr std::string_view kOpen = "![CDATA[";
  if (t.size() - m < kOpen.size()) return false;
  for (size_t i = 0; i < kOpen.size(); ++i) {
    char c = t[m + i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kOpen[i]) return false;
  }
  return true;
}

bool IsXmlDeclaration(std::string_view t, size_t m) {
  if (!t.substr(m).starts_with("?xml")) return false;
  if (m + 4 >= t.size()) return true;
  const char c = t[m + 4];
  return IsBlank(c) || c == '?' || c == '>';
}

void AppendCrLfLines(std::string& out, std::string_view s) {
  out.reserve(out.size() + s.size() + s.size() / 8);
  size_t from = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c != '\r' && c != '\n') continue;
    out.append(s.substr(from, i - from)).append("\r\n");
    if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
    from = i + 1;
  }
  out.append(s.substr(from));
}

TScanner::TScanner(std::string_view t, bool lineEndsAsRead)
    : FText(t),
      FLt(t, "<", &FRead),
      FGt(t, ">", &FRead),
      FCDataEnd(t, "]]>", &FRead),
      FCommentEnd(t, "-->", &FRead),
      FInstructionEnd(t, "?>", &FRead),
      FTagQuotes(t, &FRead),
      FDeclQuotes(t, &FRead),
      FTagLt(t, "<", &FRead),
      FDeclLt(t, "<", &FRead),
      FDeclBreak(t, "\n", &FRead, lineEndsAsRead ? '\r' : '\0'),
      FSubsetCommentEnd(t, "-->", &FRead),
      FSubsetInstructionEnd(t, "?>", &FRead),
      FSubsetGt(t, ">", &FRead),
      FSubsetCloseTag(t, "</", &FRead) {}

size_t TScanner::InstructionEnd(size_t a) {
  const size_t e = FInstructionEnd.From(a + 2);
  return e == npos ? FGt.From(a + 2) : e + 1;
}

size_t TScanner::TagEnd(size_t a) {
  FTagValuesClosed = false;
  if (!FTagScanFailed) {
    const size_t b = ScanTag(a);
    if (b != npos) return b;
    FTagScanFailed = true;
  }
  return FGt.From(a + 1);
}

size_t TScanner::DeclarationEnd(size_t a, bool& fellBack) {
  // Scans that fail may read the same stretch again; past a budget linear in the text (which
  // no document that is not made to waste it reaches) they all take the fallback at once.
  const size_t budget = 2 * FText.size() + 65536;
  size_t b = npos;
  if (FDeclRead <= budget) {
    const size_t before = FRead;
    std::string_view closers;
    b = ScanDeclaration(a, closers);
    FDeclRead += FRead - before;
  }
  fellBack = b == npos;
  return b != npos ? b : FGt.From(a + 2);
}

std::string_view DeclarationClosers(std::string_view declaration) {
  TScanner alone(declaration);
  std::string_view closers;
  alone.ScanDeclaration(0, closers);
  return closers;
}

namespace {

// The characters a tag's scan stops at past its name: its end, a '<', an '=' and the quotes.
constexpr auto kTagStops = [] {
  std::array<bool, 256> stops{};
  for (const char c : {'>', '<', '"', '\'', '='}) stops[static_cast<unsigned char>(c)] = true;
  return stops;
}();

}  // namespace

size_t TScanner::ScanTag(size_t a) {
  const std::string_view t = FText;
  const size_t n = t.size();
  // A closing tag holds no values: its quotes are no bounds (a save writes a broken name's
  // quote into it, and the next lines must not join it).
  if (a + 1 < n && t[a + 1] == '/') return FGt.From(a + 1);
  // Values are paired as the tree reads the attributes (NextTagAttribute), so that a tag
  // written from them ends where it ended: past the name (up to the first blank), a value
  // opens at the first quote after an '=' and ends at the next quote of its kind.
  size_t i = a + 1;
  for (; i < n && !IsBlank(t[i]); ++i) {
    ++FRead;
    if (t[i] == '>') {
      FTagValuesClosed = true;
      return i;
    }
    if (t[i] == '<') return FGt.From(a + 1);
  }
  bool afterEquals = false;
  while (true) {
    size_t j = i;
    while (j < n && !kTagStops[static_cast<unsigned char>(t[j])]) ++j;
    if (j >= n) {
      FRead += j - i;
      return npos;
    }
    FRead += j - i + 1;
    const char c = t[j];
    if (c == '>') {
      FTagValuesClosed = true;  // each value after an '=' found its closing quote
      return j;
    }
    if (c == '<') return FGt.From(a + 1);
    i = j + 1;
    if (c == '=') {
      afterEquals = true;
      continue;
    }
    if (!afterEquals) continue;  // a quote in an attribute's name
    const size_t q = FTagQuotes.Closing(c, j + 1);
    if (q == npos || q > FTagLt.From(j + 1)) return FGt.From(a + 1);
    afterEquals = false;
    i = q + 1;
  }
}

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsNameChar(char c) {
  return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_' ||
         c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

}  // namespace

size_t TScanner::SkipQuoted(TQuoteFinds& quotes, size_t i) {
  return quotes.Closing(FText[i], i + 1);
}

constexpr size_t kMaxSubsetMarks = size_t(1) << 20;

size_t TScanner::ScanDeclaration(size_t a, std::string_view& closers) {
  const std::string_view t = FText;
  const size_t n = t.size();
  // Where this scan stood in the subset, before its markup: a scan that fails makes them
  // known to fail, so that no later scan reads on from them (each starts further on).
  FSubsetMarks.clear();
  // A comment of the subset that holds "</": kept whole when the declaration closes, but a
  // declaration that fails anyway ends at its first '>', as if the comment had failed it (a
  // save rewrites closing tags, so text read as one would not hold the comment's "-->" again).
  bool commentHeldCloseTag = false;
  const auto fail = [&](std::string_view open = {}) {
    if (!FSubsetMarks.empty() && FFailedSubsetMarks.empty()) FFailedSubsetMarks.resize(n);
    for (const size_t m : FSubsetMarks) FFailedSubsetMarks[m] = true;
    closers = commentHeldCloseTag ? std::string_view() : open;
    return npos;
  };
  bool inSubset = false;
  size_t i = a + 2;
  while (i < n) {
    ++FRead;
    const char c = t[i];
    if (!inSubset) {
      if (c == '"' || c == '\'') {
        const size_t q = SkipQuoted(FDeclQuotes, i);
        if (q == npos || q > FDeclLt.From(i + 1) || q > FDeclBreak.From(i + 1)) return fail();
        i = q + 1;
        continue;
      }
      if (c == '>') return i;
      if (c == '<') return fail();
      if (c == '[') inSubset = true;
      ++i;
      continue;
    }
    if (c == ']') {
      inSubset = false;
      ++i;
      continue;
    }
    if (IsBlank(c)) {
      ++i;
      continue;
    }
    if (c == '%') {  // a parameter-entity reference, %name;
      size_t j = i + 1;
      for (; j < n && IsNameChar(t[j]); ++j) ++FRead;
      if (j == i + 1 || j >= n || t[j] != ';') return fail();
      i = j + 1;
      continue;
    }
    // Text has no place in a subset: one that holds some never closed.
    if (c != '<') return fail();
    if (!FFailedSubsetMarks.empty() && FFailedSubsetMarks[i]) return fail();
    // Past a million places a scan keeps no more of them: the read budget still holds.
    // Past such a comment a failure is the comment's, not the place's: no marks.
    if (FSubsetMarks.size() < kMaxSubsetMarks && !commentHeldCloseTag) FSubsetMarks.push_back(i);
    if (t.compare(i, 4, "<!--") == 0) {
      const size_t e = FSubsetCommentEnd.From(i + 4);
      const size_t closing = FSubsetCloseTag.From(i + 4);
      if (e == npos) return fail(closing == npos ? "-->]" : "");
      if (e > closing) commentHeldCloseTag = true;
      i = e + 3;
      continue;
    }
    if (t.compare(i, 2, "<?") == 0) {  // like an instruction outside: up to its "?>"
      const size_t e = FSubsetInstructionEnd.From(i + 2);
      if (e == npos) return fail("?>]");
      i = e + 2;
      continue;
    }
    if (t.compare(i, 3, "<![") == 0) return fail();  // a CDATA section: no subset holds one
    if (i + 2 >= n || t[i + 1] != '!' || !IsAsciiLetter(t[i + 2])) {
      // A tag or closing tag has no place here either, but the load may drop it (a closing
      // tag that closes nothing, "<>"): the subset must read the same without it.
      const size_t g = FSubsetGt.From(i + 1);
      if (g == npos) return fail();
      i = g + 1;
      continue;
    }
    // A markup declaration of the subset runs to its '>', quoted text skipped.
    for (++i; i < n && t[i] != '>'; ++i) {
      ++FRead;
      if (t[i] == '"' || t[i] == '\'') {
        const char quote = t[i];
        i = SkipQuoted(FDeclQuotes, i);
        if (i == npos) return fail(quote == '"' ? "\">]" : "'>]");
      }
    }
    if (i >= n) return fail();
    ++i;
  }
  return fail(inSubset ? "]" : "");
}

}  // namespace xmltok

namespace xmltok {

namespace {

// A table, not isalnum: that asks the locale once per character of every tag.
constexpr auto kNameBytes = [] {
  std::array<bool, 256> t{};
  for (int c = 0; c < 256; ++c)
    t[size_t(c)] = c >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                   (c >= '0' && c <= '9') || c == '_' || c == ':' || c == '-' || c == '.';
  return t;
}();

// What ends a look through an attribute value quoted with one or the other.
constexpr auto ValueStops(char quote) {
  std::array<bool, 256> t{};
  t[static_cast<unsigned char>(quote)] = t['<'] = t['>'] = true;
  return t;
}
constexpr auto kDoubleValueStops = ValueStops('"'), kSingleValueStops = ValueStops('\'');

bool IsNameByte(char c) {
  return kNameBytes[static_cast<unsigned char>(c)];
}

bool IsXmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

bool IsStrictTag(std::string_view s) {
  if (s.size() < 3 || s.front() != '<' || s.back() != '>') return false;
  const size_t last = s.size() - 1;
  size_t i = 1;
  const bool closing = s[i] == '/', declaration = s[i] == '?';
  if (closing || declaration) ++i;
  // s[last] is '>', neither a name byte nor a blank: it ends those runs without a bound.
  const auto name = [&] {
    const size_t from = i;
    while (IsNameByte(s[i])) ++i;
    return i > from && !(s[from] >= '0' && s[from] <= '9') && s[from] != '-' && s[from] != '.';
  };
  const auto blanks = [&] {
    const size_t from = i;
    while (IsXmlSpace(s[i])) ++i;
    return i > from;
  };
  if (!name()) return false;
  if (closing) {
    blanks();
    return i == last;
  }
  while (true) {
    const bool blank = blanks();
    if (i == last) return !declaration;
    if (s[i] == '/' || s[i] == '?') return i + 1 == last && (s[i] == '?') == declaration;
    if (!blank || !name()) return false;
    blanks();
    if (i == last || s[i] != '=') return false;
    ++i;
    blanks();
    if (i == last || (s[i] != '"' && s[i] != '\'')) return false;
    // One look at each character of the value for its closing quote and a '<' (a '>' stops
    // the look too, to tell the tag's last from one in the value).
    const char quote = s[i];
    const auto& stops = quote == '"' ? kDoubleValueStops : kSingleValueStops;
    size_t close = i + 1;
    while (true) {
      while (!stops[static_cast<unsigned char>(s[close])]) ++close;
      if (s[close] != '>' || close == last) break;
      ++close;
    }
    if (close >= last || s[close] != quote) return false;
    i = close + 1;
  }
}

}  // namespace xmltok

size_t ReadXmlTokens(std::string_view text, TXmlTokenSink& sink, size_t* changedTexts) {
  return Tokenize(
      text, [&sink](TXmlToken kind, std::string_view s) { sink.Token(kind, s); }, nullptr,
      changedTexts);
}

size_t ReadXmlTokens(std::string_view text, TXmlTokenSink& sink, TSourceSpan& span,
                     size_t* changedTexts) {
  return Tokenize(
      text, [&sink](TXmlToken kind, std::string_view s) { sink.Token(kind, s); }, &span,
      changedTexts);
}

size_t ReadXmlTokensAsRead(std::string_view text, TXmlTokenSink& sink, TSourceSpan* span,
                           size_t* changedTexts) {
  return Tokenize(
      text, [&sink](TXmlToken kind, std::string_view s) { sink.Token(kind, s); }, span,
      changedTexts, true);
}

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
