#pragma once
// What an editor session needs from whoever shows it: the answers to its questions, the name
// for a save of an untitled document, and the feedback of loads and saves. The window gives
// these through its dialogs and its status bar, a tool through the console, a test from a
// script. Everything but the questions and the save name has a default that does nothing.

#include <cstdint>
#include <string>

#include "editor/MessageCodes.h"
#include "treedoc/ZelXMLTree.h"

namespace zel {

class IEditorHost {
 public:
  virtual ~IEditorHost() = default;

  // A message or a question with its caption and MB_* flags; returns IDYES and so on. `text` is
  // ASCII, "\r" breaking lines, with "%1" where `arg` goes: code-page bytes (a file name, a
  // reason), shown as they are.
  virtual int MessageBox(const std::string& text, const std::string& arg,
                         const std::string& caption, unsigned flags) = 0;
  // The name to save an untitled document under; false when the user gave none.
  virtual bool AskSaveName(std::string& name) = 0;
  virtual void Beep() {}

  // A load, a save or the read of a recovery file on `name` begins; EndProcess follows on every
  // way out. A save shows the commands' states before it starts.
  virtual void BeginProcess(const std::string& /*name*/, bool /*saving*/) {}
  virtual void EndProcess() {}
  // The stages and percentages of the component, and its pump: queued events may run here.
  virtual void StateChange(TZelXMLTreeStates /*state*/) {}
  virtual void Progress(TZelXMLTreeStates /*state*/, uint16_t /*percent*/) {}
  virtual void Pump() {}
  // A load stopped while reading, which announces nothing itself.
  virtual void ProcessCancelled() {}
  // A message for the status line.
  virtual void Status(const std::string& /*text*/) {}
  // Something the user should learn once, without a question: how a save was written.
  virtual void Notice(const std::string& text) { Status(text); }
  // A command is about to be checked against the states: they may have changed since shown.
  virtual void UpdateCommands() {}

  // A file the document lets go, for the recent files; and one opened again, which leaves them.
  virtual void Remember(const std::string& /*file*/) {}
  virtual void Forget(const std::string& /*file*/) {}
  // The document's file as just loaded or saved (or recovered): watched from now on, with no
  // change noticed yet.
  virtual void FileRecorded(const std::string& /*file*/) {}
  // The file as it is now counts as reported: changes until now ask nothing more.
  virtual void DiskReported() {}
  // A save under `file` completed.
  virtual void Saved(const std::string& /*file*/) {}
};

}  // namespace zel
