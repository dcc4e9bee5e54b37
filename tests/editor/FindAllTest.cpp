#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Exception.h"
#include "editor/FindAll.h"
#include "tests/outline/TreeViewTestUtil.h"

namespace zel {
namespace {

using test::LoadOutline;

class FindAllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadOutline(tree,
                "books.xml\n <?xml version=\"1.0\" ?>\n <catalog>\n  <book id=\"1\">\n"
                "   <title>XML</title>\n  <!-- one -->\n  <book id=\"2\">\n"
                "   <title>xml basics</title>\n   <?pi x?>\n   text\n   <![CDATA[x]]>\n"
                "  <note />\n  <book id=\"3\">\n   <title>Caf\xe9</title>\n");
  }
  // The indexes of the matches.
  std::vector<int> Find(const std::string& pattern, bool regex, bool matchCase = false,
                        bool wholeWord = false) {
    std::vector<int> indexes;
    for (const TFoundNode& f :
         FindAllNodeText(tree, TNodeTextQuery(pattern, {regex, matchCase, wholeWord}))) {
      EXPECT_EQ(f.Index, f.Node->AbsoluteIndex());
      indexes.push_back(f.Index);
    }
    return indexes;
  }
  TTreeView tree;
};

TEST_F(FindAllTest, MatchesByTheRulesOfFindNextOrByARegularExpression) {
  using V = std::vector<int>;
  EXPECT_EQ(Find("xml", false), (V{0, 1, 4, 7})) << "every match, the root's file name too";
  EXPECT_EQ(Find("xml", false, true), (V{0, 1, 7}));
  EXPECT_EQ(Find("CAF\xc9", false), V{}) << "only a to z are folded";
  EXPECT_EQ(Find("<TITLE>XML</TITLE>", false, false, true), V{4});
  EXPECT_EQ(Find("<title>", false, false, true), V{}) << "whole word: the whole text";
  EXPECT_EQ(Find("", false), (V{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));

  EXPECT_EQ(Find("<book id=\"(1|3)\">", true), (V{3, 12}));
  EXPECT_EQ(Find("^<(TITLE)>x(ml)", true), (V{4, 7}));
  EXPECT_EQ(Find("^<(TITLE)>x(ml)", true, true), V{});
  EXPECT_EQ(Find("<title>(xml|x.l)</title>", true, false, true), V{4})
      << "whole word: the match spans the text";
  EXPECT_EQ(Find("te(x)t|<note", true, false, true), V{9});

  try {
    TNodeTextQuery("ab(c", {true, false, false});
    ADD_FAILURE() << "a bad pattern compiles";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              "Invalid regular expression \"ab(c\": missing ) at position 1 (\"ab(c\")");
  }
  EXPECT_THROW(TNodeTextQuery("x{2,1}", {true, false, false}), Exception);
  EXPECT_NO_THROW(TNodeTextQuery("ab(c", {false, false, false})) << "plain text is no pattern";
}

TEST_F(FindAllTest, PathsCountSameNamedSiblingsAndNameNodeKindsAsXPath) {
  std::vector<TFoundNode> all;
  int index = 0;
  for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext()) all.push_back({n, index++});
  const std::vector<std::string> expected = {
      "/",
      "",
      "/catalog[1]",
      "/catalog[1]/book[1]",
      "/catalog[1]/book[1]/title[1]",
      "/catalog[1]/comment()[1]",
      "/catalog[1]/book[2]",
      "/catalog[1]/book[2]/title[1]",
      "/catalog[1]/book[2]/processing-instruction()[1]",
      "/catalog[1]/book[2]/text()[1]",
      "/catalog[1]/book[2]/text()[2]",
      "/catalog[1]/note[1]",
      "/catalog[1]/book[3]",
      "/catalog[1]/book[3]/title[1]",
  };
  EXPECT_EQ(NodePaths(tree, all), expected);
  for (const TFoundNode& f : all) EXPECT_EQ(NodePath(*f.Node), expected[f.Index]);
  // Only the nodes asked for, in one pass.
  const std::vector<TFoundNode> some = {all[5], all[13]};
  EXPECT_EQ(NodePaths(tree, some), (std::vector<std::string>{expected[5], expected[13]}));
}

}  // namespace
}  // namespace zel
