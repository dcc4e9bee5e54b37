#include "editor/OutlineDocument.h"

#include <algorithm>

#include "base/Assert.h"
#include "base/UpdateGuard.h"
#include "editor/NodeEditing.h"
#include "editor/PlacementRules.h"
#include "editor/internal/EditSteps.h"

namespace zel {

namespace {

// The history keeps at most its limit of steps, and the clean mark is one of its states or
// none (-1).
[[maybe_unused]] bool HistoryHolds(size_t undo, size_t redo, long clean) {
  return undo + redo <= TOutlineDocument::kHistoryLimit && clean >= -1 &&
         clean <= long(undo + redo);
}

}  // namespace

TOutlineDocument::TOutlineDocument() = default;

TOutlineDocument::~TOutlineDocument() {
  // The steps hold detached nodes of the outline: they go first.
  FOpening.clear();
  FRedo.clear();
  FUndo.clear();
}

bool TOutlineDocument::Modified() const {
  return FClean != long(FUndo.size());
}

void TOutlineDocument::SetModified(bool value) {
  FClean = value ? -1 : long(FUndo.size());
  if (value) ++FChanges;
  ZEL_ASSERT(HistoryHolds(FUndo.size(), FRedo.size(), FClean));
}

void TOutlineDocument::Push(std::unique_ptr<TEditStep> step) {
  FReplayed.clear();
  if (!FOpening.empty()) {
    FOpening.push_back(std::move(step));
    step = std::make_unique<TCompoundStep>(std::move(FOpening));
    FOpening.clear();
  }
  if (FBatch) {
    FBatch->push_back(std::move(step));
    return;
  }
  ZEL_ASSERT((FUndo.empty() && FRedo.empty()) || FTree.Generation() == FGeneration);
  FGeneration = FTree.Generation();
  ++FChanges;
  if (FClean > long(FUndo.size())) FClean = -1;  // the clean state was among the redo steps
  FRedo.clear();
  FUndo.push_back(std::move(step));
  // Only undo steps hold detached nodes now: the redo steps are gone.
  while (FUndo.size() > kHistoryLimit ||
         (FUndo.size() > 1 && FTree.DetachedCount() > HeldNodeLimit())) {
    FUndo.pop_front();
    FClean = FClean > 0 ? FClean - 1 : -1;
  }
  ZEL_ASSERT(FRedo.empty() && !FUndo.empty() && HistoryHolds(FUndo.size(), 0, FClean));
}

size_t TOutlineDocument::HeldNodeLimit() const {
  return std::max(FHeldNodeFloor, size_t(FTree.Count()));
}

TTreeNode* TOutlineDocument::Add(TTreeNode* parent, const std::string& text) {
  FDeclined = false;
  if (FReadOnly || !parent || parent->TreeView() != &FTree) return nullptr;
  if (!MayPlace(nullptr, {text}, parent, nullptr)) return nullptr;
  OpenUp(parent);
  // The new node opens every ancestor.
  TFlagList before;
  for (TTreeNode* p = parent; p; p = p->Parent()) Record(before, p);
  TTreeNode* node = AddNodeAsLastChild(Key(), parent, text);
  auto step =
      std::make_unique<TPresenceStep>(Key(), "Add", FTree, std::vector<TTreeNode*>{node}, true);
  step->Before = std::move(before);
  for (TTreeNode* p = parent; p; p = p->Parent()) Record(step->After, p);
  Push(std::move(step));
  return node;
}

bool TOutlineDocument::SetText(TTreeNode* node, const std::string& text, const char* name) {
  FDeclined = false;
  if (FReadOnly || !node || node->TreeView() != &FTree) return false;
  // The file's node holds its name, which no save writes. Any other node takes the text in
  // its place as a node of that text would land there: its children stay under it.
  if (!node->IsFirstNode()) {
    if (node->GetFirstChild() && !HoldsChildren(text))
      return Refuse("\"" + text + "\" cannot hold child nodes.");
    if (!MayPlace(node, {text}, node->Parent(), node->getNextSibling())) return false;
  }
  std::string old(node->Text());
  node->SetText(Key(), text);
  Push(std::make_unique<TTextStep>(Key(), name, node, std::move(old)));
  return true;
}

bool TOutlineDocument::SetTexts(std::vector<TTextChange> changes, const char* name) {
  FDeclined = false;
  if (FReadOnly || changes.empty()) return false;
  for ([[maybe_unused]] const TTextChange& c : changes) ZEL_ASSERT(c.Node->TreeView() == &FTree);
  auto step = std::make_unique<TTextsStep>(Key(), name, std::move(changes));
  step->Swap();
  Push(std::move(step));
  return true;
}

bool TOutlineDocument::Delete(TTreeNode* node, const char* name) {
  FDeclined = false;
  // The first node stands for the file: it never goes, nor moves.
  if (FReadOnly || !node || node->TreeView() != &FTree || node->IsFirstNode()) return false;
  auto step =
      std::make_unique<TPresenceStep>(Key(), name, FTree, std::vector<TTreeNode*>{node}, false);
  TTreeNode* parent = node->Parent();
  Record(step->Before, parent);
  step->Remove();
  Record(step->After, parent);
  Push(std::move(step));
  return true;
}

bool TOutlineDocument::Move(TTreeNode* node, const char* name, TTarget to,
                            const std::function<bool()>& how) {
  FDeclined = false;
  if (FReadOnly || !node || node->TreeView() != &FTree || node->IsFirstNode()) return false;
  // Into its own subtree nothing moves, and nothing is refused.
  const bool inside = to.Parent && (to.Parent == node || to.Parent->HasAsParent(node));
  if (!inside) {
    if (!MayPlace(node, {node->Text()}, to.Parent, to.Before)) return false;
    OpenUp(to.Parent);
  }
  const TPlace from = PlaceOf(node);
  TFlagList before;
  Record(before, from.Parent);
  // The new parent is known only afterwards; its flags before are those it had.
  TFlagList around;
  for (TTreeNode* n : {to.Parent, from.Parent ? from.Parent->Parent() : nullptr}) Record(around, n);
  if (!how()) {
    DropOpening();
    return false;
  }
  auto step = std::make_unique<TMoveStep>(Key(), name, node, from, PlaceOf(node));
  step->Before = std::move(before);
  TTreeNode* to_ = node->Parent();
  if (to_ != from.Parent)
    for (const TFlags& f : around)
      if (f.Node == to_) step->Before.push_back(f);
  Record(step->After, from.Parent);
  if (to_ != from.Parent) Record(step->After, to_);
  Push(std::move(step));
  return true;
}

bool TOutlineDocument::MoveUp(TTreeNode* node) {
  TTreeNode* prev = node ? node->getPrevSibling() : nullptr;
  if (!prev) return false;
  return Move(node, "Move Up", {node->Parent(), prev}, [node] { return MoveNodeUp(Key(), node); });
}

bool TOutlineDocument::MoveDown(TTreeNode* node) {
  TTreeNode* next = node ? node->getNextSibling() : nullptr;
  if (!next) return false;
  return Move(node, "Move Down", {node->Parent(), next->getNextSibling()},
              [node] { return MoveNodeDown(Key(), node); });
}

bool TOutlineDocument::Promote(TTreeNode* node) {
  if (!node || !node->Parent() || !node->Parent()->Parent()) return false;
  return Move(node, "Promote", {node->Parent()->Parent(), node->Parent()},
              [node] { return PromoteNode(Key(), node); });
}

bool TOutlineDocument::Demote(TTreeNode* node) {
  TTreeNode* prev = node ? node->getPrevSibling() : nullptr;
  if (!prev) return false;
  return Move(node, "Demote", {prev, nullptr}, [node] { return DemoteNode(Key(), node); });
}

bool TOutlineDocument::Drop(TTreeNode* dragged, TTreeNode* target) {
  FDeclined = false;
  if (!dragged || !CanDropNode(dragged, target)) return false;
  return Move(dragged, "Drag", {target, nullptr}, [=] { return DropNode(Key(), dragged, target); });
}

bool TOutlineDocument::Arrange(TTreeNode* parent, const std::vector<TTreeNode*>& children,
                               const char* name) {
  FDeclined = false;
  // The first level's order is the one XML sets (declaration, DOCTYPE, element).
  if (FReadOnly || !parent || parent->TreeView() != &FTree || IsFirstLevel(parent)) return false;
  std::vector<TTreeNode*> from = ChildrenOf(*parent);
  if (children == from) return false;
  std::vector<TTreeNode*> sortedFrom = from, sortedTo = children;
  std::sort(sortedFrom.begin(), sortedFrom.end(), std::less<>());
  std::sort(sortedTo.begin(), sortedTo.end(), std::less<>());
  if (sortedFrom != sortedTo) return false;
  auto step = std::make_unique<TArrangeStep>(Key(), name, parent, std::move(from), children);
  Record(step->Before, parent);
  PutInOrder(Key(), parent, children);
  Record(step->After, parent);
  Push(std::move(step));
  return true;
}

bool TOutlineDocument::CanInsert(TTreeNode* parent, TTreeNode* before) const {
  return !FReadOnly && (!parent || parent->TreeView() == &FTree) &&
         (!before || before->Parent() == parent);
}

TTreeNode* TOutlineDocument::Insert(const std::vector<const TTreeNode*>& sources, TTreeNode* parent,
                                    TTreeNode* before, const char* name) {
  FDeclined = false;
  if (sources.empty() || !CanInsert(parent, before)) return nullptr;
  std::vector<std::string_view> texts;
  for (const TTreeNode* s : sources) {
    if (s->IsFirstNode() && s->TreeView() == &FTree) return nullptr;  // the file's own node
    texts.push_back(s->Text());
  }
  if (!MayPlace(nullptr, texts, parent, before)) return nullptr;
  std::vector<TTreeNode*> copies;
  copies.reserve(sources.size());
  try {
    for (const TTreeNode* s : sources) copies.push_back(FTree.CopySubtree(Key(), *s));
  } catch (...) {
    for (TTreeNode* c : copies) FTree.FreeDetached(Key(), c);
    throw;
  }
  return Place(std::move(copies), parent, before, name);
}

TTreeNode* TOutlineDocument::InsertFrom(TTreeView& source, TTreeNode* sourceParent,
                                        TTreeNode* parent, TTreeNode* before, const char* name) {
  FDeclined = false;
  if (&source == &FTree || !CanInsert(parent, before)) return nullptr;
  std::vector<std::string_view> texts;
  for (TTreeNode* n = sourceParent ? sourceParent->GetFirstChild() : source.GetFirstNode(); n;
       n = n->getNextSibling())
    texts.push_back(n->Text());
  if (!MayPlace(nullptr, texts, parent, before)) {
    source.Clear(Key());
    return nullptr;
  }
  std::vector<TTreeNode*> nodes = FTree.Adopt(Key(), source, sourceParent);
  if (nodes.empty()) return nullptr;
  return Place(std::move(nodes), parent, before, name);
}

// Links detached subtrees of the outline in front of `before` as one step.
TTreeNode* TOutlineDocument::Place(std::vector<TTreeNode*> nodes, TTreeNode* parent,
                                   TTreeNode* before, const char* name) {
  OpenUp(parent);
  TFlagList flags;
  Record(flags, parent);
  for (TTreeNode* n : nodes) FTree.Attach(Key(), n, parent, before);
  TTreeNode* first = nodes.front();
  auto step = std::make_unique<TPresenceStep>(Key(), name, FTree, std::move(nodes), true);
  step->Before = std::move(flags);
  Record(step->After, parent);
  Push(std::move(step));
  return first;
}

TTreeNode* TOutlineDocument::Paste(TTreeView& pasted, TTreeNode* selected) {
  FDeclined = false;
  TTreeNode* clip = pasted.GetFirstNode();
  if (clip && clip->GetFirstChild() &&
      NodeKindOf(clip->GetFirstChild()->Text()) == TNodeKind::nkDeclaration)
    pasted.Delete(Key(), clip->GetFirstChild());
  if (!selected || !clip || !clip->GetFirstChild()) return nullptr;
  if (!selected->IsFirstNode())
    return InsertFrom(pasted, clip, selected->Parent(), selected->getNextSibling());
  TTreeNode* before = selected->GetFirstChild();
  while (before && !MayStandInside(before->Text())) before = before->getNextSibling();
  return InsertFrom(pasted, clip, selected, before);
}

TTreeNode* TOutlineDocument::Duplicate(TTreeNode* node) {
  if (!node || node->TreeView() != &FTree) return nullptr;
  return Insert({node}, node->Parent(), node->getNextSibling(), "Duplicate");
}

bool TOutlineDocument::Refuse(std::string why) {
  FDeclined = true;
  FRefusal = std::move(why);
  return false;
}

bool TOutlineDocument::MayPlace(const TTreeNode* leaving,
                                const std::vector<std::string_view>& texts, TTreeNode* parent,
                                TTreeNode* before) {
  FRefusal.clear();
  const std::string misplaced =
      "The XML declaration can stand only first, and a DOCTYPE only once and before the first "
      "element.";
  if (!IsFirstLevel(parent)) {
    if (!MayGainChild(*parent))
      return Refuse("\"" + std::string(parent->Text()) + "\" cannot hold child nodes.");
    for (std::string_view t : texts)
      if (!MayStandInside(t)) return Refuse(misplaced);
    return true;  // leaving the first level makes nothing there worse
  }
  // In front of the file's own node nothing would be saved.
  if (!parent && before && before->IsFirstNode())
    return Refuse("Nothing can stand in front of the document's first node.");
  const TTreeNode* moving = leaving && IsFirstLevel(leaving->Parent()) ? leaving : nullptr;
  const unsigned fresh = FirstLevelIssues(FTree, moving, texts, parent, before) &
                         ~FirstLevelIssues(FTree, nullptr, {}, nullptr, nullptr);
  if (fresh & kFirstLevelMisplaced) return Refuse(misplaced);
  if (fresh && FConfirm && !FConfirm(FirstLevelQuestion(fresh))) return Refuse("");
  return true;
}

void TOutlineDocument::OpenUp(TTreeNode* parent) {
  if (!parent || parent->IsFirstNode()) return;
  std::optional<TOpenedElement> opened = OpenElement(parent->Text());
  if (!opened) return;
  FOpening.push_back(
      std::make_unique<TTextStep>(Key(), "Modify", parent, std::string(parent->Text())));
  parent->SetText(Key(), opened->StartTag);
  if (opened->Content.empty()) return;
  TFlagList before;
  Record(before, parent);
  TTreeNode* first = parent->GetFirstChild();
  TTreeNode* text = FTree.AddChild(Key(), parent, opened->Content);
  if (first) text->MoveTo(Key(), first, TNodeAttachMode::naInsert);
  auto step =
      std::make_unique<TPresenceStep>(Key(), "Add", FTree, std::vector<TTreeNode*>{text}, true);
  step->Before = std::move(before);
  Record(step->After, parent);
  FOpening.push_back(std::move(step));
}

void TOutlineDocument::DropOpening() {
  if (FOpening.empty()) return;
  for (auto it = FOpening.rbegin(); it != FOpening.rend(); ++it) (*it)->Undo();
  FOpening.clear();
  ++FChanges;
}

std::string TOutlineDocument::UndoName() const {
  return FUndo.empty() ? std::string() : FUndo.back()->Name;
}

std::string TOutlineDocument::RedoName() const {
  return FRedo.empty() ? std::string() : FRedo.back()->Name;
}

TTreeNode* TOutlineDocument::Replay(bool undo) {
  FDeclined = false;
  if (!(undo ? CanUndo() : CanRedo())) return nullptr;
  ZEL_ASSERT(FTree.Generation() == FGeneration);
  TSteps& from = undo ? FUndo : FRedo;
  std::unique_ptr<TEditStep> step = std::move(from.back());
  from.pop_back();
  TTreeNode* focus = undo ? step->Undo() : step->Redo();
  std::vector<TTreeNode*> touched;
  for (TTreeNode* n : step->Touched())
    if (n) touched.push_back(n);
  FReplayed = touched.size() < 2 ? std::vector<TTreeNode*>()
                                 : TNodeSelection(FTree, std::move(touched)).Nodes();
  ++FChanges;
  (undo ? FRedo : FUndo).push_back(std::move(step));
  ZEL_ASSERT(HistoryHolds(FUndo.size(), FRedo.size(), FClean));
  if (focus) FTree.SetSelected(focus);
  return FTree.Selected();
}

void TOutlineDocument::ClearHistory() {
  FReplayed.clear();
  FRedo.clear();
  FUndo.clear();
  FClean = 0;
}

}  // namespace zel
