#include <gtest/gtest.h>

#include "editor/CommandStates.h"
#include "tests/outline/TreeViewTestUtil.h"

namespace zel {
namespace {

using test::Find;
using test::LoadOutline;

class CommandStatesTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadOutline(tree, "doc.xml\n <a>\n  <a1/>\n  <a2>\n   <x/>\n  <a3/>\n"); }
  TCommandInput Input(const char* selected) {
    TCommandInput in;
    in.FileName = "/home/u/doc.xml";
    in.Selected = selected ? Find(tree, selected) : nullptr;
    in.NodeCount = tree.Count();
    in.HasFindText = true;
    return in;
  }
  TTreeView tree;
};

TEST_F(CommandStatesTest, RootSelected) {
  const TCommandStates c = ComputeCommandStates(Input("doc.xml"));
  EXPECT_TRUE(c.Add);
  EXPECT_FALSE(c.Modify);
  EXPECT_FALSE(c.Delete);
  EXPECT_FALSE(c.MoveUp || c.MoveDown || c.Promote || c.Demote);
  EXPECT_TRUE(c.Find && c.FindNext);
  EXPECT_EQ(NodePositionText(Input("doc.xml").Selected, c.Modify), "0: 0: 0");

  TTreeView single;
  LoadOutline(single, "Untitled.xml\n");
  TCommandInput in;
  in.FileName = "Untitled.xml";
  in.Selected = single.GetFirstNode();
  in.NodeCount = 1;
  in.HasFindText = true;
  const TCommandStates n = ComputeCommandStates(in);
  EXPECT_FALSE(n.Find) << "only the root: nothing to search";
  EXPECT_FALSE(n.FindNext);
  EXPECT_FALSE(n.Revert);
  EXPECT_TRUE(n.Save && n.SaveAs && n.New && n.Open && n.Add);
}

TEST_F(CommandStatesTest, ChildrenSelectedShowTheirPosition) {
  const TCommandInput first = Input("<a1/>");
  const TCommandStates c = ComputeCommandStates(first);
  EXPECT_TRUE(c.Modify && c.Delete && c.Revert);
  EXPECT_TRUE(c.MoveDown && c.Promote);
  EXPECT_FALSE(c.MoveUp || c.Demote);
  EXPECT_EQ(NodePositionText(first.Selected, c.Modify), "2: 1: 2");
  EXPECT_EQ(NodePositionText(Find(tree, "<a3/>"), true), "2: 3: 5");
  EXPECT_EQ(NodePositionText(Find(tree, "<a>"), true), "1: 1: 1");

  const TCommandStates top = ComputeCommandStates(Input("<a>"));
  EXPECT_FALSE(top.Promote) << "level 1";
  EXPECT_FALSE(top.MoveUp || top.MoveDown);
  EXPECT_TRUE(ComputeCommandStates(Input(nullptr)) ==
              ComputeCommandStates(Input(nullptr)));  // no selection is a valid input
  EXPECT_FALSE(ComputeCommandStates(Input(nullptr)).Add);
}

TEST_F(CommandStatesTest, OpenEditDisablesModifyDeleteAndSearch) {
  TCommandInput in = Input("<a2>");
  in.Editing = true;
  const TCommandStates c = ComputeCommandStates(in);
  EXPECT_FALSE(c.Modify || c.Delete || c.Find || c.FindNext);
  EXPECT_TRUE(c.Add && c.MoveUp && c.MoveDown);
  EXPECT_EQ(NodePositionText(in.Selected, c.Modify), "0: 0: 0");
  in.Editing = false;
  in.HasFindText = false;
  EXPECT_FALSE(ComputeCommandStates(in).FindNext);
  EXPECT_TRUE(ComputeCommandStates(in).Find);
}

TEST_F(CommandStatesTest, ReadOnlyDisablesEveryChange) {
  TCommandInput in = Input("<a2>");
  in.ReadOnly = true;
  const TCommandStates c = ComputeCommandStates(in);
  EXPECT_FALSE(c.Save || c.Add || c.Modify || c.Delete);
  EXPECT_FALSE(c.MoveUp || c.MoveDown || c.Promote || c.Demote);
  EXPECT_TRUE(c.SaveAs && c.Find);
  EXPECT_EQ(NodePositionText(in.Selected, c.Modify), "0: 0: 0");
  EXPECT_EQ(FileStateText(false, true), "Read Only");
  EXPECT_EQ(FileStateText(true, true), "Modified");
  EXPECT_EQ(FileStateText(false, false), "");
}

TEST_F(CommandStatesTest, BusyLeavesOnlyExitAndCancel) {
  TCommandInput in = Input("<a2>");
  in.Busy = true;
  TCommandStates only;
  only.Exit = true;
  only.Cancel = true;
  only.Reopen = false;
  EXPECT_TRUE(ComputeCommandStates(in) == only);
  const TCommandStates idle = ComputeCommandStates(Input("<a2>"));
  EXPECT_TRUE(idle.Reopen && !idle.Cancel && idle.Exit && idle.UseDialog && idle.About);
}

TEST(CaptionTest, FileNamePartAndModifiedMark) {
  EXPECT_EQ(WindowCaption("Zel XML Editor 1.0", "Untitled.xml", false),
            "Zel XML Editor 1.0 - [Untitled.xml]");
  EXPECT_EQ(WindowCaption("Zel XML Editor 1.0", "/home/u/My Books.xml", true),
            "Zel XML Editor 1.0 - [My Books.xml*]");
  TCommandInput in;
  in.FileName = "/tmp/Untitled.xml";  // a named document that happens to have this name
  EXPECT_TRUE(ComputeCommandStates(in).Revert);
}

}  // namespace
}  // namespace zel
