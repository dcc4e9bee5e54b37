#pragma once
// The load's tokens straight to outline nodes: what the line maker (xml/TokenLines.h) gives the
// rewrite (treedoc/OutlineRewrite.h) and the rewrite makes of it, in one step for the markup
// most documents are made of. An element's start or empty tag goes to its node's text as the
// line maker writes it, without the rewrite's look at that line; an element with one text
// becomes its node whole; closing tags only count. The sink is called as the rewrite calls it,
// without a virtual call; a node known whole goes to Sink::AddWhole(level, text, span or null),
// which stands for AddNode and NodeSpan with no text appended after them.
//
// Where the split is: the short ways take start, empty and closing tags and texts in the states
// where the two's steps come down to a few assignments, which is nearly every token of a
// document: tags whose name is a name (no declaration, no '!', '?' or '/' first) that name no
// xml:space (a section's line to the rewrite), texts not after an ignored closing tag (those
// join runs), closing tags that close the innermost element with nothing waiting in the rewrite.
// The rest (broken markup the reader mends, sections, comments, instructions, the declaration,
// DOCTYPE, runs) is rare, and each of its rules would be a second copy of the two's: it goes
// the long way. The walk takes the two's steps on their own state, so any token may go the long
// way and the next one the short way; of its own it keeps only whether the waiting opening line
// was made here, and the tag it last read.
#include <climits>
#include <cstddef>
#include <string_view>

#include "base/StrUtils.h"
#include "treedoc/OutlineRewrite.h"
#include "xml/MorXMLTree.h"
#include "xml/TokenLines.h"
#include "xml/XmlToken.h"

namespace zel {

// Where a tag's text t stands as AppendTagLine writes it after its '<': each attribute after
// one space, its name without blanks, '=' and its quoted value right after it, nothing after
// the last. Single quotes of a value without '"' are written as '"': their places are kept.
struct TPlainTag {
  static constexpr size_t kQuotes = 8;
  size_t NameEnd = 0;
  size_t Quotes = 0;
  size_t At[kQuotes];
  // Whether t is such a tag and names no xml:space, with its quotes to change.
  bool Read(std::string_view t);
  // What AppendTagLine appends for the tag Read took.
  std::string_view AppendTo(std::string& out, std::string_view t) const {
    const size_t start = out.size() + 1;
    out.push_back('<');
    out.append(t);
    for (size_t i = 0; i < Quotes; ++i) out[start + At[i]] = '"';
    return t.substr(0, NameEnd);
  }
};

// The line maker feeding the rewrite: the reference route, and the state the walk works on.
class TLineRoute {
 public:
  explicit TLineRoute(TOutlineNodeSink& out) : FRewrite(out), FLines(FRewrite) {}
  TLineRoute(const TLineRoute&) = delete;
  TLineRoute& operator=(const TLineRoute&) = delete;

  void SetSpan(const TSourceSpan& span) { FLines.SetSpan(span); }
  void Token(TXmlToken kind, std::string_view text) { FLines.Token(kind, text); }
  // Closes what is still open and settles what waits.
  void Finish() {
    FLines.Finish();
    FRewrite.Finish();
  }
  bool HasNodes() const { return FLines.HasNodes(); }
  size_t LineCount() const { return FRewrite.LineCount(); }
  size_t NodeCount() const { return FRewrite.NodeCount(); }
  const TProgressTrail& Trail() const { return FRewrite.Trail(); }

 protected:
  TOutlineRewrite FRewrite;
  TTokenLines FLines;
};

template <typename Sink>
class TOutlineWalk : public TLineRoute {
 public:
  explicit TOutlineWalk(Sink& out) : TLineRoute(out), FOut(out) {}

  // The route's step, the short way where it is one.
  void Token(TXmlToken kind, std::string_view text) {
    switch (kind) {
      case TXmlToken::OpenTag:
        if (Open(text)) return;
        break;
      case TXmlToken::EmptyTag:
        if (Empty(text)) return;
        break;
      case TXmlToken::Text:
        if (!FLines.FAfterIgnoredClose) {
          FLines.AddText(text, kValueText, false);
          return;
        }
        break;
      case TXmlToken::CloseTag:
        if (Close(text)) return;
        break;
      default:
        break;
    }
    FOpenShort = false;
    FLines.Token(kind, text);
  }

 private:
  // The writer's level of the document's own children.
  static constexpr int kTopWriterLevel = 1;
  // Levels the rewrite would clamp never come the short way.
  static constexpr size_t kDeepest = size_t{INT_MAX} / 2;

  // A start or empty tag the short way takes: its line is a tag line the rewrite makes a node
  // of as it stands (a name that TTokenLines::IsTagLine takes, and with Written no xml:space:
  // every piece of the line is a piece of the tag, so the line names it only where the tag
  // does).
  bool Plain(std::string_view t) const {
    if (t.empty() || FLines.FAfterIgnoredClose || FLines.FOpen.size() >= kDeepest) return false;
    const char c = t[0];
    return !(c == '?' || c == '!' || c == '/' || IsBlank(c));
  }
  // Whether the tag Plain took stands as the line maker writes it (FTag), else names no
  // xml:space.
  bool Written(std::string_view t) {
    FPlain = FTag.Read(t);
    return FPlain || t.size() < 9 || t.find("xml:space") == std::string_view::npos;
  }

  // TTokenLines::PrepareForChild, with the short way for an opening line the walk made.
  void PrepareForChild() {
    TTokenLines& l = FLines;
    if (l.FOpenPending) {
      if (FOpenShort) {
        l.FOpenPending = false;
        l.FOpenLine.push_back('>');
        // A child follows: nothing is appended to the element's line.
        TagNode(l.FOpen.size() - 1, l.FOpenLine, l.FOpenSpan);
      } else {
        l.EmitPendingOpen();
      }
    }
    l.FlushText();
    l.FOpen.back().HasChildren = true;
  }

  // TTokenLines::EmitTag and TOutlineRewrite::TagLine for a line Plain took, whose node no line
  // after it joins (an empty tag, or an element whose child follows).
  void TagNode(size_t writerLevel, std::string_view text, const TSourceSpan& span) {
    TOutlineRewrite& r = FRewrite;
    if (FLines.FSpans) {
      r.FSpans = true;
      r.FLineSpan = span;
    }
    ++r.FLines;
    const int level = static_cast<int>(writerLevel);
    if (r.FHasPending) r.SettlePendingAsNode();
    r.FTrail.Pass();
    if (r.FDeclaration && level <= kTopWriterLevel) r.FDeclaration = false;
    r.FPrevLevel = level;
    r.FPrevOpened = true;
    FOut.AddWhole(r.LevelOf(level), text, r.FSpans ? &r.FLineSpan : nullptr);
    if (r.FSpans) r.FLastSpan = r.FLineSpan;
    r.FTrail.Node();
    ++r.FNodes;
  }

  // TTokenLines::Token for a start tag.
  bool Open(std::string_view t) {
    if (!Plain(t) || !Written(t)) return false;
    TTokenLines& l = FLines;
    PrepareForChild();
    l.FOpenLine.clear();
    const std::string_view name =
        FPlain ? FTag.AppendTo(l.FOpenLine, t) : AppendTagLine(l.FOpenLine, t);
    const size_t begin = l.FNames.size();
    l.FNames.append(name.substr(0, name.find('>')));
    l.FOpen.push_back(TTokenLines::TOpen{begin, false, false});
    l.FOpenPending = true;
    if (l.FSpans) l.FOpenSpan = l.FTokenSpan;
    FOpenShort = true;
    return true;
  }

  // TTokenLines::Token for an empty tag.
  bool Empty(std::string_view t) {
    if (!Plain(t) || !Written(t)) return false;
    TTokenLines& l = FLines;
    PrepareForChild();
    l.FLine.clear();
    if (FPlain)
      FTag.AppendTo(l.FLine, t);
    else
      AppendTagLine(l.FLine, t);
    l.FLine.append(" />");
    TagNode(l.ContentLevel(), l.FLine, l.FTokenSpan);
    return true;
  }

  // TTokenLines::Close by a closing tag, for an element with one text, with children, or empty.
  bool Close(std::string_view closing) {
    TTokenLines& l = FLines;
    TOutlineRewrite& r = FRewrite;
    if (l.FAfterIgnoredClose || l.FOpen.size() == 1 || l.FOpen.size() >= kDeepest) return false;
    const TTokenLines::TOpen& e = l.FOpen.back();
    if (e.Declaration) return false;
    const bool oneText = !e.HasChildren && l.FOpenPending && FOpenShort && l.FHasText &&
                         l.FTextIsValue && !l.FText.empty() && l.FTextKind != kValueCData &&
                         l.FTextKind != kValueRun;
    const bool empty = !e.HasChildren && l.FOpenPending && FOpenShort && !l.FHasText;
    const bool parent = e.HasChildren && !l.FOpenPending && !l.FHasText && !r.FHasPending;
    if (!(oneText || empty || parent)) return false;
    const std::string_view name = std::string_view(l.FNames).substr(e.NameBegin);
    TSourceSpan closeSpan = l.FTokenSpan;
    if (l.FSpans) closeSpan.Exact = closeSpan.Exact && closing == name;
    const size_t writerLevel = l.FOpen.size() - 1;
    const int level = static_cast<int>(writerLevel);
    if (oneText) {
      // TOutlineRewrite::ElementLine: the tag's line, its text and its closing line are one node.
      l.FHasText = false;
      l.FOpenPending = false;
      std::string& whole = l.FOpenLine;
      whole.push_back('>');
      whole.append(l.FText).append("</").append(name).push_back('>');
      if (l.FSpans) {
        r.FSpans = true;
        r.FLineSpan = l.FOpenSpan;
      }
      r.FLines += 3;
      if (r.FHasPending) r.SettlePendingAsNode();
      r.FTrail.Pass();
      if (r.FDeclaration && level <= kTopWriterLevel) r.FDeclaration = false;
      const TSourceSpan span = r.FLineSpan.Through(l.FTextSpan).Through(closeSpan);
      FOut.AddWhole(r.LevelOf(level), whole, l.FSpans ? &span : nullptr);
      if (r.FSpans) r.FLastSpan = r.FLineSpan;
      r.FTrail.Node();
      ++r.FNodes;
      r.FTrail.Pass();
      if (l.FSpans) r.FLineSpan = closeSpan;
      r.FTrail.Drop();
      r.FTrail.Drop();
      r.FPrevLevel = level;
      r.FPrevOpened = false;
    } else if (empty) {
      l.FOpenPending = false;
      l.FOpenLine.append(" />");
      TagNode(writerLevel, l.FOpenLine, l.FOpenSpan.Through(closeSpan));
    } else {
      // Its closing line: TOutlineRewrite::Line with nothing waiting.
      if (l.FSpans) {
        r.FSpans = true;
        r.FLineSpan = closeSpan;
      }
      ++r.FLines;
      r.FTrail.Pass();
      if (r.FDeclaration && level <= kTopWriterLevel) r.FDeclaration = false;
      if (r.FSpans) FOut.CloseSpan(r.LevelOf(level), r.FLineSpan);
      r.FTrail.Drop();
      r.FPrevLevel = level;
      r.FPrevOpened = false;
    }
    l.FNames.resize(e.NameBegin);
    l.FOpen.pop_back();
    return true;
  }

  Sink& FOut;
  // The waiting opening line (TTokenLines::FOpenPending) was made here: Plain took its tag.
  bool FOpenShort = false;
  TPlainTag FTag;
  bool FPlain = false;  // the last tag Written read is one FTag holds
};

}  // namespace zel
