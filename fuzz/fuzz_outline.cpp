// Outline text from arbitrary bytes: the tree is built or the load fails with a message; the
// position queries then agree with a walk in document order.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/Exception.h"
#include "base/Stream.h"
#include "outline/TreeView.h"
#include "tests/outline/TreeWriteAccess.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zel::TTreeView tree;
  zel::TMemoryStream stream;
  stream.Assign(std::string(reinterpret_cast<const char*>(data), size));
  try {
    tree.LoadFromStream(zel::test::kWrite, stream);
  } catch (const zel::Exception&) {
    // The nodes before the faulty line stay; they must still be consistent.
  }
  int index = 0;
  for (zel::TTreeNode* n = tree.GetFirstNode(); n != nullptr; n = n->GetNext(), ++index) {
    if (n->AbsoluteIndex() != index || tree.Item(index) != n) std::abort();
    const zel::TTreeNode* p = n->Parent();
    if (n->Level() != (p == nullptr ? 0 : p->Level() + 1)) std::abort();
  }
  if (index != tree.Count()) std::abort();
  return 0;
}
