#include "app/QtDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace zel {

namespace {

const QStringList& Filters() {
  static const QStringList filters{"XML Document (*.xml)", "All files (*.*)"};
  return filters;
}

// Settings shared by both file dialogs.
void Prepare(QFileDialog& dlg, const TFileDialog& d) {
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setNameFilters(Filters());
  dlg.selectNameFilter(Filters().value(d.FilterIndex - 1, Filters().front()));
  dlg.setDefaultSuffix("xml");
  dlg.setSizeGripEnabled(true);
  if (!d.InitialDir.empty()) dlg.setDirectory(QFile::decodeName(d.InitialDir.c_str()));
  if (!d.FileName.empty()) dlg.selectFile(QFile::decodeName(d.FileName.c_str()));
}

void TakeResult(const QFileDialog& dlg, TFileDialog& d) {
  d.FileName = QFile::encodeName(dlg.selectedFiles().value(0)).toStdString();
  d.FilterIndex = static_cast<int>(Filters().indexOf(dlg.selectedNameFilter())) + 1;
  if (d.FilterIndex < 1) d.FilterIndex = 1;
}

}  // namespace

int TQtDialogs::MessageBox(QWidget* parent, const QString& text, const QString& caption,
                           unsigned flags) {
  QMessageBox box(parent);
  box.setWindowTitle(caption);
  box.setText(QString(text).replace('\r', '\n'));
  switch (flags & 0xF0) {
    case MB_ICONERROR:
      box.setIcon(QMessageBox::Critical);
      break;
    case MB_ICONQUESTION:
      box.setIcon(QMessageBox::Question);
      break;
    case MB_ICONEXCLAMATION:
      box.setIcon(QMessageBox::Warning);
      break;
    case MB_ICONINFORMATION:
      box.setIcon(QMessageBox::Information);
      break;
  }
  QList<QMessageBox::StandardButton> buttons;
  switch (flags & 0xF) {
    case MB_YESNOCANCEL:
      buttons = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
      break;
    case MB_YESNO:
      buttons = {QMessageBox::Yes, QMessageBox::No};
      break;
    default:
      buttons = {QMessageBox::Ok};
  }
  for (QMessageBox::StandardButton b : buttons) box.addButton(b);
  const int def = (flags & MB_DEFBUTTON2) != 0 && buttons.size() > 1 ? 1 : 0;
  box.setDefaultButton(buttons[def]);
  box.setEscapeButton(buttons.back());
  box.exec();
  switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    case QMessageBox::Cancel:
      return IDCANCEL;
    default:
      return IDOK;
  }
}

bool TQtDialogs::ExecuteOpen(QWidget* parent, TFileDialog& d) {
  QFileDialog dlg(parent);
  Prepare(dlg, d);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setFileMode(QFileDialog::ExistingFile);
  auto* readOnly = new QCheckBox(QFileDialog::tr("Open as &read-only"), &dlg);
  readOnly->setChecked(d.ReadOnly);
  if (auto* grid = qobject_cast<QGridLayout*>(dlg.layout()))
    grid->addWidget(readOnly, grid->rowCount(), 0, 1, grid->columnCount());
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
  TakeResult(dlg, d);
  d.ReadOnly = readOnly->isChecked();
  return true;
}

bool TQtDialogs::ExecuteSave(QWidget* parent, TFileDialog& d) {
  QFileDialog dlg(parent);
  Prepare(dlg, d);
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
  TakeResult(dlg, d);
  return true;
}

bool TQtDialogs::ExecuteFont(QWidget* parent, QFont& font,
                             const std::function<void(const QFont&)>& onApply) {
  QFontDialog dlg(font, parent);
  dlg.setOption(QFontDialog::DontUseNativeDialog);
  if (auto* buttons = dlg.findChild<QDialogButtonBox*>()) {
    QPushButton* apply = buttons->addButton(QDialogButtonBox::Apply);
    QObject::connect(apply, &QPushButton::clicked, &dlg, [&] {
      if (onApply) onApply(dlg.currentFont());
    });
  }
  if (dlg.exec() != QDialog::Accepted) return false;
  font = dlg.selectedFont();
  return true;
}

void TQtDialogs::Beep() {
  QApplication::beep();
}

}  // namespace zel
