#pragma once
// Helpers for the outline model tests: load outline text, and print a tree back as outline
// text (one space per level) while checking every cached position against the links.

#include <gtest/gtest.h>

#include <string>

#include "outline/TreeView.h"
#include "tests/outline/TreeWriteAccess.h"

namespace zel::test {

inline void LoadOutline(TTreeView& tree, std::string text) {
  TMemoryStream stream;
  stream.Assign(std::move(text));
  tree.LoadFromStream(kWrite, stream);
}

inline std::string Dump(const TTreeView& tree) {
  std::string out;
  int abs = 0;
  int level = 0;
  int index = 0;
  TTreeNode* prev = nullptr;
  TTreeNode* node = tree.GetFirstNode();
  while (node) {
    EXPECT_EQ(node->AbsoluteIndex(), abs) << node->Text();
    EXPECT_EQ(tree.Item(abs), node) << abs;
    EXPECT_EQ(node->Level(), level) << node->Text();
    EXPECT_EQ(node->Index(), index) << node->Text();
    EXPECT_EQ(node->GetPrev(), prev) << node->Text();
    if (prev) {
      EXPECT_EQ(prev->GetNext(), node) << prev->Text();
    }
    EXPECT_EQ(node->TreeView(), &tree);
    out += std::string(static_cast<size_t>(level), ' ') + std::string(node->Text()) + "\n";
    prev = node;
    ++abs;
    if (node->GetFirstChild()) {
      EXPECT_TRUE(node->HasChildren()) << node->Text();
      node = node->GetFirstChild();
      ++level;
      index = 0;
      continue;
    }
    while (node && !node->getNextSibling()) {
      node = node->Parent();
      --level;
    }
    if (node) {
      index = node->Index() + 1;
      node = node->getNextSibling();
    }
  }
  if (prev) {
    EXPECT_EQ(prev->GetNext(), nullptr);
  }
  EXPECT_EQ(tree.Count(), abs);
  return out;
}

// The node whose text is `text` (first in document order), or null.
inline TTreeNode* Find(const TTreeView& tree, const std::string& text) {
  for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext())
    if (n->Text() == text) return n;
  return nullptr;
}

}  // namespace zel::test
