// What keeps the document's work safe outside the window: the recovery file and its offer at
// start-up, and the questions when another program changes the document's file.

#include <unistd.h>

#include <QApplication>
#include <QFrame>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "app/ExceptionGuard.h"
#include "app/NodeTextCodec.h"
#include "app/RecoveryFile.h"
#include "app/UFormMain.h"
#include "base/UpdateGuard.h"
#include "treedoc/CommandStates.h"

namespace zel {

void TFormMain::EnableRecovery(const std::string& folder, int delayMs) {
  FRecovery->Enable(folder, delayMs);
}

bool TFormMain::OfferRecovery() {
  const std::string_view ext = TRecovery::kExtension;
  for (const std::string& file : FRecovery->OtherFiles()) {
    TOwnerLock owner(file.substr(0, file.size() - ext.size()));
    if (!owner.Held()) continue;  // its editor still runs
    TRecoveryHeader header;
    try {
      header = ReadRecoveryHeader(file);
    } catch (const Exception&) {
      continue;  // gone meanwhile, or not one of ours: left alone
    }
    const QString text = QString(
                             "The document \"%1\" has changes that were not saved when the "
                             "editor last ended.\rRecover them?")
                             .arg(FromCodePage(header.FileName));
    switch (FDialogs->MessageBox(this, text, "Confirm", MB_YESNOCANCEL | MB_ICONQUESTION)) {
      case IDYES:
        Recover(file, header);
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

void TFormMain::Recover(const std::string& file, const TRecoveryHeader& offered) {
  FDoc.ClearHistory();  // it holds nodes of the outline that goes now
  TRecoveryHeader header;
  // A large outline takes a while: the panel shows how far it is, as for a load. No queued
  // message runs meanwhile (nothing may touch the outline half made), so there is no Cancel.
  FProcessFileName = offered.Untitled ? std::string(kUntitled) : offered.FileName;
  ProgressBar1->setValue(0);
  BitBtn1->setEnabled(false);
  ShowProgressPanel(true);
  StartPumpClock();
  ShowStage(zxtsLoading);
  repaint();
  const TProgress progress{[this](uint16_t percent) {
                             ShowProgress(zxtsBuildTree, percent);
                             PnlProgress->repaint();
                             StatusBar1->repaint();
                           },
                           nullptr};
  try {
    const TScopeExit closing([this] {
      ShowProgressPanel(false);
      BitBtn1->setEnabled(FileCancel1->Enabled());
    });
    header = ReadRecoveryFile(file, FTree, progress);
  } catch (...) {
    ResetDocument();
    throw;
  }
  ShowStage(zxtsDone);
  AssignImages();
  if (TTreeNode* root = FTree.GetFirstNode()) FTree.SetSelected(root);
  FDoc.SetFileName(header.Untitled ? std::string(kUntitled) : header.FileName);
  FDoc.SetReadOnly(false);
  SetModified(true);
  if (!header.Untitled) FDiskWatch.Record(header.FileName, TFileStamp::Of(header.FileName));
  FRecovery->Adopt(file);
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
