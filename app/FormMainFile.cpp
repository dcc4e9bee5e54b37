// The file commands of the main window: the dialogs ask for names, the session does the rest.

#include "app/UFormMain.h"
#include "base/StrUtils.h"

namespace zel {

namespace {

std::string LowerExtension(const std::string& name) {
  const std::string file = ExtractFileName(name);
  const size_t dot = file.rfind('.');
  return dot == std::string::npos ? std::string() : LowerCase(file.substr(dot));
}

}  // namespace

void TFormMain::FileNew1Execute() {
  FSession.New();
}

void TFormMain::FileOpen1Accept() {
  const std::string name = FOpenDialog.FileName;
  FSession.Open(name, FOpenDialog.ReadOnly);
}

void TFormMain::ZelReopen1ReopenMenuClick(const std::string& fileName) {
  FSession.Reopen(fileName);
}

void TFormMain::FileRevert1Execute() {
  FSession.Revert();
}

void TFormMain::FileSave1Execute() {
  FSession.Save();
}

void TFormMain::FileSaveAs1BeforeExecute() {
  FSaveDialog.FileName = FDoc.FileName();
  if (LowerExtension(FDoc.FileName()) != ".xml") FSaveDialog.FilterIndex = 1;
}

void TFormMain::FileSaveAs1Accept() {
  const std::string name = FSaveDialog.FileName;
  FSession.SaveAs(name);
}

void TFormMain::FileCancel1Execute() {
  FSession.Cancel();
}

void TFormMain::LoadFile(const std::string& name) {
  FSession.LoadFile(name);
}

void TFormMain::SaveFile(const std::string& name) {
  FSession.SaveFile(name);
}

}  // namespace zel
