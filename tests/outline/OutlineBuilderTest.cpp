#include <gtest/gtest.h>

#include "TreeViewTestUtil.h"
#include "outline/OutlineBuilder.h"
#include "outline/TreeView.h"

namespace zel {
namespace {

using test::Dump;
using test::kWrite;
using test::LoadOutline;

TEST(OutlineLoad, WorkedExampleFailsAtTheBadLineAndKeepsEarlierNodes) {
  TTreeView tree;
  LoadOutline(tree, "old\n");
  try {
    LoadOutline(tree,
                "books.xml\r\n <catalog>\r\n  <book id=\"1\">\r\n  <book id=\"2\">\r\n <index>\r\n"
                "   <entry>\r\n <after>\r\n");
    FAIL() << "no error";
  } catch (const ETreeViewError& e) {
    EXPECT_EQ(e.Message(), "Invalid level (3) for item \"<entry>\"");
  }
  EXPECT_EQ(Dump(tree), "books.xml\n <catalog>\n  <book id=\"1\">\n  <book id=\"2\">\n <index>\n");
  EXPECT_EQ(tree.UpdateCount(), 0);
}

TEST(OutlineLoad, LevelRules) {
  TTreeView tree;
  // Siblings, a child, a drop of several levels, a drop to root level, TAB and space mix.
  LoadOutline(tree, "r\n a\n  b\n   c\n    d\n b2\n\t\te\n \tf\n\t g\n  h\n   \n    i\nr2\n x");
  EXPECT_EQ(Dump(tree), "r\n a\n  b\n   c\n    d\n b2\n  e\n  f\n  g\n  h\n   \n    i\nr2\n x\n");
  EXPECT_EQ(tree.RootCount(), 2);
}

TEST(OutlineLoad, FirstLineIsARootWhateverItsIndentation) {
  TTreeView tree;
  LoadOutline(tree, "   root\n child\n");
  EXPECT_EQ(Dump(tree), "root\n child\n");

  // The root sits at level 0, so the same indentation again is two levels too deep.
  try {
    LoadOutline(tree, "  a\n  b\n");
    FAIL() << "no error";
  } catch (const ETreeViewError& e) {
    EXPECT_EQ(e.Message(), "Invalid level (2) for item \"b\"");
  }
  EXPECT_EQ(Dump(tree), "a\n");

  LoadOutline(tree, " a\n b\n");  // indentation 1: the second line is a child
  EXPECT_EQ(Dump(tree), "a\n b\n");
}

TEST(OutlineLoad, TextsAndLineEnds) {
  TTreeView tree;
  // Trailing spaces stay; empty lines and CR / LF / CR LF breaks; a NUL ends the text.
  static const char kText[] = "a  \r b \t\n\n\r\n c\rd\0 e";
  LoadOutline(tree, std::string(kText, sizeof kText - 1));
  EXPECT_EQ(tree.Count(), 6);
  EXPECT_EQ(tree.Item(0)->Text(), "a  ");
  EXPECT_EQ(tree.Item(1)->Text(), "b \t");
  EXPECT_EQ(Dump(tree), "a  \n b \t\n\n\n c\nd\n");
  EXPECT_EQ(tree.RootCount(), 4);  // empty lines are new roots

  LoadOutline(tree, "");
  EXPECT_EQ(tree.Count(), 0);
  EXPECT_EQ(tree.GetFirstNode(), nullptr);
}

TEST(OutlineLoad, ReadsFromTheStreamPosition) {
  TTreeView tree;
  TMemoryStream stream;
  stream.Assign("skipped\nroot\n child");
  stream.SetPosition(8);
  tree.LoadFromStream(kWrite, stream);
  EXPECT_EQ(Dump(tree), "root\n child\n");
}

TEST(OutlineBuilder, AddNodeAppendsToAnExistingTreeAndRejectsNegativeLevels) {
  TTreeView tree;
  tree.AddChild(kWrite, nullptr, "existing");
  TOutlineBuilder builder(tree, kWrite);
  builder.AddNode(5, "r");
  builder.AddNode(1, "c");
  EXPECT_EQ(builder.AddNode(2, "g")->Level(), 2);
  EXPECT_THROW(builder.AddNode(-1, "bad"), ETreeViewError);
  EXPECT_THROW(builder.AddNode(4, "bad"), ETreeViewError);
  builder.AddNode(0, "r2");
  EXPECT_EQ(Dump(tree), "existing\nr\n c\n  g\nr2\n");
}

TEST(OutlineBuilder, DeepChainBuildsQueriesAndFreesWithoutRecursion) {
  constexpr int kDepth = 100000;
  TTreeView tree;
  TOutlineBuilder builder(tree, kWrite);
  for (int i = 0; i < kDepth; ++i) builder.AddNode(i, "n");
  builder.AddNode(0, "last");
  EXPECT_EQ(tree.Count(), kDepth + 1);
  EXPECT_EQ(tree.Item(kDepth - 1)->Level(), kDepth - 1);
  EXPECT_EQ(tree.Item(kDepth)->Text(), "last");
  tree.Item(5)->Collapse(true);
  tree.GetFirstNode()->Expand(true);
  EXPECT_TRUE(tree.Item(kDepth - 2)->Expanded());
  tree.Delete(kWrite, tree.Item(1));
  EXPECT_EQ(tree.Count(), 2);
  for (int i = 0; i < kDepth; ++i) builder.AddNode(i, "m");
  tree.Clear(kWrite);
  EXPECT_EQ(tree.Count(), 0);
}

}  // namespace
}  // namespace zel
