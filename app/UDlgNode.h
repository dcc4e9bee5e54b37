#pragma once
// The node dialog: one node text in a memo that does not take the Enter key, OK and Cancel.

#include <QDialog>
#include <QFont>
#include <QPlainTextEdit>
#include <string>

class QLabel;
class QPushButton;

namespace zel {

// Enter presses the dialog's default button instead of breaking the line.
class TNodeMemo : public QPlainTextEdit {
 public:
  using QPlainTextEdit::QPlainTextEdit;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

class TDlgNode : public QDialog {
  Q_OBJECT

 public:
  explicit TDlgNode(QWidget* parent = nullptr);

  // The memo takes this font and text colour when the dialog is shown: the tree's. An invalid
  // colour keeps the memo's own.
  void SetTreeFont(const QFont& font, const QColor& color = QColor()) {
    FTreeFont = font;
    FTreeColor = color;
  }

  QLabel* Label1;
  TNodeMemo* Memo1;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FormShow();
  QFont FTreeFont;
  QColor FTreeColor;
  bool FCentred = false;
};

// Shows the dialog for `text` ("Modify" when it has one, else "Add"); on OK `text` takes the
// memo's text and the result is true, otherwise `text` stays.
bool ExecuteNodeDialog(std::string& text, const QFont& treeFont, const QColor& treeColor = QColor(),
                       QWidget* parent = nullptr);

}  // namespace zel
