#include <gtest/gtest.h>

#include <string>

#include "editor/TreeSearch.h"
#include "editor/TreeStatistic.h"
#include "tests/outline/TreeViewTestUtil.h"

namespace zel {
namespace {

using test::Find;
using test::kWrite;
using test::LoadOutline;

class TreeSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadOutline(tree,
                "books.xml\n <catalog>\n  <book id=\"1\">\n   <title>XML</title>\n"
                "  <book id=\"2\">\n   <title>xml basics</title>\n <!-- end -->\n");
  }
  TTreeNode* N(const char* text) { return Find(tree, text); }
  TTreeNode* Search(TTreeNode* from, const char* pattern, bool down, bool matchCase = false,
                    bool wholeWord = false) {
    return FindNodeText(from, pattern, {down, matchCase, wholeWord});
  }
  TTreeView tree;
};

TEST_F(TreeSearchTest, DownStartsAfterTheSelectionAndStopsAtTheFirstMatch) {
  TTreeNode* root = tree.GetFirstNode();
  EXPECT_EQ(Search(root, "book", true), N("<book id=\"1\">"));
  EXPECT_EQ(Search(N("<book id=\"1\">"), "book", true), N("<book id=\"2\">"));
  EXPECT_EQ(Search(root, "BASICS", true), N("<title>xml basics</title>"));
  EXPECT_EQ(Search(root, "BASICS", true, true), nullptr);
  EXPECT_EQ(Search(N("<!-- end -->"), "<", true), nullptr) << "never wraps to the top";
  EXPECT_EQ(Search(nullptr, "<", true), nullptr);
}

TEST_F(TreeSearchTest, UpReachesTheRootAndItsFileName) {
  TTreeNode* first = N("<catalog>");
  EXPECT_EQ(Search(first, "books", false), tree.GetFirstNode());
  EXPECT_EQ(Search(tree.GetFirstNode(), "books", false), nullptr);
  // Up from a node visits the deepest last descendant of the previous sibling first.
  EXPECT_EQ(Search(N("<!-- end -->"), "title", false), N("<title>xml basics</title>"));
}

TEST_F(TreeSearchTest, WholeWordNeedsTheWholeTextAndFoldsOnlyAsciiLetters) {
  TTreeNode* root = tree.GetFirstNode();
  EXPECT_EQ(Search(root, "<TITLE>XML</TITLE>", true, false, true), N("<title>XML</title>"));
  EXPECT_EQ(Search(root, "<title>XML</title>", true, true, true), N("<title>XML</title>"));
  EXPECT_EQ(Search(root, "<title>xml</title>", true, true, true), nullptr);
  EXPECT_EQ(Search(root, "<catalog", true, false, true), nullptr) << "partial match";

  TTreeView latin;
  LoadOutline(latin, "r\n <\xe4>\n <\xc4>\n");  // a-umlaut, A-umlaut in an 8-bit code page
  EXPECT_EQ(FindNodeText(latin.GetFirstNode(), "\xc4", {}), latin.Item(2));
}

TEST_F(TreeSearchTest, RepeatedPatternFindsTheOnlyFullOccurrence) {
  TTreeView t;
  const std::string hay(20000, 'a');
  LoadOutline(t, "r\n " + hay + "\n " + hay + "b\n");
  EXPECT_EQ(FindNodeText(t.GetFirstNode(), std::string(5000, 'a') + "b", {}), t.Item(2));
  EXPECT_EQ(FindNodeText(t.GetFirstNode(), "", {}), t.Item(1)) << "empty text is everywhere";
}

TEST(TreeStatisticTest, CountsAllButTheRootInOnePass) {
  TTreeView tree;
  EXPECT_EQ(CountTreeStatistic(tree).Nodes, 0);
  LoadOutline(tree, "Untitled.xml\n");
  const TTreeStatistic empty = CountTreeStatistic(tree);
  EXPECT_EQ(empty.Nodes, 0);
  EXPECT_EQ(empty.Depth, 0);
  EXPECT_EQ(empty.Characters, 0);

  LoadOutline(tree, "long-file-name.xml\n <a>\n  <bb>\n   <ccc/>\n <d/>\nsecond-root\n <e/>\n");
  const TTreeStatistic s = CountTreeStatistic(tree);
  EXPECT_EQ(s.Nodes, 6);
  EXPECT_EQ(s.Depth, 3);
  EXPECT_EQ(s.Characters, 3 + 4 + 6 + 4 + 4) << "root-level texts count nothing";
}

TEST(TreeStatisticTest, DeepChainsAreCountedWithoutRecursion) {
  TTreeView tree;
  const int depth = 100000;
  TTreeNode* n = tree.AddChild(kWrite, nullptr, "r");
  for (int i = 1; i <= depth; ++i) n = tree.AddChild(kWrite, n, "x");
  const TTreeStatistic s = CountTreeStatistic(tree);
  EXPECT_EQ(s.Depth, depth);
  EXPECT_EQ(s.Characters, depth);
  EXPECT_EQ(FindNodeText(tree.Item(depth), "r", {false, true, true}), tree.GetFirstNode());
}

}  // namespace
}  // namespace zel
