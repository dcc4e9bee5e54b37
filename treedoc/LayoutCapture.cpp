#include "treedoc/LayoutCapture.h"

#include <algorithm>

#include "outline/TreeView.h"

namespace zel {

size_t TLayoutCapture::RawOffset(size_t inText) {
  const std::string_view raw = FLayout.Bytes;
  if (!FStarted) {  // the text starts after a byte-order mark, which the save writes first
    FStarted = true;
    FRaw = FLastEnd = FLayout.TextStart();
    FTrimmed.Bytes = raw.substr(FRaw);
    FTrimmed.Swap = FLayout.Swap;
  }
  if (!FTrimmed.Text.empty()) {  // checked whole at load: the walk cannot fail
    FTrimmed.To(inText);
    return FLayout.TextStart() + FTrimmed.InBytes;
  }
  while (FText < inText && FRaw < raw.size()) {
    // Each kind of break is searched for again only once passed: linear in the bytes.
    if (!FBreakKnown || FNextCr < FRaw) FNextCr = std::min(raw.find('\r', FRaw), raw.size());
    if (!FBreakKnown || FNextLf < FRaw) FNextLf = std::min(raw.find('\n', FRaw), raw.size());
    FBreakKnown = true;
    const size_t plain = std::min(FNextCr, FNextLf) - FRaw;
    if (inText - FText <= plain) {
      FRaw += inText - FText;
      FText = inText;
      break;
    }
    FRaw += plain;
    FText += plain;
    if (FRaw == raw.size()) break;
    // Every line end is CR LF in the text, whatever it is in the file.
    FRaw += raw.compare(FRaw, 2, "\r\n") == 0 ? 2 : 1;
    FText += 2;
  }
  return FRaw;
}

}  // namespace zel
