#include <gtest/gtest.h>

#include <cstdlib>

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "DialogTestUtil.h"
#include "app/NodeTextCodec.h"
#include "app/UDlgNode.h"
#include "platform/CodePage.h"

namespace zel {
namespace {

using test::WhenModal;

class NodeDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { SetACPOverride(1252); }
  void TearDown() override { SetACPOverride(0); }
};

TEST_F(NodeDialogTest, ModifyShowsTheTextAndOkReturnsTheEdit) {
  std::string text = "<title>Caf\xe9</title>";  // e-acute in the 8-bit code page
  QString seenTitle, seenText;
  WhenModal<TDlgNode>([&](TDlgNode& dlg) {
    seenTitle = dlg.windowTitle();
    seenText = dlg.Memo1->toPlainText();
    dlg.Memo1->selectAll();
    QTest::keyClicks(dlg.Memo1, "<p>");
    dlg.Memo1->insertPlainText(QString::fromUtf8("\xc3\xbc</p>"));  // u-umlaut
    QTest::keyClick(dlg.Memo1, Qt::Key_Return);                     // presses OK, breaks no line
  });
  EXPECT_TRUE(ExecuteNodeDialog(text, QFont()));
  EXPECT_EQ(seenTitle, "Modify");
  EXPECT_EQ(seenText, QString::fromUtf8("<title>Caf\xc3\xa9</title>"));
  EXPECT_EQ(text, "<p>\xfc</p>");
}

TEST_F(NodeDialogTest, AddStartsEmptyAndTakesAnyText) {
  std::string text;
  QString seenTitle;
  WhenModal<TDlgNode>([&](TDlgNode& dlg) {
    seenTitle = dlg.windowTitle();
    EXPECT_TRUE(dlg.Memo1->toPlainText().isEmpty());
    QTest::keyClicks(dlg.Memo1, " no brackets ");
    dlg.OKBtn->click();
  });
  EXPECT_TRUE(ExecuteNodeDialog(text, QFont()));
  EXPECT_EQ(seenTitle, "Add");
  EXPECT_EQ(text, " no brackets ");

  // Emptied and confirmed: the empty text comes back as well.
  WhenModal<TDlgNode>([](TDlgNode& dlg) {
    dlg.Memo1->clear();
    dlg.OKBtn->click();
  });
  EXPECT_TRUE(ExecuteNodeDialog(text, QFont()));
  EXPECT_EQ(text, "");
}

TEST_F(NodeDialogTest, CancelAndEscKeepTheText) {
  std::string text = "<a>";
  WhenModal<TDlgNode>([](TDlgNode& dlg) {
    QTest::keyClicks(dlg.Memo1, "changed");
    dlg.CancelBtn->click();
  });
  EXPECT_FALSE(ExecuteNodeDialog(text, QFont()));
  EXPECT_EQ(text, "<a>");
  WhenModal<TDlgNode>([](TDlgNode& dlg) {
    QTest::keyClicks(dlg.Memo1, "changed");
    QTest::keyClick(dlg.Memo1, Qt::Key_Escape);
  });
  EXPECT_FALSE(ExecuteNodeDialog(text, QFont()));
  EXPECT_EQ(text, "<a>");
}

TEST_F(NodeDialogTest, OkOnAnUntouchedTextKeepsBytesTheCodePageCannotShow) {
  std::string text = "<a b=\"\x81\">";  // no character at 0x81 in windows-1252
  WhenModal<TDlgNode>([](TDlgNode& dlg) { dlg.OKBtn->click(); });
  EXPECT_TRUE(ExecuteNodeDialog(text, QFont()));
  EXPECT_EQ(text, "<a b=\"\x81\">");
}

TEST_F(NodeDialogTest, PastedLineBreaksStay) {
  std::string text = "<a>";
  WhenModal<TDlgNode>([](TDlgNode& dlg) {
    dlg.Memo1->setPlainText("<a>\n</a>");
    dlg.OKBtn->click();
  });
  EXPECT_TRUE(ExecuteNodeDialog(text, QFont()));
  EXPECT_EQ(text, "<a>\n</a>");
}

TEST_F(NodeDialogTest, FormValuesTreeFontAndAnchors) {
  TDlgNode dlg;
  EXPECT_EQ(dlg.Label1->text(), "Node &text:");
  EXPECT_EQ(dlg.Label1->buddy(), dlg.Memo1);
  EXPECT_EQ(dlg.Label1->pos(), QPoint(8, 8));
  EXPECT_TRUE(dlg.OKBtn->isDefault());
  EXPECT_EQ(dlg.OKBtn->text(), "OK");
  EXPECT_EQ(dlg.CancelBtn->text(), "Cancel");
  EXPECT_FALSE(dlg.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(dlg.windowFlags() & Qt::WindowMaximizeButtonHint);

  QFont treeFont("Courier", 17);
  treeFont.setUnderline(true);
  dlg.SetTreeFont(treeFont, QColor(0x80, 0, 0x20));
  EXPECT_NE(dlg.Memo1->font(), treeFont) << "the font arrives when shown";
  dlg.show();
  EXPECT_EQ(dlg.Memo1->font(), treeFont);
  EXPECT_EQ(dlg.Memo1->palette().color(QPalette::Text), QColor(0x80, 0, 0x20)) << "colour too";
  EXPECT_TRUE(dlg.Memo1->hasFocus() || !QApplication::focusWidget());

  const QRect memo = dlg.Memo1->geometry();
  const QRect ok = dlg.OKBtn->geometry();
  EXPECT_EQ(memo.topLeft(), QPoint(8, 24));
  EXPECT_EQ(ok, QRect(dlg.width() - 162, dlg.height() - 34, 75, 25));
  EXPECT_EQ(dlg.CancelBtn->geometry(), ok.translated(80, 0));
  dlg.resize(dlg.width() + 100, dlg.height() + 50);
  EXPECT_EQ(dlg.Memo1->geometry().size(), memo.size() + QSize(100, 50));
  EXPECT_EQ(dlg.OKBtn->geometry(), ok.translated(100, 50));
  EXPECT_EQ(dlg.OKBtn->size(), QSize(75, 25));

  // Centred on the screen.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE(std::abs(dlg.frameGeometry().center().x() - screen.center().x()), 60);
}

TEST(NodeTextCodecTest, RoundTripAndUnmappableCharacters) {
  SetACPOverride(1252);
  EXPECT_EQ(FromCodePage("<\x80>"), QString::fromUtf8("<\xe2\x82\xac>"));  // the euro sign
  EXPECT_EQ(ToCodePage(QString::fromUtf8("<\xe2\x82\xac>")), "<\x80>");
  EXPECT_EQ(ToCodePage(QString::fromUtf8("\xe4\xb8\xad")), "?");  // no CJK in 1252
  EXPECT_EQ(FromCodePage(std::string_view("a\0b", 3)).size(), 3);
  SetACPOverride(0);
}

}  // namespace
}  // namespace zel
