#pragma once
// The rewrite of the document's indented text into outline lines: one node per markup line,
// an element's text joined to its line, closing tags dropped, one outline level per level of
// the writer. Lines arrive one at a time with their level as a number, so the indented text
// never has to exist as a whole and no line costs time for its depth.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "treedoc/OutlineLines.h"
#include "treedoc/Progress.h"

namespace zel {

class TXMLOutlineTransform {
 public:
  // lineCount: the number of lines that will be pushed (the indented text without its first
  // line). Progress is reported at the start of each pass against the current, shrinking count.
  // wholeNodes: every line is a whole node (WalkXMLLines with wholeNodes); otherwise the lines
  // of a section split at its line breaks are joined again up to the section's end.
  TXMLOutlineTransform(size_t lineCount, TOutlineLines& out, TProgressCallback progress,
                       TCancelCheck cancelled, bool wholeNodes = false);

  // Feeds the next line: its level in the writer's indentation and the text after it. Any
  // sequence of lines is taken. Returns false once a cancel has stopped the rewrite; later
  // lines are ignored.
  bool Push(size_t level, std::string_view text);
  // Ends the input: settles a text line still waiting for the line after it.
  void Finish();
  bool Stopped() const { return FStopped; }

 private:
  static constexpr int kNoLine = -1;

  void BeginPass();
  void EndPass();
  void ProcessLine(std::string_view text, int level);
  void AddNode(int level, std::string_view text);
  void SettlePendingAsNode();
  int LevelOf(int writerLevel) const;

  TOutlineLines& FOut;
  TProgressCallback FProgress;
  TCancelCheck FCancelled;
  size_t FIndex = 0;
  size_t FCount;
  // Inside the element the parser made of the document's XML declaration: its content is
  // one level deeper in the writer's text than in the outline. The element ends at the first
  // line back at its own level (normally its closing line at the very end).
  bool FDeclaration = false;
  bool FStopped = false;
  int FPrevLevel = kNoLine;  // writer level of the previous line
  bool FPrevOpened = false;  // the previous line gave the last outline line

  // A text line waits for the next line: it joins its element's line only when it is the
  // element's whole content, that is, between the element's opening and closing lines.
  bool FHasPending = false;
  bool FPendingAfterOpening = false;
  std::string FPendingText;
  int FPendingLevel = 0;
  int FPendingOutlineLevel = 0;

  // A comment, CDATA section, instruction or run that goes on over further lines; for a run,
  // FSectionEnd is "]]>" and a later "<![CDATA[" opens the next of its sections.
  bool FWholeNodes;
  bool FInSection = false;
  bool FInRun = false;
  std::string_view FSectionEnd;
  std::string FScratch;
};

// Whether an outline text keeps its line breaks as marks (see xml/SectionMarks.h): a comment,
// CDATA section or processing instruction (not the XML declaration), a text run that holds a
// CDATA section, or an element kept as it was read because its whitespace is data.
bool IsMultiLineSectionText(std::string_view text);
// A section's outline text as it goes into the file: marks turned back into line breaks.
std::string SectionTextForFile(std::string_view text);

}  // namespace zel
