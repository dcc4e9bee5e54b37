#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "app/FindDialog.h"

namespace zel {
namespace {

TEST(FindDialogTest, StartsDownWithoutOptionsAndFindsNothingEmpty) {
  TFindDialog dlg;
  EXPECT_FALSE(dlg.isModal());
  const TFindOptions o = dlg.Options();
  EXPECT_TRUE(o.Down);
  EXPECT_FALSE(o.MatchCase);
  EXPECT_FALSE(o.WholeWord);
  EXPECT_FALSE(dlg.FindNextBtn->isEnabled());
  dlg.SetFindText("book");
  EXPECT_TRUE(dlg.FindNextBtn->isEnabled());
  dlg.SetFindText("");
  EXPECT_FALSE(dlg.FindNextBtn->isEnabled());
}

TEST(FindDialogTest, FindNextButtonAndEnterAskForASearchWithTheOptions) {
  TFindDialog dlg;
  QSignalSpy finds(&dlg, &TFindDialog::Find);
  dlg.Execute();
  EXPECT_TRUE(dlg.isVisible());
  QTest::keyClicks(dlg.FindEdit, "Title");
  dlg.UpBtn->click();
  dlg.WholeWordBox->click();
  dlg.FindNextBtn->click();
  EXPECT_EQ(finds.count(), 1);
  QTest::keyClick(dlg.FindEdit, Qt::Key_Return);
  EXPECT_EQ(finds.count(), 2);
  EXPECT_TRUE(dlg.isVisible()) << "the dialog stays open between searches";
  const TFindOptions o = dlg.Options();
  EXPECT_FALSE(o.Down);
  EXPECT_TRUE(o.WholeWord);
  EXPECT_FALSE(o.MatchCase);
  EXPECT_EQ(dlg.FindText(), "Title");

  // Closed and opened again, it keeps the text and the options.
  dlg.CancelBtn->click();
  EXPECT_FALSE(dlg.isVisible());
  dlg.Execute();
  EXPECT_EQ(dlg.FindText(), "Title");
  EXPECT_FALSE(dlg.Options().Down);
}

TEST(FindDialogTest, NotFoundMessageQuotesTheTextAsTyped) {
  EXPECT_EQ(TFindDialog::NotFoundMessage("Mixed Case"), "Text \"Mixed Case\" is not found.");
}

}  // namespace
}  // namespace zel
