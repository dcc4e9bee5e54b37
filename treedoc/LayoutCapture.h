#pragma once
// Fills a TSourceLayout during a load: takes the places the tokenizer gives in the load's
// text back to the bytes of the file (where the load made an 8-bit file's line ends CR LF, or
// trimmed a Unicode file's lines), and makes each staged node's record, in document order.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "treedoc/SourceLayout.h"
#include "treedoc/TrimmedWalk.h"
#include "xml/XmlToken.h"

namespace zel {

class TLayoutCapture {
 public:
  // The layout's Bytes and Spans are set.
  explicit TLayoutCapture(TSourceLayout& layout) : FLayout(layout) {}
  // The place in the file of a token at `inText` of the load's text, with the blanks before
  // it; places are asked for in document order. Unknown when the layout has no spans.
  // Inline: it is asked for every token, and a span returned from a call is read back
  // through memory.
  TSourceSpan Place(const TSourceSpan& inText) {
    // The walk goes forward only: a place before the last one's end is not known.
    if (!FLayout.Spans || !inText.Known() || inText.Begin < FTextEnd || inText.End < inText.Begin)
      return {};
    FTextEnd = inText.End;
    TSourceSpan raw = inText;
    if (FAsRead) {
      raw.Begin = std::min(inText.Begin, FSize);
      raw.End = std::max(raw.Begin, std::min(inText.End, FSize));
    } else {
      raw.Begin = RawOffset(inText.Begin);
      raw.End = std::max(raw.Begin, RawOffset(inText.End));
    }
    raw.Lead = std::min(FLastEnd, raw.Begin);
    FLastEnd = std::max(FLastEnd, raw.End);
    return raw;
  }
  // The load's text, where the file was read as Unicode text is (UTF-8 with a byte-order
  // mark, or a decoded file whose characters the layout keeps): its lines were trimmed, so
  // the walk to the bytes looks at both. It outlives the places asked for.
  void SetTrimmedText(std::string_view text) { FTrimmed.Text = text; }
  // The places asked for are the bytes' own already (the load read the line ends as they
  // are); those past size, in a line end added after the bytes, are at their end.
  void SetPlacesAsRead(size_t size) {
    FAsRead = true;
    FSize = size;
  }
  // The record of a staged node at level (the root at 0).
  void Node(const TTreeNode* node, int level, std::string_view text, const TSourceSpan& span) {
    const size_t index = FLayout.Count();
    const auto at = static_cast<size_t>(std::max(level, 0));
    const bool child = at > 0 && at <= FAtLevel.size();
    FLayout.Add(node, child ? FAtLevel[at - 1] : TSourceLayout::kNoParent, text, span);
    if (child) FLayout.SetHadChildren(FAtLevel[at - 1]);
    FAtLevel.resize(at + 1);
    FAtLevel[at] = static_cast<uint32_t>(index);
  }
  // The closing tag of the last node at level.
  void Close(int level, const TSourceSpan& span) {
    const auto at = static_cast<size_t>(level);
    if (level >= 0 && at < FAtLevel.size()) FLayout.SetClose(FAtLevel[at], span);
  }
  void Finish() { FLayout.Finish(FLastEnd); }

 private:
  size_t RawOffset(size_t inText);

  TSourceLayout& FLayout;
  std::vector<uint32_t> FAtLevel;  // the record of the last node at each level
  // The walk from the text to the bytes: text offset FText is byte FRaw.
  size_t FText = 0, FRaw = 0;
  size_t FNextCr = 0, FNextLf = 0;  // the first of each at or after FRaw, or the size
  bool FBreakKnown = false;
  bool FStarted = false;
  TTrimmedWalk FTrimmed;
  bool FAsRead = false;
  size_t FSize = 0;
  size_t FLastEnd = 0;  // the end of the last token in the bytes
  size_t FTextEnd = 0;  // and in the text
};

}  // namespace zel
