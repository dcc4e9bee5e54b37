#pragma once
// The tree document component: loads an XML file into a tree view's outline and saves the
// outline back as an XML file, announcing its stages and progress and stopping on Abort.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/Exception.h"
#include "base/Progress.h"
#include "xml/MorXMLTree.h"

namespace zel {

class TTreeView;
class TStringList;
class TSourceLayout;

enum TZelXMLTreeStates : uint8_t {
  zxtsCanceled,
  zxtsLoading,
  zxtsWriting,
  zxtsAligning,
  zxtsBuildTree,
  zxtsDone
};

// "zxtsLoading" and so on.
const char* ZelXMLTreeStateName(TZelXMLTreeStates state);

class EZelXMLTree : public Exception {
 public:
  using Exception::Exception;
};

class TZelXMLTree {
 public:
  using TStateChangeEvent = std::function<void(TZelXMLTree& Sender, TZelXMLTreeStates State)>;
  using TProgressEvent =
      std::function<void(TZelXMLTree& Sender, TZelXMLTreeStates State, uint16_t PercentProgress)>;
  using TPumpEvent = std::function<void(TZelXMLTree& Sender)>;

  TZelXMLTree();
  ~TZelXMLTree();
  TZelXMLTree(const TZelXMLTree&) = delete;
  TZelXMLTree& operator=(const TZelXMLTree&) = delete;

  TZelXMLTreeStates ZelXMLTreeState() const { return FState; }
  bool Cancelled() const { return FCancelled; }
  bool IsBusy() const { return FIsBusy; }
  bool IsUnicode() const { return FIsUnicode; }
  TTreeView* TreeView() const { return FTreeView; }
  void SetTreeView(TTreeView* treeView) { FTreeView = treeView; }

  TStateChangeEvent OnStateChange;
  TProgressEvent OnProgress;
  // Raised every few thousand tokens or nodes in the load's stages that raise no progress (the
  // file read, the parse, the tree build), so that a window can let queued messages run and
  // take a Cancel there. It changes no state and no progress value; Abort is checked after it.
  TPumpEvent OnPump;

  // Asks the running operation to stop at its next check.
  void Abort() { FCancelled = true; }

  // Replaces all nodes of the tree view with the outline of the XML file.
  void LoadFromFile(const std::string& fileName);
  // The same for bytes already in memory, checked and read as a file holding them would be;
  // name stands for the file name (the root's text, the messages).
  void LoadFromBytes(const std::string& name, std::string bytes);
  // Builds the tree view's outline with `read` as a load does, from other data than XML: busy,
  // zxtsLoading, then zxtsBuildTree with the percentages `read` reports, zxtsDone or, after
  // Abort (which `read` learns from the progress), zxtsCanceled with the tree emptied.
  void LoadWith(const std::function<void(const TProgress& progress)>& read);
  // The same into `into` instead of the linked tree view, with this component's events, busy
  // flag and Abort: a paste reads as a load does. The linked tree view and IsUnicode, which
  // tell about the document's file, stay as they were.
  void LoadFromBytesInto(TTreeView& into, const std::string& name, std::string bytes);
  // Writes the tree view's outline to the file, replacing it only once the new text is
  // completely on disk.
  void SaveToFile(const std::string& fileName);

  // On, a load into the linked tree view keeps the file's bytes and where each node was read
  // from, and a save writes the nodes that are as they were read with those bytes, and only
  // the rest anew in the document's own line end and indentation. Off, a save writes the
  // indented form.
  bool KeepLayout() const { return FKeepLayout; }
  void SetKeepLayout(bool on) { FKeepLayout = on; }
  // Whether the last load into the linked tree view kept the file's layout.
  bool HasLayout() const { return FLayout != nullptr; }
  // How many texts of the file the last load into the linked tree view read otherwise than
  // they stand (line breaks and tabs made spaces, blanks at their ends or blank content
  // dropped): what the indented form does not keep.
  size_t ChangedTexts() const { return FChangedTexts; }
  // Drops what the last load kept of the file and learnt of it, once its nodes are gone.
  void ForgetLayout();

 private:
  void CheckReady() const;
  void CheckNotBusy() const;
  void SetState(TZelXMLTreeStates state);
  void Progress(uint16_t percent) {
    if (OnProgress) OnProgress(*this, FState, percent);
  }
  // document: into the linked tree view, the document's own (not a paste's scratch tree).
  void Load(const std::string& fileName, std::string* bytes, bool document);
  // Busy from zxtsLoading on while `stages` run; a cancelled load leaves the tree empty.
  void RunLoad(const std::function<void()>& stages);
  void LoadOutline(const std::string& fileName, std::string* bytes, bool document, bool capture);
  void SettleReading(const std::string& fileName);
  // What the stages hand down: percentages to OnProgress with Abort checked after each; or,
  // in the stages without percentages, OnPump raised before Abort is checked.
  TProgress Counted() {
    return {[this](uint16_t percent) { Progress(percent); }, [this] { return FCancelled; }};
  }
  TProgress Silent() {
    return {nullptr, [this] { return !Pump(); }};
  }
  // Raises OnPump once per kReadPumpInterval of count; false once Abort was called.
  bool PumpEvery(size_t count) {
    for (size_t at = kReadPumpInterval; at <= count; at += kReadPumpInterval)
      if (!Pump()) return false;
    return !FCancelled;
  }
  // Raises OnPump; false once Abort was called.
  bool Pump() {
    if (OnPump) OnPump(*this);
    return !FCancelled;
  }

  TZelXMLTreeStates FState = zxtsCanceled;
  bool FCancelled = false;
  bool FIsBusy = false;
  bool FIsUnicode = false;
  bool FSettle = true;  // a load reads a broken document again from its save
  bool FKeepLayout = false;
  TTreeView* FTreeView = nullptr;
  std::unique_ptr<TSourceLayout> FLayout;
  size_t FChangedTexts = 0;
};

}  // namespace zel
