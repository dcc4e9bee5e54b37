#include "app/FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/NodeTextCodec.h"

namespace zel {

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("FindDialog1");
  setWindowTitle("Find");
  setModal(false);

  FindEdit = new QLineEdit(this);
  auto* label = new QLabel("Fi&nd what:", this);
  label->setBuddy(FindEdit);

  MatchCaseBox = new QCheckBox("Match &case", this);
  WholeWordBox = new QCheckBox("&Whole word", this);

  auto* direction = new QGroupBox("Direction", this);
  UpBtn = new QRadioButton("&Up", direction);
  DownBtn = new QRadioButton("&Down", direction);
  DownBtn->setChecked(true);
  auto* dirLayout = new QHBoxLayout(direction);
  dirLayout->addWidget(UpBtn);
  dirLayout->addWidget(DownBtn);

  FindNextBtn = new QPushButton("&Find Next", this);
  FindNextBtn->setDefault(true);
  FindNextBtn->setEnabled(false);
  CancelBtn = new QPushButton("Cancel", this);
  CancelBtn->setAutoDefault(false);

  auto* grid = new QGridLayout(this);
  grid->addWidget(label, 0, 0);
  grid->addWidget(FindEdit, 0, 1, 1, 2);
  auto* options = new QVBoxLayout;
  options->addWidget(WholeWordBox);
  options->addWidget(MatchCaseBox);
  options->addStretch();
  grid->addLayout(options, 1, 0, 1, 2);
  grid->addWidget(direction, 1, 2);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(FindNextBtn);
  buttons->addWidget(CancelBtn);
  buttons->addStretch();
  grid->addLayout(buttons, 0, 3, 2, 1);

  // An empty text finds nothing worth finding.
  connect(FindEdit, &QLineEdit::textChanged, this,
          [this](const QString& text) { FindNextBtn->setEnabled(!text.isEmpty()); });
  connect(FindNextBtn, &QPushButton::clicked, this, &TFindDialog::Find);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QString TFindDialog::FindText() const {
  return FindEdit->text();
}

void TFindDialog::SetFindText(const QString& text) {
  FindEdit->setText(text);
}

std::string TFindDialog::Pattern() const {
  return ToCodePage(FindEdit->text());
}

TFindOptions TFindDialog::Options() const {
  return {DownBtn->isChecked(), MatchCaseBox->isChecked(), WholeWordBox->isChecked()};
}

void TFindDialog::Execute() {
  show();
  raise();
  activateWindow();
  FindEdit->setFocus();
  FindEdit->selectAll();
}

void TFindDialog::MoveAsideOf(const QRect& area) {
  const QRect frame = frameGeometry();
  if (!isVisible() || !frame.intersects(area)) return;
  constexpr int kGap = 8;
  const QRect screenArea = screen()->availableGeometry();
  const int below = area.bottom() + 1 + kGap, above = area.top() - kGap - frame.height();
  const int roomBelow = screenArea.bottom() + 1 - below,
            roomAbove = area.top() - kGap - screenArea.top();
  int top;
  if (roomBelow >= frame.height())
    top = below;
  else if (roomAbove >= frame.height())
    top = above;
  else  // no side takes it whole: the side with more room, kept on the screen
    top = roomBelow >= roomAbove ? screenArea.bottom() + 1 - frame.height() : screenArea.top();
  move(frame.left(), top);
}

QString TFindDialog::NotFoundMessage(const QString& findText) {
  return QString("Text \"%1\" is not found.").arg(findText);
}

}  // namespace zel
