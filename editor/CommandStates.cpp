#include "editor/CommandStates.h"

#include <utility>

#include "base/StrUtils.h"
#include "editor/Commands.h"

namespace zel {

TCommandStates ComputeCommandStates(const TCommandInput& in) {
  using S = TCommandStates;
  using enum TCommandId;
  static constexpr std::pair<TCommandId, bool S::*> kFlags[] = {
      {FileExit, &S::Exit},
      {FileCancel, &S::Cancel},
      {FileNew, &S::New},
      {FileOpen, &S::Open},
      {FileRevert, &S::Revert},
      {FileSave, &S::Save},
      {FileSaveAs, &S::SaveAs},
      {EditUndo, &S::Undo},
      {EditRedo, &S::Redo},
      {EditCut, &S::Cut},
      {EditCopy, &S::Copy},
      {EditPaste, &S::Paste},
      {EditDuplicate, &S::Duplicate},
      {EditAdd, &S::Add},
      {EditModify, &S::Modify},
      {EditDelete, &S::Delete},
      {EditUseDialog, &S::UseDialog},
      {EditMoveUp, &S::MoveUp},
      {EditMoveDown, &S::MoveDown},
      {EditPromote, &S::Promote},
      {EditDemote, &S::Demote},
      {ViewFont, &S::Font},
      {ViewTooltips, &S::Tooltips},
      {SearchFind, &S::Find},
      {SearchFindNext, &S::FindNext},
      {HelpWebSite, &S::WebSite},
      {HelpAbout, &S::About},
  };
  TCommandStates c;
  for (const auto& [id, flag] : kFlags) c.*flag = CommandEnabled(id, in);
  c.Reopen = ReopenEnabled(in);
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
