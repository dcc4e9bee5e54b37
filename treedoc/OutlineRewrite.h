#pragma once
// The rewrite of the writer's lines (see xml/TokenLines.h) into outline nodes: one node per
// markup line, an element's text joined to its line, closing tags dropped, one outline level
// per level of the writer. Lines arrive one at a time with their level as a number.
//
// The percentages of the rewrite count lines against the number of lines still to come, a
// number known only once the last line has arrived: the rewrite records the steps that move
// them, and replays them once the count is known.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Progress.h"
#include "xml/TokenLines.h"

namespace zel {

class TOutlineNodeSink {
 public:
  virtual void AddNode(int level, std::string_view text) = 0;
  virtual void AppendToLast(std::string_view text) = 0;
  // Where the last node was read, once its text is whole (see TSourceSpan).
  virtual void NodeSpan(const TSourceSpan& /*span*/) {}
  // Where the closing tag of the last node at the level was read.
  virtual void CloseSpan(int /*level*/, const TSourceSpan& /*span*/) {}

 protected:
  ~TOutlineNodeSink() = default;
};

// The steps of a rewrite, two bits each: a node made, a line dropped, a percentage due. They
// are kept in chunks, so that a long load never holds two copies of them while they grow.
class TProgressTrail {
 public:
  void Node() { Add(kNode); }
  void Drop() { Add(kDrop); }
  void Pass() { Add(kPass); }
  // Calls report(percent) for every percentage due, in order, with lineCount lines in all;
  // stops when it returns false.
  template <typename Report>
  void Replay(size_t lineCount, Report&& report) const;

 private:
  static constexpr uint8_t kNode = 1, kDrop = 2, kPass = 3;
  static constexpr size_t kChunkSteps = size_t{1} << 16;
  void Add(uint8_t step) {
    const size_t at = FSteps % kChunkSteps;
    if (at == 0) {
      FChunks.push_back(std::make_unique_for_overwrite<uint8_t[]>(kChunkSteps / 4));
      FLast = FChunks.back().get();
    }
    uint8_t& bits = FLast[at / 4];
    bits = static_cast<uint8_t>((at % 4 == 0 ? 0 : bits) | step << (2 * (at % 4)));
    ++FSteps;
  }
  uint8_t Step(size_t i) const {
    return (FChunks[i / kChunkSteps][i % kChunkSteps / 4] >> (2 * (i % 4))) & 3;
  }
  std::vector<std::unique_ptr<uint8_t[]>> FChunks;
  uint8_t* FLast = nullptr;
  size_t FSteps = 0;
};

template <typename Sink>
class TOutlineWalk;

class TOutlineRewrite final : public TXmlLineSink {
 public:
  explicit TOutlineRewrite(TOutlineNodeSink& out) : FOut(out) {}
  void Line(size_t level, std::string_view text) override;
  // Gives what Line gives for such a line, without looking for what it cannot hold: blanks at
  // its ends, a closing tag, the XML declaration, an open value.
  void TagLine(size_t level, std::string_view text) override;
  // And for a text line: it waits for the next line without a look for a section in it.
  void TextLine(size_t level, std::string_view text) override;
  // The element's node made at once, as its three lines make it.
  void ElementLine(size_t level, std::string_view tag, std::string_view text,
                   std::string_view close, const TSourceSpan* spans) override;
  void LineSpan(const TSourceSpan& span) override {
    FSpans = true;
    FLineSpan = span;
  }
  // Ends the input: settles a text line still waiting for the line after it.
  void Finish();
  size_t LineCount() const { return FLines; }
  size_t NodeCount() const { return FNodes; }
  const TProgressTrail& Trail() const { return FTrail; }

 private:
  // Takes the common tokens by the same steps, with its state.
  template <typename Sink>
  friend class TOutlineWalk;
  void ProcessLine(std::string_view text, int level);
  // The node of a section's line (a comment, CDATA, an instruction, an element kept as read).
  void SectionNode(std::string_view text, int level);
  static int ClampedLevel(size_t writerLevel);
  void AddNode(int level, std::string_view text, const TSourceSpan& span);
  void SettlePendingAsNode();
  // The text line s waits for the line after it.
  void Pend(std::string_view s, int level);
  int LevelOf(int writerLevel) const;

  TOutlineNodeSink& FOut;
  TProgressTrail FTrail;
  size_t FLines = 0;
  size_t FNodes = 0;
  // Inside the element the parser made of the document's XML declaration: its content is
  // one level deeper in the writer's text than in the outline. The element ends at the first
  // line back at its own level (normally its closing line at the very end).
  bool FDeclaration = false;
  static constexpr int kNoLine = -1;
  int FPrevLevel = kNoLine;  // writer level of the previous line
  bool FPrevOpened = false;  // the previous line gave the last outline line

  // A text line waits for the next line: it joins its element's line only when it is the
  // element's whole content, that is, between the element's opening and closing lines.
  bool FHasPending = false;
  bool FPendingAfterOpening = false;
  std::string FPendingText;
  int FPendingLevel = 0;
  int FPendingOutlineLevel = 0;
  std::string FScratch;
  bool FSpans = false;  // lines come with their places, which go on to the nodes
  TSourceSpan FLineSpan, FLastSpan, FPendingSpan;
};

// PercentOf without floating point, for the millions a replay gives: the same value (to
// nearest, ties to even), the quotient being exact where both counts are below 2^40.
inline uint16_t TrailPercent(size_t part, size_t whole) {
  constexpr size_t kExact = size_t{1} << 40;
  if (whole == 0 || part >= kExact || whole >= kExact) return PercentOf(part, whole);
  const size_t scaled = part * 100, q = scaled / whole, twice = 2 * (scaled - q * whole);
  return static_cast<uint16_t>(q + (twice > whole || (twice == whole && q % 2 == 1)));
}

template <typename Report>
void TProgressTrail::Replay(size_t lineCount, Report&& report) const {
  // TrailPercent(nodes, left) kept as nodes * 100 = q * left + r, 0 <= r < left: a node adds
  // 100 to r, a drop q; both only raise q, so a division is due only when q moves. Past the
  // counts TrailPercent takes exactly, or with no line left, each step asks it.
  constexpr size_t kExact = size_t{1} << 40;
  size_t nodes = 0, left = lineCount, q = 0, r = 0;
  bool counted = left > 0 && left < kExact && FSteps < kExact;
  for (size_t i = 0; i < FSteps; ++i) {
    switch (Step(i)) {
      case kNode:
        ++nodes;
        r += 100;
        break;
      case kDrop:
        --left;
        r += q;
        if (left == 0) counted = false;
        break;
      default:
        if (!counted) {
          if (!report(TrailPercent(nodes, left))) return;
          continue;
        }
        if (r >= left) {
          q += r / left;
          r %= left;
        }
        const size_t twice = 2 * r;
        if (!report(static_cast<uint16_t>(q + (twice > left || (twice == left && q % 2 == 1)))))
          return;
    }
  }
}

}  // namespace zel
