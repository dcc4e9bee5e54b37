#include <gtest/gtest.h>

#include "TreeViewTestUtil.h"
#include "outline/TreeView.h"

namespace zel {
namespace {

using test::Dump;
using test::Find;
using test::kWrite;
using test::LoadOutline;
using enum TNodeAttachMode;

class TreeViewMoveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadOutline(tree, "root\n a\n  a1\n   a11\n  a2\n b\n  b1\n c\n");
    tree.GetFirstNode()->Expand(true);
  }
  TTreeNode* N(const char* text) { return Find(tree, text); }
  TTreeView tree;
};

TEST_F(TreeViewMoveTest, InsertBeforeASiblingOrAnotherBranch) {
  TTreeNode* d = N("c");
  tree.SetSelected(d);
  d->MoveTo(kWrite, N("a"), naInsert);  // move up past two siblings
  EXPECT_EQ(Dump(tree), "root\n c\n a\n  a1\n   a11\n  a2\n b\n  b1\n");
  d->MoveTo(kWrite, N("a11"), naInsert);  // into another branch, with no subtree
  EXPECT_EQ(Dump(tree), "root\n a\n  a1\n   c\n   a11\n  a2\n b\n  b1\n");
  N("a1")->MoveTo(kWrite, N("a"), naInsert);  // promote: in front of its parent, subtree with it
  EXPECT_EQ(Dump(tree), "root\n a1\n  c\n  a11\n a\n  a2\n b\n  b1\n");
  EXPECT_EQ(tree.Selected(), d);
  N("a")->MoveTo(kWrite, N("root"), naInsert);  // in front of a root: a root itself
  EXPECT_EQ(Dump(tree), "a\n a2\nroot\n a1\n  c\n  a11\n b\n  b1\n");
  EXPECT_TRUE(N("a")->IsFirstNode());
}

TEST_F(TreeViewMoveTest, AddAsLastChild) {
  N("a1")->MoveTo(kWrite, N("b"), naAddChild);  // demote-like: last child of another node
  EXPECT_EQ(Dump(tree), "root\n a\n  a2\n b\n  b1\n  a1\n   a11\n c\n");
  N("b1")->MoveTo(kWrite, N("b"), naAddChild);  // move down within the same parent
  EXPECT_EQ(Dump(tree), "root\n a\n  a2\n b\n  a1\n   a11\n  b1\n c\n");
  N("b1")->MoveTo(kWrite, N("b"), naAddChild);  // already last: stays
  EXPECT_EQ(Dump(tree), "root\n a\n  a2\n b\n  a1\n   a11\n  b1\n c\n");
  N("a")->MoveTo(kWrite, nullptr, naAddChild);  // no target: last at root level
  EXPECT_EQ(Dump(tree), "root\n b\n  a1\n   a11\n  b1\n c\na\n a2\n");
}

TEST_F(TreeViewMoveTest, AddAtRootLevel) {
  N("a11")->MoveTo(kWrite, nullptr, naAddRoot);
  EXPECT_EQ(Dump(tree), "root\n a\n  a1\n  a2\n b\n  b1\n c\na11\n");
  N("root")->MoveTo(kWrite, N("a11"), naAddRoot);  // the target does not matter here
  EXPECT_EQ(Dump(tree), "a11\nroot\n a\n  a1\n  a2\n b\n  b1\n c\n");
  N("root")->MoveTo(kWrite, nullptr, naAddRoot);  // already last: stays
  EXPECT_EQ(tree.Root(1), N("root"));
}

TEST_F(TreeViewMoveTest, OntoItselfOrADescendantDoesNothing) {
  tree.SetSelected(N("a"));
  const std::string before = Dump(tree);
  for (TNodeAttachMode mode : {naInsert, naAddChild, naAddRoot}) {
    N("a")->MoveTo(kWrite, N("a"), mode);
    N("a")->MoveTo(kWrite, N("a1"), mode);
    N("a")->MoveTo(kWrite, N("a11"), mode);
    EXPECT_EQ(Dump(tree), before);
  }
  EXPECT_TRUE(N("a")->Expanded());
  EXPECT_EQ(tree.Selected(), N("a"));
}

TEST_F(TreeViewMoveTest, ParentMarks) {
  // b1 is b's only child: b loses its mark and is collapsed; c gains one and is expanded.
  ASSERT_TRUE(N("b")->Expanded());
  tree.SetSelected(N("b1"));
  N("b1")->MoveTo(kWrite, N("c"), naAddChild);
  EXPECT_FALSE(N("b")->HasChildren());
  EXPECT_FALSE(N("b")->Expanded());
  EXPECT_TRUE(N("c")->HasChildren());
  EXPECT_TRUE(N("c")->Expanded());
  EXPECT_EQ(tree.Selected(), N("b1"));

  // a keeps a2, so it stays marked and expanded; a2's new parent (root) is expanded again.
  N("root")->Collapse(false);
  N("a1")->MoveTo(kWrite, N("c"), naInsert);
  EXPECT_TRUE(N("a")->HasChildren());
  EXPECT_TRUE(N("a")->Expanded());
  EXPECT_TRUE(N("root")->Expanded());

  // A collapsed target that already has children is expanded as well.
  N("a")->Collapse(false);
  N("c")->MoveTo(kWrite, N("a"), naAddChild);
  EXPECT_TRUE(N("a")->Expanded());
  EXPECT_EQ(Dump(tree), "root\n a\n  a2\n  c\n   b1\n b\n a1\n  a11\n");
}

}  // namespace
}  // namespace zel
