// The real dialogs behind the window's dialog interface, driven from inside their event loops.

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>

#include "app/ExceptionGuard.h"
#include "app/QtDialogs.h"
#include "tests/app_editing/DialogTestUtil.h"

namespace zel {
namespace {

// What a message box shows of its text, read off its label as the user sees it.
QString ShownText(QMessageBox& box) {
  const auto* label = box.findChild<QLabel*>("qt_msgbox_label");
  if (label == nullptr) return "<no label>";
  return label->textFormat() == Qt::PlainText ||
                 (label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(label->text()))
             ? label->text()
             : "<rendered as markup>";
}

// Node texts and file names that look like markup reach every message box as written.
TEST(QtDialogsTest, MessagesQuoteTextsAsWritten) {
  for (const QString text : {"Delete \"<title>XML Developer's Guide</title>\"?",
                             "Invalid node text \"<b>bold text\"", "\"<i>.xml\" doesn't exist."}) {
    QString shown;
    test::WhenModal<QMessageBox>([&](QMessageBox& box) {
      shown = ShownText(box);
      box.reject();
    });
    TQtDialogs().MessageBox(nullptr, text, "Confirm", MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(shown.toStdString(), text.toStdString());

    // The application's own error box, under every command.
    shown.clear();
    test::WhenModal<QMessageBox>([&](QMessageBox& box) {
      shown = ShownText(box);
      box.reject();
    });
    Guarded([&] { throw std::runtime_error(text.toStdString()); });
    EXPECT_EQ(shown.toStdString(), text.toStdString());
  }
}

// "All files" lists every file, also those whose names have no dot.
TEST(QtDialogsTest, AllFilesMatchesNamesWithoutADot) {
  QStringList patterns;
  test::WhenModal<QFileDialog>([&](QFileDialog& dlg) {
    const QRegularExpression inParens(R"(\(([^)]*)\))");
    patterns = inParens.match(dlg.selectedNameFilter()).captured(1).split(' ');
    dlg.reject();
  });
  TFileDialog d;
  d.FilterIndex = 2;
  EXPECT_FALSE(TQtDialogs().ExecuteOpen(nullptr, d));
  const auto matches = [&](const QString& name) {
    for (const QString& p : patterns)
      if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(p))
              .match(name)
              .hasMatch())
        return true;
    return false;
  };
  EXPECT_TRUE(matches("README")) << patterns.join(' ').toStdString();
  EXPECT_TRUE(matches("catalog.xml"));
  EXPECT_TRUE(matches(".hidden"));
}

}  // namespace
}  // namespace zel
