#include "app/UDlgNode.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/NodeTextCodec.h"

namespace zel {

namespace {

// The designed client area: with its frame the dialog is 321 x 241. The controls keep their
// distances to the right and bottom edges when the dialog grows.
constexpr int kClientWidth = 313;
constexpr int kClientHeight = 214;

}  // namespace

void TNodeMemo::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->ignore();  // the dialog presses its default button
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

TDlgNode::TDlgNode(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint) {
  setObjectName("DlgNode");
  setWindowTitle("Node");
  setFont(QFont("Tahoma", 8));

  Memo1 = new TNodeMemo(this);
  Memo1->setObjectName("Memo1");
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setTabChangesFocus(true);

  Label1 = new QLabel("Node &text:", this);
  Label1->setObjectName("Label1");
  Label1->setBuddy(Memo1);
  Label1->move(8, 8);

  OKBtn = new QPushButton("OK", this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

  CancelBtn = new QPushButton("Cancel", this);
  CancelBtn->setObjectName("CancelBtn");
  CancelBtn->setAutoDefault(false);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

  setTabOrder(Memo1, OKBtn);
  setTabOrder(OKBtn, CancelBtn);
  resize(kClientWidth, kClientHeight);
}

void TDlgNode::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  const int w = width();
  const int h = height();
  Memo1->setGeometry(8, 24, w - kClientWidth + 297, h - kClientHeight + 145);
  OKBtn->setGeometry(w - kClientWidth + 151, h - kClientHeight + 180, 75, 25);
  CancelBtn->setGeometry(w - kClientWidth + 231, h - kClientHeight + 180, 75, 25);
}

void TDlgNode::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!FCentred) {
    FCentred = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect frame = frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      move(frame.topLeft());
    }
  }
  FormShow();
}

void TDlgNode::FormShow() {
  // One repaint for the new font.
  Memo1->setUpdatesEnabled(false);
  Memo1->setFont(FTreeFont);
  if (FTreeColor.isValid()) {
    QPalette palette = Memo1->palette();
    palette.setColor(QPalette::Text, FTreeColor);
    Memo1->setPalette(palette);
  }
  Memo1->setUpdatesEnabled(true);
  Memo1->setFocus();
}

bool ExecuteNodeDialog(std::string& text, const QFont& treeFont, const QColor& treeColor,
                       QWidget* parent) {
  TDlgNode dlg(parent);
  dlg.SetTreeFont(treeFont, treeColor);
  const QString shown = FromCodePage(text);
  if (!text.empty()) {
    dlg.Memo1->setPlainText(shown);
    dlg.setWindowTitle("Modify");
  } else {
    dlg.setWindowTitle("Add");
  }
  if (dlg.exec() != QDialog::Accepted) return false;
  // An untouched text keeps its bytes, also those the code page cannot show.
  const QString edited = dlg.Memo1->toPlainText();
  if (edited != shown) text = ToCodePage(edited);
  return true;
}

}  // namespace zel
