#pragma once
// A document's outline through the load's line maker and rewrite, written out as one string:
// every node with its level, text and place, the closing tags' places, the counts and the
// percentages. With tagLines false, the rewrite hears every line through Line alone (no
// TagLine, no TextLine) and so looks at each one whole: the two must give the same string.

#include <string>
#include <string_view>

#include "treedoc/OutlineRewrite.h"
#include "xml/MorXMLTree.h"
#include "xml/TokenLines.h"
#include "xml/XmlToken.h"

namespace zeltest {

inline std::string OutlineByRoute(std::string_view text, bool tagLines) {
  using namespace zel;
  struct TOut final : TOutlineNodeSink {
    std::string S;
    static std::string Of(const TSourceSpan& s) {
      if (!s.Known()) return " @-";
      return " @" + std::to_string(s.Begin) + "-" + std::to_string(s.End) + (s.Exact ? "x" : "") +
             (s.Lead == TSourceSpan::kNone ? "" : "/" + std::to_string(s.Lead));
    }
    void AddNode(int level, std::string_view t) override {
      S.append("\n").append(std::to_string(level)).append(" ").append(t);
    }
    void AppendToLast(std::string_view t) override { S.append("+").append(t); }
    void NodeSpan(const TSourceSpan& span) override { S.append(Of(span)); }
    void CloseSpan(int level, const TSourceSpan& span) override {
      S.append("\nclose ").append(std::to_string(level)).append(Of(span));
    }
  } out;
  // Hands on the lines only through Line: TagLine and TextLine stay the sink's defaults.
  struct TLinesOnly final : TXmlLineSink {
    TOutlineRewrite& To;
    explicit TLinesOnly(TOutlineRewrite& to) : To(to) {}
    void Line(size_t level, std::string_view t) override { To.Line(level, t); }
    void LineSpan(const TSourceSpan& span) override { To.LineSpan(span); }
  };
  TOutlineRewrite rewrite(out);
  TLinesOnly linesOnly(rewrite);
  TTokenLines lines(tagLines ? static_cast<TXmlLineSink&>(rewrite) : linesOnly);
  TSourceSpan span;
  TXmlTokenSinkOf sink([&](TXmlToken kind, std::string_view s) {
    // What the short ways rely on: the reader leaves no value of a tag open.
    if (tagLines && (kind == TXmlToken::OpenTag || kind == TXmlToken::EmptyTag) &&
        OpenValueQuote(s) != 0)
      out.S.append("\nan open value in the tag ").append(s);
    lines.SetSpan(span);
    lines.Token(kind, s);
  });
  ReadXmlTokens(text, sink, span);
  lines.Finish();
  rewrite.Finish();
  out.S.append("\nlines ").append(std::to_string(rewrite.LineCount()));
  out.S.append(" nodes ").append(std::to_string(rewrite.NodeCount())).append(" %");
  rewrite.Trail().Replay(rewrite.LineCount(), [&](uint16_t percent) {
    out.S.append(" ").append(std::to_string(percent));
    return true;
  });
  return out.S;
}

}  // namespace zeltest
