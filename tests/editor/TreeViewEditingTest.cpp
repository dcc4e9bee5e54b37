// In-place editing and collapsing under the owner's rules, and the node text rule.

#include <gtest/gtest.h>

#include "editor/NodeEditing.h"
#include "editor/NodeText.h"
#include "outline/TreeView.h"
#include "tests/outline/TreeViewTestUtil.h"

namespace zel {
namespace {

using test::Find;
using test::kWrite;
using test::LoadOutline;

TEST(NodeTextTest, NeedsAngleBracketsAtBothEndsAndThreeCharacters) {
  for (const char* ok : {"<a>", "< >", "<b>x</b>", "<<>>", "<!-- c -->"}) {
    EXPECT_TRUE(IsValidNodeText(ok)) << ok;
    EXPECT_NO_THROW(CheckNodeText(ok)) << ok;
  }
  for (const char* bad : {"", "<", ">", "<>", "a>", "<a", " <a>", "<a> ", "<a>\n", "x"})
    EXPECT_FALSE(IsValidNodeText(bad)) << bad;
  try {
    CheckNodeText("<a");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Invalid node text \"<a\"");
  }
}

class TreeViewEditingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadOutline(tree, "file.xml\n <a>\n  <b/>\n");
    tree.GetFirstNode()->Expand(true);
    InstallEditRules(tree, [this](TTreeNode*, const std::string&) { return ++accepted > 0; });
    auto& ev = tree.EditEvents();
    ev.OnOpenEditor = [this](TTreeNode* n) {
      opened = n;
      return true;
    };
  }
  TTreeView tree;
  TTreeNode* opened = nullptr;
  int accepted = 0;
};

TEST_F(TreeViewEditingTest, RootLevelNodesRefuseTheEditor) {
  TTreeNode* root = tree.GetFirstNode();
  EXPECT_FALSE(tree.CanEdit(root));
  EXPECT_FALSE(tree.EditText(root));
  EXPECT_EQ(opened, nullptr);
  EXPECT_FALSE(tree.IsEditing());

  // A second node at root level, as a drop on empty space makes it.
  Find(tree, "<a>")->MoveTo(kWrite, nullptr, TNodeAttachMode::naAddRoot);
  EXPECT_FALSE(tree.EditText(Find(tree, "<a>")));
  EXPECT_TRUE(tree.EditText(Find(tree, "<b/>")));
}

TEST_F(TreeViewEditingTest, AcceptedTextIsStoredAndRejectedTextKeepsTheOld) {
  TTreeNode* a = Find(tree, "<a>");
  ASSERT_TRUE(tree.EditText(a));
  EXPECT_EQ(opened, a);
  EXPECT_TRUE(tree.IsEditing());
  EXPECT_TRUE(tree.EditText(a)) << "a second request keeps the open edit";

  tree.EndEdit(kWrite, a, "<c x=\"1\">");
  EXPECT_FALSE(tree.IsEditing());
  EXPECT_EQ(a->Text(), "<c x=\"1\">");
  EXPECT_EQ(accepted, 1);
  ASSERT_TRUE(tree.EditText(a));
  tree.EndEdit(kWrite, a, std::string(a->Text()));
  EXPECT_EQ(accepted, 2) << "an unchanged text modifies the document as well";

  ASSERT_TRUE(tree.EditText(a));
  EXPECT_THROW(tree.EndEdit(kWrite, a, "<>"), Exception);
  EXPECT_FALSE(tree.IsEditing()) << "a refused text still closes the edit";
  EXPECT_EQ(a->Text(), "<c x=\"1\">");

  ASSERT_TRUE(tree.EditText(a));
  tree.CancelEdit();
  EXPECT_FALSE(tree.IsEditing());
  EXPECT_EQ(accepted, 2) << "Esc does not report the text";
}

TEST_F(TreeViewEditingTest, DisplayThatCannotOpenAnEditorLeavesNoEditOpen) {
  tree.EditEvents().OnOpenEditor = [](TTreeNode*) { return false; };
  EXPECT_FALSE(tree.EditText(Find(tree, "<a>")));
  EXPECT_FALSE(tree.IsEditing());
  tree.EditEvents().OnOpenEditor = nullptr;
  EXPECT_FALSE(tree.EditText(Find(tree, "<a>")));
}

TEST_F(TreeViewEditingTest, RootLevelNodesNeverCollapse) {
  TTreeNode* root = tree.GetFirstNode();
  TTreeNode* a = Find(tree, "<a>");
  EXPECT_FALSE(tree.CollapseRequested(root));
  EXPECT_TRUE(root->Expanded());
  EXPECT_TRUE(tree.CollapseRequested(a));
  EXPECT_FALSE(a->Expanded());

  TTreeView other;
  LoadOutline(other, "x\n");
  EXPECT_FALSE(tree.CollapseRequested(other.GetFirstNode())) << "a node of another tree";
  EXPECT_FALSE(tree.CanEdit(nullptr));
}

}  // namespace
}  // namespace zel
