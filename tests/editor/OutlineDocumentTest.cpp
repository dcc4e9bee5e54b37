// The document's undo history: the property over random edits, and the history's bounds; a
// subtree commented out and back.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "EditSequence.h"
#include "editor/SubtreeText.h"
#include "tests/outline/TreeViewTestUtil.h"

namespace zel {
namespace {

using test::kWrite;

TEST(OutlineDocumentTest, UndoAllGivesTheOriginalAndRedoAllTheEdited) {
  for (unsigned seed = 1; seed <= 400; ++seed) {
    std::mt19937 rng(seed);
    const auto pick = [&](unsigned n) { return unsigned(rng() % n); };
    EXPECT_EQ(test::CheckEditSequence(pick, 60), "") << "seed " << seed;
  }
}

TEST(OutlineDocumentTest, HistoryIsBoundedAndTracksTheCleanState) {
  TOutlineDocument doc;
  TTreeNode* root = doc.Tree().AddChild(kWrite, nullptr, "root");
  TTreeNode* a = doc.Add(root, "a");
  doc.SetModified(false);  // saved here
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(doc.UndoName(), "Add");
  EXPECT_TRUE(doc.SetText(a, "b"));
  EXPECT_TRUE(doc.SetText(a, "b"));  // unchanged: a step all the same, which Undo takes back
  EXPECT_TRUE(doc.Modified());
  EXPECT_EQ(doc.Undo(), a);
  EXPECT_EQ(doc.Tree().Item(1)->Text(), "b");
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
  doc.Tree().Clear(kWrite);
  doc.ClearHistory();
  EXPECT_FALSE(doc.Modified());
}

// Past the held-node limit the oldest steps go, the newest stays, and what is left undoes
// exactly.
TEST(OutlineDocumentTest, HistoryHoldsAtMostTheNodeLimit) {
  TOutlineDocument doc;
  doc.SetHeldNodeFloor(100);
  TTreeView& tree = doc.Tree();
  tree.AddChild(kWrite, nullptr, "file");  // stands for the file, which no edit removes
  TTreeNode* root = tree.AddChild(kWrite, nullptr, "root");
  for (int i = 0; i < 60; ++i) {
    TTreeNode* c = tree.AddChild(kWrite, root, "c" + std::to_string(i));
    for (int k = 0; k < 4; ++k) tree.AddChild(kWrite, c, "g");
  }
  std::vector<std::string> states{test::OutlineState(tree)};
  for (int i = 0; i < 40; ++i) {
    doc.Delete(root->GetFirstChild());
    states.push_back(test::OutlineState(tree));
    EXPECT_LE(tree.DetachedCount(), doc.HeldNodeLimit());
  }
  EXPECT_EQ(doc.HeldNodeLimit(), 102u);  // the document, above the floor
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

// A subtree becomes a well-formed comment holding its save text exactly, whatever its hyphens
// and blanks; Comment and Uncomment on several nodes are one step each and give the nodes back.
TEST(OutlineDocumentTest, CommentHoldsTheSubtreeAndUncommentGivesItBack) {
  std::mt19937 rng(5);
  TTreeView tree;
  TTreeNode* parent = tree.AddChild(kWrite, nullptr, "<p>");
  for (int i = 0; i < 500; ++i) {
    std::string body;
    for (size_t k = rng() % 12; k-- > 0;) body += "- a"[rng() % 3];
    TTreeNode* node = tree.AddChild(kWrite, parent, "<?p " + body + "?>");
    const std::string comment = CommentOutText(*node);
    std::string text = SubtreeXMLText(*node);
    while (text.ends_with('\n') || text.ends_with('\r')) text.pop_back();
    EXPECT_TRUE(IsWellFormedText(comment)) << comment;
    EXPECT_EQ(UncommentedText(comment), text) << comment;
  }

  TOutlineDocument doc;
  ReadXMLText("<r><a k=\"x--y\"><?p a--b -?><b>- -</b><![CDATA[--]]></a><!-- plain --><c/></r>",
              doc.Tree());
  const std::string original = test::OutlineState(doc.Tree());
  TTreeNode* r = doc.Tree().GetFirstNode()->GetFirstChild();
  ASSERT_EQ(r->Count(), 3);
  TTreeNode* plain = r->Item(1);
  ASSERT_TRUE(doc.Comment(TNodeSelection(doc.Tree(), {r->Item(2), r->Item(0)})));
  EXPECT_EQ(doc.UndoCount(), 1u);
  EXPECT_EQ(r->Count(), 3);
  const std::string commented = test::OutlineState(doc.Tree());
  // A comment that holds no XML refuses the whole batch.
  EXPECT_FALSE(doc.Uncomment(TNodeSelection(doc.Tree(), {r->Item(0), plain})));
  EXPECT_TRUE(doc.Declined());
  EXPECT_NE(doc.Refusal().find("does not hold XML"), std::string::npos) << doc.Refusal();
  EXPECT_EQ(test::OutlineState(doc.Tree()), commented);
  ASSERT_TRUE(doc.Uncomment(TNodeSelection(doc.Tree(), {r->Item(0), r->Item(2)})));
  EXPECT_EQ(test::OutlineState(doc.Tree()), original);
  EXPECT_EQ(doc.UndoCount(), 2u);
  doc.Undo();
  EXPECT_EQ(test::OutlineState(doc.Tree()), commented);
  doc.Undo();
  EXPECT_EQ(test::OutlineState(doc.Tree()), original);
}

// Undo and Redo of a step over many nodes name the nodes it gave back or moved, in document
// order, so that the window chooses them together again; a one-node step names none.
TEST(OutlineDocumentTest, ReplayNamesTheNodesOfAManyNodeStep) {
  TOutlineDocument doc;
  ReadXMLText("<r><a/><b/><c/><d/></r>", doc.Tree());
  TTreeNode* r = doc.Tree().GetFirstNode()->GetFirstChild();
  TTreeNode *a = r->Item(0), *c = r->Item(2), *d = r->Item(3);
  ASSERT_TRUE(doc.Delete(TNodeSelection(doc.Tree(), {d, a})));
  doc.Undo();
  EXPECT_EQ(doc.ReplayedNodes(), (std::vector<TTreeNode*>{a, d}));
  doc.Redo();
  EXPECT_TRUE(doc.ReplayedNodes().empty());  // deleted nodes are not there to choose
  doc.Undo();
  ASSERT_TRUE(doc.MoveUp(TNodeSelection(doc.Tree(), {c, d})));
  doc.Undo();
  EXPECT_EQ(doc.ReplayedNodes(), (std::vector<TTreeNode*>{c, d}));
  doc.Redo();
  EXPECT_EQ(doc.ReplayedNodes(), (std::vector<TTreeNode*>{c, d}));
  ASSERT_TRUE(doc.Delete(a));
  EXPECT_TRUE(doc.ReplayedNodes().empty());
  doc.Undo();
  EXPECT_TRUE(doc.ReplayedNodes().empty());
}

// Texts replaced, copied, pasted and freed over a long session: the text storage stays within
// a constant factor of the live texts (plus a fixed allowance), and every text stays intact
// when the live ones are moved together, those kept by the history included.
TEST(OutlineDocumentTest, TextStorageStaysBoundedAndIntact) {
  TOutlineDocument doc;
  TTreeView& tree = doc.Tree();
  std::mt19937 rng(11);
  // A text names its tag at the end, so that each node can be checked on its own; a start
  // tag, which holds children.
  int tags = 0;
  const auto tagged = [](std::string body, int tag) {
    return "<" + body + "#" + std::to_string(tag) + ">";
  };
  const auto makeText = [&] {
    const size_t size = rng() % 16 == 0 ? 64 * 1024 + rng() % 5000 : rng() % 3000;
    const int tag = ++tags;
    return tagged(std::string(size, char('a' + tag % 26)), tag);
  };
  const auto intact = [](std::string_view text) {
    const size_t hash = text.rfind('#');
    if (hash == std::string_view::npos || text[0] != '<') return false;
    const char fill = char('a' + std::stoi(std::string(text.substr(hash + 1))) % 26);
    const std::string_view body = text.substr(1, hash - 1);
    return body == "pin" || body.find_first_not_of(fill) == std::string_view::npos;
  };
  std::vector<TTreeNode*> nodes;
  for (int i = 0; i < 30; ++i) {
    TTreeNode* top = tree.AddChild(kWrite, nullptr, makeText());
    nodes.push_back(top);
    for (int k = 0; k < 9; ++k) nodes.push_back(tree.AddChild(kWrite, top, makeText()));
  }
  for (int cycle = 0; cycle < 20; ++cycle) {
    const std::string before = test::OutlineState(tree);
    for (int i = 0; i < 40; ++i) doc.SetText(nodes[rng() % nodes.size()], makeText());
    // One text that stays among many that die at once: without moving the live texts
    // together, each block of storage would be kept for one of them.
    doc.SetText(nodes[size_t(cycle)], tagged("pin", ++tags));
    for (int i = 0; i < 200; ++i) {
      const int tag = ++tags;
      doc.SetText(nodes.back(), tagged(std::string(12000, char('a' + tag % 26)), tag));
    }
    const std::string edited = test::OutlineState(tree);
    TTreeView scratch;
    for (int i = 0; i < 5; ++i) scratch.AddChild(kWrite, nullptr, makeText());
    doc.InsertFrom(scratch, nullptr, nullptr, nullptr);
    doc.Duplicate(tree.Root(int(rng() % 30)));
    const std::string pasted = test::OutlineState(tree);
    for (int i = 0; i < 2; ++i) doc.Undo();
    // Compared without printing: the texts are long.
    ASSERT_TRUE(test::OutlineState(tree) == edited)
        << "undo of paste and duplicate, cycle " << cycle;
    while (doc.CanUndo()) doc.Undo();
    ASSERT_TRUE(test::OutlineState(tree) == before) << "undo all, cycle " << cycle;
    while (doc.CanRedo()) doc.Redo();
    ASSERT_TRUE(test::OutlineState(tree) == pasted) << "redo all, cycle " << cycle;
    doc.ClearHistory();

    size_t live = 0;
    for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext()) {
      ASSERT_TRUE(intact(n->Text())) << "cycle " << cycle;
      live += n->Text().size();
    }
    EXPECT_LE(tree.TextBytesHeld(), 3 * live + (size_t(10) << 20)) << "cycle " << cycle;
  }
}

}  // namespace
}  // namespace zel
