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
// A one-node rule asked of every node of the selection, each in turn as the current one.
template <bool (*Rule)(TIn)>
bool Each(TIn in) {
  if (!in.Selection || in.Selection->Size() <= 1) return Rule(in);
  TCommandInput one = in;
  one.Selection = nullptr;
  for (const TTreeNode* n : in.Selection->Nodes()) {
    one.Selected = n;
    if (!Rule(one)) return false;
  }
  return true;
}
// Nodes side by side become the last children of the node before the first of them.
bool MayDemoteEach(TIn in) {
  if (!in.Selection || in.Selection->Size() <= 1) return MayDemote(in);
  if (!Changeable(in)) return false;
  const TNodeSelection& s = *in.Selection;
  const TTreeNode* target = nullptr;
  for (size_t i = 0; i < s.Size(); ++i) {
    if (!s.FollowsSibling(i)) {
      target = s[i]->getPrevSibling();
      if (!target || !MayGainChild(*target)) return false;
    }
    if (!target->IsFirstNode() && !MayStandInside(s[i]->Text())) return false;
  }
  return true;
}
bool MayUncomment(TIn in) {
  return NodeChangeable(in) && NodeKindOf(in.Selected->Text()) == TNodeKind::nkComment;
}
bool MayFind(TIn in) {
  return !in.Busy && in.Selected && in.NodeCount > 1 && !in.Editing;
}
bool MayFindNext(TIn in) {
  return MayFind(in) && in.HasFindText;
}

// The nodes a command works on: the selection, else the current node.
TNodeSelection Chosen(TOutlineDocument& doc, const TNodeSelection& nodes) {
  return nodes.Empty() ? TNodeSelection(doc.Tree(), {doc.Tree().Selected()}) : nodes;
}
TTreeNode* Moved(TOutlineDocument& doc, bool stepMade) {
  MarkAccepted(doc, stepMade);
  return nullptr;
}

using enum TCommandId;
using D = TOutlineDocument&;
using S = const TNodeSelection&;
constexpr TCommandRow kRows[] = {
    {FileNew, "FileNew1", "File", Idle},
    {FileOpen, "FileOpen1", "File", Idle},
    {FileRevert, "FileRevert1", "File", Named},
    {FileSave, "FileSave1", "File", Changeable},
    {FileSaveAs, "FileSaveAs1", "File", Idle},
    {FileKeepLayout, "FileKeepLayout1", "File", Idle},
    {FileExit, "FileExit1", "File", Always},
    {FileCancel, "FileCancel1", "File", Busy},
    {EditUndo, "EditUndo1", "Edit", MayUndo, [](D d, S) { return d.Undo(); }, kAfterImages},
    {EditRedo, "EditRedo1", "Edit", MayRedo, [](D d, S) { return d.Redo(); }, kAfterImages},
    {EditCut, "EditCut1", "Edit", Each<NodeChangeable>},
    {EditCopy, "EditCopy1", "Edit", Each<MarkupSelected>},
    {EditCopyXPath, "EditCopyXPath1", "Edit", PathSelected},
    {EditPaste, "EditPaste1", "Edit", MayPaste},
    // The copy takes the images of what it copies.
    {EditDuplicate, "EditDuplicate1", "Edit", Each<NodeChangeable>,
     [](D d, S s) { return d.Duplicate(Chosen(d, s)); }, kAfterSelect},
    {EditAdd, "EditAdd1", "Edit", MayAdd},
    {EditModify, "EditModify1", "Edit", NodeChangeable},
    {EditDelete, "EditDelete1", "Edit", Each<NodeChangeable>,
     [](D d, S s) -> TTreeNode* {
       d.Delete(Chosen(d, s));
       return nullptr;
     },
     kAfterImages},
    {EditMoveUp, "EditMoveUp1", "Edit", Each<MayMoveUp>,
     [](D d, S s) { return Moved(d, d.MoveUp(Chosen(d, s))); }},
    {EditMoveDown, "EditMoveDown1", "Edit", Each<MayMoveDown>,
     [](D d, S s) { return Moved(d, d.MoveDown(Chosen(d, s))); }},
    {EditPromote, "EditPromote1", "Edit", Each<MayPromote>,
     [](D d, S s) { return Moved(d, d.Promote(Chosen(d, s))); }},
    {EditDemote, "EditDemote1", "Edit", MayDemoteEach,
     [](D d, S s) { return Moved(d, d.Demote(Chosen(d, s))); }},
    // The comments and the uncommented nodes take the images of their places.
    {EditComment, "EditComment1", "Edit", Each<NodeChangeable>,
     [](D d, S s) { return d.Comment(Chosen(d, s)); }, kAfterImages | kAfterSelect},
    {EditUncomment, "EditUncomment1", "Edit", Each<MayUncomment>,
     [](D d, S s) { return d.Uncomment(Chosen(d, s)); }, kAfterImages | kAfterSelect},
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
