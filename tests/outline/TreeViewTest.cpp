#include <gtest/gtest.h>

#include <type_traits>

#include "TreeViewTestUtil.h"
#include "outline/TreeView.h"

namespace zel {
namespace {

using test::Dump;
using test::Find;
using test::kWrite;
using test::LoadOutline;

// Only the tree's named writers make the key its mutators ask for.
template <typename Tree>
constexpr bool kAddsWithoutKey = requires(Tree& t) {
  t.AddChild(nullptr, "x");
};
template <typename Node>
constexpr bool kRenamesWithoutKey = requires(Node* n) {
  n->SetText("x");
};
static_assert(!std::is_default_constructible_v<TTreeWriteKey>);
static_assert(!kAddsWithoutKey<TTreeView> && !kRenamesWithoutKey<TTreeNode>);
static_assert(requires(TTreeView & t, TTreeNode* n) {
  t.AddChild(kWrite, nullptr, "x");
  n->SetText(kWrite, "x");
});

class TreeViewTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadOutline(tree, "root\n a\n  a1\n  a2\n   a21\n b\n c\n  c1\nr2\n"); }
  TTreeNode* N(const char* text) { return Find(tree, text); }
  TTreeView tree;
};

TEST_F(TreeViewTest, DocumentOrderAndPositions) {
  EXPECT_EQ(Dump(tree), "root\n a\n  a1\n  a2\n   a21\n b\n c\n  c1\nr2\n");
  EXPECT_EQ(tree.Count(), 9);
  EXPECT_EQ(N("a21")->GetNext(), N("b"));  // up two levels to the next sibling
  EXPECT_EQ(N("b")->GetPrev(), N("a21"));  // deepest last descendant of the previous sibling
  EXPECT_EQ(N("c1")->GetNext(), N("r2"));
  EXPECT_EQ(N("root")->GetPrev(), nullptr);
  EXPECT_TRUE(N("root")->IsFirstNode());
  EXPECT_FALSE(N("r2")->IsFirstNode());
  EXPECT_EQ(N("root")->Count(), 3);
  EXPECT_EQ(N("root")->Item(2), N("c"));
  EXPECT_EQ(tree.Root(1), N("r2"));
  EXPECT_TRUE(N("a21")->HasAsParent(N("root")));
  EXPECT_FALSE(N("a21")->HasAsParent(N("a21")));
  EXPECT_THROW(tree.Item(9), EListError);
  EXPECT_THROW(tree.Item(-1), EListError);
  EXPECT_THROW(N("b")->Item(0), EListError);
  EXPECT_THROW(tree.Root(2), EListError);
}

TEST_F(TreeViewTest, GetNextAndPrevWithAStaleCache) {
  tree.AddChild(kWrite, N("a1"), "new");  // not at the end: the cache is stale now
  EXPECT_EQ(N("a1")->GetNext()->Text(), "new");
  EXPECT_EQ(N("a2")->GetPrev()->Text(), "new");
  EXPECT_EQ(N("a21")->GetNext(), N("b"));
  TTreeNode* last = tree.AddChild(kWrite, nullptr, "end");
  EXPECT_EQ(last->GetNext(), nullptr);
  EXPECT_EQ(last->GetPrev(), N("r2"));
}

TEST_F(TreeViewTest, PositionsFollowEveryKindOfChange) {
  EXPECT_EQ(N("c1")->AbsoluteIndex(), 7);
  tree.AddChild(kWrite, N("a"), "a3");  // in the middle
  EXPECT_EQ(N("c1")->AbsoluteIndex(), 8);
  EXPECT_EQ(N("a3")->Index(), 2);
  tree.AddChild(kWrite, N("r2"), "r2a");  // at the end
  EXPECT_EQ(N("r2a")->AbsoluteIndex(), 10);
  EXPECT_EQ(N("r2a")->Level(), 1);
  tree.AddChild(kWrite, N("c1"), "c11");  // parent on the last path but not the last node
  EXPECT_EQ(N("r2")->AbsoluteIndex(), 10);
  EXPECT_EQ(Dump(tree), "root\n a\n  a1\n  a2\n   a21\n  a3\n b\n c\n  c1\n   c11\nr2\n r2a\n");

  N("a2")->MoveTo(kWrite, N("c"), TNodeAttachMode::naAddChild);
  EXPECT_EQ(N("a21")->Level(), 3);
  EXPECT_EQ(N("a21")->AbsoluteIndex(), 9);
  EXPECT_EQ(N("a3")->Index(), 1);
  EXPECT_EQ(N("c")->Item(1), N("a2"));

  tree.Delete(kWrite, N("a"));
  EXPECT_EQ(N("b")->AbsoluteIndex(), 1);
  EXPECT_EQ(N("b")->Index(), 0);
  EXPECT_EQ(tree.Count(), 9);
  N("b")->SetText(kWrite, "bb");  // text is not structure
  EXPECT_EQ(Dump(tree), "root\n bb\n c\n  c1\n   c11\n  a2\n   a21\nr2\n r2a\n");
}

TEST_F(TreeViewTest, ChildItemWalksBothWays) {
  TTreeView flat;
  TTreeNode* p = flat.AddChild(kWrite, nullptr, "p");
  for (int i = 0; i < 100; ++i) flat.AddChild(kWrite, p, std::to_string(i));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(p->Item(i)->Text(), std::to_string(i));
  for (int i = 99; i >= 0; i -= 7) EXPECT_EQ(p->Item(i)->Text(), std::to_string(i));
  flat.Delete(kWrite, p->Item(50));
  EXPECT_EQ(p->Item(50)->Text(), "51");
  EXPECT_EQ(p->Item(49)->Text(), "49");
  EXPECT_EQ(p->Count(), 99);
}

TEST_F(TreeViewTest, DeleteMovesTheSelectionAndClearsTheParentMarks) {
  N("a")->Expand(false);
  tree.SetSelected(N("a21"));
  tree.Delete(kWrite, N("a"));  // the selection was inside: next sibling
  EXPECT_EQ(tree.Selected(), N("b"));
  tree.SetSelected(N("c"));
  tree.Delete(kWrite, N("c"));  // no next sibling: previous one
  EXPECT_EQ(tree.Selected(), N("b"));
  N("root")->Expand(false);
  tree.Delete(kWrite, N("b"));  // only child: the parent, which is now a leaf
  EXPECT_EQ(tree.Selected(), N("root"));
  EXPECT_FALSE(N("root")->HasChildren());
  EXPECT_FALSE(N("root")->Expanded());
  tree.Delete(kWrite, N("root"));
  EXPECT_EQ(tree.Selected(), N("r2"));
  N("r2")->Delete(kWrite);
  EXPECT_EQ(tree.Selected(), nullptr);
  EXPECT_EQ(tree.Count(), 0);
  EXPECT_EQ(tree.GetFirstNode(), nullptr);
  EXPECT_EQ(tree.GetLastRoot(), nullptr);
  tree.AddChild(kWrite, nullptr, "again");  // the emptied tree is usable
  EXPECT_EQ(Dump(tree), "again\n");
}

TEST_F(TreeViewTest, ExpandCollapseAndMarks) {
  TTreeNode* b = N("b");
  b->Expand(false);
  EXPECT_FALSE(b->Expanded());  // a leaf has nothing to expand
  EXPECT_FALSE(b->HasChildren());
  tree.AddChild(kWrite, b, "b1");
  EXPECT_TRUE(b->HasChildren());
  EXPECT_FALSE(b->Expanded());  // adding does not expand
  N("root")->Expand(true);
  EXPECT_TRUE(N("a2")->Expanded());
  EXPECT_FALSE(N("a21")->Expanded());
  N("root")->Collapse(false);
  EXPECT_FALSE(N("root")->Expanded());
  EXPECT_TRUE(N("a")->Expanded());
  N("root")->Collapse(true);
  EXPECT_FALSE(N("a2")->Expanded());
  N("a21")->MakeVisible();
  EXPECT_TRUE(N("root")->Expanded());
  EXPECT_TRUE(N("a")->Expanded());
  EXPECT_TRUE(N("a2")->Expanded());
  EXPECT_FALSE(N("c")->Expanded());
}

TEST_F(TreeViewTest, ClearEmptiesEverything) {
  tree.SetSelected(N("a1"));
  tree.Clear(kWrite);
  EXPECT_EQ(tree.Count(), 0);
  EXPECT_EQ(tree.RootCount(), 0);
  EXPECT_EQ(tree.Selected(), nullptr);
  EXPECT_THROW(tree.Item(0), EListError);
  LoadOutline(tree, "x\n y\n");
  EXPECT_EQ(Dump(tree), "x\n y\n");
}

TEST_F(TreeViewTest, NodesOfAnotherTreeAreRejected) {
  TTreeView other;
  TTreeNode* foreign = other.AddChild(kWrite, nullptr, "f");
  EXPECT_THROW(tree.AddChild(kWrite, foreign, "x"), ETreeViewError);
  EXPECT_THROW(tree.Delete(kWrite, foreign), ETreeViewError);
  EXPECT_THROW(N("a")->MoveTo(kWrite, foreign, TNodeAttachMode::naAddChild), ETreeViewError);
}

}  // namespace
}  // namespace zel
