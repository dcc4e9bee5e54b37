#include "treedoc/XMLOutline.h"

#include <cmath>

#include "base/StrUtils.h"

namespace zel {

namespace {

int CountLeadingSpaces(std::string_view s) {
  int n = 0;
  while (static_cast<size_t>(n) < s.size() && s[static_cast<size_t>(n)] == ' ') ++n;
  return n;
}

// The writer's line for the XML declaration's element: "<?xml" followed by its attributes,
// ">" or " />". A processing instruction kept as a leaf has another target (xml-stylesheet).
bool IsDeclarationLine(std::string_view s) {
  if (!StartsWith(s, "<?xml")) return false;
  if (s.size() == 5) return true;
  const char c = s[5];
  return c == ' ' || c == '>' || c == '?' || c == '/';
}

}  // namespace

uint16_t PercentOf(size_t part, size_t whole) {
  if (whole == 0) return 0;
  // nearbyint rounds in the current mode, which is to nearest with ties to even.
  return static_cast<uint16_t>(
      std::nearbyint(static_cast<double>(part) * 100.0 / static_cast<double>(whole)));
}

bool IsMultiLineSectionText(std::string_view text) {
  return StartsWith(text, "<!--") || StartsWith(text, "<![CDATA[");
}

TXMLOutlineTransform::TXMLOutlineTransform(size_t lineCount, std::vector<TOutlineLine>& out,
                                           TProgress progress, TCancelled cancelled)
    : FOut(out),
      FProgress(std::move(progress)),
      FCancelled(std::move(cancelled)),
      FCount(lineCount) {
  // Reserving only claims address space; pages are touched as lines arrive.
  FOut.reserve(FOut.size() + lineCount);
}

void TXMLOutlineTransform::BeginPass() {
  if (FProgress) FProgress(PercentOf(FIndex, FCount));
}

void TXMLOutlineTransform::EndPass() {
  if (FCancelled && FCancelled()) FStopped = true;
}

int TXMLOutlineTransform::LevelOf(int spaces) const {
  const int d = spaces / 2 - (FDeclaration ? 1 : 0);
  return d > 0 ? d : 0;
}

void TXMLOutlineTransform::SettlePendingAsNode() {
  FHasPending = false;
  FOut.push_back({LevelOf(FPendingSpaces), FPendingText});
  ++FIndex;
  FPrevSpaces = FPendingSpaces;
  EndPass();
}

bool TXMLOutlineTransform::Push(std::string_view line) {
  if (FStopped) return false;
  if (FInSection) {
    // Later lines of a section stand as the writer gave them, unindented and untrimmed.
    std::string& text = FOut.back().Text;
    text.append(kOutlineLineBreak);
    text.append(line);
    --FCount;
    if (line.find(FSectionEnd) != std::string_view::npos) {
      FInSection = false;
      EndPass();
    }
    return !FStopped;
  }
  const int spaces = CountLeadingSpaces(line);
  if (FHasPending) {
    const std::string_view next = TrimView(line);
    if (FPendingPrevSpaces == FPendingSpaces - 2 && spaces == FPendingSpaces - 2 &&
        StartsWith(next, "</")) {
      // The text is its element's whole content: opening tag, text and closing tag on one line.
      FHasPending = false;
      std::string& text = FOut.back().Text;
      text.append(FPendingText);
      text.append(next);
      FCount -= 2;
      FPrevSpaces = spaces;
      EndPass();
      return !FStopped;
    }
    SettlePendingAsNode();
    if (FStopped) return false;
  }
  ProcessLine(line, spaces);
  return !FStopped;
}

void TXMLOutlineTransform::ProcessLine(std::string_view line, int spaces) {
  BeginPass();
  const std::string_view s = TrimView(line);
  if (StartsWith(s, "</")) {
    --FCount;
    FPrevSpaces = spaces;
    EndPass();
    return;
  }
  if (!s.empty() && s[0] == '<') {
    if (IsDeclarationLine(s)) {
      // "<?xml version="1.0">" becomes "<?xml version="1.0" ?>", always at the first level.
      std::string text(s.substr(0, s.size() - 1));
      text.push_back(' ');
      text.push_back(s[1]);
      text.push_back('>');
      FDeclaration = true;
      FOut.push_back({LevelOf(4), std::move(text)});
    } else {
      FOut.push_back({LevelOf(spaces), std::string(s)});
    }
    ++FIndex;
    FPrevSpaces = spaces;
    const std::string& text = FOut.back().Text;
    if (StartsWith(text, "<![CDATA[") && text.find("]]>") == std::string::npos) {
      FInSection = true;
      FSectionEnd = "]]>";
      return;
    }
    if (StartsWith(text, "<!--") && text.find("-->", 4) == std::string::npos) {
      FInSection = true;
      FSectionEnd = "-->";
      return;
    }
    EndPass();
    return;
  }
  FHasPending = true;
  FPendingText.assign(s);  // reuses its buffer: the line's view lives only for this call
  FPendingSpaces = spaces;
  FPendingPrevSpaces = FPrevSpaces;
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
