// The document's undo history: the property over random edits, and the history's bounds.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "EditSequence.h"
#include "TreeViewTestUtil.h"

namespace zel {
namespace {

TEST(OutlineDocumentTest, UndoAllGivesTheOriginalAndRedoAllTheEdited) {
  for (unsigned seed = 1; seed <= 400; ++seed) {
    std::mt19937 rng(seed);
    const auto pick = [&](unsigned n) { return unsigned(rng() % n); };
    EXPECT_EQ(test::CheckEditSequence(pick, 60), "") << "seed " << seed;
  }
}

TEST(OutlineDocumentTest, HistoryIsBoundedAndTracksTheCleanState) {
  TOutlineDocument doc;
  TTreeNode* root = doc.Tree().AddChild(nullptr, "root");
  TTreeNode* a = doc.Add(root, "a");
  doc.SetModified(false);  // saved here
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(doc.UndoName(), "Add");
  EXPECT_TRUE(doc.SetText(a, "b"));
  EXPECT_FALSE(doc.SetText(a, "b"));  // unchanged: no step
  EXPECT_TRUE(doc.Modified());
  EXPECT_EQ(doc.Undo(), a);
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(doc.RedoName(), "Modify");
  doc.Undo();
  EXPECT_TRUE(doc.Modified());             // before the save
  EXPECT_EQ(doc.Tree().Selected(), root);  // the removed node's parent
  doc.Add(root, "c");                      // a new branch: the saved state is out of reach
  EXPECT_FALSE(doc.CanRedo());
  while (doc.CanUndo()) doc.Undo();
  EXPECT_TRUE(doc.Modified());

  // Deleted subtrees stay detached in the history; the oldest steps go past the limit.
  for (size_t i = 0; i < TOutlineDocument::kHistoryLimit + 5; ++i) {
    doc.Add(root, "n");
    doc.Delete(root->GetLastChild());
  }
  EXPECT_EQ(doc.UndoCount(), TOutlineDocument::kHistoryLimit);
  EXPECT_EQ(doc.Tree().Count(), 1);
  doc.SetReadOnly(true);
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_EQ(doc.Add(root, "x"), nullptr);
  EXPECT_FALSE(doc.Delete(root));
  doc.SetReadOnly(false);
  doc.Undo();
  EXPECT_EQ(test::Dump(doc.Tree()), "root\n n\n");
  // A new outline frees what the history held; the history must go with it.
  doc.Tree().Clear();
  doc.ClearHistory();
  EXPECT_FALSE(doc.Modified());
}

// Past the held-node limit the oldest steps go, the newest stays, and what is left undoes
// exactly.
TEST(OutlineDocumentTest, HistoryHoldsAtMostTheNodeLimit) {
  TOutlineDocument doc;
  doc.SetHeldNodeFloor(100);
  TTreeView& tree = doc.Tree();
  TTreeNode* root = tree.AddChild(nullptr, "root");
  for (int i = 0; i < 60; ++i) {
    TTreeNode* c = tree.AddChild(root, "c" + std::to_string(i));
    for (int k = 0; k < 4; ++k) tree.AddChild(c, "g");
  }
  std::vector<std::string> states{test::OutlineState(tree)};
  for (int i = 0; i < 40; ++i) {
    doc.Delete(root->GetFirstChild());
    states.push_back(test::OutlineState(tree));
    EXPECT_LE(tree.DetachedCount(), doc.HeldNodeLimit());
  }
  EXPECT_EQ(doc.HeldNodeLimit(), 101u);  // the document, above the floor
  const size_t kept = doc.UndoCount();
  EXPECT_EQ(kept, 20u);
  while (doc.CanUndo()) doc.Undo();
  EXPECT_EQ(test::OutlineState(tree), states[states.size() - 1 - kept]);
  while (doc.CanRedo()) doc.Redo();

  // One step above the limit on its own is kept.
  doc.Delete(root);
  EXPECT_EQ(doc.UndoCount(), 1u);
  doc.Undo();
  EXPECT_EQ(test::OutlineState(tree), states.back());
}

}  // namespace
}  // namespace zel
