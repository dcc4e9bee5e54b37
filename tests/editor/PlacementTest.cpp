// Where edits may put nodes: an element written on one line opens up when it gains a child,
// other leaves refuse children, and the first level of the file keeps one root element and
// its declaration and DOCTYPE in front, asking before an edit breaks that.

#include <gtest/gtest.h>

#include "EditSequence.h"
#include "editor/CommandStates.h"
#include "editor/NodeEditing.h"
#include "editor/SubtreeText.h"
#include "tests/outline/TreeViewTestUtil.h"

namespace zel {
namespace {

using test::Dump;
using test::Find;
using test::LoadOutline;

class PlacementTest : public ::testing::Test {
 protected:
  void Load(const char* outline) {
    LoadOutline(doc.Tree(), outline);
    doc.SetConfirm([this](const std::string& q) {
      Questions.push_back(q);
      return Answer;
    });
  }
  TTreeNode* N(const char* text) { return Find(doc.Tree(), text); }
  std::string Saved() {
    std::string text;
    BuildXMLText(doc.Tree(), text);
    return text;
  }
  TOutlineDocument doc;
  std::vector<std::string> Questions;
  bool Answer = false;
};

TEST_F(PlacementTest, OneLineElementsOpenUpInOneStepAndOtherLeavesRefuse) {
  Load(
      "f.xml\n <r>\n  <leaf a=\"1>2\">text</leaf>\n  <x/>\n  <empty/>\n  <e></e>\n"
      "  <!-- c -->\n  t\n  <?pi d?>\n  <![CDATA[cd]]>\n  <y/>\n");
  const std::string before = Dump(doc.Tree());
  EXPECT_TRUE(doc.Demote(N("<x/>")));
  EXPECT_EQ(N("<leaf a=\"1>2\">")->Count(), 2);
  EXPECT_EQ(N("<leaf a=\"1>2\">")->Item(0)->Text(), "text");
  EXPECT_EQ(doc.UndoName(), "Demote");
  doc.Undo();  // one step takes both back
  EXPECT_EQ(Dump(doc.Tree()), before);
  doc.Redo();
  EXPECT_EQ(N("<x/>")->Parent(), N("<leaf a=\"1>2\">"));
  ASSERT_NE(doc.Add(N("<empty/>"), "<n/>"), nullptr);
  EXPECT_EQ(N("<n/>")->Parent(), N("<empty>"));
  EXPECT_TRUE(doc.Drop(N("<y/>"), N("<e></e>")));
  EXPECT_EQ(N("<e>")->Count(), 1) << "nothing inside: no text child";
  EXPECT_TRUE(test::SavesWellFormed(doc.Tree())) << Saved();

  // Comments, texts, instructions and CDATA sections never hold children.
  for (const char* leaf : {"<!-- c -->", "t", "<?pi d?>", "<![CDATA[cd]]>"}) {
    const size_t steps = doc.UndoCount();
    TTreeNode* node = N(leaf);
    EXPECT_FALSE(MayGainChild(*node)) << leaf;
    EXPECT_EQ(doc.Add(node, "<z/>"), nullptr) << leaf;
    EXPECT_TRUE(doc.Declined());
    EXPECT_FALSE(CanDropNode(N("<y/>"), node)) << leaf;
    EXPECT_FALSE(doc.Drop(N("<y/>"), node)) << leaf;
    EXPECT_FALSE(doc.Demote(node->getNextSibling())) << leaf;
    EXPECT_EQ(doc.UndoCount(), steps) << leaf;
    TCommandInput in;
    in.Selected = node;
    EXPECT_FALSE(ComputeCommandStates(in).Add) << leaf;
    in.Selected = node->getNextSibling();
    EXPECT_FALSE(ComputeCommandStates(in).Demote) << leaf;
  }
  EXPECT_TRUE(test::SavesWellFormed(doc.Tree())) << Saved();
}

TEST_F(PlacementTest, TheFirstLevelAsksBeforeItBreaksAndKeepsItsHeadInFront) {
  Load("f.xml\n <?xml version=\"1.0\"?>\n <!DOCTYPE r>\n <r>\n  <c/>\n  t\n");
  TTreeNode* root = doc.Tree().GetFirstNode();
  const std::string second = FirstLevelQuestion(kFirstLevelSecondRoot);
  const std::string text = FirstLevelQuestion(kFirstLevelTextOutside);
  EXPECT_EQ(second,
            "The document will have more than one root element and will not be well-formed. "
            "Go on?");
  EXPECT_EQ(text,
            "The document will have text outside the root element and will not be well-formed. "
            "Go on?");
  // No: nothing changes, and the refusal marks nothing.
  EXPECT_EQ(doc.Add(root, "<s>"), nullptr);
  EXPECT_FALSE(doc.Promote(N("t")));
  EXPECT_FALSE(doc.Drop(N("<c/>"), root));
  EXPECT_FALSE(doc.Drop(N("<c/>"), nullptr));
  EXPECT_EQ(Questions, (std::vector<std::string>{second, text, second, second}));
  EXPECT_TRUE(doc.Declined());
  EXPECT_EQ(doc.UndoCount(), 0u);
  // Comments and instructions stand there freely.
  EXPECT_NE(doc.Add(root, "<!-- end -->"), nullptr);
  EXPECT_EQ(Questions.size(), 4u);
  // Yes: the save writes what the first level then holds, a node at root level included.
  Answer = true;
  EXPECT_TRUE(doc.Drop(N("<c/>"), nullptr));
  EXPECT_EQ(doc.Tree().RootCount(), 2);
  EXPECT_NE(Saved().find("<!-- end -->\r\n<c/>\r\n"), std::string::npos) << Saved();
  doc.Undo();

  // The declaration stays first and the DOCTYPE before the element, asked or not.
  EXPECT_FALSE(doc.MoveUp(N("<!DOCTYPE r>")));
  EXPECT_FALSE(doc.MoveDown(N("<!DOCTYPE r>")));
  EXPECT_EQ(doc.Duplicate(N("<!DOCTYPE r>")), nullptr);
  EXPECT_FALSE(doc.Refusal().empty());
  EXPECT_EQ(doc.Add(N("<r>"), "<!DOCTYPE q>"), nullptr);
  EXPECT_EQ(doc.Add(N("<r>"), "<?xml version=\"1.0\"?>"), nullptr);
  EXPECT_FALSE(doc.Drop(N("<!DOCTYPE r>"), N("<r>")));
  EXPECT_EQ(Questions.size(), 5u);
  EXPECT_TRUE(test::SavesWellFormed(doc.Tree())) << Saved();
}

// A new text must hold the node's children and may stand where the node stands.
TEST_F(PlacementTest, ModifyKeepsTheChildrenHeldAndTheFirstLevelWhole) {
  Load("f.xml\n <!-- head -->\n <r>\n  <c>\n   <d/>\n  <e/>\n");
  const std::string before = Dump(doc.Tree());
  for (const char* leaf : {"<c>x</c>", "<c/>", "<!-- c -->", "<?c?>", "<![CDATA[c]]>", "c"}) {
    EXPECT_FALSE(doc.SetText(N("<c>"), leaf)) << leaf;
    EXPECT_EQ(doc.Refusal(), "\"" + std::string(leaf) + "\" cannot hold child nodes.");
  }
  EXPECT_FALSE(doc.SetText(N("<e/>"), "<!DOCTYPE r>"));
  EXPECT_NE(doc.Refusal().find("DOCTYPE"), std::string::npos);
  EXPECT_TRUE(doc.Declined());
  EXPECT_TRUE(Questions.empty());
  EXPECT_EQ(doc.UndoCount(), 0u);
  EXPECT_EQ(Dump(doc.Tree()), before);
  EXPECT_TRUE(doc.SetText(N("<e/>"), "<!-- e -->"));
  EXPECT_TRUE(doc.SetText(N("<c>"), "<k a=\"1\">"));
  // At the first level the same questions as for the other edits; No changes nothing.
  EXPECT_FALSE(doc.SetText(N("<!-- head -->"), "<s/>"));
  EXPECT_FALSE(doc.SetText(N("<!-- head -->"), "loose text"));
  EXPECT_EQ(Questions, (std::vector<std::string>{FirstLevelQuestion(kFirstLevelSecondRoot),
                                                 FirstLevelQuestion(kFirstLevelTextOutside)}));
  EXPECT_TRUE(doc.Declined());
  EXPECT_EQ(doc.Refusal(), "");
  EXPECT_EQ(doc.UndoCount(), 2u);
  EXPECT_TRUE(doc.SetText(N("<r>"), "<q>")) << "the one element changes its name freely";
  EXPECT_TRUE(test::SavesWellFormed(doc.Tree())) << Saved();
}

TEST_F(PlacementTest, PastedTextLosesItsDeclarationAndADoctypeStaysOutOfElements) {
  Load("f.xml\n <?xml version=\"1.0\"?>\n <r>\n  <c/>\n");
  TTreeView pasted;
  ReadXMLText("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- a -->\n<p>x</p>", pasted);
  // Under the root: after the declaration, asking for the second element.
  Answer = true;
  TTreeNode* first = doc.Paste(pasted, doc.Tree().GetFirstNode());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Dump(doc.Tree()),
            "f.xml\n <?xml version=\"1.0\"?>\n <!-- a -->\n <p>x</p>\n <r>\n  <c/>\n");
  EXPECT_EQ(Questions.size(), 1u);
  doc.Undo();

  ReadXMLText("<?xml version=\"1.0\"?>\n<!DOCTYPE p>\n<p/>", pasted);
  EXPECT_EQ(doc.Paste(pasted, N("<c/>")), nullptr);
  EXPECT_NE(doc.Refusal().find("DOCTYPE"), std::string::npos);
  EXPECT_EQ(pasted.Count(), 0);
  EXPECT_EQ(Dump(doc.Tree()), "f.xml\n <?xml version=\"1.0\"?>\n <r>\n  <c/>\n");

  // A copied CDATA node is a section alone, which comes back as the node it was.
  TTreeView copied;
  LoadOutline(copied, "f.xml\n <r>\n  <![CDATA[a<b]]>\n");
  ReadXMLText(SubtreeXMLText(*Find(copied, "<![CDATA[a<b]]>")), pasted);
  ASSERT_NE(doc.Paste(pasted, N("<c/>")), nullptr);
  EXPECT_EQ(Dump(doc.Tree()), "f.xml\n <?xml version=\"1.0\"?>\n <r>\n  <c/>\n  <![CDATA[a<b]]>\n");

  // What the reader had to mend is told; fragments of content are not mended.
  EXPECT_FALSE(IsWellFormedText("<a><b></a>"));
  EXPECT_FALSE(IsWellFormedText("<a x=1/>"));
  EXPECT_TRUE(IsWellFormedText("<a/><b>t</b> tail"));
  EXPECT_TRUE(IsWellFormedText("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a>\xC3\xA9</a>"));
  EXPECT_TRUE(IsWellFormedText("<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>"));
}

}  // namespace
}  // namespace zel
