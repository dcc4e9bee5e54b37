#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TreeViewTestUtil.h"
#include "outline/TreeView.h"

namespace zel {
namespace {

using test::Find;
using test::kWrite;
using test::LoadOutline;

// Writes every notification as a short line; names nodes by text, "-" for none. "About"
// events also record the node's place at that moment, which must still be the old one.
class Recorder : public ITreeViewObserver {
 public:
  std::vector<std::string> log;

  static std::string Name(const TTreeNode* n) { return n ? std::string(n->Text()) : "-"; }
  void NodeAboutToBeInserted(TTreeNode* p, int i) override { Add("+? " + Name(p), i); }
  void NodeInserted(TTreeNode* p, int i) override {
    Add("+ " + Name(p) + " " + std::to_string(i) + " =", (p ? p->Item(i) : nullptr) ? 1 : 0);
  }
  void NodeAboutToBeRemoved(TTreeNode* n) override {
    Add("-? " + std::string(n->Text()) + " from " + Name(n->Parent()), n->Index());
  }
  void NodeRemoved(TTreeNode* p, int i) override { Add("- " + Name(p), i); }
  void NodeAboutToBeMoved(TTreeNode* n, TTreeNode* p, int i) override {
    Add("~? " + std::string(n->Text()) + " in " + Name(n->Parent()) + "@" +
            std::to_string(n->Index()) + " to " + Name(p),
        i);
  }
  void NodeMoved(TTreeNode* n, TTreeNode* p, int i) override {
    Add("~ " + std::string(n->Text()) + " from " + Name(p) + "@" + std::to_string(i) + " now " +
            Name(n->Parent()),
        n->Index());
  }
  void NodeTextChanged(TTreeNode* n) override { log.push_back("text " + std::string(n->Text())); }
  void NodeStateChanged(TTreeNode* n) override {
    log.push_back("state " + std::string(n->Text()) + (n->HasChildren() ? " h" : "") +
                  (n->Expanded() ? " e" : "") + " " + std::to_string(n->ImageIndex()));
  }
  void NodeMadeVisible(TTreeNode* n) override {
    log.push_back("visible " + std::string(n->Text()));
  }
  void SelectionChanged() override { log.push_back("select"); }
  void AppearanceChanged() override { log.push_back("look"); }
  void UpdatesSuspended() override { log.push_back("suspend"); }
  void Reset() override { log.push_back("reset"); }
  void UpdatesResumed(bool changed) override { log.push_back(changed ? "resume 1" : "resume 0"); }

 private:
  void Add(std::string s, int i) { log.push_back(s + " " + std::to_string(i)); }
};

using Log = std::vector<std::string>;

class TreeViewObserverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadOutline(tree, "root\n a\n  a1\n b\n");
    tree.AddObserver(&rec);
  }
  Log Take() { return std::exchange(rec.log, {}); }
  TTreeNode* N(const char* text) { return Find(tree, text); }
  TTreeView tree;
  Recorder rec;
};

TEST_F(TreeViewObserverTest, SingleChanges) {
  tree.AddChild(kWrite, N("b"), "b1");
  tree.AddChild(kWrite, N("b"), "b2");
  EXPECT_EQ(Take(), (Log{"+? b 0", "+ b 0 = 1", "state b h -1", "+? b 1", "+ b 1 = 1"}));

  N("b1")->SetText(kWrite, "b1");  // unchanged: silent
  N("b1")->SetText(kWrite, "x");
  N("x")->SetImageIndex(3);
  N("x")->SetImageIndex(3);
  tree.SetSelected(N("x"));
  tree.SetSelected(N("x"));
  tree.SetToolTips(true);
  N("x")->MakeVisible();
  EXPECT_EQ(Take(), (Log{"text x", "state x 3", "select", "look", "state b h e -1",
                         "state root h e -1", "visible x"}));

  tree.Delete(kWrite, N("x"));  // selected: the selection moves on after the removal
  EXPECT_EQ(Take(), (Log{"-? x from b 0", "- b 0", "select"}));
  EXPECT_EQ(tree.Selected(), N("b2"));
  tree.Delete(kWrite, N("b2"));
  EXPECT_EQ(Take(), (Log{"-? b2 from b 0", "- b 0", "state b -1", "select"}));
}

TEST_F(TreeViewObserverTest, MovesGiveBothPlaces) {
  N("b")->MoveTo(kWrite, N("a"), TNodeAttachMode::naInsert);
  EXPECT_EQ(Take(),
            (Log{"~? b in root@1 to root 0", "~ b from root@1 now root 0", "state root h e -1"}));
  // Down within the parent: the destination index counts the moving node still in place.
  N("b")->MoveTo(kWrite, nullptr, TNodeAttachMode::naAddRoot);
  N("a1")->MoveTo(kWrite, N("b"), TNodeAttachMode::naAddChild);
  EXPECT_EQ(Take(), (Log{"~? b in root@0 to - 1", "~ b from root@0 now - 1", "~? a1 in a@0 to b 0",
                         "~ a1 from a@0 now b 0", "state a -1", "state b h e -1"}));
  N("a1")->MoveTo(kWrite, N("a1"), TNodeAttachMode::naInsert);   // onto itself
  N("a1")->MoveTo(kWrite, N("b"), TNodeAttachMode::naAddChild);  // already there
  EXPECT_EQ(Take(), Log{});
}

TEST_F(TreeViewObserverTest, CountedSuspension) {
  tree.BeginUpdate();
  tree.BeginUpdate();
  EXPECT_EQ(tree.UpdateCount(), 2);
  tree.AddChild(kWrite, N("a"), "a2");
  N("a")->Expand(false);
  tree.EndUpdate();
  EXPECT_EQ(Take(), Log{"suspend"});
  tree.EndUpdate();
  EXPECT_EQ(Take(), (Log{"reset", "resume 1"}));
  tree.EndUpdate();  // unmatched: ignored
  EXPECT_EQ(tree.UpdateCount(), 0);

  tree.BeginUpdate();
  tree.EndUpdate();
  EXPECT_EQ(Take(), (Log{"suspend", "resume 0"}));

  tree.Clear(kWrite);
  EXPECT_EQ(Take(), (Log{"suspend", "reset", "resume 1"}));
  tree.Clear(kWrite);  // already empty
  EXPECT_EQ(Take(), Log{});
}

TEST_F(TreeViewObserverTest, LoadIsOneResetAlsoWhenItFails) {
  LoadOutline(tree, "x\n y\n");
  EXPECT_EQ(Take(), (Log{"suspend", "reset", "resume 1"}));
  EXPECT_THROW(LoadOutline(tree, "p\n  deep\n"), ETreeViewError);
  EXPECT_EQ(Take(), (Log{"suspend", "reset", "resume 1"}));
  EXPECT_EQ(tree.UpdateCount(), 0);
  EXPECT_EQ(tree.Count(), 1);
}

// A listener told of a removal looks the remaining rows up while the selection still lies in
// the removed subtree: no lookup may start from there.
TEST(TreeViewObserverLookups, RowsAfterARemovalNeverComeFromTheRemovedSubtree) {
  for (const int depth : {0, 1, 2}) {
    TTreeView tree;
    std::vector<TTreeNode*> roots;
    for (int i = 0; i < 10; ++i)
      roots.push_back(tree.AddChild(kWrite, nullptr, "r" + std::to_string(i)));
    TTreeNode* selected = roots[5];
    for (int d = 0; d < depth; ++d) selected = tree.AddChild(kWrite, selected, "c");
    tree.SetSelected(selected);
    struct TLookup : ITreeViewObserver {
      TTreeView* tree;
      std::vector<TTreeNode*> seen;
      void NodeRemoved(TTreeNode*, int) override {
        for (int i = 0; i < tree->RootCount(); ++i) seen.push_back(tree->Root(i));
      }
    } lookup;
    lookup.tree = &tree;
    tree.AddObserver(&lookup);
    tree.Delete(kWrite, roots[5]);
    tree.RemoveObserver(&lookup);
    roots.erase(roots.begin() + 5);
    EXPECT_EQ(lookup.seen, roots) << "selection " << depth << " levels down";
  }
}

}  // namespace
}  // namespace zel
