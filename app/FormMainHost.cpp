// The window as the host of its editor session: questions go to the dialogs, stages and
// progress to the status bar and the progress panel, files to the recent list and the disk
// watch.

#include "app/NodeTextCodec.h"
#include "app/UFormMain.h"

namespace zel {

int TFormMain::THost::MessageBox(const std::string& text, const std::string& arg,
                                 const std::string& caption, unsigned flags) {
  QString shown = QString::fromStdString(text);
  // One pass: a "%2" in the argument stays as it is.
  if (shown.contains("%1")) shown = shown.arg(FromCodePage(arg));
  return F.FDialogs->MessageBox(&F, shown, QString::fromStdString(caption), flags);
}

bool TFormMain::THost::AskSaveName(std::string& name) {
  F.FileSaveAs1BeforeExecute();
  if (!F.FDialogs->ExecuteSave(&F, F.FSaveDialog)) return false;
  name = F.FSaveDialog.FileName;
  return true;
}

void TFormMain::THost::Beep() {
  F.FDialogs->Beep();
}

void TFormMain::THost::BeginProcess(const std::string& name, bool saving) {
  F.BeginProcess(name);
  if (saving) {
    // The commands go off before the outline is walked.
    F.FileNew1Update();
    F.repaint();
  }
  F.StartPumpClock();
}

void TFormMain::THost::EndProcess() {
  F.EndProcess();
}

void TFormMain::THost::StateChange(TZelXMLTreeStates state) {
  F.ZelXMLTree1StateChange(F.ZelXMLTree1, state);
}

void TFormMain::THost::Progress(TZelXMLTreeStates state, uint16_t percent) {
  F.ZelXMLTree1Progress(F.ZelXMLTree1, state, percent);
}

void TFormMain::THost::Pump() {
  F.ZelXMLTree1Pump();
}

void TFormMain::THost::ProcessCancelled() {
  F.ShowStage(zxtsCanceled);
}

void TFormMain::THost::Status(const std::string& text) {
  F.SetPanel(2, QString::fromStdString(text));
}

void TFormMain::THost::UpdateCommands() {
  F.FileNew1Update();
}

void TFormMain::THost::Remember(const std::string& file) {
  F.ZelReopen1.AddFile(file);
}

void TFormMain::THost::Forget(const std::string& file) {
  F.ZelReopen1.RemoveFile(file);
}

void TFormMain::THost::FileRecorded(const std::string& file) {
  F.FDiskWatch.Record(file);
}

void TFormMain::THost::DiskReported() {
  F.FDiskWatch.Reported();
}

void TFormMain::THost::Saved(const std::string& file) {
  const size_t slash = file.rfind('/');
  F.FOpenDialog.InitialDir = F.FSaveDialog.InitialDir =
      slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

}  // namespace zel
