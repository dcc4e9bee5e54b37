// The item model over the outline: Qt's model checker watches every change, and the view keeps
// the outline's expansion and selection through suspended updates.

#include "app/NodeTextCodec.h"
#include "app/TreeModel.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <map>

#include "tests/app/AppTestUtil.h"
#include "tests/outline/TreeWriteAccess.h"

namespace zel::test {
namespace {

class TreeModelTest : public ::testing::Test {
 protected:
  TreeModelTest() : FModel(FTree, FImages) {}
  TTreeView FTree;
  TImageList FImages = MakeTreeImages();
  TTreeModel FModel;
};

TEST_F(TreeModelTest, RowsFollowInsertsMovesDeletesAndTextChanges) {
  QAbstractItemModelTester tester(&FModel, QAbstractItemModelTester::FailureReportingMode::Fatal);
  TTreeNode* root = FTree.AddChild(kWrite, nullptr, "root.xml");
  TTreeNode* a = FTree.AddChild(kWrite, root, "<a>");
  TTreeNode* b = FTree.AddChild(kWrite, root, "<b>");
  TTreeNode* c = FTree.AddChild(kWrite, a, "<c/>");
  EXPECT_EQ(FModel.rowCount(), 1);
  const QModelIndex ri = FModel.index(0, 0);
  EXPECT_EQ(FModel.rowCount(ri), 2);
  EXPECT_EQ(FModel.data(FModel.index(1, 0, ri)).toString(), "<b>");
  EXPECT_EQ(FModel.parent(FModel.IndexOf(c)), FModel.IndexOf(a));

  c->MoveTo(kWrite, b, TNodeAttachMode::naAddChild);
  EXPECT_EQ(FModel.rowCount(FModel.IndexOf(a)), 0);
  EXPECT_EQ(FModel.rowCount(FModel.IndexOf(b)), 1);
  b->MoveTo(kWrite, a, TNodeAttachMode::naInsert);
  EXPECT_EQ(FModel.data(FModel.index(0, 0, ri)).toString(), "<b>");
  a->SetText(kWrite, "<renamed>");
  EXPECT_EQ(FModel.data(FModel.IndexOf(a)).toString(), "<renamed>");
  FTree.Delete(kWrite, b);
  EXPECT_EQ(FModel.rowCount(ri), 1);
  FTree.Clear(kWrite);
  EXPECT_EQ(FModel.rowCount(), 0);
}

TEST_F(TreeModelTest, SuspendedUpdatesShowNoRowsAndComeBackWithOneReset) {
  QAbstractItemModelTester tester(&FModel, QAbstractItemModelTester::FailureReportingMode::Fatal);
  FTree.AddChild(kWrite, nullptr, "old");
  int resets = 0;
  QObject::connect(&FModel, &QAbstractItemModel::modelReset, [&] { ++resets; });
  FTree.BeginUpdate();
  EXPECT_EQ(FModel.rowCount(), 0);  // a repaint now sees nothing that is being replaced
  FTree.Clear(kWrite);
  TTreeNode* r = FTree.AddChild(kWrite, nullptr, "new");
  for (int i = 0; i < 1000; ++i) FTree.AddChild(kWrite, r, "<n/>");
  FTree.BeginUpdate();
  FTree.EndUpdate();
  EXPECT_EQ(FModel.rowCount(), 0);
  FTree.EndUpdate();
  EXPECT_EQ(resets, 2);  // one to hide the rows, one to bring them back
  EXPECT_EQ(FModel.rowCount(FModel.index(0, 0)), 1000);
}

TEST_F(TreeModelTest, DataServesImagesTooltipsAndCodePageText) {
  TTreeNode* r = FTree.AddChild(kWrite, nullptr, "r");
  TTreeNode* n = FTree.AddChild(kWrite, r, "caf\xc3\xa9");
  n->SetImageIndex(3);
  n->SetSelectedIndex(4);
  const QModelIndex i = FModel.IndexOf(n);
  EXPECT_FALSE(FModel.data(i, Qt::ToolTipRole).isValid());
  FTree.SetToolTips(true);
  EXPECT_EQ(FModel.data(i, Qt::ToolTipRole).toString(), FromCodePage(n->Text()));
  EXPECT_FALSE(FModel.data(i, Qt::DecorationRole).value<QIcon>().isNull());
  EXPECT_FALSE(FModel.index(5, 0).isValid());
  EXPECT_FALSE(FModel.index(0, 1).isValid());
}

TEST_F(FormTest, TheViewKeepsExpansionAndSelectionThroughAReset) {
  Open(FDir.File("b.xml"));
  TFormMain& f = Form();
  TTreeNode* catalog = f.Session().Tree().GetFirstNode()->Item(1);
  Part<TOutlineView>(f, "TreeView1")->expand(ModelOf(f).IndexOf(catalog));
  EXPECT_TRUE(catalog->Expanded());  // the view's expansion reaches the outline
  TTreeNode* book = catalog->Item(2);
  Part<TOutlineView>(f, "TreeView1")->setCurrentIndex(ModelOf(f).IndexOf(book));
  EXPECT_EQ(f.Session().Tree().Selected(), book);
  Idle();
  EXPECT_EQ(Panel(0), "2: 3: 7");  // level 2, third child, seven nodes before it

  f.Session().Tree().BeginUpdate();  // a load or New resets the view
  f.Session().Tree().EndUpdate();
  EXPECT_TRUE(Part<TOutlineView>(f, "TreeView1")->isExpanded(ModelOf(f).IndexOf(catalog)));
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->currentIndex(), ModelOf(f).IndexOf(book));
  catalog->Collapse(false);  // and the outline's reaches the view
  EXPECT_FALSE(Part<TOutlineView>(f, "TreeView1")->isExpanded(ModelOf(f).IndexOf(catalog)));
}

TEST_F(FormTest, IdleRunsChangeNothingTheSecondTime) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  int changes = 0;
  QObject listening;  // the counting ends with this test, before the window closes
  for (TCommand* c : ActionList(f))
    QObject::connect(c->Action(), &QAction::changed, &listening, [&] { ++changes; });
  QObject::connect(&f, &QWidget::windowTitleChanged, &listening, [&] { ++changes; });
  Idle();
  Idle();
  EXPECT_EQ(changes, 0);
  Edit();
  EXPECT_GT(changes, 0);
}

TEST_F(FormTest, MenusAndShortcutsAsDesigned) {
  TFormMain& f = Form();
  QStringList file;
  for (QAction* a : Part<QMenuBar>(f, "MainMenu1")->actions().at(0)->menu()->actions())
    file << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(file, (QStringList{"Ne&w", "-", "&Open...", "Reopen", "Revert", "-", "&Save",
                               "Save &As...", "Keep Layout", "-", "E&xit"}));
  EXPECT_EQ(f.Command(TCommandId::FileOpen)->Action()->toolTip(), "Open");
  EXPECT_EQ(f.Command(TCommandId::FileOpen)->Action()->statusTip(), "Opens an existing file");
  EXPECT_EQ(Part<QMenu>(f, "MnReopen")->menuAction()->statusTip(), "Reopen recent files");
  // Every shortcut of the table is one the toolkit understood.
  const std::map<QString, QString> shortcuts{{"FileNew1", "Ctrl+N"},
                                             {"FileOpen1", "Ctrl+O"},
                                             {"FileSave1", "Ctrl+S"},
                                             {"FileSaveAs1", "Ctrl+Shift+S"},
                                             {"FileExit1", "Ctrl+Q"},
                                             {"EditUndo1", "Ctrl+Z"},
                                             {"EditRedo1", "Ctrl+Y; Ctrl+Shift+Z"},
                                             {"EditCut1", "Ctrl+X; Shift+Del"},
                                             {"EditCopy1", "Ctrl+C"},
                                             {"EditCopyXPath1", "Ctrl+Shift+C"},
                                             {"EditPaste1", "Ctrl+V; Shift+Ins"},
                                             {"EditDuplicate1", "Ctrl+D"},
                                             {"EditAdd1", "Ctrl+Ins"},
                                             {"EditModify1", "F2"},
                                             {"EditDelete1", "Ctrl+Del; Del"},
                                             {"EditMoveUp1", "Ctrl+U"},
                                             {"EditMoveDown1", "Ctrl+W"},
                                             {"EditPromote1", "Ctrl+R"},
                                             {"EditDemote1", "Ctrl+E"},
                                             {"EditComment1", "Ctrl+/"},
                                             {"SearchFind1", "Ctrl+F"},
                                             {"SearchFindNext1", "F3"},
                                             {"SearchFindPrevious1", "Shift+F3"}};
  int withShortcut = 0;
  for (TCommand* c : ActionList(f)) {
    const auto it = shortcuts.find(c->Action()->objectName());
    if (it == shortcuts.end()) {
      EXPECT_TRUE(c->Action()->shortcut().isEmpty()) << c->Action()->objectName().toStdString();
      continue;
    }
    ++withShortcut;
    EXPECT_EQ(QKeySequence::listToString(c->Action()->shortcuts()), it->second);
    EXPECT_FALSE(c->Action()->icon().isNull());
    EXPECT_FALSE(c->Action()->toolTip().isEmpty() || c->Action()->statusTip().isEmpty());
  }
  EXPECT_EQ(withShortcut, 23);
  EXPECT_EQ(ActionList(f).size(), 33u);
  // The Cancel button is its command's: picture and hint.
  EXPECT_FALSE(Part<QPushButton>(f, "BitBtn1")->icon().isNull());
  EXPECT_EQ(Part<QPushButton>(f, "BitBtn1")->toolTip(), "Cancel");
  EXPECT_EQ(Part<QPushButton>(f, "BitBtn1")->statusTip(), "Cancel current process");
}

// Every menu, the tool bar and the context menu, as the command table places the commands: a
// wrong place or separator moves a command the user knows where to find.
TEST_F(FormTest, MenusToolBarAndContextMenuAsDesigned) {
  TFormMain& f = Form();
  const auto names = [](const QList<QAction*>& actions) {
    QStringList out;
    for (QAction* a : actions)
      out << (a->isSeparator() ? "-" : a->menu() ? a->text() : a->objectName());
    return out;
  };
  QStringList menus;
  for (QAction* m : Part<QMenuBar>(f, "MainMenu1")->actions())
    menus << m->text() + ": " + names(m->menu()->actions()).join(' ');
  EXPECT_EQ(menus,
            (QStringList{
                "&File: FileNew1 - FileOpen1 Reopen FileRevert1 - FileSave1 FileSaveAs1 "
                "FileKeepLayout1 - FileExit1",
                "&Edit: EditUndo1 EditRedo1 - EditCut1 EditCopy1 EditCopyXPath1 "
                "EditPaste1 EditDuplicate1 - EditAdd1 EditModify1 EditDelete1 - EditMoveUp1 "
                "EditMoveDown1 EditPromote1 EditDemote1 - EditComment1 EditUncomment1 - "
                "EditUseDialog1",
                "&Search: SearchFind1 SearchFindNext1 SearchFindPrevious1",
                "&View: ViewFont1 ViewTooltips ViewResults1", "&Help: HelpWebSite1 - HelpAbout1"}));
  EXPECT_EQ(names(Part<QMenu>(f, "PopupMenu1")->actions()).join(' '),
            "EditCut1 EditCopy1 EditCopyXPath1 EditPaste1 EditDuplicate1 - EditAdd1 EditModify1 "
            "EditDelete1 - EditMoveUp1 EditMoveDown1 EditPromote1 EditDemote1 - EditComment1 "
            "EditUncomment1");
  QStringList tools;
  for (QAction* a : Part<QToolBar>(f, "ToolBar1")->actions()) {
    const auto* button =
        qobject_cast<QToolButton*>(Part<QToolBar>(f, "ToolBar1")->widgetForAction(a));
    tools << (a->isSeparator() ? "-" : button ? button->defaultAction()->objectName() : "?");
  }
  EXPECT_EQ(tools.join(' '),
            "FileNew1 FileOpen1 FileSave1 EditUndo1 EditRedo1 - EditAdd1 EditModify1 EditDelete1 "
            "- EditMoveUp1 EditMoveDown1 EditPromote1 EditDemote1 - SearchFind1 SearchFindNext1 - "
            "ViewFont1 - HelpAbout1");
  EXPECT_TRUE(f.Command(TCommandId::EditUseDialog)->Action()->isCheckable() &&
              f.Command(TCommandId::ViewTooltips)->Action()->isCheckable() &&
              f.Command(TCommandId::ViewResults)->Action()->isCheckable());
}

// At the window's design width every tool button shows, none in the overflow menu; each picture
// is drawn sharp at 1x and 2x, and looks different when disabled.
TEST_F(FormTest, ToolButtonsAtTheDesignWidth) {
  TFormMain& f = Form();
  f.resize(396, 298);
  QCoreApplication::processEvents();
  int buttons = 0;
  for (QAction* a : Part<QToolBar>(f, "ToolBar1")->actions()) {
    if (a->isSeparator()) continue;
    QWidget* w = Part<QToolBar>(f, "ToolBar1")->widgetForAction(a);
    ASSERT_NE(w, nullptr);
    const QIcon icon = w == Part<QToolButton>(f, "OpenButton")
                           ? Part<QToolButton>(f, "OpenButton")->defaultAction()->icon()
                           : a->icon();
    const std::string name = a->objectName().toStdString();
    EXPECT_TRUE(w->isVisible()) << name;
    EXPECT_LE(w->geometry().right(), Part<QToolBar>(f, "ToolBar1")->contentsRect().right()) << name;
    for (const qreal scale : {1.0, 2.0}) {
      const QImage on = icon.pixmap(QSize(16, 16), scale, QIcon::Normal).toImage();
      const QImage off = icon.pixmap(QSize(16, 16), scale, QIcon::Disabled).toImage();
      EXPECT_EQ(on.width(), qRound(16 * scale)) << name;
      EXPECT_NE(on, off) << name;
    }
    ++buttons;
  }
  EXPECT_EQ(buttons, 16);
  const auto* overflow =
      Part<QToolBar>(f, "ToolBar1")->findChild<QToolButton*>("qt_toolbar_ext_button");
  EXPECT_TRUE(overflow == nullptr || !overflow->isVisible());
}

}  // namespace
}  // namespace zel::test
