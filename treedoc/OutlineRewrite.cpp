#include "treedoc/OutlineRewrite.h"

#include <climits>

#include "base/StrUtils.h"
#include "treedoc/XMLOutline.h"
#include "xml/MorXMLTree.h"
#include "xml/SectionMarks.h"

namespace zel {

namespace {

// The level of the document's own children in the writer's text.
constexpr int kTopWriterLevel = 1;

std::string_view TrimLeftView(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  return s.substr(b);
}

// IsMultiLineSectionText for a tag line as TagLine takes it: such a line is a section's only
// as an element whose whitespace is data, which names xml:space. One search rules out most.
bool IsSectionTagLine(std::string_view text) {
  return text.find("xml:space") != std::string_view::npos && IsMultiLineSectionText(text);
}

}  // namespace

int TOutlineRewrite::LevelOf(int writerLevel) const {
  const int d = writerLevel - (FDeclaration ? 1 : 0);
  return d > 0 ? d : 0;
}

void TOutlineRewrite::AddNode(int level, std::string_view text, const TSourceSpan& span) {
  FOut.AddNode(level, text);
  if (FSpans) {
    FOut.NodeSpan(span);
    FLastSpan = span;
  }
  FTrail.Node();
  ++FNodes;
}

void TOutlineRewrite::SettlePendingAsNode() {
  FHasPending = false;
  AddNode(FPendingOutlineLevel, FPendingText, FPendingSpan);
  FPrevLevel = FPendingLevel;
  FPrevOpened = false;
}

int TOutlineRewrite::ClampedLevel(size_t writerLevel) {
  // Deeper than any outline can be: taken as the deepest level an int holds.
  return writerLevel > static_cast<size_t>(INT_MAX - 1) ? INT_MAX - 1
                                                        : static_cast<int>(writerLevel);
}

void TOutlineRewrite::TagLine(size_t writerLevel, std::string_view text) {
  ++FLines;
  const int level = ClampedLevel(writerLevel);
  // A tag is no closing line: a waiting text is a node of its own.
  if (FHasPending) SettlePendingAsNode();
  FTrail.Pass();
  if (FDeclaration && level <= kTopWriterLevel) FDeclaration = false;
  FPrevLevel = level;
  FPrevOpened = true;
  if (IsSectionTagLine(text))
    SectionNode(text, level);
  else
    AddNode(LevelOf(level), text, FLineSpan);
}

void TOutlineRewrite::ElementLine(size_t writerLevel, std::string_view tag, std::string_view text,
                                  std::string_view close, const TSourceSpan* spans) {
  // A section's line, or levels past what an int holds, take the lines one by one.
  if (writerLevel + 1 >= static_cast<size_t>(INT_MAX - 1) || IsSectionTagLine(tag))
    return TXmlLineSink::ElementLine(writerLevel, tag, text, close, spans);
  // What TagLine does with its line, then the text line and the closing line: the text waits
  // after the opening line, and the closing line joins both to it.
  if (spans) LineSpan(spans[0]);
  const int level = static_cast<int>(writerLevel);
  FLines += 3;
  if (FHasPending) SettlePendingAsNode();
  FTrail.Pass();
  if (FDeclaration && level <= kTopWriterLevel) FDeclaration = false;
  AddNode(LevelOf(level), tag, FLineSpan);
  FTrail.Pass();
  FOut.AppendToLast(text);
  FOut.AppendToLast(close);
  if (spans) {
    FLineSpan = spans[2];
    FOut.NodeSpan(FLastSpan.Through(spans[1]).Through(spans[2]));
  }
  FTrail.Drop();
  FTrail.Drop();
  FPrevLevel = level;
  FPrevOpened = false;
}

void TOutlineRewrite::Pend(std::string_view s, int level) {
  FHasPending = true;
  FPendingText.assign(s);  // the line's view lives only for this call
  FPendingSpan = FLineSpan;
  FPendingLevel = level;
  FPendingOutlineLevel = LevelOf(level);
  FPendingAfterOpening = FPrevOpened && FPrevLevel == level - 1 && FNodes > 0;
}

void TOutlineRewrite::TextLine(size_t writerLevel, std::string_view text) {
  ++FLines;
  const int level = ClampedLevel(writerLevel);
  if (FHasPending) SettlePendingAsNode();  // a text is no closing line
  FTrail.Pass();
  if (FDeclaration && level <= kTopWriterLevel) FDeclaration = false;
  // Without a '<' it holds no CDATA section: it is no section's line.
  Pend(text, level);
}

void TOutlineRewrite::Line(size_t writerLevel, std::string_view text) {
  ++FLines;
  const int level = ClampedLevel(writerLevel);
  if (FHasPending) {
    const std::string_view next = TrimView(text);
    if (FPendingAfterOpening && level == FPendingLevel - 1 && StartsWith(next, "</")) {
      // The text is its element's whole content: opening tag, text and closing tag on one line.
      FHasPending = false;
      FOut.AppendToLast(FPendingText);
      FOut.AppendToLast(next);
      if (FSpans) FOut.NodeSpan(FLastSpan.Through(FPendingSpan).Through(FLineSpan));
      FTrail.Drop();
      FTrail.Drop();
      FPrevLevel = level;
      FPrevOpened = false;
      return;
    }
    SettlePendingAsNode();
  }
  ProcessLine(text, level);
}

void TOutlineRewrite::ProcessLine(std::string_view text, int level) {
  FTrail.Pass();
  if (FDeclaration && level <= kTopWriterLevel) FDeclaration = false;
  std::string_view s = TrimView(text);
  if (s.empty() || (s[0] != '<' && !IsMultiLineSectionText(s))) {
    Pend(s, level);
    return;
  }
  if (StartsWith(s, "</")) {
    if (FSpans) FOut.CloseSpan(LevelOf(level), FLineSpan);
    FTrail.Drop();
    FPrevLevel = level;
    FPrevOpened = false;
    return;
  }
  FPrevLevel = level;
  FPrevOpened = true;
  if (level == kTopWriterLevel && IsDeclarationLine(s)) {
    // "<?xml version="1.0">" becomes "<?xml version="1.0" ?>", and so does the writer's
    // empty form "<?xml version="1.0" />": read back, both give the same outline. Deeper
    // down the parser keeps the declaration as an instruction, whose text stays as it is.
    std::string_view head = s.substr(0, s.size() - 1);
    if (head.ends_with(" /")) head.remove_suffix(2);
    FScratch.assign(head);
    // An open value would take in the end written after it once the file is read again.
    TSourceSpan span = FLineSpan;
    if (const char quote = OpenValueQuote(head)) {
      FScratch.push_back(quote);
      span.Exact = false;
    }
    FScratch.push_back(' ');
    FScratch.push_back(s[1]);
    FScratch.push_back('>');
    FDeclaration = true;
    FPrevOpened = false;  // what it holds stands beside it, a text too
    AddNode(kTopWriterLevel, FScratch, span);
    return;
  }
  if (!IsMultiLineSectionText(s)) {
    // A text joined to a tag with an open quote would close the quote once saved.
    const char quote = OpenValueQuote(s);
    if (quote != '\0') FPrevOpened = false;
    const bool tag = s.size() > 1 && s[1] != '!' && s[1] != '?';
    if (tag && quote != '\0' && s.ends_with('>')) {
      // Read again, the open value would run over the tag's end: it closes before it.
      size_t end = s.size() - (s.ends_with("/>") ? 2 : 1);
      while (end > 0 && IsBlank(s[end - 1])) --end;
      FScratch.assign(s.substr(0, end)).push_back(quote);
      FScratch.append(s.substr(end));
      TSourceSpan mended = FLineSpan;
      mended.Exact = false;
      AddNode(LevelOf(level), FScratch, mended);
      return;
    }
    AddNode(LevelOf(level), s, FLineSpan);
    return;
  }
  SectionNode(text, level);
}

void TOutlineRewrite::SectionNode(std::string_view text, int level) {
  // A section keeps its blanks: only the writer's indentation goes; its line breaks become
  // marks.
  FPrevOpened = false;
  FScratch.clear();
  AppendMarked(FScratch, TrimLeftView(text), TSectionMarks::smBreaks);
  AddNode(LevelOf(level), FScratch, FLineSpan);
}

void TOutlineRewrite::Finish() {
  if (FHasPending) SettlePendingAsNode();
}

}  // namespace zel
