// Find All into the Results pane, Replace and Replace All from the find dialog, and Copy XPath,
// driven as a user drives them: the dialog's buttons, the pane's rows, the keys.

#include <sys/wait.h>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "tests/app/AppTestUtil.h"

namespace zel::test {
namespace {

class FindAllTest : public FormTest {
 protected:
  void SetUp() override {
    Open(FDir.File("b.xml"));  // three books, each with a title
    Form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
    Form().Command(TCommandId::SearchFind)->Action()->trigger();
  }
  TFindDialog& Dialog() { return *Part<TFindDialog>(Form(), "FindDialog1"); }
  QDockWidget& Pane() { return *Part<QDockWidget>(Form(), "Results"); }
  QTableView& List() { return *Part<QTableView>(Form(), "ResultsList"); }
  QString Header() { return Part<QLabel>(Form(), "ResultsHeader")->text(); }
  QString Cell(int row, int column) { return List().model()->index(row, column).data().toString(); }
  void Click(QPushButton* button, const QString& find, const QString& with = {}) {
    Dialog().FindEdit->setText(find);
    Dialog().ReplaceEdit->setText(with);
    button->click();
    Idle();
  }
  TTreeView& Tree() { return Form().Session().Tree(); }
  std::string Selected() { return std::string(Tree().Selected()->Text()); }
  // Until the pane no longer says a query runs.
  void AwaitQuery() { QTRY_VERIFY_WITH_TIMEOUT(!Header().startsWith("Running"), 60000); }
};

TEST_F(FindAllTest, ListsTheMatchesAndTheirRowsChooseNodes) {
  EXPECT_TRUE(Pane().isHidden());
  Click(Dialog().FindAllBtn, "<title>");
  ASSERT_FALSE(Pane().isHidden());
  EXPECT_TRUE(Form().Command(TCommandId::ViewResults)->Checked());
  EXPECT_EQ(Header(), "3 matches");
  ASSERT_EQ(List().model()->rowCount(), 3);
  EXPECT_EQ(Cell(1, 0), "<title>T1</title>");
  EXPECT_EQ(Cell(1, 1), "/catalog[1]/book[2]/title[1]");
  EXPECT_EQ(Cell(1, 2), "6");

  // Enter on a row selects its node, its ancestors expanded.
  List().setFocus();
  List().setCurrentIndex(List().model()->index(2, 0));
  QTest::keyClick(&List(), Qt::Key_Return);
  Idle();
  EXPECT_EQ(Selected(), "<title>T2</title>");
  EXPECT_TRUE(Tree().Selected()->Parent()->Expanded());
  EXPECT_EQ(Part<TOutlineView>(Form(), "TreeView1")->currentIndex(),
            ModelOf(Form()).IndexOf(Tree().Selected()));

  Click(Dialog().FindAllBtn, "T1<");
  EXPECT_EQ(Header(), "1 match");
  Dialog().RegexBox->setChecked(true);
  Click(Dialog().FindAllBtn, "^<book id=\"[0-9]\">$");
  EXPECT_EQ(Header(), "3 matches");
  Click(Dialog().FindAllBtn, "a(b");
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_EQ(FDialogs.Errors()[0],
            "Invalid regular expression \"a(b\": missing ) at position 1 (\"a(b\")");
  EXPECT_EQ(Header(), "3 matches") << "a bad expression leaves the list";
  Click(Dialog().FindAllBtn, "nothing like this");
  EXPECT_EQ(Header(), "No matches");

  // View > Results hides and shows the pane, and closing the pane clears the check.
  Form().Command(TCommandId::ViewResults)->Action()->trigger();
  Idle();
  EXPECT_TRUE(Pane().isHidden());
  Form().Command(TCommandId::ViewResults)->Action()->trigger();
  Idle();
  EXPECT_FALSE(Pane().isHidden());
  Pane().close();
  Idle();
  EXPECT_FALSE(Form().Command(TCommandId::ViewResults)->Checked());

  // A change to the outline's shape empties the list: its rows held the nodes.
  Click(Dialog().FindAllBtn, "<book");
  ASSERT_EQ(List().model()->rowCount(), 3);
  Tree().SetSelected(Tree().GetFirstNode()->Item(1)->Item(0));
  Form().Command(TCommandId::EditDuplicate)->Action()->trigger();
  Idle();
  EXPECT_EQ(List().model()->rowCount(), 0);
  EXPECT_FALSE(Part<QPushButton>(Form(), "ResultsSelect")->isEnabled()) << "nothing to select";
  EXPECT_TRUE(Header().startsWith("The outline has changed"));

  // Copy XPath: the selected node's path, prefixes and positions as written.
  Tree().SetSelected(Tree().GetFirstNode()->Item(1)->Item(3)->Item(0));
  Idle();
  QTest::keyClick(Part<TOutlineView>(Form(), "TreeView1"), Qt::Key_C,
                  Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "/catalog[1]/book[4]/title[1]");
  Tree().SetSelected(Tree().GetFirstNode()->Item(0));
  Idle();
  EXPECT_FALSE(Form().Command(TCommandId::EditCopyXPath)->Enabled())
      << "XPath has no node for the declaration";

  // Select Results makes every listed node the outline's selection: Delete asks once for all.
  Click(Dialog().FindAllBtn, "<book");
  ASSERT_EQ(List().model()->rowCount(), 4);
  auto* selectResults = Part<QPushButton>(Form(), "ResultsSelect");
  ASSERT_TRUE(selectResults->isEnabled());
  QTest::keyClick(selectResults, Qt::Key_Return);
  Idle();
  EXPECT_EQ(Selected(), "<book id=\"0\">");
  FDialogs.Answers = {IDNO};
  Form().Command(TCommandId::EditDelete)->Action()->trigger();
  ASSERT_FALSE(FDialogs.Shown.empty());
  EXPECT_EQ(FDialogs.Shown.back().Text, "Delete 4 nodes?");
}

// XPath: the query runs beside the event loop, its nodes or value come to the pane and its
// failure to the error box; a long one stops at Esc at once, its process gone, and a change to
// the outline stops it too.
TEST_F(FindAllTest, XPathQueriesComeToThePaneAndStopAtEscOrAChange) {
  Dialog().XPathBox->setChecked(true);
  EXPECT_FALSE(Dialog().RegexBox->isEnabled());
  EXPECT_FALSE(Dialog().ReplaceAllBtn->isEnabled());
  Click(Dialog().FindAllBtn, "//book[@id > 0]/title");
  EXPECT_FALSE(Form().Command(TCommandId::SearchFindNext)->Enabled()) << "no text to find";
  AwaitQuery();
  EXPECT_EQ(Header(), "2 matches");
  ASSERT_EQ(List().model()->rowCount(), 2);
  EXPECT_EQ(Cell(0, 1), "/catalog[1]/book[2]/title[1]");
  Click(Dialog().FindAllBtn, "count(//book)");
  AwaitQuery();
  EXPECT_EQ(Header(), "count(//book) = 3");
  EXPECT_EQ(List().model()->rowCount(), 0);
  Click(Dialog().FindAllBtn, "//book[");
  AwaitQuery();
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_EQ(FDialogs.Errors()[0],
            "Invalid XPath expression \"//book[\": Invalid expression at position 8");

  WriteBytes(FDir.File("big.xml"), Catalog(20000));
  Open(FDir.File("big.xml"));
  const QString slow = "count(//title[count(following::title) = count(preceding::title)])";
  Click(Dialog().FindAllBtn, slow);
  QTest::qWait(100);
  ASSERT_TRUE(Header().startsWith("Running")) << Header().toStdString();
  // How soon Esc stops it is measured in bench_app_findall: here, that it does at once.
  QTest::keyClick(&Dialog(), Qt::Key_Escape);
  EXPECT_EQ(Header(), "The XPath query was cancelled.");
  EXPECT_TRUE(Dialog().isVisible()) << "Esc stopped the query, not the dialog";
  // Then no child at all, not even one to reap (looked at without reaping it); the bound only
  // keeps a broken reap from hanging the suite.
  siginfo_t info{};
  int left = 0;
  for (int i = 0; i < 6000 && (left = ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT)) == 0;
       ++i)
    QTest::qWait(10);
  EXPECT_EQ(left, -1);

  Click(Dialog().FindAllBtn, slow);
  Tree().SetSelected(Tree().GetFirstNode()->Item(1)->Item(0));
  Idle();
  Form().Command(TCommandId::EditDuplicate)->Action()->trigger();
  AwaitQuery();
  EXPECT_TRUE(Header().startsWith("The outline changed while the XPath query ran"));
}

TEST_F(FindAllTest, ReplaceAllIsOneUndoStepAndMayKeepToTheResults) {
  Dialog().RegexBox->setChecked(true);
  Click(Dialog().ReplaceAllBtn, "T([0-9])<", "Book \\1<");
  EXPECT_EQ(Header(), "3 replacements in 3 nodes");
  EXPECT_EQ(Tree().Item(4)->Text(), "<title>Book 0</title>");
  EXPECT_EQ(Form().Command(TCommandId::EditUndo)->Action()->text(), "U&ndo Replace All");
  Form().Command(TCommandId::EditUndo)->Action()->trigger();
  Idle();
  EXPECT_EQ(Tree().Item(4)->Text(), "<title>T0</title>");
  EXPECT_FALSE(Form().Session().Modified());

  // Texts a replacement would break stay as they were, and are counted.
  Click(Dialog().ReplaceAllBtn, "^<(title)>", "\\1");
  EXPECT_EQ(Header(),
            "0 replacements in 0 nodes; 3 nodes left as they were, where the new "
            "texts would not be valid");

  // In results only: the nodes the pane lists, which stay listed.
  Click(Dialog().FindAllBtn, "T[12]<");
  ASSERT_TRUE(Dialog().InResultsBox->isEnabled());
  Dialog().InResultsBox->setChecked(true);
  Dialog().RegexBox->setChecked(false);
  Click(Dialog().ReplaceAllBtn, "title", "name");
  EXPECT_EQ(Header(), "4 replacements in 2 nodes");
  EXPECT_EQ(Tree().Item(4)->Text(), "<title>T0</title>");
  EXPECT_EQ(Tree().Item(6)->Text(), "<name>T1</name>");
  EXPECT_EQ(List().model()->rowCount(), 2);

  // Replace: the selected node's matches, then the next match is selected.
  Tree().SetSelected(Tree().GetFirstNode());
  Dialog().MatchCaseBox->setChecked(true);
  Click(Dialog().ReplaceBtn, "T", "U");
  EXPECT_EQ(Selected(), "<title>T0</title>") << "found first";
  Click(Dialog().ReplaceBtn, "T", "U");
  EXPECT_EQ(Tree().Item(4)->Text(), "<title>U0</title>");
  EXPECT_EQ(Selected(), "<name>T1</name>");
  EXPECT_EQ(Form().Command(TCommandId::EditUndo)->Action()->text(), "U&ndo Replace");
}

}  // namespace
}  // namespace zel::test
