#include "treedoc/SectionLineTrim.h"

#include "xml/MorXMLTree.h"

namespace zel {

namespace {

bool IsBlank16(char16_t c) {
  return c <= 32;
}

// "<![CDATA[" in any case, as the tokenizer takes it.
bool CDataOpensAt(std::u16string_view s, size_t i) {
  static constexpr std::u16string_view kOpen = u"<![CDATA[";
  if (s.size() - i < kOpen.size()) return false;
  for (size_t k = 0; k < kOpen.size(); ++k) {
    char16_t c = s[i + k];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c != kOpen[k]) return false;
  }
  return true;
}

}  // namespace

void TSectionLineTrim::EndTag() {
  if (FTag.starts_with('/')) {
    if (FPreserveDepth > 0) --FPreserveDepth;
  } else if (!FTag.ends_with('/')) {
    if (FPreserveDepth > 0)
      ++FPreserveDepth;
    else if (DeclaresSpacePreserve(FTag))
      FPreserveDepth = 1;
  }
  FTag.clear();
}

void TSectionLineTrim::Follow(std::u16string_view line) {
  size_t i = 0;
  while (i < line.size()) {
    if (FInside == TInside::None) {
      i = line.find(u'<', i);
      if (i == std::u16string_view::npos) return;
      if (line.substr(i, 4) == u"<!--") {
        FInside = TInside::Comment;
        i += 4;
      } else if (CDataOpensAt(line, i)) {
        FInside = TInside::CData;
        i += 9;
      } else if (line.substr(i, 2) == u"<?") {
        FInside = TInside::Instruction;
        i += 2;
      } else {
        FInside = TInside::Tag;
        FQuote = 0;
        ++i;
      }
      continue;
    }
    if (FInside == TInside::Tag) {
      // Up to its '>' outside quotes; its text (ASCII enough to find xml:space) is kept.
      for (; i < line.size(); ++i) {
        const char16_t c = line[i];
        if (FQuote == 0 && c == u'>') break;
        if (FQuote == 0 && (c == u'"' || c == u'\'')) {
          FQuote = c;
        } else if (c == FQuote) {
          FQuote = 0;
        }
        FTag.push_back(c < 0x80 ? static_cast<char>(c) : '?');
      }
      if (i == line.size()) return;
      FInside = TInside::None;
      EndTag();
      ++i;
      continue;
    }
    const std::u16string_view end = FInside == TInside::Comment ? u"-->"
                                    : FInside == TInside::CData ? u"]]>"
                                                                : u"?>";
    const size_t e = line.find(end, i);
    if (e == std::u16string_view::npos) return;
    FInside = TInside::None;
    i = e + end.size();
  }
}

std::u16string_view TSectionLineTrim::Trim(std::u16string_view line) {
  const bool startsInside = FInside != TInside::None || FPreserveDepth > 0;
  Follow(line);
  const bool endsInside = FInside != TInside::None || FPreserveDepth > 0;
  size_t b = 0, e = line.size();
  if (!startsInside)
    while (b < e && IsBlank16(line[b])) ++b;
  if (!endsInside)
    while (e > b && IsBlank16(line[e - 1])) --e;
  return line.substr(b, e - b);
}

}  // namespace zel
