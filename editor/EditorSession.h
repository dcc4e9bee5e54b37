#pragma once
// One document's life in the editor, without a window: new, open, save, save as, revert and
// cancel, the question whether to save changes, the recovery of changes an editor left behind,
// the file as last loaded or saved and what to do when another program changes it, and the
// command states. The host (EditorHost.h) asks the questions and shows the feedback.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/CommandStates.h"
#include "editor/Commands.h"
#include "editor/EditorHost.h"
#include "editor/FileStamp.h"
#include "editor/OutlineDocument.h"
#include "treedoc/ZelXMLTree.h"

namespace zel {

struct TRecoveryHeader;

class TEditorSession {
 public:
  explicit TEditorSession(IEditorHost& host);
  ~TEditorSession();
  TEditorSession(const TEditorSession&) = delete;
  TEditorSession& operator=(const TEditorSession&) = delete;

  TOutlineDocument& Document() { return FDoc; }
  const TOutlineDocument& Document() const { return FDoc; }
  TTreeView& Tree() { return FDoc.Tree(); }
  // The component that loads and saves the outline.
  TZelXMLTree& Component() { return FComponent; }
  const TZelXMLTree& Component() const { return FComponent; }
  const std::string& FileName() const { return FDoc.FileName(); }
  bool Modified() const { return FDoc.Modified(); }
  void SetModified(bool value) { FDoc.SetModified(value); }
  bool ReadOnly() const { return FDoc.ReadOnly(); }
  // The document's file as last loaded (taken before the read) or saved; Exists is false when
  // the document has no such file.
  TFileStamp Stamp() const;

  // Whether loads keep what the save needs to write unchanged nodes as they were read, and
  // saves do so; off, a save writes the indented form. Turned on for an unmodified document
  // read without it, the file is read again (selection and expansion kept); for a modified one
  // the host is told, and each save tells again, that the save is the indented form.
  bool KeepLayout() const { return FKeepLayout; }
  void SetKeepLayout(bool on);

  // What the commands' states are made of now, with what only the window knows.
  TCommandInput CommandInput(bool hasFindText = false, bool clipboardHasText = false) const;
  // The commands' states now, with what only the window knows.
  TCommandStates CommandStates(bool hasFindText = false, bool clipboardHasText = false) const {
    return ComputeCommandStates(CommandInput(hasFindText, clipboardHasText));
  }

  // A new empty document, after the question whether to save a modified one; false when the
  // changes stay (the user cancelled, or the save did not complete). The file left goes to the
  // recent files.
  bool New();
  // New, then the file; `readOnly` only once the load completed. A failing load leaves a new
  // document and travels on.
  void Open(const std::string& name, bool readOnly);
  // The same for a recent file, which leaves the recent files once loaded; beeps while a load
  // or save runs.
  void Reopen(const std::string& name);
  // Asks, then loads the document's file again, dropping the changes.
  void Revert();
  // Under the document's name, or under a name the host gives for an untitled one.
  void Save();
  void SaveAs(const std::string& name);
  // Asks whether to stop the running load or save.
  void Cancel();
  // Asks whether to save a modified document; true when it is still modified afterwards.
  bool QuerySaveChanges();
  // The empty document, its root named for the untitled file.
  void Reset();
  // The routines every load and save goes through. LoadFile refuses what is no regular file (a
  // FIFO would block); Load leaves that to the component. A cancelled load leaves a new
  // document, a cancelled save the document as it was.
  void LoadFile(const std::string& name);
  void Load(const std::string& name);
  void SaveFile(const std::string& name);

  // Offers the recovery `files` (each a lock stem plus `extension`) of editors that have ended,
  // one after the other; true when one was recovered, which `adopt` then makes this process's.
  bool OfferRecovery(const std::vector<std::string>& files, std::string_view extension,
                     const std::function<void(const std::string&)>& adopt);
  // The outline of a recovery file as the modified document under its own file name; false
  // when the user cancelled it (the file stays for later).
  bool Recover(const std::string& file, const TRecoveryHeader& header,
               const std::function<void(const std::string&)>& adopt);

  // After the host noticed a change of the document's file on disk, once the user can be
  // asked: says so, and reloads when the user wants it.
  void CheckDisk();

 private:
  // The command's state, after the host has shown the states.
  bool Allowed(TCommandId id);
  void RunNew();
  void RunSaveAs();
  // LoadFile, then `afterLoad` when the load completed; a failure leaves a new document.
  void LoadOrReset(const std::string& name, const std::function<void()>& afterLoad);
  void ReloadDocument();
  // Reads the unmodified document's file again with the layout, keeping what the view shows.
  void ReloadWithLayout();
  void Record(const std::string& name, const TFileStamp& stamp);
  void DiskReported();
  bool OverwriteConfirmed(const std::string& name);
  void CheckRecoveredFile(const TRecoveryHeader& header);

  IEditorHost& FHost;
  TOutlineDocument FDoc;
  TZelXMLTree FComponent;
  // The file the stamps are of; they count only while it is the document's.
  std::string FStampName;
  TFileStamp FRecorded, FReported;
  bool FKeepLayout = false;
  // Keep Layout was turned on while the document had changes read without it.
  bool FLayoutPending = false;
  // The user learnt what the indented form changed in the document's texts.
  bool FChangesTold = false;
};

}  // namespace zel
