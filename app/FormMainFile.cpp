// The file commands of the main window and the two routines through which every load and save
// passes.

#include <sys/stat.h>

#include <QApplication>
#include <QTreeView>

#include "app/TreeModel.h"
#include "app/UFormMain.h"
#include "base/StrUtils.h"
#include "base/UpdateGuard.h"
#include "outline/TreeWalk.h"
#include "platform/FileApi.h"

namespace zel {

namespace {

std::string FolderOf(const std::string& name) {
  const size_t slash = name.rfind('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

std::string LowerExtension(const std::string& name) {
  const std::string file = ExtractFileName(name);
  const size_t dot = file.rfind('.');
  return dot == std::string::npos ? std::string() : LowerCase(file.substr(dot));
}

}  // namespace

void TFormMain::FileNew1Execute() {
  if (QuerySaveChanges()) return;
  if (FDoc.FileName() != kUntitled) ZelReopen1.AddFile(FDoc.FileName());
  ResetDocument();
}

void TFormMain::FileOpen1Accept() {
  FileNew1->Execute();
  if (Modified()) return;
  const std::string name = FOpenDialog.FileName;
  // Only a completed load takes the box: a cancelled one left a new document.
  LoadOrReset(name, [&] { FDoc.SetReadOnly(FOpenDialog.ReadOnly); });
}

void TFormMain::LoadOrReset(const std::string& name, const std::function<void()>& afterLoad) {
  try {
    LoadFile(name);
    if (FDoc.FileName() == name) afterLoad();
  } catch (...) {
    SetModified(false);
    FileNew1->Execute();
    throw;
  }
}

void TFormMain::ZelReopen1ReopenMenuClick(const std::string& fileName) {
  // The component's own flag: the window's copy stays set until the next idle cycle, which
  // would refuse every entry after the first of Reopen All.
  if (ZelXMLTree1.IsBusy()) {
    FDialogs->Beep();
    return;
  }
  const std::string name = fileName;  // the entry goes as soon as the list changes
  if (!FileExists(name)) throw Exception(Format("\"%s\" doesn't exist.", name.c_str()));
  FileNew1->Execute();
  if (Modified()) return;
  LoadOrReset(name, [&] { ZelReopen1.RemoveFile(name); });
}

void TFormMain::FileRevert1Execute() {
  const int answer =
      Modified()
          ? FDialogs->MessageBox(this,
                                 "You are about to revert file content from disk which\rwill make "
                                 "you lose all modification you have made.\r\rAre you sure to "
                                 "continue?",
                                 "Warning", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2)
          : FDialogs->MessageBox(this, "Revert file content from disk?", "Confirm",
                                 MB_YESNO | MB_ICONQUESTION);
  if (answer == IDYES) ReloadDocument();
}

void TFormMain::ReloadDocument() {
  const std::string name = FDoc.FileName();
  SetModified(false);
  FileNew1->Execute();
  LoadOrReset(name, [&] { ZelReopen1.RemoveFile(name); });
}

void TFormMain::FileSave1Execute() {
  if (FDoc.FileName() != kUntitled)
    SaveFile(FDoc.FileName());
  else
    FileSaveAs1->Execute();
}

void TFormMain::FileSaveAs1BeforeExecute() {
  FSaveDialog.FileName = FDoc.FileName();
  if (LowerExtension(FDoc.FileName()) != ".xml") FSaveDialog.FilterIndex = 1;
}

void TFormMain::FileSaveAs1Accept() {
  if (FDoc.FileName() != kUntitled) ZelReopen1.AddFile(FDoc.FileName());
  SaveFile(FSaveDialog.FileName);
}

void TFormMain::FileCancel1Execute() {
  if (FDialogs->MessageBox(this, "Cancel current process?", "Confirm",
                           MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
    ZelXMLTree1.Abort();
}

void TFormMain::LoadFile(const std::string& name) {
  // A FIFO or a device would block the window on opening or feed it without end.
  struct stat st {};
  if (::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    throw Exception(Format("\"%s\" is not a regular file.", name.c_str()));
  FTree.BeginUpdate();
  BeginProcess(name);
  StartPumpClock();
  // Taken before reading: a change made while the load reads is noticed afterwards.
  const TFileStamp onDisk = TFileStamp::Of(name);
  {
    TScopeExit closing([this] {
      FTree.EndUpdate();
      EndProcess();
    });
    ZelXMLTree1.SetTreeView(&FTree);
    FDoc.ClearHistory();  // the load replaces the nodes it holds
    ZelXMLTree1.LoadFromFile(name);
    if (ZelXMLTree1.Cancelled()) {
      // A load stopped while reading ends without announcing it: the stage says so here.
      ShowStage(zxtsCanceled);
      SetModified(false);
      FileNew1->Execute();
    } else {
      // No AssignImages pass: every node of a loaded outline is new, and a new node shows the
      // image of its place (TreeImageOf), which is what the pass would give it.
      SetPanel(2, "Assigning images...");
      if (TTreeNode* root = FTree.GetFirstNode()) {
        FTree.SetSelected(root);
        root->Expand(false);
      }
      FDoc.SetFileName(name);
      SetModified(false);
      FDiskWatch.Record(name, onDisk);
    }
  }
}

void TFormMain::SaveFile(const std::string& name) {
  if (name == FDoc.FileName() && !OverwriteConfirmed(name)) return;
  BeginProcess(name);
  FileNew1Update();
  repaint();
  StartPumpClock();
  TScopeExit closing([this] { EndProcess(); });
  ZelXMLTree1.SetTreeView(&FTree);
  ZelXMLTree1.SaveToFile(name);
  // A cancelled save keeps the document, its name and its modified flag: nothing is lost.
  if (ZelXMLTree1.Cancelled()) return;
  FDoc.SetFileName(name);
  SetModified(false);
  FDiskWatch.Record(name, TFileStamp::Of(name));
  FOpenDialog.InitialDir = FSaveDialog.InitialDir = FolderOf(name);
}

}  // namespace zel
