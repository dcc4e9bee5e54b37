// What keeps the document's work safe outside the window: the recovery file, its offer at
// start-up and the end on a signal, and when to ask about changes another program made to the
// document's file. The session decides what the offer and the questions do.

#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QTimer>

#include "app/ExceptionGuard.h"
#include "app/NodeTextCodec.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"
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

bool TFormMain::OfferRecovery() {
  return FSession.OfferRecovery(FRecovery->OtherFiles(), TRecovery::kExtension,
                                [this](const std::string& file) { FRecovery->Adopt(file); });
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
  FDiskWatch.Take(FSession.Stamp().Exists);
  FSession.CheckDisk();
}

}  // namespace zel
