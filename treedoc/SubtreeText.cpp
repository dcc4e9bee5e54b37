#include "treedoc/SubtreeText.h"

#include "treedoc/XMLSave.h"
#include "treedoc/ZelXMLTree.h"

namespace zel {

std::string SubtreeXMLText(const TTreeNode& node) {
  TTreeView scratch;
  TTreeNode* root = scratch.AddChild(nullptr, "clipboard");  // stands for the file name
  scratch.Attach(scratch.CopySubtree(node), root, nullptr);
  std::string text;
  BuildXMLText(scratch, text);
  return text;
}

void ReadXMLText(const std::string& text, TTreeView& into, TZelXMLTree* reader) {
  TZelXMLTree own;
  (reader ? *reader : own).LoadFromBytesInto(into, "clipboard", text);
}

}  // namespace zel
