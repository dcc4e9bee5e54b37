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
  RegexBox = new QCheckBox("Regular e&xpression", this);
  RegexBox->setObjectName("RegexBox");
  ReplaceEdit = new QLineEdit(this);
  ReplaceEdit->setObjectName("ReplaceEdit");
  auto* replaceLabel = new QLabel("Re&place with:", this);
  replaceLabel->setBuddy(ReplaceEdit);
  InResultsBox = new QCheckBox("In re&sults only", this);
  InResultsBox->setObjectName("InResultsBox");
  InResultsBox->setToolTip("Replace All changes only the nodes the Results pane lists");
  InResultsBox->setEnabled(false);
  XPathBox = new QCheckBox("XPat&h", this);
  XPathBox->setObjectName("XPathBox");
  XPathBox->setToolTip("Find All by an XPath 1.0 expression; d: names the default namespace");

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
  const auto button = [this](const char* caption, const char* name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setEnabled(false);
    return b;
  };
  FindAllBtn = button("Find &All", "FindAllBtn");
  ReplaceBtn = button("&Replace", "ReplaceBtn");
  ReplaceAllBtn = button("Replace A&ll", "ReplaceAllBtn");

  auto* grid = new QGridLayout(this);
  grid->addWidget(label, 0, 0);
  grid->addWidget(FindEdit, 0, 1, 1, 2);
  grid->addWidget(replaceLabel, 1, 0);
  grid->addWidget(ReplaceEdit, 1, 1, 1, 2);
  auto* options = new QGridLayout;
  options->addWidget(WholeWordBox, 0, 0);
  options->addWidget(MatchCaseBox, 1, 0);
  options->addWidget(RegexBox, 0, 1);
  options->addWidget(InResultsBox, 1, 1);
  options->addWidget(XPathBox, 2, 0);
  options->setRowStretch(3, 1);
  grid->addLayout(options, 2, 0, 1, 2);
  grid->addWidget(direction, 2, 2);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(FindNextBtn);
  buttons->addWidget(FindAllBtn);
  buttons->addWidget(ReplaceBtn);
  buttons->addWidget(ReplaceAllBtn);
  buttons->addWidget(CancelBtn);
  buttons->addStretch();
  grid->addLayout(buttons, 0, 3, 3, 1);

  // An empty text finds nothing worth finding.
  connect(FindEdit, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
  connect(XPathBox, &QCheckBox::toggled, this, [this] { UpdateButtons(); });
  connect(FindNextBtn, &QPushButton::clicked, this, &TFindDialog::Find);
  connect(FindAllBtn, &QPushButton::clicked, this, &TFindDialog::FindAll);
  connect(ReplaceBtn, &QPushButton::clicked, this, &TFindDialog::Replace);
  connect(ReplaceAllBtn, &QPushButton::clicked, this, &TFindDialog::ReplaceAll);
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

TFindAllOptions TFindDialog::QueryOptions() const {
  return {RegexBox->isChecked(), MatchCaseBox->isChecked(), WholeWordBox->isChecked()};
}

std::string TFindDialog::Replacement() const {
  return ToCodePage(ReplaceEdit->text());
}

void TFindDialog::SetResultsAvailable(bool available) {
  if (FResultsAvailable == available) return;
  FResultsAvailable = available;
  UpdateButtons();
}

bool TFindDialog::InResultsOnly() const {
  return InResultsBox->isEnabled() && InResultsBox->isChecked();
}

void TFindDialog::SetReplaceAllowed(bool allowed) {
  if (FReplaceAllowed == allowed) return;
  FReplaceAllowed = allowed;
  UpdateButtons();
}

bool TFindDialog::XPathMode() const {
  return XPathBox->isChecked();
}

void TFindDialog::UpdateButtons() {
  const bool text = !FindEdit->text().isEmpty(), xpath = XPathMode();
  FindNextBtn->setEnabled(text && !xpath);
  FindNextBtn->setDefault(!xpath);  // Enter runs the query in XPath mode
  FindAllBtn->setDefault(xpath);
  FindAllBtn->setEnabled(text);
  ReplaceBtn->setEnabled(text && FReplaceAllowed && !xpath);
  ReplaceAllBtn->setEnabled(text && FReplaceAllowed && !xpath);
  for (QWidget* w : {static_cast<QWidget*>(MatchCaseBox), static_cast<QWidget*>(WholeWordBox),
                     static_cast<QWidget*>(RegexBox), static_cast<QWidget*>(ReplaceEdit)})
    w->setEnabled(!xpath);
  InResultsBox->setEnabled(FResultsAvailable && !xpath);
}

void TFindDialog::reject() {
  if (FQueryRunning)
    emit CancelQuery();
  else
    QDialog::reject();
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
