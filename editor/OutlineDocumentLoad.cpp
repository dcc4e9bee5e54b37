// The document's outline replaced whole: a load, a recovery, a new document.

#include "editor/OutlineDocument.h"
#include "treedoc/ZelXMLTree.h"

namespace zel {

void TOutlineDocument::Load(TZelXMLTree& reader, const std::string& fileName) {
  ClearHistory();
  reader.SetTreeView(&FTree);
  reader.LoadFromFile(fileName);
}

std::optional<TRecoveryHeader> TOutlineDocument::Recover(TZelXMLTree& reader,
                                                         const std::string& file) {
  ClearHistory();
  reader.SetTreeView(&FTree);
  std::optional<TRecoveryHeader> header;
  reader.LoadWith(
      [&](const TProgress& progress) { header = ReadRecoveryFile(Key(), file, FTree, progress); });
  return header;
}

TTreeNode* TOutlineDocument::Reset(const std::string& rootText) {
  ClearHistory();
  FTree.Clear(Key());
  return FTree.AddChild(Key(), nullptr, rootText);
}

}  // namespace zel
