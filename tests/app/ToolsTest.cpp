// Search, view and help commands through the window, the hints, the exception handler and
// the settings that a second run of the window brings back.

#include <QApplication>
#include <QCheckBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <map>

#include "app/AboutText.h"
#include "app/FindDialog.h"
#include "app/OutlineView.h"
#include "app/TreeModel.h"
#include "tests/app/AppTestUtil.h"

namespace zel::test {
namespace {

class ToolsTest : public FormTest {
 protected:
  TTreeNode* Root() { return Form().Session().Tree().GetFirstNode(); }
  void Select(TTreeNode* node) {
    Form().Session().Tree().SetSelected(node);
    Idle();
  }
  // Types into the find dialog and presses its own Find Next button.
  void FindWithTheDialog(const QString& text) {
    TFindDialog& d = *Part<TFindDialog>(Form(), "FindDialog1");
    d.FindEdit->setText(text);
    d.FindNextBtn->click();
    Idle();
  }
  std::string SelectedText() { return std::string(Form().Session().Tree().Selected()->Text()); }
};

TEST_F(ToolsTest, FindRunsInDocumentOrderFromTheSelectionAndNeverWraps) {
  Open(FDir.File("b.xml"));
  TFormMain& f = Form();
  EXPECT_FALSE(f.Command(TCommandId::SearchFindNext)->Enabled()) << "no find text yet";
  f.Command(TCommandId::SearchFind)->Action()->trigger();
  EXPECT_TRUE(Part<TFindDialog>(f, "FindDialog1")->isVisible());
  EXPECT_FALSE(Part<TFindDialog>(f, "FindDialog1")->isModal());
  FindWithTheDialog("t1</TITLE");  // letter case folded
  EXPECT_EQ(SelectedText(), "<title>T1</title>");
  EXPECT_EQ(FDialogs.Beeps, 1);
  EXPECT_TRUE(f.Command(TCommandId::SearchFindNext)->Enabled());
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->currentIndex(),
            ModelOf(f).IndexOf(f.Session().Tree().Selected()));

  // Find Next goes on from the match, also with the dialog closed, and stops at the end.
  Part<TFindDialog>(f, "FindDialog1")->FindEdit->setText("<title>");
  Part<TFindDialog>(f, "FindDialog1")->close();
  f.Command(TCommandId::SearchFindNext)->Action()->trigger();
  EXPECT_EQ(SelectedText(), "<title>T2</title>");
  f.Command(TCommandId::SearchFindNext)->Action()->trigger();
  EXPECT_EQ(SelectedText(), "<title>T2</title>") << "the selection stays";
  ASSERT_FALSE(FDialogs.Shown.empty());
  EXPECT_EQ(FDialogs.Shown.back().Text, "Text \"<title>\" is not found.");
  EXPECT_EQ(FDialogs.Shown.back().Caption, "Information");
  EXPECT_EQ(FDialogs.Shown.back().Flags, unsigned(MB_OK | MB_ICONINFORMATION));
}

TEST_F(ToolsTest, WholeWordMatchCaseAndUpReachingTheRoot) {
  Open(FDir.File("b.xml"));
  TFormMain& f = Form();
  TFindDialog& d = *Part<TFindDialog>(f, "FindDialog1");
  f.Command(TCommandId::SearchFind)->Action()->trigger();
  d.WholeWordBox->setChecked(true);
  FindWithTheDialog("<title>");  // only part of a node text
  EXPECT_EQ(SelectedText(), "b.xml");
  EXPECT_EQ(FDialogs.Shown.back().Caption, "Information");
  FindWithTheDialog("<TITLE>T1</TITLE>");
  EXPECT_EQ(SelectedText(), "<title>T1</title>");
  d.MatchCaseBox->setChecked(true);
  Select(Root());
  FindWithTheDialog("<TITLE>T1</TITLE>");
  EXPECT_EQ(SelectedText(), "b.xml");

  // Up from the first child of the root finds the file name in the root.
  d.WholeWordBox->setChecked(false);
  d.MatchCaseBox->setChecked(false);
  d.UpBtn->setChecked(true);
  Select(Root()->Item(0));
  FindWithTheDialog(".XML");
  EXPECT_EQ(f.Session().Tree().Selected(), Root());
  FindWithTheDialog(".XML");
  EXPECT_EQ(f.Session().Tree().Selected(), Root());
  EXPECT_EQ(FDialogs.Shown.back().Text, "Text \".XML\" is not found.");
}

TEST_F(ToolsTest, FontApplyAndOkSetTheTreeFontAndColour) {
  TFormMain& f = Form();
  QFont font("DejaVu Sans Mono");
  font.setPointSize(13);
  font.setUnderline(true);
  font.setStrikeOut(true);
  const QColor red(200, 0, 0);
  // Apply, then Cancel: what Apply did stays.
  FDialogs.FontApplied = std::make_pair(font, red);
  f.Command(TCommandId::ViewFont)->Action()->trigger();
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->font().pointSize(), 13);
  EXPECT_TRUE(Part<TOutlineView>(f, "TreeView1")->font().underline() &&
              Part<TOutlineView>(f, "TreeView1")->font().strikeOut());
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->palette().color(QPalette::Text), red);

  FDialogs.FontApplied.reset();
  font.setPointSize(9);
  font.setUnderline(false);
  FDialogs.FontAnswer = std::make_pair(font, QColor(0, 0, 200));
  f.Command(TCommandId::ViewFont)->Action()->trigger();
  EXPECT_EQ(FDialogs.Shown.back().Text, "DejaVu Sans Mono")
      << "the dialog opens on the tree's font";
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->font().pointSize(), 9);
  EXPECT_FALSE(Part<TOutlineView>(f, "TreeView1")->font().underline());
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->palette().color(QPalette::Text), QColor(0, 0, 200));

  // The node dialog's memo takes the whole font, colour included.
  f.Command(TCommandId::EditUseDialog)->Action()->trigger();
  FDialogs.NodeAnswers = {std::nullopt};
  f.Command(TCommandId::EditAdd)->Action()->trigger();
  EXPECT_EQ(FDialogs.NodeColor, QColor(0, 0, 200));
}

TEST_F(ToolsTest, TooltipsFlipTheCheckAndTheTreesTooltips) {
  Open(FDir.File("a.xml"));
  TFormMain& f = Form();
  const QModelIndex top = ModelOf(f).index(0, 0);
  EXPECT_FALSE(ModelOf(f).data(top, Qt::ToolTipRole).isValid());
  f.Command(TCommandId::ViewTooltips)->Action()->trigger();
  EXPECT_TRUE(f.Command(TCommandId::ViewTooltips)->Checked());
  EXPECT_TRUE(f.Session().Tree().ToolTips());
  EXPECT_EQ(ModelOf(f).data(top, Qt::ToolTipRole).toString(), "a.xml");
  f.Command(TCommandId::ViewTooltips)->Action()->trigger();
  EXPECT_FALSE(f.Session().Tree().ToolTips());
}

// A tooltip over a node only where the view cuts its text off, and its text as written; the
// status panels show file names as written too.
TEST_F(ToolsTest, TooltipsAndPanelsShowTextsAsWritten) {
  const std::string longTitle =
      "<title>XML Developer's Guide, " + std::string(80, 'x') + "</title>";
  WriteBytes(FDir.File("<b>.xml"), "<catalog><title>Short</title>" + longTitle + "</catalog>");
  Open(FDir.File("<b>.xml"));
  TFormMain& f = Form();
  EXPECT_EQ(StatusPanel(f, 2)->textFormat(), Qt::PlainText);
  f.Command(TCommandId::ViewTooltips)->Action()->trigger();
  const auto tipOver = [&](TTreeNode* node) {
    QToolTip::hideText();  // the tip fades out
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 10000));
    const QModelIndex i = ModelOf(f).IndexOf(node);
    Part<TOutlineView>(f, "TreeView1")->scrollTo(i);
    const QPoint p = Part<TOutlineView>(f, "TreeView1")->visualRect(i).center();
    QHelpEvent e(QEvent::ToolTip, p,
                 Part<TOutlineView>(f, "TreeView1")->viewport()->mapToGlobal(p));
    QCoreApplication::sendEvent(Part<TOutlineView>(f, "TreeView1")->viewport(), &e);
    if (!QToolTip::isVisible()) return QString();
    QTextDocument shown;
    shown.setHtml(QToolTip::text());
    return Qt::mightBeRichText(QToolTip::text()) ? shown.toPlainText() : QToolTip::text();
  };
  TTreeNode* catalog = Root()->Item(0);
  EXPECT_EQ(tipOver(catalog->Item(1)), QString::fromStdString(longTitle));
  EXPECT_EQ(tipOver(catalog->Item(0)), "") << "a text that fits needs no tooltip";
  f.Command(TCommandId::ViewTooltips)->Action()->trigger();
  EXPECT_EQ(tipOver(catalog->Item(1)), "") << "tooltips off";
}

TEST_F(ToolsTest, WebSiteAndAboutWithTheDocumentStatistic) {
  TFormMain& f = Form();
  f.Command(TCommandId::HelpWebSite)->Action()->trigger();
  EXPECT_EQ(FDialogs.Urls, (std::vector<QString>{kWebAddress}));
  EXPECT_TRUE(FDialogs.Errors().empty());
  // Without a browser the user is told, not left waiting.
  FDialogs.Browser = false;
  f.Command(TCommandId::HelpWebSite)->Action()->trigger();
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_TRUE(FDialogs.Errors()[0].contains(kWebAddress)) << FDialogs.Errors()[0].toStdString();

  f.Command(TCommandId::HelpAbout)->Action()->trigger();
  const auto& box = FDialogs.Shown.back();
  EXPECT_EQ(box.Caption, "About");
  EXPECT_EQ(box.Flags, unsigned(MB_OK | MB_ICONINFORMATION));
  EXPECT_TRUE(box.Text.startsWith("Zel XML Editor 1.0")) << box.Text.toStdString();
  EXPECT_TRUE(box.Text.contains("Simple \"as is\" XML documents editor."));
  for (const char* line : {"Nodes: 0", "Depth: 0", "Characters: 0", "Unicode: No"})
    EXPECT_TRUE(box.Text.contains(line)) << line;
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // 400 books: the xml line, the catalog, 400 books with a title each.
  WriteBytes(FDir.File("big.xml"), Catalog(400));
  Open(FDir.File("big.xml"));
  f.Command(TCommandId::HelpAbout)->Action()->trigger();
  const QLocale locale = QLocale::system();
  EXPECT_TRUE(FDialogs.Shown.back().Text.contains("Nodes: " + locale.toString(802)))
      << FDialogs.Shown.back().Text.toStdString();
  EXPECT_TRUE(FDialogs.Shown.back().Text.contains("Depth: 3"));
  // Thousands in the user's grouping: the 400 books hold 13411 characters.
  EXPECT_TRUE(FDialogs.Shown.back().Text.contains("Characters: " + locale.toString(13411)));
}

TEST_F(ToolsTest, TheLongPartOfAHintGoesToTheLastPanel) {
  TFormMain& f = Form();
  f.Command(TCommandId::EditAdd)->Action()->showStatusText(&f);
  EXPECT_EQ(Panel(2), "Add new node");
  EXPECT_EQ(f.Command(TCommandId::EditAdd)->Action()->toolTip(), "Add");
}

TEST_F(ToolsTest, AFailingCommandShowsTheErrorBoxResetsTheCursorAndTheWindowGoesOn) {
  TFormMain& f = Form();
  f.Command(TCommandId::HelpAbout)->OnExecute = [] {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    throw std::runtime_error("Disk not ready");
  };
  f.Command(TCommandId::HelpAbout)->Action()->trigger();
  EXPECT_EQ(FDialogs.Errors(), (std::vector<QString>{"Disk not ready"}));
  EXPECT_EQ(FDialogs.Shown.back().Flags, unsigned(MB_OK | MB_ICONERROR));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // Also a failure in a slot that no command guards ends in the box, via the application.
  QTimer::singleShot(0, &f, [] { throw std::runtime_error("late"); });
  QCoreApplication::processEvents();
  EXPECT_EQ(FDialogs.Errors().back(), "late");
  EXPECT_TRUE(f.isVisible());
  f.Command(TCommandId::HelpWebSite)->Action()->trigger();
  EXPECT_EQ(FDialogs.Urls.size(), 1u);
}

// The keys a desktop user expects, pressed as a user presses them.
TEST_F(ToolsTest, DesktopKeys) {
  Open(FDir.File("b.xml"));
  TFormMain& f = Form();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  TTreeNode* catalog = Root()->Item(1);
  Select(catalog->Item(0));
  Part<TOutlineView>(f, "TreeView1")->setFocus();
  FDialogs.Answers = {IDNO};
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_Delete);
  ASSERT_EQ(FDialogs.Shown.back().Text, "Delete \"<book id=\"0\">\" and its children?");
  EXPECT_EQ(FDialogs.Shown.back().Flags, unsigned(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  // In the in-place editor Delete deletes characters.
  const size_t shown = FDialogs.Shown.size();
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_F2);
  auto* editor = Part<TOutlineView>(f, "TreeView1")->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setCursorPosition(0);
  QTest::keyClick(editor, Qt::Key_Delete);
  EXPECT_EQ(editor->text(), "book id=\"0\">");
  QTest::keyClick(editor, Qt::Key_Escape);
  EXPECT_EQ(FDialogs.Shown.size(), shown);

  FDialogs.FileAnswers = {std::nullopt};
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_S,
                  Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(FDialogs.Kinds().back(), "save");

  // F3 and Shift+F3 also from the find dialog.
  Select(Root());
  f.Command(TCommandId::SearchFind)->Action()->trigger();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Part<TFindDialog>(f, "FindDialog1")));
  Part<TFindDialog>(f, "FindDialog1")->FindEdit->setText("<title>");
  Idle();
  QTest::keyClick(Part<TFindDialog>(f, "FindDialog1")->FindEdit, Qt::Key_F3);
  EXPECT_EQ(f.Session().Tree().Selected(), catalog->Item(0)->Item(0));
  Select(catalog->Item(2));
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(f.Session().Tree().Selected(), catalog->Item(1)->Item(0)) << "the previous match";
  EXPECT_TRUE(Part<TFindDialog>(f, "FindDialog1")->DownBtn->isChecked())
      << "the dialog's direction stays";

  Part<TFindDialog>(f, "FindDialog1")->hide();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(f.isVisible());
}

// Every item of a menu that has a letter has one of its own, so that Alt+letter runs it.
TEST_F(ToolsTest, NoTwoItemsOfAMenuShareALetter) {
  TFormMain& f = Form();
  Idle();
  std::vector<std::pair<QString, QList<QAction*>>> menus = {
      {"menu bar", Part<QMenuBar>(f, "MainMenu1")->actions()},
      {"context", Part<QMenu>(f, "PopupMenu1")->actions()}};
  for (QAction* a : Part<QMenuBar>(f, "MainMenu1")->actions())
    if (a->menu()) menus.push_back({a->text(), a->menu()->actions()});
  for (const auto& [menu, items] : menus) {
    std::map<QString, QString> owner;
    for (QAction* a : items) {
      const QString letter = QKeySequence::mnemonic(a->text()).toString();
      if (a->isSeparator() || letter.isEmpty()) continue;
      const auto [at, fresh] = owner.emplace(letter, a->text());
      EXPECT_TRUE(fresh) << menu.toStdString() << ": " << a->text().toStdString() << " and "
                         << at->second.toStdString();
    }
  }
  // The designed captions keep their letters.
  EXPECT_EQ(f.Command(TCommandId::EditMoveUp)->Action()->text(), "Move &Up");
  EXPECT_EQ(f.Command(TCommandId::EditPromote)->Action()->text(), "P&romote");
}

// The Edit menu by its letters, the context menu by Shift+F10 as by the Menu key, and the
// find dialog out of the way of what it found.
TEST_F(ToolsTest, MenusAndTheFindDialogByTheKeyboard) {
  Open(FDir.File("b.xml"));
  TFormMain& f = Form();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  TTreeNode* catalog = Root()->Item(1);
  TTreeNode* first = catalog->Item(0);
  Select(first);
  Part<TOutlineView>(f, "TreeView1")->setFocus();
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_W, Qt::ControlModifier);  // Move Down
  Idle();
  ASSERT_EQ(catalog->Item(1), first);
  QMenu* edit = nullptr;
  for (QAction* a : Part<QMenuBar>(f, "MainMenu1")->actions())
    if (a->text() == "&Edit") edit = a->menu();
  ASSERT_NE(edit, nullptr);
  const auto editMenu = [&](Qt::Key letter) {
    QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_E, Qt::AltModifier);
    QCoreApplication::processEvents();
    ASSERT_TRUE(edit->isVisible());
    QTest::keyClick(edit, letter);
    QCoreApplication::processEvents();
    Idle();
    EXPECT_FALSE(edit->isVisible());
  };
  editMenu(Qt::Key_N);
  EXPECT_EQ(catalog->Item(0), first) << "Alt+E, N undoes the move";
  editMenu(Qt::Key_D);
  EXPECT_EQ(catalog->Item(1), first) << "Alt+E, D does it again";
  editMenu(Qt::Key_U);
  EXPECT_EQ(catalog->Item(0), first) << "Alt+E, U moves up";

  // Shift+F10 opens the context menu at the selected row, where the Menu key opens it.
  Select(catalog->Item(2));
  Part<TOutlineView>(f, "TreeView1")->setFocus();
  const QRect row =
      Part<TOutlineView>(f, "TreeView1")->visualRect(ModelOf(f).IndexOf(catalog->Item(2)));
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_F10, Qt::ShiftModifier);
  ASSERT_TRUE(Part<QMenu>(f, "PopupMenu1")->isVisible());
  const QPoint at = Part<TOutlineView>(f, "TreeView1")
                        ->viewport()
                        ->mapFromGlobal(Part<QMenu>(f, "PopupMenu1")->pos());
  EXPECT_TRUE(row.adjusted(0, 0, 0, 1).contains(at)) << at.x() << "," << at.y();
  Part<QMenu>(f, "PopupMenu1")->hide();
  QContextMenuEvent menuKey(QContextMenuEvent::Keyboard,
                            Part<TOutlineView>(f, "TreeView1")->rect().center(),
                            Part<TOutlineView>(f, "TreeView1")
                                ->mapToGlobal(Part<TOutlineView>(f, "TreeView1")->rect().center()));
  QCoreApplication::sendEvent(Part<TOutlineView>(f, "TreeView1"), &menuKey);
  ASSERT_TRUE(Part<QMenu>(f, "PopupMenu1")->isVisible());
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")
                ->viewport()
                ->mapFromGlobal(Part<QMenu>(f, "PopupMenu1")->pos()),
            at);
  Part<QMenu>(f, "PopupMenu1")->hide();

  // Ctrl+F, the text, Enter: the dialog moves off the node it found.
  Select(Root());
  QTest::keyClick(Part<TOutlineView>(f, "TreeView1"), Qt::Key_F, Qt::ControlModifier);
  TFindDialog& find = *Part<TFindDialog>(f, "FindDialog1");
  ASSERT_TRUE(QTest::qWaitForWindowActive(&find));
  QTest::keyClicks(find.FindEdit, "<title>T2");
  const auto foundRow = [&] {
    const QRect r = Part<TOutlineView>(f, "TreeView1")
                        ->visualRect(ModelOf(f).IndexOf(f.Session().Tree().Selected()));
    return QRect(Part<TOutlineView>(f, "TreeView1")->viewport()->mapToGlobal(r.topLeft()),
                 r.size());
  };
  QTest::keyClick(find.FindEdit, Qt::Key_Return);
  Idle();
  ASSERT_EQ(SelectedText(), "<title>T2</title>");
  find.move(foundRow().topLeft() - QPoint(20, 10));
  ASSERT_TRUE(find.frameGeometry().intersects(foundRow()));
  Select(Root());
  find.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&find));
  QTest::keyClick(find.FindEdit, Qt::Key_Return);
  Idle();
  ASSERT_EQ(SelectedText(), "<title>T2</title>");
  EXPECT_FALSE(find.frameGeometry().intersects(foundRow()));
  EXPECT_TRUE(find.isVisible());
  EXPECT_TRUE(find.screen()->availableGeometry().contains(find.frameGeometry()));
}

// The position and state panels show their whole texts, however large the numbers of the
// document and whatever the font.
TEST_F(ToolsTest, StatusPanelsAreAsWideAsTheirTextsNeed) {
  TFormMain& f = Form();
  QFont font = f.font();
  font.setPointSize(12);
  f.setFont(font);
  const auto fits = [&](int panel) {
    const QLabel& label = *StatusPanel(f, panel);
    return label.contentsRect().width() >= label.fontMetrics().horizontalAdvance(label.text());
  };
  std::vector<std::string> cut;
  f.Session().Component().OnStateChange = [&](TZelXMLTree& s, TZelXMLTreeStates st) {
    f.ZelXMLTree1StateChange(s, st);
    Part<QStatusBar>(f, "StatusBar1")->layout()->activate();
    if (!fits(1)) cut.push_back(PanelTextOf(f, 1).toStdString());
  };
  WriteBytes(FDir.File("big.xml"), Catalog(20000));
  Open(FDir.File("big.xml"));
  Select(Root()->Item(1)->Item(19999));
  Part<QStatusBar>(f, "StatusBar1")->layout()->activate();
  EXPECT_EQ(Panel(0), "2: 20000: 40001");
  EXPECT_TRUE(fits(0)) << StatusPanel(f, 0)->width();
  Edit();
  EXPECT_TRUE(fits(1)) << Panel(1);
  f.Command(TCommandId::FileSave)->Action()->trigger();
  Idle();
  EXPECT_TRUE(cut.empty()) << cut.front();
  f.setFont(QFont(font.family(), 8));
  f.Command(TCommandId::FileNew)->Action()->trigger();
  Idle();
  EXPECT_EQ(StatusPanel(f, 0)->minimumWidth(), 100) << "the designed width for a new document";
}

// Two runs over one settings file: placement and the stored properties come back.
TEST_F(ToolsTest, TheWindowComesBackAsTheUserLeftIt) {
  {
    TFormMain& f = Form();
    f.setGeometry(60, 70, 520, 430);
    QFont font("DejaVu Sans Mono");
    font.setPointSize(12);
    font.setBold(true);
    FDialogs.FontAnswer = std::make_pair(font, QColor(0x12, 0x34, 0x56));
    f.Command(TCommandId::ViewFont)->Action()->trigger();
    f.Command(TCommandId::ViewTooltips)->Action()->trigger();
    Part<TFindDialog>(f, "FindDialog1")->FindEdit->setText("<title>");
    f.Command(TCommandId::EditUseDialog)->Action()->trigger();
    ASSERT_TRUE(f.close());
    FForm.reset();
  }
  const std::string ini = ReadBytes(FDir.File("ZelApps.ini"));
  EXPECT_NE(ini.find("[Zel XML Editor Window]"), std::string::npos);
  EXPECT_NE(ini.find("TreeView1_FontColor=" + std::to_string(0x563412)), std::string::npos) << ini;
  EXPECT_NE(ini.find("TreeView1_FontStyle=[fsBold]"), std::string::npos);
  EXPECT_NE(ini.find("FindDialog1_FindText=<title>"), std::string::npos);
  // The placement comes before the recent files, which a close writes after it.
  EXPECT_LT(ini.find("[Zel XML Editor Window]"), ini.find("[Zel XML Editor Recent]"));

  TFormMain& f = Form();
  EXPECT_EQ(f.normalGeometry().size(), QSize(520, 430));
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->font().family(), "DejaVu Sans Mono");
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->font().pointSize(), 12);
  EXPECT_TRUE(Part<TOutlineView>(f, "TreeView1")->font().bold());
  EXPECT_EQ(Part<TOutlineView>(f, "TreeView1")->palette().color(QPalette::Text),
            QColor(0x12, 0x34, 0x56));
  EXPECT_TRUE(f.Session().Tree().ToolTips());
  EXPECT_TRUE(f.Command(TCommandId::ViewTooltips)->Checked())
      << "the mark shows the restored switch";
  f.Command(TCommandId::ViewTooltips)->Action()->trigger();
  EXPECT_FALSE(f.Session().Tree().ToolTips()) << "so that the first click turns them off";
  EXPECT_EQ(Part<TFindDialog>(f, "FindDialog1")->FindText(), "<title>");
  EXPECT_TRUE(f.Command(TCommandId::EditUseDialog)->Checked());
}

// Keep Layout: a checkable File item right after Save As, off at first, kept in the settings
// file, and the session saves the way it says.
TEST_F(ToolsTest, KeepLayoutIsAStoredSwitchTheSessionFollows) {
  {
    TFormMain& f = Form();
    QAction* keep = f.Command(TCommandId::FileKeepLayout)->Action();
    EXPECT_TRUE(keep->isCheckable());
    EXPECT_FALSE(keep->isChecked());
    EXPECT_EQ(keep->text(), "Keep Layout");
    EXPECT_EQ(keep->statusTip(), "Save unchanged nodes exactly as they were read");
    const QList<QAction*> file = Part<QMenuBar>(f, "MainMenu1")->actions().at(0)->menu()->actions();
    EXPECT_EQ(file.indexOf(keep), file.indexOf(f.Command(TCommandId::FileSaveAs)->Action()) + 1);
    EXPECT_FALSE(f.Session().KeepLayout());
    keep->trigger();
    EXPECT_TRUE(f.Session().KeepLayout());
    ASSERT_TRUE(f.close());
    FForm.reset();
  }
  EXPECT_NE(ReadBytes(FDir.File("ZelApps.ini")).find("FileKeepLayout1_Checked=True"),
            std::string::npos);
  TFormMain& f = Form();
  EXPECT_TRUE(f.Command(TCommandId::FileKeepLayout)->Checked());
  EXPECT_TRUE(f.Session().KeepLayout());
}

}  // namespace
}  // namespace zel::test
