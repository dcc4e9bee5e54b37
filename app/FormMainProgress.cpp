// What the window shows while a load, a save or the read of a paste runs, and how it stays
// responsive: the stage word and message in the status bar, the progress bar, and queued
// messages let run often enough for repaints, the Cancel button and Esc, but not on every one
// of millions of lines.

#include <QCoreApplication>
#include <QFrame>
#include <QProgressBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

#include "app/ResultsPane.h"
#include "app/TreeModel.h"
#include "app/UFormMain.h"
#include "base/StrUtils.h"
#include "base/UpdateGuard.h"
#include "editor/SubtreeText.h"

namespace zel {

namespace {

// Queued messages run at least this often while a process runs.
constexpr qint64 kPumpIntervalMs = 30;
// The clock is read once per this many progress events: one event per line is cheap.
constexpr uint32_t kEventsPerClockRead = 64;

}  // namespace

const char* TFormMain::StageWord(TZelXMLTreeStates state) {
  switch (state) {
    case zxtsCanceled:
      return "Cancel";
    case zxtsLoading:
      return "Load";
    case zxtsWriting:
      return "Write";
    case zxtsAligning:
      return "Align";
    case zxtsBuildTree:
      return "Build Tree";
    case zxtsDone:
      return "Done";
  }
  return "";
}

namespace {

const char* StageMessage(TZelXMLTreeStates state) {
  switch (state) {
    case zxtsCanceled:
      return "%1: Process cancelled";
    case zxtsLoading:
      return "%1: Loading file...";
    case zxtsWriting:
      return "%1: Writing file...";
    case zxtsAligning:
      return "%1: Aligning nodes...";
    case zxtsBuildTree:
      return "%1: Building tree...";
    case zxtsDone:
      return "%1: Process done";
  }
  return "";
}

}  // namespace

void TFormMain::ShowProgressPanel(bool visible) {
  PnlProgress->setVisible(visible);
  FEscape->setEnabled(visible);
}

void TFormMain::BeginProcess(const std::string& name) {
  // Esc is the process's now; a load or paste would stop the query anyway.
  if (Results) Results->CancelXPath();
  TreeView1->setCursor(Qt::WaitCursor);
  ProgressBar1->setMaximum(100);
  ProgressBar1->setValue(0);
  ShowProgressPanel(true);
  FProcessFileName = name;
}

void TFormMain::EndProcess() {
  ShowProgressPanel(false);
  TreeView1->unsetCursor();
  // A close asked for during the process comes now that it has stopped.
  if (FCloseWhenStopped) QTimer::singleShot(0, this, [this] { close(); });
  FCloseWhenStopped = false;
}

bool TFormMain::ReadPasted(const std::string& text, TTreeView& into) {
  BeginProcess(kClipboardName);
  StartPumpClock();
  const TScopeExit closing([this] { EndProcess(); });
  ReadXMLText(text, into, &ZelXMLTree1);
  if (!ZelXMLTree1.Cancelled()) return true;
  ShowStage(zxtsCanceled);  // a read stopped early says nothing itself
  return false;
}

void TFormMain::StartPumpClock() {
  FPumpClock.start();
  FLongestGapMs = 0;
  FPumpTick = 0;
  FLastPercent = -1;
}

void TFormMain::LetMessagesRun() {
  if (FPumpClock.isValid()) FLongestGapMs = std::max(FLongestGapMs, FPumpClock.elapsed());
  QCoreApplication::processEvents();
  FPumpClock.start();
}

void TFormMain::ShowStage(TZelXMLTreeStates state) {
  SetPanel(1, StageWord(state));
  SetPanel(2, QString(StageMessage(state)).arg(ProcessDisplayName()));
}

QString TFormMain::ProcessDisplayName() const {
  return TTreeModel::DisplayText(ExtractFileName(FProcessFileName));
}

void TFormMain::ZelXMLTree1StateChange(TZelXMLTree&, TZelXMLTreeStates state) {
  ShowStage(state);
  StatusBar1->repaint();
  FileNew1Update();
  LetMessagesRun();
}

void TFormMain::ZelXMLTree1Progress(TZelXMLTree&, TZelXMLTreeStates state, uint16_t percent) {
  ShowProgress(state, percent);
  if (++FPumpTick % kEventsPerClockRead == 0 && FPumpClock.elapsed() >= kPumpIntervalMs)
    LetMessagesRun();
}

void TFormMain::ShowProgress(TZelXMLTreeStates state, uint16_t percent) {
  if (percent != FLastPercent) {
    FLastPercent = percent;
    if (state == zxtsAligning || state == zxtsBuildTree) {
      const char* message =
          state == zxtsAligning ? "%1: Aligning nodes... (%2%)" : "%1: Building tree... (%2%)";
      SetPanel(1, StageWord(state));
      // One pass over the message: a "%2" in the file name stays as it is.
      SetPanel(2, QString(message).arg(ProcessDisplayName(), QString::number(percent)));
    }
    ProgressBar1->setValue(percent);
  }
}

// The stages without progress events call this every few thousand tokens or nodes: rare
// enough to read the clock each time.
void TFormMain::ZelXMLTree1Pump() {
  if (FPumpClock.elapsed() >= kPumpIntervalMs) LetMessagesRun();
}

}  // namespace zel
