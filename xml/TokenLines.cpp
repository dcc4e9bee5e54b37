#include "xml/TokenLines.h"

#include <cstring>

#include "base/StrUtils.h"
#include "xml/SectionMarks.h"
#include "xml/internal/ReadRules.h"

namespace zel {

namespace {

struct TStringPut {
  std::string& Text;
  void Put(std::string_view s) { Text.append(s); }
};

// A section's content with its marks turned back into line breaks and TABs.
void AppendUnmarked(std::string& out, std::string_view s) {
  TStringPut put{out};
  Unmarked(put, s, TSectionMarks::smBreaksAndTabs);
}

}  // namespace

// Each attribute is written ` name="value"` (single quotes when the value holds a double
// quote), what is left after a blank.
std::string_view AppendTagLine(std::string& out, std::string_view t) {
  const size_t start = out.size();
  // Each attribute and the rest gain at most a blank; '<' is one more.
  out.resize(start + t.size() + t.size() / 2 + 3);
  char* w = out.data() + start;
  const auto put = [&w](std::string_view s) {
    std::memcpy(w, s.data(), s.size());
    w += s.size();
  };
  *w++ = '<';
  const std::string_view name = xmlread::TagName(t);
  put(name);
  const std::string_view rest =
      xmlread::ReadTagAttributes(t, name, [&](std::string_view attrName, std::string_view value) {
        const char q = value.find('"') == std::string_view::npos ? '"' : '\'';
        *w++ = ' ';
        put(attrName);
        *w++ = '=';
        *w++ = q;
        put(value);
        *w++ = q;
      });
  if (!rest.empty()) {
    *w++ = ' ';
    put(rest);
  }
  out.resize(size_t(w - out.data()));
  return name;
}

namespace {

// The place of two texts the reader joined: not theirs alone.
TSourceSpan Joined(const TSourceSpan& first, const TSourceSpan& second) {
  TSourceSpan both = first.Through(second);
  both.Exact = false;
  return both;
}

}  // namespace

TTokenLines::TTokenLines(TXmlLineSink& sink) : FSink(sink) {
  FOpen.push_back(TOpen{0, false, false});
}

// Only a name as the reader gives one makes the line a tag line of the kind TagLine takes.
bool TTokenLines::IsTagLine(std::string_view text) {
  const char c = text.size() > 1 ? text[1] : '?';
  return !(c == '?' || c == '!' || c == '/' || IsBlank(c));
}

void TTokenLines::EmitTag(size_t level, std::string_view text, const TSourceSpan& span) {
  if (FSpans) FSink.LineSpan(span);
  if (IsTagLine(text))
    FSink.TagLine(level, text);
  else
    FSink.Line(level, text);
}

void TTokenLines::EmitPendingOpen() {
  if (!FOpenPending) return;
  FOpenPending = false;
  FOpenLine.push_back('>');
  EmitTag(FOpen.size() - 1, FOpenLine, FOpenSpan);
}

// Writes the waiting text; an element's empty value is no line.
void TTokenLines::FlushText() {
  if (!FHasText) return;
  FHasText = false;
  if (FTextIsValue && FText.empty()) return;
  EmitPendingOpen();
  if (FTextKind != kValueCData && FTextKind != kValueRun) {
    // A text is its line.
    if (FSpans) FSink.LineSpan(FTextSpan);
    FSink.TextLine(ContentLevel(), FText);
    return;
  }
  FLine.clear();
  if (FTextKind == kValueCData) {
    FLine.append("<![CDATA[");
    AppendUnmarked(FLine, FText);
    FLine.append("]]>");
  } else {
    AppendUnmarked(FLine, FText);
  }
  Emit(ContentLevel(), FLine, FTextSpan);
}

void TTokenLines::PrepareForChild() {
  EmitPendingOpen();
  FlushText();
  FOpen.back().HasChildren = true;
}

void TTokenLines::AddText(std::string_view text, uint8_t kind, bool joinToLastText) {
  // An empty value counts as none.
  const bool joins = FHasText && !(FTextIsValue && FText.empty()) &&
                     xmlread::JoinsText(FTextKind, FTextIsValue, kind, joinToLastText);
  if (joins) {
    FText.push_back(' ');
    FText.append(text);
    if (FSpans) FTextSpan = Joined(FTextSpan, FTokenSpan);
    return;
  }
  if (FOpen.back().HasChildren) {
    FlushText();
  } else if (!FHasText || FText.empty()) {
    FHasText = true;  // the element's value (an empty one counts as none)
    FTextIsValue = true;
    FTextKind = kind;
    FText.assign(text);
    if (FSpans) FTextSpan = FTokenSpan;
    return;
  } else {
    // CDATA cannot join other text: both become texts of their own.
    PrepareForChild();
  }
  FHasText = true;
  FTextIsValue = false;
  FTextKind = kind;
  FText.assign(text);
  if (FSpans) FTextSpan = FTokenSpan;
}

bool TTokenLines::JoinsRun(uint8_t kind, std::string_view text) const {
  return FHasText && !FText.empty() &&
         xmlread::JoinsAcrossIgnoredClose(FTextKind, FRunEndsWithText, kind, text);
}

void TTokenLines::Close(bool byToken, std::string_view closing) {
  const TOpen& e = FOpen.back();
  // A closing tag of another name is written with the element's: its own bytes are not it.
  const std::string_view name = std::string_view(FNames).substr(e.NameBegin);
  TSourceSpan closeSpan = byToken ? FTokenSpan : TSourceSpan{};
  if (FSpans) closeSpan.Exact = closeSpan.Exact && closing == name;
  const bool empty = !e.HasChildren && !(FHasText && !(FTextIsValue && FText.empty()));
  // The common element, a tag and its text: its three lines go out in one call.
  const bool oneText = !e.HasChildren && FOpenPending && FHasText && FTextIsValue &&
                       !FText.empty() && FTextKind != kValueCData && FTextKind != kValueRun &&
                       IsTagLine(FOpenLine);
  if (oneText) {
    FHasText = false;
    FOpenPending = false;
    FOpenLine.push_back('>');
    FLine.assign("</");
    FLine.append(name);
    FLine.push_back('>');
    const TSourceSpan spans[3] = {FOpenSpan, FTextSpan, closeSpan};
    FSink.ElementLine(FOpen.size() - 1, FOpenLine, FText, FLine, FSpans ? spans : nullptr);
  } else if (empty) {
    FHasText = false;
    FOpenPending = false;
    FOpenLine.append(" />");
    // Never closed, its start tag would take in what follows it.
    EmitTag(FOpen.size() - 1, FOpenLine, FOpenSpan.Through(closeSpan));
  } else {
    FlushText();
    EmitPendingOpen();
    FLine.assign("</");
    FLine.append(name);
    FLine.push_back('>');
    Emit(FOpen.size() - 1, FLine, closeSpan);
  }
  FNames.resize(e.NameBegin);
  FOpen.pop_back();
}

void TTokenLines::Token(TXmlToken kind, std::string_view text) {
  const bool afterIgnoredClose = FAfterIgnoredClose;
  FAfterIgnoredClose = false;
  const bool atDocument = FOpen.size() == 1;
  switch (kind) {
    case TXmlToken::OpenTag: {
      std::string instruction;
      if (xmlread::DeclarationAsInstruction(text, atDocument, instruction)) {
        Token(TXmlToken::Instruction, instruction);
        break;
      }
      PrepareForChild();
      FOpenLine.clear();
      const std::string_view name = AppendTagLine(FOpenLine, text);
      const size_t begin = FNames.size();
      // A broken name closes as a save closes it, at its first '>': a closing tag holds no
      // values, so the rest would read back as text after it.
      FNames.append(name.substr(0, name.find('>')));
      FOpen.push_back(TOpen{begin, false, xmlread::IsDeclarationName(name)});
      FOpenPending = true;
      if (FSpans) FOpenSpan = FTokenSpan;
      break;
    }
    case TXmlToken::EmptyTag:
      PrepareForChild();
      FLine.clear();
      AppendTagLine(FLine, text);
      FLine.append(" />");
      EmitTag(ContentLevel(), FLine, FTokenSpan);
      break;
    case TXmlToken::CloseTag:
      if (xmlread::ClosesInnermost(atDocument, FOpen.back().Declaration))
        Close(true, text);
      else
        FAfterIgnoredClose = true;
      break;
    case TXmlToken::Text:
      if (afterIgnoredClose && JoinsRun(kValueText, text)) {
        FRunEndsWithText = xmlread::JoinRun(FText, FTextKind, kValueText, text);
        if (FSpans) FTextSpan = Joined(FTextSpan, FTokenSpan);
        break;
      }
      AddText(text, kValueText, afterIgnoredClose);
      break;
    case TXmlToken::CData:
      AddText(text, kValueCData, false);
      break;
    case TXmlToken::Run:
      // It waits, as a text does, for a text that may join it.
      if (afterIgnoredClose && JoinsRun(kValueRun, text)) {
        FRunEndsWithText = xmlread::JoinRun(FText, FTextKind, kValueRun, text);
        if (FSpans) FTextSpan = Joined(FTextSpan, FTokenSpan);
      } else {
        PrepareForChild();
        FHasText = true;
        FText.assign(text);
        if (FSpans) FTextSpan = FTokenSpan;
        FRunEndsWithText = xmlread::RunEndsWithText(text);
      }
      FOpen.back().HasChildren = true;
      FTextIsValue = false;
      FTextKind = kValueRun;
      break;
    case TXmlToken::Comment:
      PrepareForChild();
      FLine.assign("<!--");
      AppendUnmarked(FLine, text);
      FLine.append("-->");
      Emit(ContentLevel(), FLine, FTokenSpan);
      break;
    case TXmlToken::Instruction:
      PrepareForChild();
      FLine.assign(1, '<');
      if (text.starts_with('?'))
        AppendUnmarked(FLine, text);
      else
        FLine.append(text);  // a declaration <!NAME ...>, cleaned
      FLine.push_back('>');
      Emit(ContentLevel(), FLine, FTokenSpan);
      break;
  }
}

void TTokenLines::Finish() {
  while (FOpen.size() > 1) Close(false, {});
  // The document's own value is never written; its texts among nodes are.
  if (!HasNodes()) return;
  FlushText();
  Emit(0, "</root>", TSourceSpan{});
}

}  // namespace zel
