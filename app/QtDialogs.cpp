#include "app/QtDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QUrl>

#include "app/TreeFontDialog.h"
#include "app/UDlgNode.h"

namespace zel {

namespace {

const QStringList& Filters() {
  // "*": on this system a file name need not have a dot.
  static const QStringList filters{"XML Document (*.xml)", "All files (*)"};
  return filters;
}

// Runs an open or save dialog over the settings that outlive it; `readOnly` adds the box.
bool RunFileDialog(QWidget* parent, TFileDialog& d, QFileDialog::AcceptMode mode, bool readOnly) {
  QFileDialog dlg(parent);
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setNameFilters(Filters());
  dlg.selectNameFilter(Filters().value(d.FilterIndex - 1, Filters().front()));
  dlg.setDefaultSuffix("xml");
  dlg.setSizeGripEnabled(true);
  dlg.setAcceptMode(mode);
  dlg.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                  : QFileDialog::AnyFile);
  if (!d.InitialDir.empty()) dlg.setDirectory(QFile::decodeName(d.InitialDir.c_str()));
  if (!d.FileName.empty()) dlg.selectFile(QFile::decodeName(d.FileName.c_str()));
  QCheckBox* box = nullptr;
  if (readOnly) {
    box = new QCheckBox(QFileDialog::tr("Open as &read-only"), &dlg);
    box->setChecked(d.ReadOnly);
    if (auto* grid = qobject_cast<QGridLayout*>(dlg.layout()))
      grid->addWidget(box, grid->rowCount(), 0, 1, grid->columnCount());
  }
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
  d.FileName = QFile::encodeName(dlg.selectedFiles().value(0)).toStdString();
  d.FilterIndex =
      std::max<int>(1, static_cast<int>(Filters().indexOf(dlg.selectedNameFilter())) + 1);
  if (box != nullptr) d.ReadOnly = box->isChecked();
  return true;
}

}  // namespace

int TQtDialogs::MessageBox(QWidget* parent, const QString& text, const QString& caption,
                           unsigned flags) {
  QMessageBox box(parent);
  box.setWindowTitle(caption);
  // Texts quote node texts and file names: "<title>..." is markup to show, never to render.
  box.setTextFormat(Qt::PlainText);
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
    case MB_RETRYCANCEL:
      buttons = {QMessageBox::Retry, QMessageBox::Cancel};
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
    case QMessageBox::Retry:
      return IDRETRY;
    default:
      return IDOK;
  }
}

bool TQtDialogs::ExecuteOpen(QWidget* parent, TFileDialog& d) {
  return RunFileDialog(parent, d, QFileDialog::AcceptOpen, true);
}

bool TQtDialogs::ExecuteSave(QWidget* parent, TFileDialog& d) {
  return RunFileDialog(parent, d, QFileDialog::AcceptSave, false);
}

bool TQtDialogs::ExecuteFont(QWidget* parent, QFont& font, QColor& color,
                             const std::function<void(const QFont&, const QColor&)>& onApply) {
  TTreeFontDialog dlg(parent);
  dlg.SetSelection(font, color);
  QObject::connect(&dlg, &TTreeFontDialog::Applied, &dlg, [&] {
    if (onApply) onApply(dlg.SelectedFont(), dlg.SelectedColor());
  });
  if (dlg.exec() != QDialog::Accepted) return false;
  font = dlg.SelectedFont();
  color = dlg.SelectedColor();
  return true;
}

bool TQtDialogs::ExecuteNode(QWidget* parent, std::string& text, const QFont& treeFont,
                             const QColor& treeColor) {
  return ExecuteNodeDialog(text, treeFont, treeColor, parent);
}

bool TQtDialogs::OpenUrl(const QString& url) {
  return QDesktopServices::openUrl(QUrl(url));
}

void TQtDialogs::Beep() {
  QApplication::beep();
}

}  // namespace zel
