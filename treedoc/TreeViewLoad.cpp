#include "base/StringList.h"
#include "treedoc/TreeView.h"

namespace zel {

void TTreeView::LoadFromStream(TStream& stream) {
  BeginUpdate();
  try {
    Clear();
    // Lines are handed over as views into the text, without a line list of copies.
    const std::string text = stream.ReadRest();
    TOutlineBuilder builder(*this);
    SplitLines(text, [&builder](std::string_view line) { builder.AddLine(line); });
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

}  // namespace zel
