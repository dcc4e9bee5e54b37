#pragma once
// The lines the indented writer gives for a document, every node whole on one line (see
// WalkXMLLines), made straight from the reader's tokens as they come: no document tree is
// built. Only the innermost open element and its last text wait for what follows them: the
// element's empty form and texts that join are known only then.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xml/XmlToken.h"

namespace zel {

template <typename Sink>
class TOutlineWalk;

// "<name attributes" as the writer gives an element read from the tag text t (see
// ReadTagAttributes), appended to out. Returns the name.
std::string_view AppendTagLine(std::string& out, std::string_view t);

class TXmlLineSink {
 public:
  // level: the writer's indentation (the document's own children at 1); text: the line after it.
  virtual void Line(size_t level, std::string_view text) = 0;
  // An element's start or empty tag, as Line: '<', a name that does not start with '?', '!' or
  // '/', its attributes, '>' or " />"; every value closes (the reader closes an open one). A
  // sink may skip what it would find out about such a line.
  virtual void TagLine(size_t level, std::string_view text) { Line(level, text); }
  // A plain text, as Line: neither blanks at its ends nor a '<' (the reader drops every '<'
  // that starts no markup), not empty.
  virtual void TextLine(size_t level, std::string_view text) { Line(level, text); }
  // Where the next line was read (TTokenLines::SetSpan): its tokens, from the first to the
  // last; unknown for the lines no token ends.
  virtual void LineSpan(const TSourceSpan& /*span*/) {}
  // An element whose whole content is one plain text: its tag line (as TagLine), the text (as
  // TextLine, one level deeper) and its closing line, in one call; spans: the three lines'
  // places, or null when places are not given. A sink may make the element's node at once.
  virtual void ElementLine(size_t level, std::string_view tag, std::string_view text,
                           std::string_view close, const TSourceSpan* spans) {
    if (spans) LineSpan(spans[0]);
    TagLine(level, tag);
    if (spans) LineSpan(spans[1]);
    TextLine(level + 1, text);
    if (spans) LineSpan(spans[2]);
    Line(level, close);
  }

 protected:
  ~TXmlLineSink() = default;
};

class TTokenLines {
 public:
  explicit TTokenLines(TXmlLineSink& sink);
  void Token(TXmlToken kind, std::string_view text);
  // Where the next token was read, for the sink's LineSpan.
  void SetSpan(const TSourceSpan& span) {
    FSpans = true;
    FTokenSpan = span;
  }
  // Closes what is still open. The document's own opening line is never given; its closing
  // line is, when it holds any node.
  void Finish();
  // Whether the document holds a node, that is, whether the writer writes anything.
  bool HasNodes() const { return FOpen.front().HasChildren; }

 private:
  // Takes the common tokens by the same steps, with its state.
  template <typename Sink>
  friend class TOutlineWalk;
  // Eight bytes each: a document millions of elements deep keeps them all. The innermost's
  // name is the last in FNames, so only its start is kept.
  struct TOpen {
    uint64_t NameBegin : 62;
    uint64_t HasChildren : 1;
    uint64_t Declaration : 1;  // "?xml": no closing tag ends it
  };
  static_assert(sizeof(TOpen) == 8);
  size_t ContentLevel() const { return FOpen.size(); }
  void Emit(size_t level, std::string_view text, const TSourceSpan& span) {
    if (FSpans) FSink.LineSpan(span);
    FSink.Line(level, text);
  }
  // Whether a line of an element's start or empty tag is one TagLine takes.
  static bool IsTagLine(std::string_view text);
  // A line of an element's start or empty tag, name at text[1].
  void EmitTag(size_t level, std::string_view text, const TSourceSpan& span);
  void EmitPendingOpen();
  // Whether a text or run joins the waiting text or run: nothing but an ignored closing tag
  // stood between them and both touch it with text. A save writes no tag there, so the two
  // read back as one run.
  bool JoinsRun(uint8_t kind, std::string_view text) const;
  void FlushText();
  void PrepareForChild();
  void AddText(std::string_view text, uint8_t kind, bool joinToLastText);
  // byToken: the closing tag `closing` closes it, not the end of the text.
  void Close(bool byToken, std::string_view closing);

  TXmlLineSink& FSink;
  std::vector<TOpen> FOpen;  // the document, then the open elements
  std::string FNames;        // their names, one after another
  // The innermost element's opening line waits until it is known to hold anything.
  bool FOpenPending = false;
  std::string FOpenLine;
  // The current element's last text (or its value) waits for a text that joins it.
  bool FHasText = false;
  bool FTextIsValue = false;
  uint8_t FTextKind = 0;
  bool FRunEndsWithText = false;  // of the waiting run
  std::string FText;
  bool FAfterIgnoredClose = false;
  std::string FLine;
  bool FSpans = false;  // places are given: the sink hears of them
  TSourceSpan FTokenSpan, FOpenSpan, FTextSpan;
};

}  // namespace zel
