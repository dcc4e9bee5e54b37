// Undo, Redo and the clipboard commands, each pressed by its keys as a user presses them.

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

#include "tests/app/AppTestUtil.h"

namespace zel::test {
namespace {

class UndoClipboardTest : public FormTest {
 protected:
  TTreeNode* R() { return Form().Session().Tree().GetFirstNode()->Item(0); }
  // The children of <r>, and theirs in brackets.
  std::string Texts(const TTreeNode* n = nullptr) {
    n = n ? n : R();
    std::string out;
    for (const TTreeNode* c = n->GetFirstChild(); c; c = c->getNextSibling())
      out += std::string(c->Text()) + (c->GetFirstChild() ? "[" + Texts(c) + "]" : "");
    return out;
  }
  void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
    QTest::keyClick(Part<TOutlineView>(Form(), "TreeView1"), key, mods);
    Idle();
  }
  void Select(TTreeNode* node) {
    Form().Session().Tree().SetSelected(node);
    Idle();
  }
  QString Text(TCommand& c) { return c.Action()->text().remove('&'); }
  void OpenActive(const char* xml) {
    WriteBytes(FDir.File("m.xml"), xml);
    Open(FDir.File("m.xml"));
    Form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
    Part<TOutlineView>(Form(), "TreeView1")->setFocus();
  }
};

TEST_F(UndoClipboardTest, UndoAndRedoTakeEveryEditBackToTheLoad) {
  OpenActive("<r><a/><b><b1/></b><c/></r>\n");
  TFormMain& f = Form();
  const std::string loaded = Texts();
  EXPECT_FALSE(f.Command(TCommandId::EditUndo)->Enabled());
  Select(R()->Item(0));
  Press(Qt::Key_W);  // Move Down
  EXPECT_EQ(Texts(), "<b>[<b1 />]<a /><c />");
  EXPECT_EQ(Text(*f.Command(TCommandId::EditUndo)), "Undo Move Down");
  EXPECT_TRUE(f.Session().Modified());
  EXPECT_NE(Caption().find('*'), std::string::npos);
  Select(R()->Item(0));
  FDialogs.Answers = {IDYES};
  Press(Qt::Key_Delete, Qt::NoModifier);
  EXPECT_EQ(Texts(), "<a /><c />");
  EXPECT_EQ(Text(*f.Command(TCommandId::EditUndo)), "Undo Delete");

  Press(Qt::Key_Z);
  EXPECT_EQ(Texts(), "<b>[<b1 />]<a /><c />");
  EXPECT_EQ(f.Session().Tree().Selected(), R()->Item(0))
      << "the selection follows the restored node";
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->currentIndex().data().toString(), "<b>");
  EXPECT_EQ(Text(*f.Command(TCommandId::EditRedo)), "Redo Delete");
  Press(Qt::Key_Z);
  EXPECT_EQ(Texts(), loaded);
  EXPECT_FALSE(f.Session().Modified()) << "back at the loaded state";
  EXPECT_FALSE(f.Command(TCommandId::EditUndo)->Enabled());
  Press(Qt::Key_Y);
  Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Texts(), "<a /><c />");
  EXPECT_TRUE(f.Session().Modified());

  // A save marks the clean state; Revert clears the history.
  f.Command(TCommandId::FileSave)->Execute();
  Idle();
  EXPECT_FALSE(f.Session().Modified());
  Press(Qt::Key_Z);
  EXPECT_TRUE(f.Session().Modified());
  FDialogs.Answers = {IDYES};
  f.Command(TCommandId::FileRevert)->Execute();
  Idle();
  EXPECT_EQ(Texts(), "<a /><c />");
  EXPECT_FALSE(f.Command(TCommandId::EditUndo)->Enabled());
  EXPECT_FALSE(f.Command(TCommandId::EditRedo)->Enabled());
  EXPECT_EQ(Text(*f.Command(TCommandId::EditUndo)), "Undo");
}

TEST_F(UndoClipboardTest, CutCopyPasteAndDuplicateGoThroughTheClipboard) {
  OpenActive("<r><a x=\"1\"><a1>t</a1></a><b/></r>\n");
  TFormMain& f = Form();
  Select(R()->Item(0));
  Press(Qt::Key_C);
  const QMimeData* data = QApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->text(), "<a x=\"1\">\r\n\t<a1>t</a1>\r\n</a>\r\n");
  EXPECT_EQ(data->data("application/xml"), data->text().toUtf8());
  EXPECT_FALSE(f.Session().Modified());

  Select(R()->Item(1));
  Press(Qt::Key_V);  // after the selected node, at its level
  EXPECT_EQ(Texts(), "<a x=\"1\">[<a1>t</a1>]<b /><a x=\"1\">[<a1>t</a1>]");
  EXPECT_EQ(f.Session().Tree().Selected(), R()->Item(2));
  Press(Qt::Key_Z);  // one step takes the paste back
  EXPECT_EQ(Texts(), "<a x=\"1\">[<a1>t</a1>]<b />");

  // Text from anywhere, several top-level nodes, under the root as first children.
  QApplication::clipboard()->setText("<p/><!-- note --><q>z</q>");
  Idle();
  Select(f.Session().Tree().GetFirstNode());
  FDialogs.Answers = {IDYES};  // more than one root element
  Press(Qt::Key_Insert, Qt::ShiftModifier);
  const TTreeNode* root = f.Session().Tree().GetFirstNode();
  ASSERT_GE(root->Count(), 3);
  EXPECT_EQ(std::string(root->Item(0)->Text()) + std::string(root->Item(1)->Text()) +
                std::string(root->Item(2)->Text()),
            "<p /><!-- note --><q>z</q>");
  Press(Qt::Key_Z);

  QApplication::clipboard()->setText("just words");
  Idle();
  Select(R()->Item(1));
  Press(Qt::Key_V);
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_EQ(FDialogs.Errors()[0], "The clipboard holds no XML to paste.");
  EXPECT_EQ(Texts(), "<a x=\"1\">[<a1>t</a1>]<b />");

  Select(R()->Item(0));
  Press(Qt::Key_D);
  EXPECT_EQ(Texts(), "<a x=\"1\">[<a1>t</a1>]<a x=\"1\">[<a1>t</a1>]<b />");
  EXPECT_EQ(Text(*f.Command(TCommandId::EditUndo)), "Undo Duplicate");
  const size_t questions = FDialogs.Shown.size();
  Press(Qt::Key_X);  // no question
  EXPECT_EQ(FDialogs.Shown.size(), questions);
  EXPECT_EQ(Texts(), "<a x=\"1\">[<a1>t</a1>]<b />");
  EXPECT_EQ(QApplication::clipboard()->text(), "<a x=\"1\">\r\n\t<a1>t</a1>\r\n</a>\r\n");
  Select(R()->Item(0));
  Press(Qt::Key_Delete, Qt::ShiftModifier);  // Cut again
  EXPECT_EQ(Texts(), "<b />");
  EXPECT_EQ(Text(*f.Command(TCommandId::EditUndo)), "Undo Cut");

  // Nothing changes a read-only document.
  FDialogs.Answers = {IDNO};
  Open(FDir.File("m.xml"), true);
  Select(R()->Item(0));
  for (TCommand* c : {f.Command(TCommandId::EditUndo), f.Command(TCommandId::EditRedo),
                      f.Command(TCommandId::EditCut), f.Command(TCommandId::EditPaste),
                      f.Command(TCommandId::EditDuplicate)})
    EXPECT_FALSE(c->Enabled()) << c->Action()->objectName().toStdString();
  EXPECT_TRUE(f.Command(TCommandId::EditCopy)->Enabled());
}

// What would break the file is asked first (the first level) or refused (a DOCTYPE inside an
// element); a whole file's declaration is left out, and mended markup is told.
TEST_F(UndoClipboardTest, PastesAndAddsKeepTheFileWellFormedOrAskFirst) {
  OpenActive("<?xml version=\"1.0\"?>\n<r><a/></r>\n");
  TFormMain& f = Form();
  TTreeNode* root = f.Session().Tree().GetFirstNode();
  const QString question =
      "The document will have more than one root element and will not be well-formed. Go on?";
  QApplication::clipboard()->setText(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- c -->\n<s>t</s>\n");
  Idle();
  Select(root);
  FDialogs.Answers = {IDNO};
  const size_t shown = FDialogs.Shown.size();
  Press(Qt::Key_V);
  ASSERT_EQ(FDialogs.Shown.size(), shown + 1);
  EXPECT_EQ(FDialogs.Shown.back().Text, question);
  EXPECT_EQ(FDialogs.Shown.back().Caption, "Confirm");
  EXPECT_EQ(FDialogs.Shown.back().Flags, unsigned(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  EXPECT_EQ(root->Count(), 2);
  EXPECT_FALSE(f.Session().Modified());
  FDialogs.Answers = {IDYES};
  Press(Qt::Key_V);
  EXPECT_EQ(root->Count(), 4) << "the clipboard's declaration stays out";
  EXPECT_EQ(root->Item(1)->Text(), "<!-- c -->");
  Press(Qt::Key_Z);

  // Add with the root selected asks too.
  Select(root);
  FDialogs.Answers = {IDNO};
  Press(Qt::Key_Insert);
  EXPECT_EQ(FDialogs.Shown.back().Text, question);
  EXPECT_EQ(root->Count(), 2);
  EXPECT_FALSE(f.Session().Modified());
  QApplication::clipboard()->setText("<!-- n -->words");
  Idle();
  FDialogs.Answers = {IDNO};
  Press(Qt::Key_V);
  EXPECT_EQ(FDialogs.Shown.back().Text,
            "The document will have text outside the root element and will not be well-formed. "
            "Go on?");

  // Inside an element: a DOCTYPE is refused; mended markup pastes as mended.
  TTreeNode* r = root->Item(1);
  Select(r->Item(0));
  QApplication::clipboard()->setText("<!DOCTYPE q>\n<q/>");
  Idle();
  Press(Qt::Key_V);
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_EQ(Texts(r), "<a />");
  QApplication::clipboard()->setText("<p><b></p>");
  Idle();
  Press(Qt::Key_V);
  EXPECT_EQ(Texts(r), "<a /><p>[<b />]");
  EXPECT_EQ(Panel(2), "The pasted text was not well-formed and was mended.");
}

// F2, Enter with the text as it was, and the dialog's OK on it: a step of its own.
TEST_F(UndoClipboardTest, AnUnchangedModifyIsAStepUndoTakesBack) {
  OpenActive("<r><a/></r>\n");
  TFormMain& f = Form();
  Select(R()->Item(0));
  Press(Qt::Key_F2, Qt::NoModifier);
  auto* editor = Part<TOutlineView>(f, "TreeView1")->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();
  Idle();
  EXPECT_TRUE(f.Session().Modified());
  EXPECT_EQ(Text(*f.Command(TCommandId::EditUndo)), "Undo Modify");
  Press(Qt::Key_Z);
  EXPECT_FALSE(f.Session().Modified());
  EXPECT_EQ(R()->Item(0)->Text(), "<a />");

  f.Command(TCommandId::EditUseDialog)->Action()->trigger();
  FDialogs.NodeAnswers = {std::string("<a />")};
  Press(Qt::Key_F2, Qt::NoModifier);
  EXPECT_TRUE(f.Session().Modified());
  EXPECT_EQ(Text(*f.Command(TCommandId::EditUndo)), "Undo Modify");
  Press(Qt::Key_Z);
  EXPECT_FALSE(f.Session().Modified());
}

// A paste reads as a load does: its stages and progress in the status bar, the commands off
// meanwhile, and Cancel stops it with the outline as it was.
TEST_F(UndoClipboardTest, APasteShowsTheLoadsProgressAndCanBeCancelled) {
  OpenActive("<r><a/></r>\n");
  TFormMain& f = Form();
  std::string big = "<list>";
  for (int i = 0; i < 3000; ++i) big += "<item n=\"" + std::to_string(i) + "\">text</item>";
  QApplication::clipboard()->setText(QString::fromStdString(big + "</list>"));
  Idle();
  std::vector<std::string> stages;
  std::string progress;
  bool panelShown = true, commandsOff = true;
  f.Session().Component().OnStateChange = [&](TZelXMLTree& s, TZelXMLTreeStates st) {
    f.ZelXMLTree1StateChange(s, st);
    stages.push_back(PanelTextOf(f, 2).toStdString());
    panelShown = panelShown && Part<QFrame>(f, "PnlProgress")->isVisible();
    commandsOff = commandsOff && !f.Command(TCommandId::EditPaste)->Enabled() &&
                  f.Command(TCommandId::FileCancel)->Enabled();
  };
  f.Session().Component().OnProgress = [&](TZelXMLTree& s, TZelXMLTreeStates st, uint16_t p) {
    f.ZelXMLTree1Progress(s, st, p);
    progress = PanelTextOf(f, 2).toStdString();
  };
  Select(R()->Item(0));
  Press(Qt::Key_V);
  EXPECT_EQ(stages,
            (std::vector<std::string>{"Clipboard: Loading file...", "Clipboard: Building tree...",
                                      "Clipboard: Process done"}));
  EXPECT_EQ(progress, "Clipboard: Building tree... (100%)");
  EXPECT_TRUE(panelShown);
  EXPECT_TRUE(commandsOff);
  EXPECT_FALSE(Part<QFrame>(f, "PnlProgress")->isVisible());
  ASSERT_EQ(R()->Count(), 2);
  EXPECT_EQ(R()->Item(1)->Text(), "<list>");
  EXPECT_EQ(R()->Item(1)->Count(), 3000);
  EXPECT_TRUE(f.Command(TCommandId::EditPaste)->Enabled());

  stages.clear();
  FDialogs.Answers = {IDYES};
  PressCancelDuringProcess();
  Press(Qt::Key_V);
  EXPECT_EQ(FDialogs.Shown.back().Text, "Cancel current process?");
  EXPECT_EQ(R()->Count(), 2) << "nothing pasted";
  EXPECT_EQ(Panel(2), "Clipboard: Process cancelled");
  EXPECT_FALSE(Part<QFrame>(f, "PnlProgress")->isVisible());
  EXPECT_EQ(Text(*f.Command(TCommandId::EditUndo)), "Undo Paste");
  EXPECT_EQ(f.Session().FileName(), FDir.File("m.xml")) << "the document stays";
  EXPECT_TRUE(FDialogs.Errors().empty());
}

// Rows chosen with Shift+Down or Ctrl+A go as one: one question naming their count, one step;
// Ctrl+/ turns them into comments, and Uncomment turns the comments back.
TEST_F(UndoClipboardTest, SeveralSelectedNodesGoAsOneStep) {
  OpenActive("<r><a/><b/><c/><d/></r>\n");
  TFormMain& f = Form();
  const std::string loaded = Texts();
  Select(R()->Item(0));
  Press(Qt::Key_Down, Qt::ShiftModifier);
  Press(Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(f.Session().Tree().Selected(), R()->Item(2)) << "the current node moved along";
  FDialogs.Answers = {IDYES};
  Press(Qt::Key_Delete, Qt::NoModifier);
  ASSERT_FALSE(FDialogs.Shown.empty());
  EXPECT_EQ(FDialogs.Shown.back().Text, "Delete 3 nodes?");
  EXPECT_EQ(Texts(), "<d />");
  Press(Qt::Key_Z);
  EXPECT_EQ(Texts(), loaded);
  EXPECT_FALSE(f.Command(TCommandId::EditUndo)->Enabled()) << "one step";
  // Ctrl+A takes the current node's siblings.
  Select(R()->Item(1));
  Press(Qt::Key_A);
  FDialogs.Answers = {IDNO};
  Press(Qt::Key_Delete, Qt::NoModifier);
  EXPECT_EQ(FDialogs.Shown.back().Text, "Delete 4 nodes?");

  Select(R()->Item(1));
  Press(Qt::Key_Down, Qt::ShiftModifier);
  Press(Qt::Key_Slash);
  EXPECT_EQ(Texts(), "<a /><!--<b />--><!--<c />--><d />");
  EXPECT_EQ(Text(*f.Command(TCommandId::EditUndo)), "Undo Comment");
  Press(Qt::Key_Z);
  EXPECT_EQ(Texts(), loaded);
  Select(R()->Item(3));
  Press(Qt::Key_Slash);
  Select(R()->Item(3));
  f.Command(TCommandId::EditUncomment)->Execute();
  Idle();
  EXPECT_EQ(Texts(), loaded);
  EXPECT_TRUE(FDialogs.Errors().empty());
}

}  // namespace
}  // namespace zel::test
