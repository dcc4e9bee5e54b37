#pragma once
// The rewrite of the document's indented text into outline lines: one node per markup line,
// an element's text joined to its line, closing tags dropped, one level per two spaces.
// Lines arrive one at a time, so the indented text never has to exist as a whole.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

struct TOutlineLine {
  int Level;
  std::string Text;
};

class TXMLOutlineTransform {
 public:
  using TProgress = std::function<void(uint16_t percent)>;
  using TCancelled = std::function<bool()>;

  // lineCount: the number of lines that will be pushed (the indented text without its first
  // line). Progress is reported at the start of each pass against the current, shrinking count.
  TXMLOutlineTransform(size_t lineCount, std::vector<TOutlineLine>& out, TProgress progress,
                       TCancelled cancelled);

  // Feeds the next line. Returns false once a cancel has stopped the rewrite; later lines are
  // ignored.
  bool Push(std::string_view line);
  // Ends the input: settles a text line still waiting for the line after it.
  void Finish();
  bool Stopped() const { return FStopped; }

 private:
  void BeginPass();
  void EndPass();
  void ProcessLine(std::string_view line, int spaces);
  void SettlePendingAsNode();
  int LevelOf(int spaces) const;

  std::vector<TOutlineLine>& FOut;
  TProgress FProgress;
  TCancelled FCancelled;
  size_t FIndex = 0;
  size_t FCount;
  bool FDeclaration = false;
  bool FStopped = false;
  int FPrevSpaces = -1;  // indentation of the previous line as the writer gave it

  // A text line waits for the next line: it joins its element's line only when it is the
  // element's whole content.
  bool FHasPending = false;
  std::string FPendingText;
  int FPendingSpaces = 0;
  int FPendingPrevSpaces = 0;

  // A comment or CDATA section that goes on over further lines.
  bool FInSection = false;
  std::string_view FSectionEnd;
};

// Line breaks inside a comment or CDATA node text are kept as these marks.
inline constexpr std::string_view kOutlineLineBreak = "\\n ";

bool IsMultiLineSectionText(std::string_view text);

// Rounds part * 100 / whole to the nearest integer, ties to even.
uint16_t PercentOf(size_t part, size_t whole);

}  // namespace zel
