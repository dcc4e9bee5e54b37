// Node editing through the window: the commands, the tree's in-place editor, collapsing,
// double click and dragging nodes, driven like a user would.

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <map>
#include <random>

#include "app/OutlineView.h"
#include "app/TreeModel.h"
#include "tests/app/AppTestUtil.h"

namespace zel::test {
namespace {

class EditingTest : public FormTest {
 protected:
  // a.xml: root "a.xml" > "<?xml ...?>", "<catalog>" > two books > a title each.
  TTreeNode* Root() { return Form().Session().Tree().GetFirstNode(); }
  TTreeNode* Catalog() { return Root()->Item(1); }
  TTreeNode* Book(int i) { return Catalog()->Item(i); }

  void Select(TTreeNode* node) {
    Form().Session().Tree().SetSelected(node);
    Idle();
  }
  void Run(TCommand& c) {
    c.Action()->trigger();
    Idle();
  }
  QLineEdit* Editor() {
    return Part<TOutlineView>(Form(), "TreeView1")->viewport()->findChild<QLineEdit*>();
  }
  // Types into the open in-place editor and ends it with `key` (Enter accepts, Esc cancels).
  void TypeInEditor(const QString& text, Qt::Key key) {
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr) << "no in-place editor is open";
    editor->setText(text);  // typing, also what the keyboard simulation cannot type
    QTest::keyClick(editor, key);
    // The editor commits and closes from the event loop; an editor on a rejected text opens
    // after that.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    // The closed editor goes later; it must not stand for the next one.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Idle();
  }
  QPoint PointOf(TTreeNode* node) {
    const QModelIndex i = ModelOf(Form()).IndexOf(node);
    Part<TOutlineView>(Form(), "TreeView1")->scrollTo(i);
    return Part<TOutlineView>(Form(), "TreeView1")->visualRect(i).center();
  }
  void Mouse(QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
    QWidget* vp = Part<TOutlineView>(Form(), "TreeView1")->viewport();
    QMouseEvent e(type, pos, vp->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &e);
  }
  // Drags `node` to `to`; `over` runs while the pointer is there, before the release.
  void Drag(TTreeNode* node, QPoint to, const std::function<void()>& over = {}) {
    const QPoint from = PointOf(node);
    Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    Mouse(QEvent::MouseMove, from + QPoint(0, 3), Qt::LeftButton);
    Mouse(QEvent::MouseMove, to, Qt::LeftButton);
    if (over) over();
    Mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
    Idle();
  }
  QPoint BelowTheLastNode() {
    QTreeView* v = Part<TOutlineView>(Form(), "TreeView1");
    return QPoint(20, v->viewport()->height() - 3);
  }
};

TEST_F(EditingTest, AddWithoutTheDialogOpensTheEditorExceptUnderTheRoot) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  Select(Root());
  FDialogs.Answers = {IDYES};  // a second root element, asked first
  Run(*f.Command(TCommandId::EditAdd));
  TTreeNode* added = Root()->Item(Root()->Count() - 1);
  EXPECT_EQ(added->Text(), "<NewNode>");
  EXPECT_TRUE(added->Selected());
  EXPECT_FALSE(f.Session().Tree().IsEditing()) << "Modify was still disabled for the root";
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_TRUE(f.Session().Modified());
  EXPECT_EQ(TreeImageOf(*added, false), 3) << "the images are assigned anew";

  Select(Book(0));
  Run(*f.Command(TCommandId::EditAdd));
  TTreeNode* child = Book(0)->Item(Book(0)->Count() - 1);
  EXPECT_EQ(child->Text(), "<NewNode>");
  EXPECT_TRUE(f.Session().Tree().IsEditing());
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->text(), "<NewNode>");
  // An open edit disables what would touch the node under it.
  EXPECT_FALSE(f.Command(TCommandId::EditModify)->Enabled());
  EXPECT_FALSE(f.Command(TCommandId::EditDelete)->Enabled());
  EXPECT_FALSE(f.Command(TCommandId::SearchFind)->Enabled());
  EXPECT_EQ(Panel(0), "0: 0: 0");
  TypeInEditor("<author/>", Qt::Key_Return);
  EXPECT_EQ(child->Text(), "<author/>");
  EXPECT_FALSE(f.Session().Tree().IsEditing());
  EXPECT_TRUE(f.Command(TCommandId::EditModify)->Enabled());
}

TEST_F(EditingTest, AddAndModifyThroughTheDialogAcceptAnyText) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  Run(*f.Command(TCommandId::EditUseDialog));
  EXPECT_TRUE(f.Command(TCommandId::EditUseDialog)->Checked());
  Select(Book(1));
  FDialogs.NodeAnswers = {std::nullopt, std::string(" no brackets ")};
  Run(*f.Command(TCommandId::EditAdd));  // cancelled
  EXPECT_EQ(Book(1)->Count(), 1);
  EXPECT_FALSE(f.Session().Modified());
  Run(*f.Command(TCommandId::EditAdd));
  ASSERT_EQ(Book(1)->Count(), 2);
  EXPECT_EQ(Book(1)->Item(1)->Text(), " no brackets ");
  EXPECT_TRUE(Book(1)->Item(1)->Selected());
  EXPECT_EQ(FDialogs.Shown.back().Text, "") << "Add starts from an empty text";

  f.Session().SetModified(false);
  Select(Catalog());
  FDialogs.NodeAnswers = {std::string("<catalog>")};
  Run(*f.Command(TCommandId::EditModify));
  EXPECT_EQ(FDialogs.Shown.back().Text, "<catalog>");
  EXPECT_TRUE(f.Session().Modified()) << "also an unchanged text marks the document";
  EXPECT_EQ(Editor(), nullptr);
}

TEST_F(EditingTest, InPlaceEditsFollowTheNodeTextRuleAndEscCancels) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  TTreeNode* title = Book(0)->Item(0);
  Select(title);
  const std::string old(title->Text());
  for (const char* bad : {"<>", "title>", "<title", " <a>"}) {
    Run(*f.Command(TCommandId::EditModify));
    TypeInEditor(bad, Qt::Key_Return);
    EXPECT_EQ(title->Text(), old) << bad;
    ASSERT_FALSE(FDialogs.Errors().empty()) << bad;
    EXPECT_EQ(FDialogs.Errors().back(), QString("Invalid node text \"%1\"").arg(bad));
    EXPECT_FALSE(f.Session().Modified()) << bad;
    TypeInEditor(bad, Qt::Key_Escape);  // the editor came back on the rejected text
    EXPECT_EQ(title->Text(), old) << bad;
    EXPECT_FALSE(f.Session().Tree().IsEditing());
  }
  EXPECT_EQ(FDialogs.Errors().size(), 4u) << "one message per rejected edit";

  Run(*f.Command(TCommandId::EditModify));
  TypeInEditor("<x>", Qt::Key_Escape);
  EXPECT_EQ(title->Text(), old);
  EXPECT_FALSE(f.Session().Modified());
  EXPECT_FALSE(f.Session().Tree().IsEditing());
  EXPECT_TRUE(f.Command(TCommandId::EditModify)->Enabled());

  Run(*f.Command(TCommandId::EditModify));
  TypeInEditor("< >", Qt::Key_Return);
  EXPECT_EQ(title->Text(), "< >");
  EXPECT_TRUE(f.Session().Modified());
  EXPECT_EQ(FDialogs.Errors().size(), 4u);
}

// A rejected text is not lost: the editor opens again on it, to be mended or given up by Esc.
TEST_F(EditingTest, ARejectedEditOpensAgainOnTheTypedText) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  TTreeNode* title = Book(0)->Item(0);
  Select(title);
  Part<TOutlineView>(f, "TreeView1")->setFocus();
  const auto type = [&](const QString& keys, Qt::Key end) {
    ASSERT_NE(Editor(), nullptr);
    QTest::keyClicks(Editor(), keys);
    QTest::keyClick(Editor(), end);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Idle();
  };
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_F2);
  ASSERT_NE(Editor(), nullptr);
  Editor()->selectAll();
  type("<name", Qt::Key_Return);
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_EQ(FDialogs.Errors()[0], "Invalid node text \"<name\"");
  ASSERT_NE(Editor(), nullptr) << "the editor is open again";
  EXPECT_TRUE(f.Session().Tree().IsEditing());
  EXPECT_EQ(Editor()->text(), "<name");
  EXPECT_EQ(title->Text(), "<title>T0</title>");
  type(" id=\"1\">", Qt::Key_Return);  // mended where the typing stopped
  EXPECT_EQ(title->Text(), "<name id=\"1\">");
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_FALSE(f.Session().Tree().IsEditing());
  EXPECT_TRUE(f.Session().Modified());

  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_F2);
  ASSERT_NE(Editor(), nullptr);
  Editor()->selectAll();
  type("broken", Qt::Key_Return);
  EXPECT_EQ(FDialogs.Errors().size(), 2u);
  EXPECT_EQ(Editor()->text(), "broken");
  type("", Qt::Key_Escape);
  EXPECT_EQ(title->Text(), "<name id=\"1\">");
  EXPECT_EQ(ModelOf(f).IndexOf(title).data().toString(), "<name id=\"1\">");
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_FALSE(f.Session().Tree().IsEditing());
  EXPECT_EQ(FDialogs.Errors().size(), 2u);
}

// A text that cannot hold the node's children is refused like an invalid one; one that would
// give the file a second root asks first. The dialog, too, comes back on a refused text.
TEST_F(EditingTest, AModifyThatWouldBreakTheSaveIsRefusedOrAsked) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  Select(Book(0));
  Part<TOutlineView>(f, "TreeView1")->setFocus();
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_F2);
  TypeInEditor("<book/>", Qt::Key_Return);
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_EQ(FDialogs.Errors()[0], "\"<book/>\" cannot hold child nodes.");
  ASSERT_NE(Editor(), nullptr) << "the editor is open again";
  EXPECT_EQ(Editor()->text(), "<book/>");
  TypeInEditor("<book id=\"0\"/>", Qt::Key_Escape);
  EXPECT_EQ(Book(0)->Text(), "<book id=\"0\">");
  EXPECT_FALSE(f.Session().Modified());

  TTreeNode* declaration = Root()->Item(0);
  const std::string head(declaration->Text());
  Select(declaration);
  FDialogs.Answers = {IDNO};
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_F2);
  TypeInEditor("<other/>", Qt::Key_Return);
  ASSERT_EQ(FDialogs.Shown.back().Caption, "Confirm");
  EXPECT_EQ(FDialogs.Shown.back().Flags, unsigned(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  EXPECT_EQ(declaration->Text(), head);
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_FALSE(f.Session().Tree().IsEditing());
  EXPECT_FALSE(f.Session().Modified());
  EXPECT_EQ(FDialogs.Errors().size(), 1u);

  f.Command(TCommandId::EditUseDialog)->Action()->setChecked(true);
  Select(Book(1));
  FDialogs.NodeAnswers = {std::string("<!-- b -->"), std::nullopt};
  Run(*f.Command(TCommandId::EditModify));
  ASSERT_EQ(FDialogs.Errors().size(), 2u);
  EXPECT_EQ(FDialogs.Shown.back().Kind, "node");
  EXPECT_EQ(FDialogs.Shown.back().Text, "<!-- b -->") << "the dialog opens on the refused text";
  EXPECT_EQ(Book(1)->Text(), "<book id=\"1\">");
  EXPECT_FALSE(f.Session().Modified());
  EXPECT_FALSE(f.Command(TCommandId::EditUndo)->Enabled());
}

TEST_F(EditingTest, ANewDocumentEndsAnOpenEditWithoutStoringIt) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  Select(Book(0)->Item(0));
  Run(*f.Command(TCommandId::EditModify));
  ASSERT_TRUE(f.Session().Tree().IsEditing());
  Run(*f.Command(TCommandId::FileNew));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(f.Session().Tree().IsEditing());
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_EQ(f.Session().Tree().Count(), 1);
  Open(FDir.File("a.xml"));
  Select(Book(0)->Item(0));
  EXPECT_TRUE(f.Command(TCommandId::EditModify)->Enabled()) << "no edit is left open to disable it";
}

TEST_F(EditingTest, TextsOutsideTheCodePageRoundTripThroughTheEditor) {
  Open(FDir.File("a.xml"));
  TTreeNode* title = Book(0)->Item(0);
  Select(title);
  Run(*Form().Command(TCommandId::EditModify));
  TypeInEditor(QString::fromUtf8("<caf\xc3\xa9>"), Qt::Key_Return);
  EXPECT_EQ(ModelOf(Form()).data(ModelOf(Form()).IndexOf(title)).toString(),
            QString::fromUtf8("<caf\xc3\xa9>"));
}

TEST_F(EditingTest, NodesAtRootLevelNeverCollapseNorEditInPlace) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  const QModelIndex top = ModelOf(f).index(0, 0);
  Select(Root());
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_Left);
  Part<TOutlineView>(f, "TreeView1")->collapse(top);
  EXPECT_TRUE(Root()->Expanded());
  EXPECT_TRUE(Part<TOutlineView>(f, "TreeView1")->isExpanded(top));
  // Below root level the same key collapses.
  Select(Catalog());
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_Left);
  EXPECT_FALSE(Catalog()->Expanded());
  EXPECT_FALSE(Part<TOutlineView>(f, "TreeView1")->isExpanded(ModelOf(f).IndexOf(Catalog())));
  // The tree's own request to edit the root is refused too.
  EXPECT_FALSE(f.Session().Tree().EditText(Root()));
  EXPECT_EQ(Editor(), nullptr);
}

TEST_F(EditingTest, DoubleClickRunsModifyAndLeavesTheExpansion) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  Run(*f.Command(TCommandId::EditUseDialog));
  Select(Catalog());
  const bool expanded = Catalog()->Expanded();
  FDialogs.NodeAnswers = {std::nullopt};
  QTest::mouseDClick(Part<TOutlineView>(f, "TreeView1")->viewport(), Qt::LeftButton, {},
                     PointOf(Catalog()));
  Idle();
  EXPECT_EQ(FDialogs.Kinds(), (std::vector<std::string>{"open", "node"}));
  EXPECT_EQ(Catalog()->Expanded(), expanded);
  // On the root Modify is disabled: a double click does nothing.
  Select(Root());
  QTest::mouseDClick(Part<TOutlineView>(f, "TreeView1")->viewport(), Qt::LeftButton, {},
                     PointOf(Root()));
  Idle();
  EXPECT_EQ(FDialogs.Kinds().size(), 2u);
  EXPECT_TRUE(Root()->Expanded());
}

TEST_F(EditingTest, DeleteAsksWithNoAsDefaultAndRemovesTheSubtree) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  Select(Book(0));
  const int before = f.Session().Tree().Count();
  FDialogs.Answers = {IDNO, IDYES};
  Run(*f.Command(TCommandId::EditDelete));
  EXPECT_EQ(f.Session().Tree().Count(), before);
  EXPECT_FALSE(f.Session().Modified());
  const auto& q = FDialogs.Shown.back();
  EXPECT_EQ(q.Text, "Delete \"<book id=\"0\">\" and its children?");
  EXPECT_EQ(q.Caption, "Confirm");
  EXPECT_EQ(q.Flags, unsigned(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  Run(*f.Command(TCommandId::EditDelete));
  EXPECT_EQ(f.Session().Tree().Count(), before - 2);
  EXPECT_EQ(Catalog()->Count(), 1);
  EXPECT_TRUE(f.Session().Modified());
  EXPECT_EQ(Catalog()->Item(0)->Text(), "<book id=\"1\">");

  Select(Catalog()->Item(0)->Item(0));
  FDialogs.Answers = {IDYES};
  Run(*f.Command(TCommandId::EditDelete));
  EXPECT_EQ(FDialogs.Shown.back().Text, "Delete \"<title>T1</title>\"?");
  EXPECT_EQ(Catalog()->Item(0)->Count(), 0);
  EXPECT_EQ(TreeImageOf(*Catalog()->Item(0), false), 3) << "a book without children shows a leaf";
}

TEST_F(EditingTest, MovesKeepTheSelectionAndTheImages) {
  WriteBytes(FDir.File("m.xml"), "<r><a/><b/><c/></r>\n");
  Open(FDir.File("m.xml"));
  TFormMain& f = Form();
  TTreeNode* r = Root()->Item(0);
  const auto texts = [&] {
    std::string out;
    for (int i = 0; i < r->Count(); ++i) out += r->Item(i)->Text();
    return out;
  };
  TTreeNode* a = r->Item(0);
  Select(a);
  EXPECT_FALSE(f.Command(TCommandId::EditMoveUp)->Enabled());
  EXPECT_FALSE(f.Command(TCommandId::EditDemote)->Enabled());
  Run(*f.Command(TCommandId::EditMoveDown));
  EXPECT_EQ(texts(), "<b /><a /><c />");
  Run(*f.Command(TCommandId::EditMoveDown));  // the second-to-last child becomes the last
  EXPECT_EQ(texts(), "<b /><c /><a />");
  EXPECT_FALSE(f.Command(TCommandId::EditMoveDown)->Enabled());
  Run(*f.Command(TCommandId::EditMoveUp));
  EXPECT_EQ(texts(), "<b /><a /><c />");
  EXPECT_TRUE(a->Selected());
  EXPECT_EQ(Panel(0), "2: 2: 3");

  const int leafImage = TreeImageOf(*a, false);
  Run(*f.Command(TCommandId::EditDemote));  // last child of <b/>, which opens, is expanded, keeps
                                            // its leaf image
  EXPECT_EQ(a->Parent()->Text(), "<b>");
  EXPECT_TRUE(a->Parent()->Expanded());
  EXPECT_EQ(TreeImageOf(*a->Parent(), false), leafImage) << "moves do not reassign the images";
  EXPECT_EQ(leafImage, 3);
  EXPECT_TRUE(Part<TOutlineView>(f, "TreeView1")->isExpanded(ModelOf(f).IndexOf(a->Parent())));
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->currentIndex(), ModelOf(f).IndexOf(a));
  Run(*f.Command(TCommandId::EditPromote));  // in front of its former parent
  EXPECT_EQ(texts(), "<a /><b><c />");
  EXPECT_TRUE(f.Session().Modified());
}

TEST_F(EditingTest, DragsHonourTheParentRuleAndBothMoveModes) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  TTreeNode* title = Book(0)->Item(0);
  Select(title);
  // Over its own parent the drop is refused and shows the no-drop cursor.
  Drag(title, PointOf(Book(0)), [&] {
    EXPECT_TRUE(Part<TOutlineView>(f, "TreeView1")->Dragging());
    EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->viewport()->cursor().shape(),
              Qt::ForbiddenCursor);
  });
  EXPECT_EQ(title->Parent(), Book(0));
  EXPECT_FALSE(f.Session().Modified());
  EXPECT_FALSE(Part<TOutlineView>(f, "TreeView1")->Dragging());

  // On a descendant: accepted, nothing moves, the document counts as modified.
  Select(Catalog());
  Drag(Catalog(), PointOf(title), [&] {
    EXPECT_NE(Part<TOutlineView>(f, "TreeView1")->viewport()->cursor().shape(),
              Qt::ForbiddenCursor);
  });
  EXPECT_EQ(Catalog()->Parent(), Root());
  EXPECT_TRUE(f.Session().Modified());

  // On another node: its last child.
  Select(title);
  Drag(title, PointOf(Book(1)));
  EXPECT_EQ(title->Parent(), Book(1));
  EXPECT_EQ(Book(1)->Item(Book(1)->Count() - 1), title);
  EXPECT_TRUE(title->Selected());

  // On empty space: a second node at root level, which Modify with the dialog, the moves and
  // Delete still reach, but which neither collapses nor edits in place.
  Select(Catalog());
  Drag(Catalog(), BelowTheLastNode());
  TTreeNode* second = Root()->getNextSibling();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Text(), "<catalog>");
  EXPECT_EQ(f.Session().Tree().RootCount(), 2);
  EXPECT_TRUE(f.Command(TCommandId::EditModify)->Enabled());
  EXPECT_EQ(Panel(0), "0: 2: 2");
  EXPECT_FALSE(f.Session().Tree().EditText(second));
  second->Expand(false);
  Part<TOutlineView>(f, "TreeView1")->collapse(ModelOf(f).IndexOf(second));
  EXPECT_TRUE(second->Expanded());
  Run(*f.Command(TCommandId::EditUseDialog));
  FDialogs.NodeAnswers = {std::string("<list>")};
  Run(*f.Command(TCommandId::EditModify));
  EXPECT_EQ(second->Text(), "<list>");
  // Nothing goes in front of the node that stands for the file, which the save leaves out.
  EXPECT_FALSE(f.Command(TCommandId::EditMoveUp)->Enabled());
  EXPECT_FALSE(f.Session().Tree().GetFirstNode()->Text() != "a.xml");
  EXPECT_EQ(Root()->Text(), "a.xml");
  FDialogs.Answers = {IDYES};
  Run(*f.Command(TCommandId::EditDelete));
  EXPECT_EQ(f.Session().Tree().RootCount(), 1);
}

// A node dragged among several selected ones takes them all along, in their order, as one step.
TEST_F(EditingTest, ADragOfASelectedNodeMovesTheWholeSelection) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  TTreeNode* first = Book(0)->Item(0);
  TTreeNode* second = Book(1)->Item(0);
  first->MakeVisible();
  second->MakeVisible();
  Select(second);
  QTest::mouseClick(Part<TOutlineView>(f, "TreeView1")->viewport(), Qt::LeftButton,
                    Qt::ControlModifier, PointOf(first));
  Idle();
  Drag(second, PointOf(Catalog()));
  ASSERT_EQ(Catalog()->Count(), 4);
  EXPECT_EQ(Catalog()->Item(2), first);
  EXPECT_EQ(Catalog()->Item(3), second);
  Run(*f.Command(TCommandId::EditUndo));
  EXPECT_EQ(first->Parent(), Book(0));
  EXPECT_EQ(second->Parent(), Book(1));
  EXPECT_FALSE(f.Session().Modified()) << "one step took both back";
}

// A drag reaches every node: the view scrolls at its edges, frames the row a drop would land
// on, and opens a collapsed node the pointer rests on.
TEST_F(EditingTest, DraggingScrollsHighlightsAndOpensTheTarget) {
  WriteBytes(FDir.File("long.xml"), zel::test::Catalog(30));
  Open(FDir.File("long.xml"));
  TFormMain& f = Form();
  f.resize(396, 298);
  TTreeNode* title = Book(0)->Item(0);
  Select(Book(0));
  Book(0)->Expand(false);
  Select(title);
  QTreeView* v = Part<TOutlineView>(f, "TreeView1");
  const QPoint from = PointOf(title);
  Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
  Mouse(QEvent::MouseMove, PointOf(Book(1)), Qt::LeftButton);
  ASSERT_TRUE(Part<TOutlineView>(f, "TreeView1")->Dragging());
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->DropTarget(), ModelOf(f).IndexOf(Book(1)));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Book(1)->Expanded(); }, 10000)) << "opens on a rest";
  // Resting at the bottom edge scrolls down to the last book, which the drop then reaches.
  Mouse(QEvent::MouseMove, QPoint(40, v->viewport()->height() - 4), Qt::LeftButton);
  QScrollBar* bar = v->verticalScrollBar();
  EXPECT_TRUE(QTest::qWaitFor([&] { return bar->value() == bar->maximum(); }, 20000));
  TTreeNode* last = Book(29);
  const QPoint onLast = v->visualRect(ModelOf(f).IndexOf(last)).center();
  Mouse(QEvent::MouseMove, onLast, Qt::LeftButton);
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->DropTarget(), ModelOf(f).IndexOf(last));
  Mouse(QEvent::MouseButtonRelease, onLast, Qt::NoButton);
  Idle();
  EXPECT_EQ(title->Parent(), last);
  EXPECT_FALSE(Part<TOutlineView>(f, "TreeView1")->DropTarget().isValid());
}

// No gesture changes a read-only document, so closing it never asks to save.
TEST_F(EditingTest, AReadOnlyDocumentIsChangedByNothing) {
  Open(FDir.File("a.xml"), true);
  TFormMain& f = Form();
  Select(Book(1));
  EXPECT_EQ(Panel(0), "0: 0: 0");
  EXPECT_EQ(Panel(1), "Read Only");
  for (TCommand* c : {f.Command(TCommandId::EditAdd), f.Command(TCommandId::EditModify),
                      f.Command(TCommandId::EditDelete), f.Command(TCommandId::EditMoveUp),
                      f.Command(TCommandId::EditMoveDown), f.Command(TCommandId::EditPromote),
                      f.Command(TCommandId::EditDemote)}) {
    EXPECT_FALSE(c->Enabled()) << c->Action()->objectName().toStdString();
    Run(*c);
  }
  EXPECT_EQ(Catalog()->Item(1), Book(1));
  // The tree's own edit gesture (a click on the selected node's label) and a drop.
  EXPECT_FALSE(f.Session().Tree().EditText(Book(0)->Item(0)));
  static_cast<QAbstractItemView*>(Part<TOutlineView>(f, "TreeView1"))
      ->edit(ModelOf(f).IndexOf(Book(1)));
  EXPECT_EQ(Editor(), nullptr);
  TTreeNode* title = Book(1)->Item(0);
  Drag(title, PointOf(Book(0)), [&] {
    EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->viewport()->cursor().shape(),
              Qt::ForbiddenCursor);
  });
  EXPECT_EQ(title->Parent(), Book(1));
  EXPECT_FALSE(f.Session().Modified());
  EXPECT_EQ(Panel(1), "Read Only");
  EXPECT_TRUE(f.close());
  EXPECT_TRUE(FDialogs.Shown.size() == 1 && FDialogs.Shown[0].Kind == "open");
}

TEST_F(EditingTest, PanelsFollowTheSelection) {
  Open(FDir.File("b.xml"));
  TFormMain& f = Form();
  Select(Root());
  EXPECT_EQ(Panel(0), "0: 0: 0");
  EXPECT_FALSE(f.Command(TCommandId::EditModify)->Enabled());
  EXPECT_TRUE(f.Command(TCommandId::EditAdd)->Enabled());
  EXPECT_TRUE(f.Command(TCommandId::SearchFind)->Enabled());
  Select(Root()->Item(0));
  EXPECT_EQ(Panel(0), "1: 1: 1");
  Select(Book(2));  // root > xml, catalog > book0 > title, book1 > title, book2
  EXPECT_EQ(Panel(0), "2: 3: 7");
  Select(Book(2)->Item(0));
  EXPECT_EQ(Panel(0), "3: 1: 8");

  // A new document: only the root, so nothing to find.
  f.Command(TCommandId::FileNew)->Action()->trigger();
  Select(Root());
  EXPECT_FALSE(f.Command(TCommandId::SearchFind)->Enabled());
  EXPECT_TRUE(f.Command(TCommandId::EditAdd)->Enabled());
}

// The images every row shows after any mix of commands are those of one plain rule: a load and
// each AssignImages (after Add, Delete, Cut, Paste, Undo and Redo) give every node the image of
// its place; moves, drops and text edits change no image; a duplicate shows its original's.
// No command resets the view: selection and expansion stay as the outline has them.
TEST_F(EditingTest, EveryEditShowsTheImagesOfTheAssignRule) {
  TFormMain& f = Form();
  f.Command(TCommandId::EditUseDialog)->Action()->setChecked(true);
  int resets = 0;
  QObject::connect(&ModelOf(f), &QAbstractItemModel::modelAboutToBeReset, [&] { ++resets; });
  QApplication::clipboard()->clear();  // Paste takes only what Cut and Copy put there
  std::mt19937 rng(20);
  const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
  const auto nodes = [&] {
    std::vector<TTreeNode*> out;
    for (TTreeNode* n = Root(); n; n = n->GetNext()) out.push_back(n);
    return out;
  };
  using TShown = std::pair<int, int>;  // image, selected image
  std::map<const TTreeNode*, TShown> expected;
  const auto assign = [&] {
    expected.clear();
    for (TTreeNode* n : nodes()) expected[n] = {PlaceImage(*n, false), PlaceImage(*n, true)};
  };
  for (int round = 0; round < 10; ++round) {
    std::string xml;
    const std::function<void(int)> element = [&](int depth) {
      const std::string name = "e" + std::to_string(pick(5));
      const int children = depth < 4 ? pick(4) : 0;
      if (children == 0) {
        xml += "<" + name + "/>";
        return;
      }
      xml += "<" + name + ">";
      for (int i = 0; i < children; ++i) element(depth + 1);
      xml += "</" + name + ">";
    };
    element(0);
    WriteBytes(FDir.File("p.xml"), xml);
    f.Session().SetModified(false);
    Open(FDir.File("p.xml"));
    assign();
    resets = 0;
    for (int step = 0; step < 40; ++step) {
      std::vector<TTreeNode*> all = nodes();
      TTreeNode* node = all[size_t(pick(int(all.size())))];
      node->MakeVisible();  // a user selects what is shown
      Select(node);
      TCommand* const commands[] = {
          f.Command(TCommandId::EditAdd),       f.Command(TCommandId::EditDelete),
          f.Command(TCommandId::EditCut),       f.Command(TCommandId::EditPaste),
          f.Command(TCommandId::EditUndo),      f.Command(TCommandId::EditRedo),
          f.Command(TCommandId::EditDuplicate), f.Command(TCommandId::EditModify),
          f.Command(TCommandId::EditMoveUp),    f.Command(TCommandId::EditMoveDown),
          f.Command(TCommandId::EditPromote),   f.Command(TCommandId::EditDemote),
          f.Command(TCommandId::EditCopy),      nullptr};
      const int which = pick(int(std::size(commands)));
      TCommand* c = commands[which];
      std::string did = c ? c->Action()->text().toStdString() : "drop";
      if (c == nullptr) {
        TTreeNode* target = pick(8) == 0 ? nullptr : all[size_t(pick(int(all.size())))];
        FDialogs.Answers = {IDYES};  // a second root element, asked
        f.TreeView1DragDrop(node, target);
        Idle();
      } else if (c->Enabled()) {
        FDialogs.Answers = {IDYES};
        // A node with children keeps a text that holds them.
        const bool holds = c == f.Command(TCommandId::EditModify) && node->HasChildren();
        FDialogs.NodeAnswers = {"<n" + std::to_string(step) + (holds ? ">" : "/>")};
        std::vector<const TTreeNode*> originals;
        if (c == f.Command(TCommandId::EditDuplicate))
          for (const TTreeNode* n = node; n && (n == node || n->HasAsParent(node));
               n = n->GetNext())
            originals.push_back(n);
        Run(*c);
        if (which <= 5) assign();
        const TTreeNode* copy = originals.empty() ? nullptr : node->getNextSibling();
        for (const TTreeNode* o : originals) {
          expected[copy] = expected[o];
          copy = copy->GetNext();
        }
      } else {
        did += " (disabled)";
      }
      SCOPED_TRACE("round " + std::to_string(round) + " step " + std::to_string(step) + ": " + did);
      ASSERT_TRUE(FDialogs.Errors().empty());
      EXPECT_EQ(resets, 0) << "the view keeps its rows";
      const QModelIndex current = ModelOf(f).IndexOf(f.Session().Tree().Selected());
      EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->currentIndex(), current);
      for (TTreeNode* n : nodes()) {
        ASSERT_EQ(expected.count(n), 1u) << n->Text();
        const TShown want = expected[n];
        EXPECT_EQ(TShown(TreeImageOf(*n, false), TreeImageOf(*n, true)), want) << n->Text();
        const QModelIndex i = ModelOf(f).IndexOf(n);
        const QIcon shown = ModelOf(f).data(i, Qt::DecorationRole).value<QIcon>();
        EXPECT_EQ(shown.cacheKey(),
                  ModelOf(f).Images().Icon(n->Selected() ? want.second : want.first).cacheKey());
        if (n->Count() > 0) {
          EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->isExpanded(i), n->Expanded()) << n->Text();
        }
      }
    }
  }
}

// A node gains a child only where the save can close it: an element on one line opens up, in
// one undo step; a comment refuses, to Demote (its key), Add and a drop alike.
TEST_F(EditingTest, OneLineElementsOpenUpAndCommentsRefuseChildren) {
  WriteBytes(FDir.File("l.xml"), "<r><leaf>text</leaf><x/><!-- c --><y/></r>");
  Open(FDir.File("l.xml"));
  TFormMain& f = Form();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  Part<TOutlineView>(f, "TreeView1")->setFocus();
  TTreeNode* r = Root()->Item(0);
  TTreeNode* x = r->Item(1);
  Select(x);
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_E, Qt::ControlModifier);
  Idle();
  TTreeNode* leaf = r->Item(0);
  EXPECT_EQ(leaf->Text(), "<leaf>");
  ASSERT_EQ(leaf->Count(), 2);
  EXPECT_EQ(leaf->Item(0)->Text(), "text");
  EXPECT_EQ(leaf->Item(1), x);
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_Z, Qt::ControlModifier);
  Idle();
  EXPECT_EQ(leaf->Text(), "<leaf>text</leaf>");
  EXPECT_EQ(leaf->Count(), 0);
  EXPECT_EQ(x->Parent(), r);
  EXPECT_FALSE(f.Session().Modified());

  TTreeNode* comment = r->Item(2);
  TTreeNode* y = r->Item(3);
  Select(y);
  EXPECT_FALSE(f.Command(TCommandId::EditDemote)->Enabled());
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_E, Qt::ControlModifier);
  Idle();
  Drag(y, PointOf(comment), [&] {
    EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->viewport()->cursor().shape(),
              Qt::ForbiddenCursor);
  });
  EXPECT_EQ(y->Parent(), r);
  EXPECT_EQ(comment->Count(), 0);
  EXPECT_FALSE(f.Session().Modified());
  Select(comment);
  EXPECT_FALSE(f.Command(TCommandId::EditAdd)->Enabled());
}

}  // namespace
}  // namespace zel::test
