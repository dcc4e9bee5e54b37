// What keeps the document's work safe outside the window: the recovery file and its offer at
// start-up, and the questions when another program changes the document's file.

#include <errno.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <optional>

#include <QApplication>
#include <QFrame>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "app/ExceptionGuard.h"
#include "app/NodeTextCodec.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"
#include "base/UpdateGuard.h"
#include "editor/CommandStates.h"
#include "editor/RecoveryFile.h"
#include "settings/IniFile.h"

namespace zel {

void TFormMain::EnableRecovery(const std::string& folder, int delayMs) {
  try {
    FRecovery->Enable(folder, delayMs);
  } catch (const Exception& e) {
    // The editor works without it; the window says why once it is shown.
    FRecoveryOff =
        QString("Unsaved changes are not kept for recovery.\r%1").arg(FromCodePage(e.what()));
    std::fprintf(stderr, "No recovery file: %s\n", e.what());
  }
}

namespace {

// A damaged file can never be recovered: the user may have it go, or keep it to look at.
void ReportDamaged(IDialogs& dialogs, QWidget* parent, const std::string& file, const char* message,
                   TOwnerLock& owner) {
  if (dialogs.MessageBox(parent, QString("%1\rDelete it?").arg(FromCodePage(message)), "Warning",
                         MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
    return;
  ::unlink(file.c_str());
  owner.Remove();
}

}  // namespace

bool TFormMain::OfferRecovery() {
  const std::string_view ext = TRecovery::kExtension;
  for (const std::string& file : FRecovery->OtherFiles()) {
    TOwnerLock owner(file.substr(0, file.size() - ext.size()));
    if (!owner.Held()) continue;  // its editor still runs
    TRecoveryHeader header;
    try {
      header = ReadRecoveryHeader(file);
    } catch (const Exception& e) {
      // Gone meanwhile (another editor starting at the same time took it): nothing to report.
      if (::access(file.c_str(), F_OK) != 0 && errno == ENOENT) {
        owner.Remove();
        continue;
      }
      ReportDamaged(*FDialogs, this, file, e.what(), owner);
      continue;
    }
    // The name Save will write.
    const std::string name = header.Untitled ? std::string(kUntitled) : header.FileName;
    const QString text = QString(
                             "The document \"%1\" has changes that were not saved when the "
                             "editor last ended.\rRecover them?")
                             .arg(FromCodePage(name));
    switch (FDialogs->MessageBox(this, text, "Confirm", MB_YESNOCANCEL | MB_ICONQUESTION)) {
      case IDYES:
        try {
          if (!Recover(file, header)) continue;  // cancelled: kept for later
        } catch (const Exception& e) {
          ReportDamaged(*FDialogs, this, file, e.what(), owner);
          continue;
        }
        owner.Remove();
        return true;
      case IDNO:
        ::unlink(file.c_str());
        owner.Remove();
        break;
      default:
        break;
    }
  }
  return false;
}

bool TFormMain::Recover(const std::string& file, const TRecoveryHeader& offered) {
  FDoc.ClearHistory();  // it holds nodes of the outline that goes now
  // Shown as a load is, with its progress and Cancel; the outline is taken only once the
  // whole file has been read.
  FProcessFileName = offered.Untitled ? std::string(kUntitled) : offered.FileName;
  TreeView1->setCursor(Qt::WaitCursor);
  ProgressBar1->setMaximum(100);
  ProgressBar1->setValue(0);
  ShowProgressPanel(true);
  StartPumpClock();
  std::optional<TRecoveryHeader> header;
  try {
    const TScopeExit closing([this] {
      ShowProgressPanel(false);
      TreeView1->unsetCursor();
      if (FCloseWhenStopped) QTimer::singleShot(0, this, [this] { close(); });
      FCloseWhenStopped = false;
    });
    header = FDoc.Recover(ZelXMLTree1, file);
  } catch (...) {
    ResetDocument();
    throw;
  }
  if (ZelXMLTree1.Cancelled() || !header) {
    ResetDocument();
    return false;
  }
  AssignImages();
  if (TTreeNode* root = FTree.GetFirstNode()) FTree.SetSelected(root);
  FDoc.SetFileName(header->Untitled ? std::string(kUntitled) : header->FileName);
  FDoc.SetReadOnly(false);
  SetModified(true);
  CheckRecoveredFile(*header);
  FRecovery->Adopt(file);
  return true;
}

void TFormMain::CheckRecoveredFile(const TRecoveryHeader& header) {
  if (header.Untitled) return;
  const std::string& name = header.FileName;
  const TFileStamp now = TFileStamp::Of(name);
  const bool changed = header.StampKnown && now.Exists && !(now == header.Stamp);
  if (header.StampKnown && !changed) {
    FDiskWatch.Record(name, now);
    return;
  }
  // Unknown (a file of an older editor) counts as changed, but is not reported as such: Save
  // asks before it overwrites; the file as it is now is no news to be asked about.
  FDiskWatch.Record(name, changed && header.Stamp.Exists ? header.Stamp : TFileStamp::Unknown());
  FDiskWatch.Reported();
  if (changed)
    FDialogs->MessageBox(this,
                         QString("The file \"%1\" was changed by another program after these "
                                 "changes were made.")
                             .arg(FromCodePage(name)),
                         "Warning", MB_OK | MB_ICONEXCLAMATION);
}

void TFormMain::EndOnSignal(int signal) {
  // A running load or save stops first (a save's outline is whole, a load's not yet).
  if (ZelXMLTree1.IsBusy()) {
    ZelXMLTree1.Abort();
    QTimer::singleShot(10, this, [this, signal] { EndOnSignal(signal); });
    return;
  }
  if (const int err = FRecovery->WriteNowAndKeep())
    std::fprintf(stderr, "Cannot write the recovery file: %s\n", std::strerror(err));
  // The placement and the recent list are kept as a close keeps them, but nobody is asked:
  // a failure goes to standard error.
  try {
    TIniBatch settings(SettingsFileName);
    FormClose();
    settings.Commit();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Cannot save the settings: %s\n", e.what());
  }
  QCoreApplication::exit(128 + signal);
}

void TFormMain::IdleChecks() {
  FRecovery->Idle();
  FDiskWatch.Follow(FDoc.FileName());
  if (FDiskWatch.Noticed() && CanAskAboutDisk())
    QTimer::singleShot(0, this, [this] { Guarded([this] { CheckDisk(); }); });
}

bool TFormMain::CanAskAboutDisk() const {
  return !ZelXMLTree1.IsBusy() && !FTree.IsEditing() &&
         QApplication::activeModalWidget() == nullptr &&
         QApplication::activePopupWidget() == nullptr;
}

void TFormMain::CheckDisk() {
  if (!FDiskWatch.Noticed() || !CanAskAboutDisk()) return;
  const QString name = FromCodePage(FDoc.FileName());
  switch (FDiskWatch.Check()) {
    case TDiskWatch::dcNone:
      return;
    case TDiskWatch::dcDeleted:
      // Closing now offers to save what only the window still holds.
      SetModified(true);
      FDialogs->MessageBox(
          this, QString("The file \"%1\" was deleted or moved by another program.").arg(name),
          "Warning", MB_OK | MB_ICONEXCLAMATION);
      return;
    case TDiskWatch::dcChanged:
      break;
  }
  const int answer =
      Modified()
          ? FDialogs->MessageBox(this,
                                 QString("The file \"%1\" was changed by another program.\rReload "
                                         "it and lose your changes?")
                                     .arg(name),
                                 "Warning", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2)
          : FDialogs->MessageBox(
                this,
                QString("The file \"%1\" was changed by another program.\rReload it?").arg(name),
                "Confirm", MB_YESNO | MB_ICONQUESTION);
  if (answer != IDYES) {
    FDiskWatch.Reported();
    return;
  }
  // A reload, unlike Revert, keeps the read-only box the document was opened with.
  const bool readOnly = FDoc.ReadOnly();
  const std::string file = FDoc.FileName();
  ReloadDocument();
  if (FDoc.FileName() == file) FDoc.SetReadOnly(readOnly);
}

bool TFormMain::OverwriteConfirmed(const std::string& name) {
  if (!FDiskWatch.ChangedSinceRecord(name)) return true;
  return FDialogs->MessageBox(this,
                              QString("The file \"%1\" was changed by another program since it "
                                      "was opened.\rOverwrite it?")
                                  .arg(FromCodePage(name)),
                              "Warning", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
}

}  // namespace zel
