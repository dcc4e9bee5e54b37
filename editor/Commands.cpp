#include "editor/Commands.h"

#include "editor/FindAll.h"
#include "editor/OutlineDocument.h"
#include "editor/PlacementRules.h"

namespace zel {

namespace {

using TIn = const TCommandInput&;

// While a load or save runs, only Exit and Cancel work.
bool Always(TIn) {
  return true;
}
bool Busy(TIn in) {
  return in.Busy;
}
bool Idle(TIn in) {
  return !in.Busy;
}
bool Changeable(TIn in) {
  return !in.Busy && !in.ReadOnly;
}
bool Named(TIn in) {
  return !in.Busy && in.FileName != kUntitled;
}
// The root stands for the file name, not for markup.
bool MarkupSelected(TIn in) {
  return !in.Busy && in.Selected && !in.Selected->IsFirstNode() && !in.Editing;
}
// XPath has no node for the declaration and the DOCTYPE: no path to copy.
bool PathSelected(TIn in) {
  return !in.Busy && in.Selected && HasNodePath(*in.Selected);
}
bool NodeChangeable(TIn in) {
  return !in.ReadOnly && MarkupSelected(in);
}
bool MayAdd(TIn in) {
  return Changeable(in) && in.Selected && MayGainChild(*in.Selected);
}
// The history works on the whole document, whatever is selected; not under an open editor,
// whose text it would leave behind.
bool MayUndo(TIn in) {
  return Changeable(in) && !in.Editing && in.CanUndo;
}
bool MayRedo(TIn in) {
  return Changeable(in) && !in.Editing && in.CanRedo;
}
bool MayPaste(TIn in) {
  return Changeable(in) && in.Selected && !in.Editing && in.ClipboardHasText;
}
// A read-only document is not changed by any command, so it never needs saving.
const TTreeNode* Movable(TIn in) {
  return Changeable(in) ? in.Selected : nullptr;
}
const TTreeNode* PrevOfMovable(TIn in) {
  const TTreeNode* s = Movable(in);
  return s ? s->getPrevSibling() : nullptr;
}
// Nothing goes in front of the first node, which stands for the file.
bool MayMoveUp(TIn in) {
  const TTreeNode* prev = PrevOfMovable(in);
  return prev && !prev->IsFirstNode();
}
bool MayMoveDown(TIn in) {
  const TTreeNode* s = Movable(in);
  return s && s->getNextSibling();
}
// Level above 1, without the cache.
bool MayPromote(TIn in) {
  const TTreeNode* s = Movable(in);
  return s && s->Parent() && s->Parent()->Parent();
}
bool MayDemote(TIn in) {
  const TTreeNode* prev = PrevOfMovable(in);
  return prev && MayGainChild(*prev) &&
         (prev->IsFirstNode() || MayStandInside(in.Selected->Text()));
}
bool MayFind(TIn in) {
  return !in.Busy && in.Selected && in.NodeCount > 1 && !in.Editing;
}
bool MayFindNext(TIn in) {
  return MayFind(in) && in.HasFindText;
}

TTreeNode* Selected(TOutlineDocument& doc) {
  return doc.Tree().Selected();
}
TTreeNode* Moved(TOutlineDocument& doc, bool stepMade) {
  MarkAccepted(doc, stepMade);
  return nullptr;
}

using enum TCommandId;
constexpr TCommandRow kRows[] = {
    {FileNew, "FileNew1", "File", Idle},
    {FileOpen, "FileOpen1", "File", Idle},
    {FileRevert, "FileRevert1", "File", Named},
    {FileSave, "FileSave1", "File", Changeable},
    {FileSaveAs, "FileSaveAs1", "File", Idle},
    {FileKeepLayout, "FileKeepLayout1", "File", Idle},
    {FileExit, "FileExit1", "File", Always},
    {FileCancel, "FileCancel1", "File", Busy},
    {EditUndo, "EditUndo1", "Edit", MayUndo, [](TOutlineDocument& d) { return d.Undo(); },
     kAfterImages},
    {EditRedo, "EditRedo1", "Edit", MayRedo, [](TOutlineDocument& d) { return d.Redo(); },
     kAfterImages},
    {EditCut, "EditCut1", "Edit", NodeChangeable},
    {EditCopy, "EditCopy1", "Edit", MarkupSelected},
    {EditCopyXPath, "EditCopyXPath1", "Edit", PathSelected},
    {EditPaste, "EditPaste1", "Edit", MayPaste},
    // The copy takes the images of what it copies.
    {EditDuplicate, "EditDuplicate1", "Edit", NodeChangeable,
     [](TOutlineDocument& d) { return d.Duplicate(Selected(d)); }, kAfterSelect},
    {EditAdd, "EditAdd1", "Edit", MayAdd},
    {EditModify, "EditModify1", "Edit", NodeChangeable},
    {EditDelete, "EditDelete1", "Edit", NodeChangeable,
     [](TOutlineDocument& d) -> TTreeNode* {
       d.Delete(Selected(d));
       return nullptr;
     },
     kAfterImages},
    {EditMoveUp, "EditMoveUp1", "Edit", MayMoveUp,
     [](TOutlineDocument& d) { return Moved(d, d.MoveUp(Selected(d))); }},
    {EditMoveDown, "EditMoveDown1", "Edit", MayMoveDown,
     [](TOutlineDocument& d) { return Moved(d, d.MoveDown(Selected(d))); }},
    {EditPromote, "EditPromote1", "Edit", MayPromote,
     [](TOutlineDocument& d) { return Moved(d, d.Promote(Selected(d))); }},
    {EditDemote, "EditDemote1", "Edit", MayDemote,
     [](TOutlineDocument& d) { return Moved(d, d.Demote(Selected(d))); }},
    {EditUseDialog, "EditUseDialog1", "Edit", Idle},
    {SearchFind, "SearchFind1", "Search", MayFind},
    {SearchFindNext, "SearchFindNext1", "Search", MayFindNext},
    {SearchFindPrevious, "SearchFindPrevious1", "Search", MayFindNext},
    {ViewFont, "ViewFont1", "View", Idle},
    {ViewTooltips, "ViewTooltips", "View", Idle},
    {ViewResults, "ViewResults1", "View", Idle},
    {HelpWebSite, "HelpWebSite1", "Help", Idle},
    {HelpAbout, "HelpAbout1", "Help", Idle},
};
static_assert(std::size(kRows) == kCommandCount, "one row per command");

constexpr bool InIdOrder() {
  for (size_t i = 0; i < std::size(kRows); ++i)
    if (static_cast<size_t>(kRows[i].Id) != i) return false;
  return true;
}
static_assert(InIdOrder(), "the rows go in the order of their ids");

}  // namespace

std::span<const TCommandRow> CommandRows() {
  return kRows;
}

const TCommandRow& CommandRow(TCommandId id) {
  return kRows[static_cast<size_t>(id)];
}

void MarkAccepted(TOutlineDocument& doc, bool stepMade) {
  if (!stepMade && !doc.ReadOnly() && !doc.Declined()) doc.SetModified(true);
}

}  // namespace zel
