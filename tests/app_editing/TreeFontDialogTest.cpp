#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>

#include "DialogTestUtil.h"
#include "app/TreeFontDialog.h"

namespace zel {
namespace {

TEST(TreeFontDialogTest, ApplyAppliesAndStaysOpenOkClosesWithTheChoice) {
  TTreeFontDialog dlg;
  QFont font("Sans", 12);
  font.setStrikeOut(true);
  dlg.SetSelection(font, QColor(0x800000));
  EXPECT_EQ(dlg.SelectedColor(), QColor(0x800000));
  EXPECT_TRUE(dlg.SelectedFont().strikeOut());

  int applied = 0;
  QFont appliedFont;
  QObject::connect(&dlg, &TTreeFontDialog::Applied, [&] {
    ++applied;
    appliedFont = dlg.SelectedFont();
  });
  test::WhenModal<TTreeFontDialog>([](TTreeFontDialog& d) {
    QFont f = d.currentFont();
    f.setUnderline(true);
    d.setCurrentFont(f);
    d.ApplyBtn->click();
    EXPECT_TRUE(d.isVisible());
    d.ColorBox->setCurrentIndex(d.ColorBox->findText("Blue"));
    d.accept();
  });
  EXPECT_EQ(dlg.exec(), QDialog::Accepted);
  EXPECT_EQ(applied, 1);
  EXPECT_TRUE(appliedFont.underline());
  EXPECT_TRUE(dlg.SelectedFont().underline());
  EXPECT_EQ(dlg.SelectedColor(), QColor(Qt::blue));
}

TEST(TreeFontDialogTest, AColourOutsideTheListIsKept) {
  TTreeFontDialog dlg;
  const int count = dlg.ColorBox->count();
  dlg.SetSelection(QFont(), QColor(0x123456));
  dlg.SetSelection(QFont(), QColor(0x123456));
  EXPECT_EQ(dlg.SelectedColor(), QColor(0x123456));
  EXPECT_EQ(dlg.ColorBox->count(), count + 1);
}

}  // namespace
}  // namespace zel
