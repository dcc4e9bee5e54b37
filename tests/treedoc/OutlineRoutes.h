#pragma once
// A document's outline through the load's line maker and rewrite, written out as one string:
// every node with its level, text and place, the closing tags' places, the counts and the
// percentages. With tagLines false, the rewrite hears every line through Line alone (no
// TagLine, no TextLine) and so looks at each one whole: the two must give the same string.
// OutlineByWalk gives the outline as the load stages it (each node whole, with its last place)
// through the walk or through the line maker and the rewrite: the two must give the same too.

#include <string>
#include <string_view>

#include "treedoc/OutlineRewrite.h"
#include "treedoc/OutlineWalk.h"
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

// The nodes as the load's staging takes them: a node's text is whole once the next node or
// closing place comes, its place the last one given.
struct TWholeNodes final : zel::TOutlineNodeSink {
  std::string S;
  bool Open = false, Whole = false, Placed = false;
  int Level = 0;
  std::string Text;
  zel::TSourceSpan Span;
  static std::string Of(const zel::TSourceSpan& s) {
    if (!s.Known()) return " @-";
    return " @" + std::to_string(s.Begin) + "-" + std::to_string(s.End) + (s.Exact ? "x" : "") +
           (s.Lead == zel::TSourceSpan::kNone ? "" : "/" + std::to_string(s.Lead));
  }
  void Settle() {
    if (!Open) return;
    Open = false;
    S.append("\n").append(std::to_string(Level)).append(" ").append(Text);
    if (Placed) S.append(Of(Span));
  }
  void AddNode(int level, std::string_view t) override {
    Settle();
    Open = true;
    Whole = Placed = false;
    Level = level;
    Text.assign(t);
  }
  void AppendToLast(std::string_view t) override {
    if (Whole) S.append("\nappended to a whole node: ").append(t);
    Text.append(t);
  }
  void NodeSpan(const zel::TSourceSpan& span) override {
    Span = span;
    Placed = true;
  }
  void CloseSpan(int level, const zel::TSourceSpan& span) override {
    Settle();
    S.append("\nclose ").append(std::to_string(level)).append(Of(span));
  }
  void AddWhole(int level, std::string_view t, const zel::TSourceSpan* span) {
    AddNode(level, t);
    if (span) NodeSpan(*span);
    Whole = true;
  }
};

// The line maker and the rewrite, as the walk is asked.
using TLinesRoute = zel::TLineRoute;

// Ends the route's input and appends what it made to out's string.
template <typename Route>
std::string& Settled(Route& route, TWholeNodes& out) {
  route.Finish();
  out.Settle();
  out.S.append("\nlines ").append(std::to_string(route.LineCount()));
  out.S.append(" nodes ").append(std::to_string(route.NodeCount()));
  out.S.append(route.HasNodes() ? " some" : " none").append(" %");
  route.Trail().Replay(route.LineCount(), [&](uint16_t percent) {
    out.S.append(" ").append(std::to_string(percent));
    return true;
  });
  return out.S;
}

// Calls f with the walk (walk) or the line maker and the rewrite, both into out.
template <typename F>
void WithRoute(bool walk, TWholeNodes& out, F&& f) {
  if (walk) {
    zel::TOutlineWalk<TWholeNodes> route(out);
    f(route);
  } else {
    TLinesRoute route(out);
    f(route);
  }
}

// places: the tokens' places are given.
inline std::string OutlineByWalk(std::string_view text, bool walk, bool places) {
  using namespace zel;
  TWholeNodes out;
  WithRoute(walk, out, [&](auto& route) {
    TSourceSpan span;
    TXmlTokenSinkOf sink([&](TXmlToken kind, std::string_view s) {
      if (places) route.SetSpan(span);
      route.Token(kind, s);
    });
    if (places)
      ReadXmlTokens(text, sink, span);
    else
      ReadXmlTokens(text, sink);
    Settled(route, out);
  });
  return out.S;
}

}  // namespace zeltest
