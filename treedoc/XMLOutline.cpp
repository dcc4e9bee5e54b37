#include "treedoc/XMLOutline.h"

#include "base/StrUtils.h"
#include "xml/MorXMLTree.h"
#include "xml/SectionMarks.h"

namespace zel {

namespace {

// The level of the document's own children in the writer's text.
constexpr int kTopWriterLevel = 1;

// The writer's line for the XML declaration's element: "<?xml" followed by its attributes,
// ">" or " />". A processing instruction kept as a leaf has another target (xml-stylesheet).
bool IsDeclarationLine(std::string_view s) {
  if (!StartsWith(s, "<?xml")) return false;
  if (s.size() == 5) return true;
  const char c = s[5];
  return c == ' ' || c == '>' || c == '?';
}

// Whether a tag line holds an attribute value whose quote does not close on it: a quote
// right after '=' (blanks between) opens a value, as the reader takes it.
bool HasOpenValue(std::string_view s) {
  char last = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if ((c == '"' || c == '\'') && last == '=') {
      const size_t q = s.find(c, i + 1);
      if (q == std::string_view::npos) return true;
      i = q;
      last = c;
    } else if (!IsBlank(c)) {
      last = c;
    }
  }
  return false;
}

// Whether a run's text ends inside one of its CDATA sections; inside: it starts in one.
bool RunEndsInSection(std::string_view s, bool inside) {
  size_t p = 0;
  while (true) {
    const std::string_view mark = inside ? "]]>" : "<![CDATA[";
    const size_t at = s.find(mark, p);
    if (at == std::string_view::npos) return inside;
    p = at + mark.size();
    inside = !inside;
  }
}

std::string_view TrimLeftView(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  return s.substr(b);
}

struct StringPut {
  std::string& Text;
  void Put(std::string_view s) { Text.append(s); }
};

}  // namespace

bool IsMultiLineSectionText(std::string_view text) {
  if (StartsWith(text, "<!--") || StartsWith(text, "<![CDATA[")) return true;
  if (StartsWith(text, "<?")) return !IsDeclarationLine(text);
  // A text run that holds a CDATA section (a text the reader gives has no '<' of its own)
  if (!StartsWith(text, "<")) return text.find("<![CDATA[") != std::string_view::npos;
  // An element kept as it was read, whose whitespace is data (the test may look beyond its
  // start tag: the load and the save take it the same way).
  return text.size() > 1 && text[1] != '/' && text[1] != '!' &&
         DeclaresSpacePreserve(text.substr(1));
}

std::string SectionTextForFile(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  StringPut put{out};
  Unmarked(put, text, TSectionMarks::smBreaks);
  return out;
}

TXMLOutlineTransform::TXMLOutlineTransform(size_t lineCount, TOutlineLines& out,
                                           TProgressCallback progress, TCancelCheck cancelled,
                                           bool wholeNodes)
    : FOut(out),
      FProgress(std::move(progress)),
      FCancelled(std::move(cancelled)),
      FCount(lineCount),
      FWholeNodes(wholeNodes) {}

void TXMLOutlineTransform::BeginPass() {
  if (FProgress) FProgress(PercentOf(FIndex, FCount));
}

void TXMLOutlineTransform::EndPass() {
  if (FCancelled && FCancelled()) FStopped = true;
}

int TXMLOutlineTransform::LevelOf(int writerLevel) const {
  const int d = writerLevel - (FDeclaration ? 1 : 0);
  return d > 0 ? d : 0;
}

void TXMLOutlineTransform::AddNode(int level, std::string_view text) {
  FOut.Add(level, text);
  ++FIndex;
}

void TXMLOutlineTransform::SettlePendingAsNode() {
  FHasPending = false;
  AddNode(FPendingOutlineLevel, FPendingText);
  FPrevLevel = FPendingLevel;
  FPrevOpened = false;
  EndPass();
}

bool TXMLOutlineTransform::Push(size_t writerLevel, std::string_view text) {
  if (FStopped) return false;
  // Deeper than any outline can be: taken as the deepest level an int holds.
  const int level = writerLevel > static_cast<size_t>(INT32_MAX - 1)
                        ? INT32_MAX - 1
                        : static_cast<int>(writerLevel);
  if (FInSection) {
    // Later lines of a section stand as the writer gave them: every character is content.
    std::string line(2 * static_cast<size_t>(level), ' ');
    line.append(text);
    const bool ends =
        FInRun ? !RunEndsInSection(line, true) : line.find(FSectionEnd) != std::string::npos;
    FScratch.assign(kLineBreakMark);
    AppendMarked(FScratch, line, TSectionMarks::smBreaks, !ends);
    FOut.AppendToLast(FScratch);
    --FCount;
    if (ends) {
      FInSection = false;
      EndPass();
    }
    return !FStopped;
  }
  if (FHasPending) {
    const std::string_view next = TrimView(text);
    if (FPendingAfterOpening && level == FPendingLevel - 1 && StartsWith(next, "</")) {
      // The text is its element's whole content: opening tag, text and closing tag on one line.
      FHasPending = false;
      FOut.AppendToLast(FPendingText);
      FOut.AppendToLast(next);
      FCount -= 2;
      FPrevLevel = level;
      FPrevOpened = false;
      EndPass();
      return !FStopped;
    }
    SettlePendingAsNode();
    if (FStopped) return false;
  }
  ProcessLine(text, level);
  return !FStopped;
}

void TXMLOutlineTransform::ProcessLine(std::string_view text, int level) {
  BeginPass();
  if (FDeclaration && level <= kTopWriterLevel) FDeclaration = false;
  std::string_view s = TrimView(text);
  if (s.empty() || (s[0] != '<' && !IsMultiLineSectionText(s))) {
    FHasPending = true;
    FPendingText.assign(s);  // reuses its buffer: the line's view lives only for this call
    FPendingLevel = level;
    FPendingOutlineLevel = LevelOf(level);
    FPendingAfterOpening = FPrevOpened && FPrevLevel == level - 1 && !FOut.Empty();
    return;
  }
  if (StartsWith(s, "</")) {
    --FCount;
    FPrevLevel = level;
    FPrevOpened = false;
    EndPass();
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
    std::string line(head);
    line.push_back(' ');
    line.push_back(s[1]);
    line.push_back('>');
    FDeclaration = true;
    FPrevOpened = false;  // what it holds stands beside it, a text too
    AddNode(kTopWriterLevel, line);
    EndPass();
    return;
  }
  if (!IsMultiLineSectionText(s)) {
    // A text joined to a tag with an open quote would close the quote once saved.
    if (HasOpenValue(s)) FPrevOpened = false;
    AddNode(LevelOf(level), s);
    EndPass();
    return;
  }
  // A section keeps its blanks: only the writer's indentation goes. The load hands each
  // node whole; lines split at a section's breaks are joined up to the section's end.
  FPrevOpened = false;
  s = TrimLeftView(text);
  FInRun = false;
  if (FWholeNodes) {
    FInSection = false;
  } else if (StartsWith(s, "<!--")) {
    FSectionEnd = "-->";
    FInSection = s.find(FSectionEnd, 4) == std::string_view::npos;
  } else if (StartsWith(s, "<?")) {
    FSectionEnd = "?>";
    FInSection = s.find(FSectionEnd, 2) == std::string_view::npos;
  } else {
    FInRun = true;  // a CDATA section or a run (an element kept whole is not split)
    FInSection = RunEndsInSection(s, false);
  }
  FScratch.clear();
  AppendMarked(FScratch, s, TSectionMarks::smBreaks, FInSection);
  AddNode(LevelOf(level), FScratch);
  if (!FInSection) EndPass();
}

void TXMLOutlineTransform::Finish() {
  if (FStopped) return;
  if (FHasPending) SettlePendingAsNode();
  if (FInSection) {
    FInSection = false;
    EndPass();
  }
}

}  // namespace zel
