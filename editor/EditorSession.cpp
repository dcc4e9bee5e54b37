// The file commands of a session and the two routines through which every load and save passes.

#include "editor/EditorSession.h"

#include <sys/stat.h>

#include "base/StrUtils.h"
#include "base/UpdateGuard.h"
#include "platform/FileApi.h"

namespace zel {

TEditorSession::TEditorSession(IEditorHost& host) : FHost(host) {
  FComponent.SetTreeView(&FDoc.Tree());
  FComponent.OnStateChange = [this](TZelXMLTree&, TZelXMLTreeStates state) {
    FHost.StateChange(state);
  };
  FComponent.OnProgress = [this](TZelXMLTree&, TZelXMLTreeStates state, uint16_t percent) {
    FHost.Progress(state, percent);
  };
  FComponent.OnPump = [this](TZelXMLTree&) { FHost.Pump(); };
}

TEditorSession::~TEditorSession() {
  FComponent.SetTreeView(nullptr);
}

TFileStamp TEditorSession::Stamp() const {
  return FStampName == FDoc.FileName() ? FRecorded : TFileStamp();
}

TCommandInput TEditorSession::CommandInput(bool hasFindText, bool clipboardHasText) const {
  const TTreeView& tree = FDoc.Tree();
  TCommandInput in;
  in.FileName = FDoc.FileName();
  in.Modified = FDoc.Modified();
  in.ReadOnly = FDoc.ReadOnly();
  in.Busy = FComponent.IsBusy();
  in.Selected = tree.Selected();
  in.NodeCount = tree.Count();
  in.Editing = tree.IsEditing();
  in.HasFindText = hasFindText;
  in.CanUndo = FDoc.CanUndo();
  in.CanRedo = FDoc.CanRedo();
  in.ClipboardHasText = clipboardHasText;
  return in;
}

bool TEditorSession::Allowed(TCommandId id) {
  FHost.UpdateCommands();
  return CommandEnabled(id, CommandInput());
}

void TEditorSession::RunNew() {
  if (Allowed(TCommandId::FileNew)) New();
}

void TEditorSession::RunSaveAs() {
  if (!Allowed(TCommandId::FileSaveAs)) return;
  std::string name;
  if (FHost.AskSaveName(name)) SaveAs(name);
}

bool TEditorSession::New() {
  if (QuerySaveChanges()) return false;
  if (FDoc.FileName() != kUntitled) FHost.Remember(FDoc.FileName());
  Reset();
  return true;
}

void TEditorSession::Reset() {
  TTreeView& tree = FDoc.Tree();
  FComponent.ForgetLayout();  // the nodes it was read into go
  FLayoutPending = FChangesTold = false;
  FDoc.SetFileName(kUntitled);
  SetModified(false);
  FDoc.SetReadOnly(false);
  TUpdateGuard<TTreeView> update(tree);
  TTreeNode* root = FDoc.Reset(ExtractFileName(FDoc.FileName()));
  root->SetImageIndex(0);
  root->SetSelectedIndex(0);
  // What the commands act on is what the view highlights: the root, as after a load.
  tree.SetSelected(root);
}

bool TEditorSession::QuerySaveChanges() {
  if (!Modified()) return false;
  switch (FHost.MessageBox("\"%1\" has been modified.\r\rSave changes?", FDoc.FileName(), "Warning",
                           MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDYES:
      if (Allowed(TCommandId::FileSave)) Save();
      break;
    case IDNO:
      SetModified(false);
      break;
    default:
      break;
  }
  return Modified();
}

void TEditorSession::Open(const std::string& name, bool readOnly) {
  RunNew();
  if (Modified()) return;
  // Only a completed load takes the box: a cancelled one left a new document.
  LoadOrReset(name, [&] { FDoc.SetReadOnly(readOnly); });
}

void TEditorSession::Reopen(const std::string& fileName) {
  // The component's own flag, not a copy taken at the last idle cycle: that one would refuse
  // every entry after the first of Reopen All.
  if (FComponent.IsBusy()) {
    FHost.Beep();
    return;
  }
  const std::string name = fileName;  // the entry goes as soon as the recent files change
  if (!FileExists(name)) throw Exception(Format("\"%s\" doesn't exist.", name.c_str()));
  RunNew();
  if (Modified()) return;
  LoadOrReset(name, [&] { FHost.Forget(name); });
}

void TEditorSession::LoadOrReset(const std::string& name, const std::function<void()>& afterLoad) {
  try {
    LoadFile(name);
    if (FDoc.FileName() == name) afterLoad();
  } catch (...) {
    SetModified(false);
    RunNew();
    throw;
  }
}

void TEditorSession::Revert() {
  const int answer = Modified()
                         ? FHost.MessageBox(
                               "You are about to revert file content from disk which\rwill make "
                               "you lose all modification you have made.\r\rAre you sure to "
                               "continue?",
                               "", "Warning", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2)
                         : FHost.MessageBox("Revert file content from disk?", "", "Confirm",
                                            MB_YESNO | MB_ICONQUESTION);
  if (answer == IDYES) ReloadDocument();
}

void TEditorSession::ReloadDocument() {
  const std::string name = FDoc.FileName();
  SetModified(false);
  RunNew();
  LoadOrReset(name, [&] { FHost.Forget(name); });
}

namespace {

constexpr const char* kLayoutPending =
    "Keep Layout takes effect when the file is next opened: until then saves write the indented "
    "form";
constexpr const char* kSavedIndented =
    "Saved in the indented form: Keep Layout takes effect when the file is next opened";

}  // namespace

void TEditorSession::SetKeepLayout(bool on) {
  const bool turnedOn = on && !FKeepLayout;
  FKeepLayout = on;
  if (!on) FLayoutPending = false;
  if (!turnedOn || FComponent.IsBusy() || FComponent.HasLayout() || FDoc.FileName() == kUntitled ||
      !FileExists(FDoc.FileName()))
    return;
  if (!Modified()) {
    ReloadWithLayout();
    return;
  }
  FLayoutPending = true;
  FHost.Notice(kLayoutPending);
}

void TEditorSession::ReloadWithLayout() {
  TTreeView& tree = FDoc.Tree();
  std::vector<bool> expanded;
  expanded.reserve(size_t(tree.Count()));
  for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext()) expanded.push_back(n->Expanded());
  const int selected = tree.Selected() ? tree.Selected()->AbsoluteIndex() : -1;
  const bool readOnly = FDoc.ReadOnly();
  ReloadDocument();
  if (FDoc.ReadOnly() != readOnly) FDoc.SetReadOnly(readOnly);
  // A broken document may read otherwise with the layout: then the view starts afresh.
  if (size_t(tree.Count()) != expanded.size()) return;
  TUpdateGuard<TTreeView> update(tree);
  size_t i = 0;
  for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext(), ++i)
    if (n->Expanded() != expanded[i]) n->SetExpanded(expanded[i]);
  if (selected >= 0) tree.SetSelected(tree.Item(selected));
}

void TEditorSession::Save() {
  if (FDoc.FileName() != kUntitled)
    SaveFile(FDoc.FileName());
  else
    RunSaveAs();
}

void TEditorSession::SaveAs(const std::string& name) {
  if (FDoc.FileName() != kUntitled) FHost.Remember(FDoc.FileName());
  SaveFile(name);
}

void TEditorSession::Cancel() {
  if (FHost.MessageBox("Cancel current process?", "", "Confirm",
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
    FComponent.Abort();
}

void TEditorSession::LoadFile(const std::string& name) {
  // A FIFO or a device would block the window on opening or feed it without end.
  struct stat st {};
  if (::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    throw Exception(Format("\"%s\" is not a regular file.", name.c_str()));
  Load(name);
}

void TEditorSession::Load(const std::string& name) {
  TTreeView& tree = FDoc.Tree();
  tree.BeginUpdate();
  FHost.BeginProcess(name, false);
  // Taken before reading: a change made while the load reads is noticed afterwards.
  const TFileStamp onDisk = TFileStamp::Of(name);
  const TScopeExit closing([&] {
    tree.EndUpdate();
    FHost.EndProcess();
  });
  FComponent.SetKeepLayout(FKeepLayout);
  FLayoutPending = FChangesTold = false;
  FDoc.Load(FComponent, name);  // the history goes with the nodes the load replaces
  if (FComponent.Cancelled()) {
    FHost.ProcessCancelled();
    SetModified(false);
    RunNew();
    return;
  }
  // No pass over the images: every node of a loaded outline is new, and a new node shows the
  // image of its place, which is what the pass would give it.
  FHost.Status("Assigning images...");
  if (TTreeNode* root = tree.GetFirstNode()) {
    tree.SetSelected(root);
    root->Expand(false);
  }
  FDoc.SetFileName(name);
  SetModified(false);
  Record(name, onDisk);
}

void TEditorSession::SaveFile(const std::string& name) {
  if (name == FDoc.FileName() && !OverwriteConfirmed(name)) return;
  {
    FHost.BeginProcess(name, true);
    const TScopeExit closing([this] { FHost.EndProcess(); });
    FComponent.SetTreeView(&FDoc.Tree());
    FComponent.SetKeepLayout(FKeepLayout);
    FComponent.SaveToFile(name);
    // A cancelled save keeps the document, its name and its modified flag: nothing is lost.
    if (FComponent.Cancelled()) return;
    FDoc.SetFileName(name);
    SetModified(false);
    Record(name, TFileStamp::Of(name));
    FHost.Saved(name);
  }
  // After the process has ended, so that its last stage does not cover it.
  if (FLayoutPending && FKeepLayout) {
    FHost.Notice(kSavedIndented);
  } else if (const size_t changed = FComponent.ChangedTexts();
             changed > 0 && !FChangesTold && !(FKeepLayout && FComponent.HasLayout())) {
    FChangesTold = true;
    FHost.Notice(
        Format("Saved in the indented form: %zu text%s lost line breaks or blanks; Keep "
               "Layout keeps them",
               changed, changed == 1 ? "" : "s"));
  }
}

}  // namespace zel
