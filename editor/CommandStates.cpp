#include "editor/CommandStates.h"

#include "base/StrUtils.h"
#include "editor/PlacementRules.h"

namespace zel {

TCommandStates ComputeCommandStates(const TCommandInput& in) {
  TCommandStates c;
  c.Exit = true;
  c.Cancel = in.Busy;
  c.Reopen = !in.Busy;
  if (in.Busy) return c;

  const TTreeNode* s = in.Selected;
  c.New = c.Open = c.SaveAs = true;
  c.Revert = in.FileName != kUntitled;
  c.Save = !in.ReadOnly;
  c.Add = !in.ReadOnly && s && MayGainChild(*s);
  c.Modify = !in.ReadOnly && s && !s->IsFirstNode() && !in.Editing;
  c.Delete = c.Modify;
  // The history works on the whole document, whatever is selected; not under an open editor,
  // whose text it would leave behind.
  c.Undo = !in.ReadOnly && !in.Editing && in.CanUndo;
  c.Redo = !in.ReadOnly && !in.Editing && in.CanRedo;
  c.Cut = c.Duplicate = c.Delete;
  // The root stands for the file name, not for markup.
  c.Copy = s && !s->IsFirstNode() && !in.Editing;
  c.Paste = !in.ReadOnly && s && !in.Editing && in.ClipboardHasText;
  c.UseDialog = true;
  // A read-only document is not changed by any command, so it never needs saving.
  const TTreeNode* movable = in.ReadOnly ? nullptr : s;
  const TTreeNode* prev = movable ? movable->getPrevSibling() : nullptr;
  // Nothing goes in front of the first node, which stands for the file.
  c.MoveUp = prev && !prev->IsFirstNode();
  c.MoveDown = movable && movable->getNextSibling();
  // Level above 1, without the cache.
  c.Promote = movable && movable->Parent() && movable->Parent()->Parent();
  c.Demote = prev && MayGainChild(*prev) && (prev->IsFirstNode() || MayStandInside(s->Text()));
  c.Font = c.Tooltips = true;
  c.Find = s && in.NodeCount > 1 && !in.Editing;
  c.FindNext = c.Find && in.HasFindText;
  c.WebSite = c.About = true;
  return c;
}

std::string NodePositionText(const TTreeNode* selected, bool modifyEnabled) {
  if (!modifyEnabled || !selected) return "0: 0: 0";
  return Format("%d: %d: %d", selected->Level(), selected->Index() + 1, selected->AbsoluteIndex());
}

std::string FileStateText(bool modified, bool readOnly) {
  return modified ? "Modified" : readOnly ? "Read Only" : "";
}

std::string WindowCaption(const std::string& appTitle, const std::string& fileName, bool modified) {
  return appTitle + " - [" + ExtractFileName(fileName) + (modified ? "*" : "") + "]";
}

}  // namespace zel
