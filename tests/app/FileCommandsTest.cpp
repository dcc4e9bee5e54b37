// The file commands of the main window, driven as a user drives them, with scripted answers.

#include <sys/stat.h>

#include <QCoreApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <cerrno>
#include <cstring>

#include "app/ExceptionGuard.h"
#include "app/TreeModel.h"
#include "base/StrUtils.h"
#include "outline/TreeWalk.h"
#include "tests/app/AppTestUtil.h"

namespace zel::test {
namespace {

using Files = std::vector<std::string>;

std::vector<std::string> Outline(TTreeView& tree) {
  std::vector<std::string> out;
  WalkInDocumentOrder(tree, [&](const TTreeNode& n, int level) {
    out.push_back(std::string(level, '\t').append(n.Text()));
    return true;
  });
  return out;
}

TEST_F(FormTest, StartsWithAnEmptyUntitledDocument) {
  TFormMain& f = Form();
  EXPECT_EQ(Caption(), "Zel XML Editor 1.0 - [Untitled.xml]");
  EXPECT_EQ(f.Session().FileName(), "Untitled.xml");
  EXPECT_EQ(Outline(f.Session().Tree()), (Files{"Untitled.xml"}));
  EXPECT_EQ(f.Session().Tree().GetFirstNode()->ImageIndex(), 0);
  EXPECT_EQ(Panel(0), "0: 0: 0");
  EXPECT_EQ(Panel(1), "");
  EXPECT_FALSE(Part<QFrame>(f, "PnlProgress")->isVisible());
  EXPECT_FALSE(f.Command(TCommandId::FileRevert)->Enabled());
  EXPECT_FALSE(f.Command(TCommandId::FileCancel)->Enabled());
  EXPECT_TRUE(f.Command(TCommandId::FileSave)->Enabled());
  EXPECT_TRUE(FDialogs.Shown.empty());
  // The application carries the window's title and the program's own icon.
  EXPECT_EQ(QCoreApplication::applicationName(), "Zel XML Editor 1.0");
  EXPECT_FALSE(f.windowIcon().pixmap(32).isNull());
  EXPECT_EQ(QGuiApplication::desktopFileName(), "org.example.ZelXMLEditor");
}

// What the commands act on is what the view highlights: after every reset, the root.
TEST_F(FormTest, EveryResetSelectsAndHighlightsTheRoot) {
  TFormMain& f = Form();
  const auto rootIsSelected = [&](const char* after) {
    Idle();
    TTreeNode* root = f.Session().Tree().GetFirstNode();
    EXPECT_EQ(f.Session().Tree().Selected(), root) << after;
    EXPECT_TRUE(
        Part<TOutlineView>(f, "TreeView1")->selectionModel()->isSelected(ModelOf(f).IndexOf(root)))
        << after;
    EXPECT_TRUE(f.Command(TCommandId::EditAdd)->Enabled()) << after;
  };
  rootIsSelected("start-up");
  Open(FDir.File("a.xml"));
  f.Command(TCommandId::FileNew)->Action()->trigger();
  rootIsSelected("New");
  Open(FDir.File("missing.xml"));
  rootIsSelected("a failed load");
  WriteBytes(FDir.File("big.xml"), Catalog(5000));
  FDialogs.Answers = {IDYES};
  PressCancelDuringProcess();
  Open(FDir.File("big.xml"));
  rootIsSelected("a cancelled load");
}

TEST_F(FormTest, OpenShowsTheOutlineSelectsAndExpandsTheRootAndImagesEveryNode) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  EXPECT_EQ(Caption(), "Zel XML Editor 1.0 - [a.xml]");
  EXPECT_EQ(f.Session().FileName(), FDir.File("a.xml"));
  EXPECT_EQ(Panel(2), "Assigning images...");
  EXPECT_EQ(Panel(1), "");
  const TTreeNode* root = f.Session().Tree().GetFirstNode();
  EXPECT_EQ(root->Text(), "a.xml");
  EXPECT_TRUE(root->Selected());
  EXPECT_TRUE(root->Expanded());
  EXPECT_EQ(TreeImageOf(*root, false), 0);
  const TTreeNode* catalog = root->Item(1);
  EXPECT_EQ(catalog->Text(), "<catalog>");
  EXPECT_EQ(TreeImageOf(*catalog, false), 1);
  EXPECT_EQ(TreeImageOf(*catalog, true), 2);
  EXPECT_EQ(TreeImageOf(*catalog->Item(0)->Item(0), false), 3);
  EXPECT_EQ(TreeImageOf(*catalog->Item(0)->Item(0), true), 4);
  EXPECT_TRUE(f.Command(TCommandId::FileRevert)->Enabled());
  EXPECT_FALSE(Part<QFrame>(f, "PnlProgress")->isVisible());
  // The view shows the root expanded and selected.
  const QModelIndex top = ModelOf(f).index(0, 0);
  EXPECT_TRUE(Part<TOutlineView>(f, "TreeView1")->isExpanded(top));
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->currentIndex(), top);
  EXPECT_TRUE(FDialogs.Errors().empty());
}

TEST_F(FormTest, NewOnANamedUnmodifiedDocumentAsksNothingAndListsIt) {
  Open(FDir.File("a.xml"));
  Form().Command(TCommandId::FileNew)->Action()->trigger();
  Idle();
  EXPECT_EQ(FDialogs.Kinds(), (Files{"open"}));
  EXPECT_EQ(Recent(), (Files{FDir.File("a.xml")}));
  EXPECT_EQ(Outline(Form().Session().Tree()), (Files{"Untitled.xml"}));
  EXPECT_EQ(Caption(), "Zel XML Editor 1.0 - [Untitled.xml]");
  EXPECT_FALSE(Form().Command(TCommandId::FileRevert)->Enabled());
}

TEST_F(FormTest, OpenWhileModifiedAsksAfterTheDialogAndCancelKeepsEverything) {
  Open(FDir.File("a.xml"));
  Edit();
  EXPECT_EQ(Caption(), "Zel XML Editor 1.0 - [a.xml*]");
  EXPECT_EQ(Panel(1), "Modified");
  FDialogs.Answers = {IDCANCEL};
  Open(FDir.File("b.xml"));
  EXPECT_EQ(FDialogs.Kinds(), (Files{"open", "open", "message"}));
  const auto& q = FDialogs.Shown.back();
  EXPECT_EQ(q.Text,
            QString("\"%1\" has been modified.\r\rSave changes?").arg(FDir.File("a.xml").c_str()));
  EXPECT_EQ(q.Caption, "Warning");
  EXPECT_EQ(q.Flags, unsigned(MB_YESNOCANCEL | MB_ICONEXCLAMATION));
  EXPECT_EQ(Form().Session().FileName(), FDir.File("a.xml"));
  EXPECT_TRUE(Form().Session().Modified());
  EXPECT_EQ(Caption(), "Zel XML Editor 1.0 - [a.xml*]");
  EXPECT_TRUE(Recent().empty());

  // No gives the changes up and opens the other file.
  FDialogs.Answers = {IDNO};
  Open(FDir.File("b.xml"));
  EXPECT_EQ(Form().Session().FileName(), FDir.File("b.xml"));
  EXPECT_FALSE(Form().Session().Modified());
  EXPECT_EQ(Recent(), (Files{FDir.File("a.xml")}));
}

TEST_F(FormTest, OpenReadOnlyDisablesSavingUntilANewDocument) {
  Open(FDir.File("a.xml"), true);
  TFormMain& f = Form();
  EXPECT_TRUE(f.Session().ReadOnly());
  EXPECT_EQ(Panel(1), "Read Only");
  EXPECT_FALSE(f.Command(TCommandId::FileSave)->Enabled());
  EXPECT_FALSE(f.Command(TCommandId::EditAdd)->Enabled());
  EXPECT_FALSE(f.Command(TCommandId::EditModify)->Enabled());
  EXPECT_FALSE(f.Command(TCommandId::EditDelete)->Enabled());
  EXPECT_TRUE(f.Command(TCommandId::FileSaveAs)->Enabled());
  // Saving from code while disabled does nothing.
  const std::string before = ReadBytes(FDir.File("a.xml"));
  f.Command(TCommandId::FileSave)->Execute();
  EXPECT_EQ(ReadBytes(FDir.File("a.xml")), before);

  FDialogs.FileAnswers.push_back(std::make_pair(FDir.File("copy.xml"), false));
  f.Command(TCommandId::FileSaveAs)->Action()->trigger();
  Idle();
  EXPECT_TRUE(FDialogs.Errors().empty());
  EXPECT_EQ(f.Session().FileName(), FDir.File("copy.xml"));
  EXPECT_TRUE(f.Session().ReadOnly());
  EXPECT_EQ(Panel(1), "Read Only");

  // A modified read-only document shows "Modified", and Yes to saving it saves nothing.
  Edit();
  EXPECT_EQ(Panel(1), "Modified");
  FDialogs.Answers = {IDYES};
  f.Command(TCommandId::FileNew)->Action()->trigger();
  EXPECT_TRUE(f.Session().Modified());
  EXPECT_EQ(f.Session().FileName(), FDir.File("copy.xml"));
  FDialogs.Answers = {IDNO};
  f.Command(TCommandId::FileNew)->Action()->trigger();
  Idle();
  EXPECT_FALSE(f.Session().ReadOnly());
  EXPECT_TRUE(f.Command(TCommandId::FileSave)->Enabled());
}

TEST_F(FormTest, TheCancelButtonDuringALargeLoadLeavesANewDocument) {
  const std::string big = FDir.File("big.xml");
  WriteBytes(big, Catalog(20000));
  Open(FDir.File("a.xml"));  // a named document, so that New lists it
  FDialogs.Answers = {IDYES};
  PressCancelDuringProcess();
  Open(big);
  TFormMain& f = Form();
  ASSERT_EQ(FDialogs.Shown.back().Text, "Cancel current process?");
  EXPECT_EQ(FDialogs.Shown.back().Caption, "Confirm");
  EXPECT_EQ(FDialogs.Shown.back().Flags, unsigned(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  EXPECT_EQ(f.Session().FileName(), "Untitled.xml");
  EXPECT_EQ(Outline(f.Session().Tree()), (Files{"Untitled.xml"}));
  EXPECT_FALSE(f.Session().Modified());
  EXPECT_FALSE(f.Session().ReadOnly());
  EXPECT_EQ(Caption(), "Zel XML Editor 1.0 - [Untitled.xml]");
  EXPECT_EQ(Panel(1), "");
  // Stopped while still reading: the status bar says so, as after any cancel.
  EXPECT_EQ(Panel(2), "big.xml: Process cancelled");
  EXPECT_FALSE(Part<QFrame>(f, "PnlProgress")->isVisible());
  EXPECT_FALSE(f.Command(TCommandId::FileCancel)->Enabled());
  EXPECT_EQ(Recent(), (Files{FDir.File("a.xml")}));
  EXPECT_TRUE(FDialogs.Errors().empty());
}

TEST_F(FormTest, ACancelledLoadFromOpenReadOnlyLeavesAWritableDocument) {
  const std::string big = FDir.File("big.xml");
  WriteBytes(big, Catalog(5000));
  FDialogs.Answers = {IDYES};
  PressCancelDuringProcess();
  Open(big, true);
  EXPECT_EQ(Form().Session().FileName(), "Untitled.xml");
  EXPECT_FALSE(Form().Session().ReadOnly());
  EXPECT_TRUE(Form().Command(TCommandId::FileSave)->Enabled());
}

TEST_F(FormTest, AnsweringNoToCancelLetsTheLoadFinish) {
  FDialogs.Answers = {IDNO};
  PressCancelDuringProcess();
  Open(FDir.File("b.xml"));
  EXPECT_EQ(FDialogs.Shown.back().Text, "Cancel current process?");
  EXPECT_EQ(Form().Session().FileName(), FDir.File("b.xml"));
}

TEST_F(FormTest, StagesAndProgressReachTheStatusBarDuringALoad) {
  TFormMain& f = Form();
  std::vector<std::string> seen;
  int lastPercent = -1;
  bool panelShown = false;
  f.Session().Component().OnProgress = [&](TZelXMLTree& s, TZelXMLTreeStates st, uint16_t p) {
    f.ZelXMLTree1Progress(s, st, p);
    lastPercent = Part<QProgressBar>(f, "ProgressBar1")->value();
    panelShown = panelShown || Part<QFrame>(f, "PnlProgress")->isVisible();
  };
  f.Session().Component().OnStateChange = [&](TZelXMLTree& s, TZelXMLTreeStates st) {
    f.ZelXMLTree1StateChange(s, st);
    seen.push_back(PanelTextOf(f, 2).toStdString());
    EXPECT_FALSE(f.Command(TCommandId::FileNew)->Enabled());
    EXPECT_FALSE(f.Command(TCommandId::FileOpen)->Enabled());
    EXPECT_TRUE(f.Command(TCommandId::FileExit)->Enabled());
    EXPECT_TRUE(f.Command(TCommandId::FileCancel)->Enabled());
    EXPECT_TRUE(Part<QPushButton>(f, "BitBtn1")->isEnabled());
    EXPECT_FALSE(Part<QMenu>(f, "MnReopen")->menuAction()->isEnabled());
    for (TCommand* c : {f.Command(TCommandId::EditAdd), f.Command(TCommandId::EditMoveDown),
                        f.Command(TCommandId::EditUseDialog), f.Command(TCommandId::SearchFind),
                        f.Command(TCommandId::ViewFont), f.Command(TCommandId::HelpAbout)})
      EXPECT_FALSE(c->Enabled()) << c->Action()->objectName().toStdString();
    EXPECT_EQ(PanelTextOf(f, 0), "0: 0: 0");
  };
  Open(FDir.File("b.xml"));
  EXPECT_EQ(seen,
            (Files{"b.xml: Loading file...", "b.xml: Building tree...", "b.xml: Process done"}));
  EXPECT_GT(lastPercent, 50);
  EXPECT_TRUE(panelShown);
  EXPECT_TRUE(Part<QMenu>(f, "MnReopen")->menuAction()->isEnabled());

  // A save goes through its own stages, and the outline it walks takes no drop or edit.
  seen.clear();
  TTreeNode* first = f.Session().Tree().GetFirstNode()->Item(0);
  bool changeable = false;
  f.Session().Component().OnProgress = [&](TZelXMLTree& s, TZelXMLTreeStates st, uint16_t p) {
    f.ZelXMLTree1Progress(s, st, p);
    changeable = changeable || f.Session().Tree().CanEdit(first) ||
                 f.TreeView1DragOver(first, f.Session().Tree().GetFirstNode()->Item(1));
  };
  f.Command(TCommandId::FileSave)->Action()->trigger();
  EXPECT_FALSE(changeable);
  EXPECT_EQ(seen,
            (Files{"b.xml: Aligning nodes...", "b.xml: Writing file...", "b.xml: Process done"}));
  EXPECT_EQ(f.ProcessFileName(), FDir.File("b.xml"));
}

// A file name is never a format: every stage message shows it as it is.
TEST_F(FormTest, StageMessagesShowFileNamesWithPercentSignsAsTheyAre) {
  TFormMain& f = Form();
  std::vector<QString> seen;
  f.Session().Component().OnProgress = [&](TZelXMLTree& s, TZelXMLTreeStates st, uint16_t p) {
    f.ZelXMLTree1Progress(s, st, p);
    seen.push_back(PanelTextOf(f, 2));
  };
  f.Session().Component().OnStateChange = [&](TZelXMLTree& s, TZelXMLTreeStates st) {
    f.ZelXMLTree1StateChange(s, st);
    seen.push_back(PanelTextOf(f, 2));
  };
  for (const std::string name : {"h%2.xml", "%1%2%3.xml", "%%d%s%n.xml", "100%.xml"}) {
    WriteBytes(FDir.File(name), Catalog(40));
    seen.clear();
    Open(FDir.File(name));
    ASSERT_EQ(f.Session().FileName(), FDir.File(name));
    f.Command(TCommandId::FileSave)->Action()->trigger();
    Idle();
    ASSERT_GT(seen.size(), 6u);
    for (const QString& message : seen)
      EXPECT_TRUE(message.startsWith(QString::fromStdString(name) + ": "))
          << name << " shown as " << message.toStdString();
  }
}

TEST_F(FormTest, ACancelledSaveKeepsTheDocumentAndTheFile) {
  Open(FDir.File("b.xml"));
  Edit();
  const std::string before = ReadBytes(FDir.File("b.xml"));
  FDialogs.Answers = {IDYES};
  PressCancelDuringProcess();
  Form().Command(TCommandId::FileSave)->Action()->trigger();
  Idle();
  EXPECT_EQ(FDialogs.Shown.back().Text, "Cancel current process?");
  EXPECT_EQ(ReadBytes(FDir.File("b.xml")), before);
  EXPECT_EQ(Form().Session().FileName(), FDir.File("b.xml"));
  EXPECT_TRUE(Form().Session().Modified());
  EXPECT_EQ(Outline(Form().Session().Tree()).size(), 9u);
  EXPECT_EQ(Caption(), "Zel XML Editor 1.0 - [b.xml*]");
  EXPECT_FALSE(Part<QFrame>(Form(), "PnlProgress")->isVisible());
  EXPECT_TRUE(Recent().empty());
}

TEST_F(FormTest, SaveAsUnderANewNameListsTheOldOneAndMovesBothDialogs) {
  Open(FDir.File("a.xml"));
  Edit();
  FDialogs.FileAnswers.push_back(std::make_pair(FDir.File("sub/new.XML"), false));
  std::filesystem::create_directory(FDir.File("sub"));
  Form().Command(TCommandId::FileSaveAs)->Action()->trigger();
  Idle();
  TFormMain& f = Form();
  EXPECT_EQ(FDialogs.Shown.back().Text, QString::fromStdString(FDir.File("a.xml")));
  EXPECT_EQ(f.Session().FileName(), FDir.File("sub/new.XML"));
  EXPECT_FALSE(f.Session().Modified());
  EXPECT_EQ(Caption(), "Zel XML Editor 1.0 - [new.XML]");
  EXPECT_EQ(f.Session().Tree().GetFirstNode()->Text(), "new.XML");
  EXPECT_EQ(Recent(), (Files{FDir.File("a.xml")}));
  EXPECT_EQ(f.OpenDialog().InitialDir, FDir.File("sub/"));
  EXPECT_EQ(f.SaveDialog().InitialDir, FDir.File("sub/"));
  EXPECT_TRUE(StartsWith(ReadBytes(FDir.File("sub/new.XML")), "<?xml"));

  // ".XML" counts as ".xml": the filter index stays; any other extension selects XML Document.
  f.SaveDialog().FilterIndex = 2;
  f.FileSaveAs1BeforeExecute();
  EXPECT_EQ(f.SaveDialog().FilterIndex, 2);
  EXPECT_EQ(f.SaveDialog().FileName, FDir.File("sub/new.XML"));
  f.Command(TCommandId::FileNew)->Execute();
  f.FileSaveAs1BeforeExecute();
  EXPECT_EQ(f.SaveDialog().FilterIndex, 2);  // "Untitled.xml"
  Open(FDir.File("a.xml"));
  FDialogs.FileAnswers.push_back(std::make_pair(FDir.File("plain.txt"), false));
  f.Command(TCommandId::FileSaveAs)->Action()->trigger();
  f.FileSaveAs1BeforeExecute();
  EXPECT_EQ(f.SaveDialog().FilterIndex, 1);
}

TEST_F(FormTest, ReopenOfAMissingFileReportsItAndChangesNothing) {
  Open(FDir.File("a.xml"));
  Form().RecentFiles().AddFile(FDir.File("gone.xml"));
  Edit();
  Part<QMenu>(Form(), "PUReopen")->actions().at(0)->trigger();
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_EQ(FDialogs.Errors()[0],
            QString("\"%1\" doesn't exist.").arg(FDir.File("gone.xml").c_str()));
  EXPECT_EQ(Form().Session().FileName(), FDir.File("a.xml"));
  EXPECT_TRUE(Form().Session().Modified());
  EXPECT_EQ(Recent(), (Files{FDir.File("gone.xml")}));
}

TEST_F(FormTest, ReopenOfTheOpenDocumentLoadsItAgainAndTakesItOffTheList) {
  Open(FDir.File("b.xml"));
  Form().RecentFiles().AddFile(FDir.File("a.xml"));
  Form().RecentFiles().AddFile(FDir.File("b.xml"));
  // The Reopen submenu's first entry is the open document.
  ASSERT_EQ(Part<QMenu>(Form(), "MnReopen")->actions().at(0)->text(), "&0. b.xml");
  Part<QMenu>(Form(), "MnReopen")->actions().at(0)->trigger();
  Idle();
  EXPECT_TRUE(FDialogs.Errors().empty());
  EXPECT_EQ(Form().Session().FileName(), FDir.File("b.xml"));
  EXPECT_EQ(Recent(), (Files{FDir.File("a.xml")}));
  EXPECT_FALSE(Form().Session().ReadOnly());

  // Another entry: the open document goes on top, the opened one comes off.
  Part<QMenu>(Form(), "PUReopen")->actions().at(0)->trigger();
  EXPECT_EQ(Form().Session().FileName(), FDir.File("a.xml"));
  EXPECT_EQ(Recent(), (Files{FDir.File("b.xml")}));
}

TEST_F(FormTest, ReopenWhileBusyOnlyBeeps) {
  Open(FDir.File("a.xml"));
  Form().RecentFiles().AddFile(FDir.File("b.xml"));
  bool clicked = false;
  Form().Session().Component().OnStateChange = [&](TZelXMLTree& s, TZelXMLTreeStates st) {
    Form().ZelXMLTree1StateChange(s, st);
    if (st == zxtsLoading && !clicked) {
      clicked = true;
      Form().ZelReopen1ReopenMenuClick(FDir.File("b.xml"));
    }
  };
  FDialogs.Answers = {IDYES};
  Form().Command(TCommandId::FileRevert)->Execute();
  EXPECT_TRUE(clicked);
  EXPECT_EQ(FDialogs.Beeps, 1);
  EXPECT_EQ(Form().Session().FileName(), FDir.File("a.xml"));
}

TEST_F(FormTest, AFailingLoadLeavesANewDocumentAndTheMessage) {
  Open(FDir.File("a.xml"));
  Open(FDir.File("missing.xml"));
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_NE(FDialogs.Errors()[0].indexOf("missing.xml"), -1);
  TFormMain& f = Form();
  EXPECT_EQ(f.Session().FileName(), "Untitled.xml");
  EXPECT_EQ(Outline(f.Session().Tree()), (Files{"Untitled.xml"}));
  EXPECT_FALSE(f.Session().Modified());
  EXPECT_FALSE(Part<QFrame>(f, "PnlProgress")->isVisible());
  EXPECT_EQ(Caption(), "Zel XML Editor 1.0 - [Untitled.xml]");
  EXPECT_EQ(Recent(), (Files{FDir.File("a.xml")}));
  EXPECT_TRUE(f.Command(TCommandId::FileOpen)->Enabled());
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(FormTest, AFifoOrADeviceIsRefusedInsteadOfBlockingTheWindow) {
  ASSERT_EQ(mkfifo(FDir.File("pipe.xml").c_str(), 0600), 0);
  Open(FDir.File("pipe.xml"));
  Open("/dev/zero");
  Guarded([&] { Form().ZelReopen1ReopenMenuClick("/dev/null"); });
  ASSERT_EQ(FDialogs.Errors().size(), 3u);
  EXPECT_EQ(FDialogs.Errors()[0],
            QString("\"%1\" is not a regular file.").arg(FDir.File("pipe.xml").c_str()));
  EXPECT_EQ(Form().Session().FileName(), "Untitled.xml");
}

TEST_F(FormTest, AFailingSaveKeepsTheDocumentAndAbandonsTheNewThatAsked) {
  Open(FDir.File("a.xml"));
  Edit();
  std::filesystem::remove(FDir.File("a.xml"));
  std::filesystem::create_directory(FDir.File("a.xml"));  // a folder cannot be written over
  FDialogs.Answers = {IDYES};
  Form().Command(TCommandId::FileNew)->Action()->trigger();
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_EQ(Form().Session().FileName(), FDir.File("a.xml"));
  EXPECT_TRUE(Form().Session().Modified());
  EXPECT_GT(Outline(Form().Session().Tree()).size(), 1u);
  EXPECT_FALSE(Part<QFrame>(Form(), "PnlProgress")->isVisible());
}

TEST_F(FormTest, RevertAsksAccordingToTheModifiedFlagAndReloads) {
  Open(FDir.File("a.xml"));
  Form().RecentFiles().AddFile(FDir.File("b.xml"));
  FDialogs.Answers = {IDNO};
  Form().Command(TCommandId::FileRevert)->Action()->trigger();
  EXPECT_EQ(FDialogs.Shown.back().Text, "Revert file content from disk?");
  EXPECT_EQ(FDialogs.Shown.back().Caption, "Confirm");
  EXPECT_EQ(FDialogs.Shown.back().Flags, unsigned(MB_YESNO | MB_ICONQUESTION));

  Edit();
  WriteBytes(FDir.File("a.xml"), "<changed/>\n");
  FDialogs.Answers = {IDYES};
  Form().Command(TCommandId::FileRevert)->Action()->trigger();
  Idle();
  EXPECT_EQ(FDialogs.Shown.back().Caption, "Warning");
  EXPECT_EQ(FDialogs.Shown.back().Flags, unsigned(MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2));
  EXPECT_EQ(Outline(Form().Session().Tree()), (Files{"a.xml", "\t<changed />"}));
  EXPECT_FALSE(Form().Session().Modified());
  EXPECT_EQ(Recent(), (Files{FDir.File("b.xml")}));
}

TEST_F(FormTest, ClosingAModifiedUntitledDocumentAndCancellingSaveAsKeepsTheWindow) {
  TFormMain& f = Form();
  Edit();
  FDialogs.Answers = {IDYES};
  FDialogs.FileAnswers.push_back(std::nullopt);
  EXPECT_FALSE(f.close());
  EXPECT_TRUE(f.isVisible());
  EXPECT_TRUE(f.Session().Modified());
  EXPECT_EQ(FDialogs.Kinds(), (Files{"message", "save"}));
  EXPECT_EQ(FDialogs.Shown[1].Text, "Untitled.xml");

  FDialogs.Answers = {IDNO};
  EXPECT_TRUE(f.close());
}

TEST_F(FormTest, ClosingWhileALoadRunsCancelsAndClosesOnceItStopped) {
  WriteBytes(FDir.File("big.xml"), Catalog(5000));
  TFormMain& f = Form();
  FDialogs.Answers = {IDYES};
  QMetaObject::invokeMethod(&f, "close", Qt::QueuedConnection);
  Open(FDir.File("big.xml"));
  EXPECT_EQ(FDialogs.Shown.back().Text, "Cancel current process?");
  EXPECT_TRUE(f.isVisible());  // this request is refused...
  QCoreApplication::processEvents();
  EXPECT_FALSE(f.isVisible());  // ...and the next one, once the load stopped, closes
}

TEST_F(FormTest, ClosingWhileALoadRunsAndAnsweringNoKeepsTheWindowAndTheLoad) {
  WriteBytes(FDir.File("big.xml"), Catalog(5000));
  TFormMain& f = Form();
  FDialogs.Answers = {IDNO};
  QMetaObject::invokeMethod(&f, "close", Qt::QueuedConnection);
  Open(FDir.File("big.xml"));
  EXPECT_EQ(FDialogs.Shown.back().Text, "Cancel current process?");
  QCoreApplication::processEvents();
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(f.Session().FileName(), FDir.File("big.xml"));
}

TEST_F(FormTest, TheRecentFilesSurviveARestart) {
  Open(FDir.File("a.xml"));
  Open(FDir.File("b.xml"));
  EXPECT_TRUE(Form().close());
  FForm.reset();
  EXPECT_NE(ReadBytes(FDir.File("ZelApps.ini")).find("[Zel XML Editor Recent]"), std::string::npos);

  Open(FDir.File("a.xml"));  // a second window over the same settings file
  EXPECT_EQ(Recent(), (Files{FDir.File("b.xml"), FDir.File("a.xml")}));
  EXPECT_EQ(Part<QMenu>(Form(), "PUReopen")->actions().at(0)->text(), "0. b.xml");
  EXPECT_TRUE(Part<QMenu>(Form(), "MnReopen")->menuAction()->isEnabled());
}

TEST_F(FormTest, AFileOnTheCommandLineOpensAfterTheFirstShow) {
  FForm = std::make_unique<TFormMain>(&FDialogs);
  FForm->RecentFiles().AddFile(FDir.File("b.xml"));
  FForm->SetStartFile(FDir.File("b.xml"));
  FForm->show();
  EXPECT_EQ(FForm->Session().FileName(), "Untitled.xml");
  QCoreApplication::processEvents();
  Idle();
  EXPECT_EQ(FForm->Session().FileName(), FDir.File("b.xml"));
  EXPECT_FALSE(FForm->Session().ReadOnly());
  EXPECT_EQ(Caption(), "Zel XML Editor 1.0 - [b.xml]");
}

TEST_F(FormTest, EscDuringALoadPressesCancel) {
  WriteBytes(FDir.File("big.xml"), Catalog(5000));
  TFormMain& f = Form();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  FDialogs.Answers = {IDYES};
  QMetaObject::invokeMethod(
      &f,
      [&f] {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &f,
                        Qt::Key_Escape);
      },
      Qt::QueuedConnection);
  Open(FDir.File("big.xml"));
  EXPECT_EQ(FDialogs.Shown.back().Text, "Cancel current process?");
  EXPECT_EQ(f.Session().FileName(), "Untitled.xml");
}

TEST_F(FormTest, ReopenAllOpensEveryEntryOnceAndEndsWithTheMostRecent) {
  TFormMain& f = Form();
  WriteBytes(FDir.File("c.xml"), Catalog(1));
  for (const char* name : {"a.xml", "b.xml", "c.xml"}) f.RecentFiles().AddFile(FDir.File(name));
  std::vector<std::string> opened;
  const auto handler = f.Session().Component().OnStateChange;
  f.Session().Component().OnStateChange = [&](TZelXMLTree& s, TZelXMLTreeStates st) {
    if (st == zxtsLoading) opened.push_back(ExtractFileName(f.ProcessFileName()));
    handler(s, st);
  };
  // "&Reopen All" follows the entries and the separator in the submenu.
  Part<QMenu>(f, "MnReopen")->actions().at(4)->trigger();
  EXPECT_EQ(opened, (Files{"a.xml", "b.xml", "c.xml"}));
  EXPECT_EQ(f.Session().FileName(), FDir.File("c.xml"));
  EXPECT_EQ(Recent(), (Files{FDir.File("b.xml"), FDir.File("a.xml")}));
  EXPECT_TRUE(FDialogs.Errors().empty());
}

TEST_F(FormTest, SettingsThatCannotBeWrittenAreReportedButTheWindowCloses) {
  SettingsFileName = FDir.File("no/such/folder/ZelApps.ini");
  TFormMain& f = Form();
  Open(FDir.File("a.xml"));
  EXPECT_TRUE(f.close());
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_EQ(FDialogs.Errors()[0], QString::fromStdString("Unable to write to " + SettingsFileName +
                                                         ": " + std::strerror(ENOENT)));
}

}  // namespace
}  // namespace zel::test
