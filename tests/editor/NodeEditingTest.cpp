// The editing commands' moves, as the window's handlers run them.

#include <gtest/gtest.h>

#include "editor/NodeEditing.h"
#include "tests/outline/TreeViewTestUtil.h"

namespace zel {
namespace {

using test::Dump;
using test::Find;
using test::kWrite;
using test::LoadOutline;

class NodeEditingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadOutline(tree, "root\n a\n  a1\n   a11\n  a2\n b\n c\n");
    tree.GetFirstNode()->Expand(false);
  }
  TTreeNode* N(const char* text) { return Find(tree, text); }
  TTreeNode* Select(const char* text) {
    tree.SetSelected(N(text));
    return tree.Selected();
  }
  TTreeView tree;
};

TEST_F(NodeEditingTest, AddAppendsAVisibleSelectedLastChild) {
  TTreeNode* n = AddNodeAsLastChild(kWrite, N("a11"), "<NewNode>");
  EXPECT_EQ(Dump(tree), "root\n a\n  a1\n   a11\n    <NewNode>\n  a2\n b\n c\n");
  EXPECT_EQ(tree.Selected(), n);
  EXPECT_TRUE(N("a")->Expanded());
  EXPECT_TRUE(N("a1")->Expanded());
  EXPECT_TRUE(N("a11")->Expanded());
  EXPECT_EQ(AddNodeAsLastChild(kWrite, nullptr, "x"), nullptr);
}

TEST_F(NodeEditingTest, DeleteAsksAboutChildren) {
  EXPECT_EQ(DeleteQuestion(*N("a")), "Delete \"a\" and its children?");
  EXPECT_EQ(DeleteQuestion(*N("b")), "Delete \"b\"?");
}

TEST_F(NodeEditingTest, MoveUpAndDownKeepTheSubtreeAndTheSelection) {
  TTreeNode* a = Select("a");
  EXPECT_FALSE(MoveNodeUp(kWrite, a)) << "no previous sibling";
  EXPECT_TRUE(MoveNodeDown(kWrite, a));
  EXPECT_EQ(Dump(tree), "root\n b\n a\n  a1\n   a11\n  a2\n c\n");
  // The second-to-last child becomes the last one.
  EXPECT_TRUE(MoveNodeDown(kWrite, a));
  EXPECT_EQ(Dump(tree), "root\n b\n c\n a\n  a1\n   a11\n  a2\n");
  EXPECT_FALSE(MoveNodeDown(kWrite, a));
  EXPECT_TRUE(MoveNodeUp(kWrite, a));
  EXPECT_EQ(Dump(tree), "root\n b\n a\n  a1\n   a11\n  a2\n c\n");
  EXPECT_EQ(tree.Selected(), a);
}

TEST_F(NodeEditingTest, MoveDownAtRootLevelStaysAtRootLevel) {
  N("c")->MoveTo(kWrite, nullptr, TNodeAttachMode::naAddRoot);
  EXPECT_TRUE(MoveNodeDown(kWrite, tree.GetFirstNode()));
  EXPECT_EQ(Dump(tree), "c\nroot\n a\n  a1\n   a11\n  a2\n b\n");
}

TEST_F(NodeEditingTest, PromotePlacesTheNodeInFrontOfItsParent) {
  TTreeNode* a1 = Select("a1");
  EXPECT_TRUE(PromoteNode(kWrite, a1));
  EXPECT_EQ(Dump(tree), "root\n a1\n  a11\n a\n  a2\n b\n c\n");
  // Level 1 is as high as a node goes: the root must stay the first node.
  EXPECT_FALSE(PromoteNode(kWrite, a1));
  EXPECT_TRUE(tree.GetFirstNode()->Text() == "root");
  EXPECT_FALSE(PromoteNode(kWrite, tree.GetFirstNode()));
}

TEST_F(NodeEditingTest, DemoteMakesTheLastChildOfTheExpandedPreviousSibling) {
  N("b")->SetImageIndex(3);
  TTreeNode* c = Select("c");
  c->SetImageIndex(3);
  EXPECT_TRUE(DemoteNode(kWrite, c));
  EXPECT_EQ(Dump(tree), "root\n a\n  a1\n   a11\n  a2\n b\n  c\n");
  EXPECT_TRUE(N("b")->Expanded());
  EXPECT_TRUE(N("b")->HasChildren());
  EXPECT_EQ(N("b")->ImageIndex(), 3) << "moves leave the images alone";
  EXPECT_EQ(tree.Selected(), c);
  EXPECT_FALSE(DemoteNode(kWrite, c)) << "no previous sibling";
  // The old parent that lost its only child shows no expand button.
  EXPECT_TRUE(PromoteNode(kWrite, N("a11")));
  EXPECT_FALSE(N("a1")->HasChildren());
  EXPECT_FALSE(N("a1")->Expanded());
}

TEST_F(NodeEditingTest, DragOverRefusesOnlyTheOwnParentAndRootLevelOnEmptySpace) {
  EXPECT_FALSE(CanDropNode(N("a1"), N("a")));
  EXPECT_TRUE(CanDropNode(N("a1"), N("a1")));
  EXPECT_TRUE(CanDropNode(N("a1"), N("a11")));
  EXPECT_FALSE(CanDropNode(N("a1"), N("b"))) << "a text holds no children";
  EXPECT_TRUE(CanDropNode(N("a1"), N("root")));
  EXPECT_TRUE(CanDropNode(N("a1"), nullptr));
  EXPECT_FALSE(CanDropNode(N("root"), nullptr));
  EXPECT_FALSE(CanDropNode(nullptr, N("b")));
}

TEST_F(NodeEditingTest, DropOnANodeOrOnEmptySpace) {
  TTreeNode* a = Select("a");
  EXPECT_FALSE(DropNode(kWrite, a, N("a11"))) << "onto a descendant";
  EXPECT_FALSE(DropNode(kWrite, a, a));
  EXPECT_TRUE(DropNode(kWrite, a, N("c")));
  EXPECT_EQ(Dump(tree), "root\n b\n c\n  a\n   a1\n    a11\n   a2\n");
  EXPECT_TRUE(N("c")->Expanded());
  EXPECT_TRUE(DropNode(kWrite, a, nullptr));
  EXPECT_EQ(Dump(tree), "root\n b\n c\na\n a1\n  a11\n a2\n");
  EXPECT_EQ(tree.Selected(), a);
  EXPECT_FALSE(N("c")->HasChildren());
  // The second root-level node still moves.
  EXPECT_TRUE(MoveNodeUp(kWrite, a));
  EXPECT_EQ(tree.GetFirstNode(), a);
}

}  // namespace
}  // namespace zel
