#pragma once
// The commands of the main window as plain data, one row each: its id, the name the window and
// its stored settings know it by, its menu, the rule that enables it, and what it does for the
// commands that work on the document alone. The window adds caption, hint, keys, places and
// picture, and its own handler where a command needs the window (dialogs, clipboard, closing).

#include <cstddef>
#include <cstdint>
#include <span>

#include "editor/CommandStates.h"

namespace zel {

class TOutlineDocument;

enum class TCommandId : uint8_t {
  FileNew,
  FileOpen,
  FileRevert,
  FileSave,
  FileSaveAs,
  FileKeepLayout,
  FileExit,
  FileCancel,
  EditUndo,
  EditRedo,
  EditCut,
  EditCopy,
  EditCopyXPath,
  EditPaste,
  EditDuplicate,
  EditAdd,
  EditModify,
  EditDelete,
  EditMoveUp,
  EditMoveDown,
  EditPromote,
  EditDemote,
  EditComment,
  EditUncomment,
  EditUseDialog,
  SearchFind,
  SearchFindNext,
  SearchFindPrevious,
  ViewFont,
  ViewTooltips,
  ViewResults,
  HelpWebSite,
  HelpAbout,
  Count  // not a command
};
inline constexpr size_t kCommandCount = static_cast<size_t>(TCommandId::Count);

// What the window does after a document action, beyond showing the node the action returns.
enum : unsigned {
  kAfterImages = 1,  // the nodes show the images of their new places (AssignImages)
  kAfterSelect = 2,  // the returned node becomes the selected one
};

struct TCommandRow {
  TCommandId Id;
  const char* Name;      // "FileNew1"
  const char* Category;  // the menu it belongs to: "File"
  bool (*Enabled)(const TCommandInput& in);
  // The change to the document and the nodes it works on (the selection, else the current
  // node), with its undo step; the node to show, or null. Null where the window acts.
  TTreeNode* (*Act)(TOutlineDocument& doc, const TNodeSelection& nodes) = nullptr;
  unsigned After = 0;
};

// Every command's row, in the order of TCommandId.
std::span<const TCommandRow> CommandRows();
const TCommandRow& CommandRow(TCommandId id);
inline bool CommandEnabled(TCommandId id, const TCommandInput& in) {
  return CommandRow(id).Enabled(in);
}
// The recent-files menu, which is no command: open whenever no load or save runs.
inline bool ReopenEnabled(const TCommandInput& in) {
  return !in.Busy;
}

// After an edit the user made: an accepted one marks the document even when it made no step (a
// drop into its own subtree, a move with a stale state), a mark no undo clears; a refused one
// marks nothing.
void MarkAccepted(TOutlineDocument& doc, bool stepMade);

}  // namespace zel
