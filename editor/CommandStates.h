#pragma once
// What the main window's command rules look at, the enabled state of its commands by name, the
// node-position and file-state panels and the caption. Only the selected nodes, their
// siblings, cached indices and the node count are looked at, so this runs at every idle cycle. The
// rules themselves are the rows of Commands.h.

#include <string>

#include "editor/Selection.h"
#include "outline/TreeView.h"

namespace zel {

// The name of a new document, which has no file yet.
inline constexpr char kUntitled[] = "Untitled.xml";

struct TCommandInput {
  std::string FileName;  // kUntitled for a new document
  bool Modified = false;
  bool ReadOnly = false;
  bool Busy = false;                    // a load or save runs
  const TTreeNode* Selected = nullptr;  // the current node
  // Several nodes chosen together, or null: then the current node alone. The commands on the
  // selection follow their one-node rule for each of its nodes.
  const TNodeSelection* Selection = nullptr;
  int NodeCount = 0;
  bool Editing = false;  // an in-place edit is open
  bool HasFindText = false;
  bool CanUndo = false, CanRedo = false;
  bool ClipboardHasText = false;
};

// Every command's enabled state and the recent-files menu's, as the rules of Commands.h give
// them; Find Next's flag holds for Find Previous too.
struct TCommandStates {
  bool Exit = true, Cancel = false, Reopen = true;
  bool New = false, Open = false, Revert = false, Save = false, SaveAs = false;
  bool Undo = false, Redo = false, Cut = false, Copy = false, Paste = false, Duplicate = false;
  bool Add = false, Modify = false, Delete = false, UseDialog = false;
  bool MoveUp = false, MoveDown = false, Promote = false, Demote = false;
  bool Font = false, Tooltips = false, Find = false, FindNext = false;
  bool WebSite = false, About = false;
  bool operator==(const TCommandStates&) const = default;
};

TCommandStates ComputeCommandStates(const TCommandInput& in);

// Panel 0: "level: index: absolute index" of the selected node (index counted from 1) when
// Modify is enabled, else "0: 0: 0".
std::string NodePositionText(const TTreeNode* selected, bool modifyEnabled);
// Panel 1: "Modified", "Read Only" or empty.
std::string FileStateText(bool modified, bool readOnly);
// "<title> - [<file name>]", with "*" after the file name when modified.
std::string WindowCaption(const std::string& appTitle, const std::string& fileName, bool modified);

}  // namespace zel
