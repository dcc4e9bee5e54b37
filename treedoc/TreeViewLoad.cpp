#include "base/StringList.h"
#include "base/UpdateGuard.h"
#include "treedoc/TreeView.h"

namespace zel {

void TTreeView::LoadFromStream(TStream& stream) {
  TUpdateGuard suspended(*this);
  Clear();
  // Lines are handed over as views into the text, without a line list of copies.
  const std::string text = stream.ReadRest();
  TOutlineBuilder builder(*this);
  SplitLines(text, [&builder](std::string_view line) { builder.AddLine(line); });
}

}  // namespace zel
