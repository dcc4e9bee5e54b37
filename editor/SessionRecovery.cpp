// What keeps a session's work safe from what happens outside it: the recovery files of editors
// that ended without saving, and another program changing the document's file.

#include <errno.h>
#include <unistd.h>

#include <optional>

#include "base/UpdateGuard.h"
#include "editor/EditorSession.h"
#include "editor/RecoveryFile.h"
#include "platform/ProcessLock.h"

namespace zel {

namespace {

// A damaged file can never be recovered: the user may have it go, or keep it to look at.
void ReportDamaged(IEditorHost& host, const std::string& file, const char* message,
                   TOwnerLock& owner) {
  if (host.MessageBox("%1\rDelete it?", message, "Warning", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
    return;
  ::unlink(file.c_str());
  owner.Remove();
}

}  // namespace

bool TEditorSession::OfferRecovery(const std::vector<std::string>& files,
                                   std::string_view extension,
                                   const std::function<void(const std::string&)>& adopt) {
  for (const std::string& file : files) {
    TOwnerLock owner(file.substr(0, file.size() - extension.size()));
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
      ReportDamaged(FHost, file, e.what(), owner);
      continue;
    }
    // The name Save will write.
    const std::string name = header.Untitled ? std::string(kUntitled) : header.FileName;
    switch (
        FHost.MessageBox("The document \"%1\" has changes that were not saved when the "
                         "editor last ended.\rRecover them?",
                         name, "Confirm", MB_YESNOCANCEL | MB_ICONQUESTION)) {
      case IDYES:
        try {
          if (!Recover(file, header, adopt)) continue;  // cancelled: kept for later
        } catch (const Exception& e) {
          ReportDamaged(FHost, file, e.what(), owner);
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

bool TEditorSession::Recover(const std::string& file, const TRecoveryHeader& offered,
                             const std::function<void(const std::string&)>& adopt) {
  TTreeView& tree = FDoc.Tree();
  // Shown as a load is, with its progress and Cancel; the outline is taken only once the
  // whole file has been read.
  FHost.BeginProcess(offered.Untitled ? std::string(kUntitled) : offered.FileName, false);
  std::optional<TRecoveryHeader> header;
  try {
    const TScopeExit closing([this] { FHost.EndProcess(); });
    header = FDoc.Recover(FComponent, file);
  } catch (...) {
    Reset();
    throw;
  }
  if (FComponent.Cancelled() || !header) {
    Reset();
    return false;
  }
  // Every node gives up the image it holds and shows the one of its place.
  FHost.Status("Assigning images...");
  tree.ReleaseImages();
  if (TTreeNode* root = tree.GetFirstNode()) tree.SetSelected(root);
  FDoc.SetFileName(header->Untitled ? std::string(kUntitled) : header->FileName);
  FDoc.SetReadOnly(false);
  SetModified(true);
  CheckRecoveredFile(*header);
  adopt(file);
  return true;
}

void TEditorSession::CheckRecoveredFile(const TRecoveryHeader& header) {
  if (header.Untitled) return;
  const std::string& name = header.FileName;
  const TFileStamp now = TFileStamp::Of(name);
  const bool changed = header.StampKnown && now.Exists && !(now == header.Stamp);
  if (header.StampKnown && !changed) {
    Record(name, now);
    return;
  }
  // Unknown (a file of an older editor) counts as changed, but is not reported as such: Save
  // asks before it overwrites; the file as it is now is no news to be asked about.
  Record(name, changed && header.Stamp.Exists ? header.Stamp : TFileStamp::Unknown());
  DiskReported();
  if (changed)
    FHost.MessageBox(
        "The file \"%1\" was changed by another program after these changes were "
        "made.",
        name, "Warning", MB_OK | MB_ICONEXCLAMATION);
}

void TEditorSession::Record(const std::string& name, const TFileStamp& stamp) {
  FStampName = name;
  FRecorded = FReported = stamp;
  FHost.FileRecorded(name);
}

void TEditorSession::DiskReported() {
  if (Stamp().Exists) FReported = TFileStamp::Of(FStampName);
  FHost.DiskReported();
}

bool TEditorSession::OverwriteConfirmed(const std::string& name) {
  // Only another program's write since the last load or save asks.
  const TFileStamp recorded = Stamp();
  if (name != FStampName || !recorded.Exists) return true;
  const TFileStamp now = TFileStamp::Of(name);
  if (!now.Exists || now == recorded) return true;
  return FHost.MessageBox(
             "The file \"%1\" was changed by another program since it was "
             "opened.\rOverwrite it?",
             name, "Warning", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
}

void TEditorSession::CheckDisk() {
  if (!Stamp().Exists) return;  // never loaded or saved: nothing to compare with
  const std::string file = FDoc.FileName();
  const TFileStamp now = TFileStamp::Of(file);
  if (now == FReported) return;
  FReported = now;
  if (!now.Exists) {
    // Closing now offers to save what only the window still holds.
    SetModified(true);
    FHost.MessageBox("The file \"%1\" was deleted or moved by another program.", file, "Warning",
                     MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const int answer =
      Modified() ? FHost.MessageBox(
                       "The file \"%1\" was changed by another program.\rReload it "
                       "and lose your changes?",
                       file, "Warning", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2)
                 : FHost.MessageBox("The file \"%1\" was changed by another program.\rReload it?",
                                    file, "Confirm", MB_YESNO | MB_ICONQUESTION);
  if (answer != IDYES) {
    DiskReported();
    return;
  }
  // A reload, unlike Revert, keeps the read-only box the document was opened with.
  const bool readOnly = FDoc.ReadOnly();
  ReloadDocument();
  if (FDoc.FileName() == file) FDoc.SetReadOnly(readOnly);
}

}  // namespace zel
