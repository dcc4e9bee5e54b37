#pragma once
// The document the window edits: the outline, its file name, its modified and read-only state,
// and every change to the outline as a step of an undo history. A removed subtree stays in the
// outline's storage, detached, for as long as a step may put it back; nothing is copied to be
// undone. The history holds the last kHistoryLimit steps, and fewer when the subtrees they keep
// detached pass HeldNodeLimit(): then the oldest go, but never the newest.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/RecoveryFile.h"
#include "editor/Selection.h"
#include "outline/TreeView.h"

namespace zel {

class TEditStep;
class TZelXMLTree;

// A node's new text, one of a batch.
struct TTextChange {
  TTreeNode* Node;
  std::string Text;
};

class TOutlineDocument {
 public:
  static constexpr size_t kHistoryLimit = 1000;
  // Removed subtrees the history may keep: as many nodes as the document has, and at least
  // this many, so that memory at most doubles and a small document keeps its whole history.
  static constexpr size_t kHeldNodeFloor = 1000000;

  TOutlineDocument();
  ~TOutlineDocument();
  TOutlineDocument(const TOutlineDocument&) = delete;
  TOutlineDocument& operator=(const TOutlineDocument&) = delete;

  TTreeView& Tree() { return FTree; }
  const TTreeView& Tree() const { return FTree; }
  const std::string& FileName() const { return FFileName; }
  void SetFileName(std::string name) { FFileName = std::move(name); }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  // Whether the outline differs from the state last loaded or saved: undoing back to that
  // state clears it again.
  bool Modified() const;
  // False marks the present state as the clean one (a load or save); true marks the document
  // changed with no way back to clean by undoing.
  void SetModified(bool value);
  // Grows with every change to the outline, undoing and redoing included, and with
  // SetModified(true): whoever keeps a copy of the outline knows when it is out of date.
  unsigned long Changes() const { return FChanges; }

  // Asked before an operation leaves the first level of the file holding what XML allows only
  // inside an element (a second element, text); answers whether to go on. Unset: it goes on.
  void SetConfirm(std::function<bool(const std::string& question)> confirm) {
    FConfirm = std::move(confirm);
  }
  // Whether the last operation was refused by the placement rules (PlacementRules.h) or at the
  // question: it changed nothing and marks nothing. Refusal() says why, empty after a No.
  bool Declined() const { return FDeclined; }
  const std::string& Refusal() const { return FRefusal; }

  // The operations. Each returns whether it changed the outline (and so made a step); none
  // changes a read-only document. `name` is the step's name in "Undo <name>". An element
  // written on one line that gains a child opens up first, within the same step. SetText makes
  // a step also for an unchanged text, which the user's edit marks modified; it refuses a text
  // that cannot hold the node's children or stand in the node's place.
  TTreeNode* Add(TTreeNode* parent, const std::string& text);
  bool SetText(TTreeNode* node, const std::string& text, const char* name = "Modify");
  // New texts for nodes of the outline, each node once, as one step named `name`. The caller
  // has checked the texts (Replace.h does); the placement rules are not asked. False, changing
  // nothing, for an empty batch.
  bool SetTexts(std::vector<TTextChange> changes, const char* name);
  bool Delete(TTreeNode* node, const char* name = "Delete");
  bool MoveUp(TTreeNode* node);
  bool MoveDown(TTreeNode* node);
  bool Promote(TTreeNode* node);
  bool Demote(TTreeNode* node);
  // Last child of `target`, or last at root level on empty space (null target).
  bool Drop(TTreeNode* dragged, TTreeNode* target);
  // The children of `parent` in the order of `children`, which holds each of them once, as one
  // step named `name`. False, changing nothing, for any other list, an unchanged order or the
  // first level of the file.
  bool Arrange(TTreeNode* parent, const std::vector<TTreeNode*>& children, const char* name);
  // Copies of the subtrees of `sources` (of any tree), in their order, in front of `before`
  // among the children of `parent` (null before: at the end). Returns the first copy.
  TTreeNode* Insert(const std::vector<const TTreeNode*>& sources, TTreeNode* parent,
                    TTreeNode* before, const char* name = "Paste");
  // The children of `sourceParent` (a node of `source`; null: its roots), moved out of source
  // without a copy and placed as Insert places copies. Source is left empty.
  TTreeNode* InsertFrom(TTreeView& source, TTreeNode* sourceParent, TTreeNode* parent,
                        TTreeNode* before, const char* name = "Paste");
  // The outline of clipboard text (ReadXMLText), moved in after `selected` at its level; under
  // the first node, as its first children after a declaration and DOCTYPE it holds. A leading
  // XML declaration of the text speaks of the text's own file and is dropped.
  TTreeNode* Paste(TTreeView& pasted, TTreeNode* selected);
  // A copy of the node's subtree right after it.
  TTreeNode* Duplicate(TTreeNode* node);

  // The operations on many nodes, each as one step and all or nothing: a node refused refuses
  // them all, and a question asked for one is asked once. One node alone is the operation on
  // that node. Each node moves as it would alone, in document order (Move Down from the last),
  // so that the nodes keep their order and side by side stay side by side.
  bool Delete(const TNodeSelection& nodes, const char* name = "Delete");
  bool MoveUp(const TNodeSelection& nodes);
  bool MoveDown(const TNodeSelection& nodes);
  bool Promote(const TNodeSelection& nodes);
  bool Demote(const TNodeSelection& nodes);
  // Last children of `target` in their order; a target inside a dragged subtree moves nothing.
  bool Drop(const TNodeSelection& dragged, TTreeNode* target);
  // The first copy.
  TTreeNode* Duplicate(const TNodeSelection& nodes);
  // Each subtree in its place becomes one comment holding its XML text (CommentOutText,
  // SubtreeText.h). Returns the first comment.
  TTreeNode* Comment(const TNodeSelection& nodes);
  // Each comment in its place becomes the nodes its text holds; refused, with why, when one
  // holds no XML or is no comment. Returns the first new node.
  TTreeNode* Uncomment(const TNodeSelection& nodes);

  bool CanUndo() const { return !FUndo.empty() && !FReadOnly; }
  bool CanRedo() const { return !FRedo.empty() && !FReadOnly; }
  // The name of the step Undo or Redo takes; empty when there is none.
  std::string UndoName() const;
  std::string RedoName() const;
  // Each returns the node the step touched, selected, or null when nothing was done.
  TTreeNode* Undo() { return Replay(true); }
  TTreeNode* Redo() { return Replay(false); }
  // The nodes the last Undo or Redo of a step over many nodes gave back or moved, to be chosen
  // together again; empty after a step over one node. Valid until the outline changes.
  const std::vector<TTreeNode*>& ReplayedNodes() const { return FReplayed; }
  // Forgets every step; the present state becomes the clean one. Comes before a new outline.
  void ClearHistory();
  size_t UndoCount() const { return FUndo.size(); }
  size_t RedoCount() const { return FRedo.size(); }
  size_t HeldNodeLimit() const;

  // A new outline in place of the present one; every step goes first, for they hold nodes of
  // the outline that goes. Load has the component read the file into the outline (its state
  // and Cancelled tell how it went). Recover reads a recovery file (ReadRecoveryFile) as the
  // component's load, with its progress and Abort: the header, or nothing when stopped. Reset
  // leaves one root of `rootText` and returns it.
  void Load(TZelXMLTree& reader, const std::string& fileName);
  std::optional<TRecoveryHeader> Recover(TZelXMLTree& reader, const std::string& file);
  TTreeNode* Reset(const std::string& rootText);
  void SetHeldNodeFloor(size_t nodes) { FHeldNodeFloor = nodes; }

  // The in-place editor closed with `text` accepted: the tree's edit rules make the change
  // (NodeEditing.h, InstallEditRules), as a step.
  void EndEdit(TTreeNode* node, std::string text) { FTree.EndEdit(Key(), node, std::move(text)); }

 private:
  static constexpr TTreeWriteKey Key() { return {}; }
  using TSteps = std::deque<std::unique_ptr<TEditStep>>;
  void Push(std::unique_ptr<TEditStep> step);
  TTreeNode* Replay(bool undo);
  struct TTarget {
    TTreeNode* Parent;
    TTreeNode* Before;
  };
  // `to` is where `how` puts the node; a target inside the node's subtree leaves it in place.
  bool Move(TTreeNode* node, const char* name, TTarget to, const std::function<bool()>& how);
  bool CanInsert(TTreeNode* parent, TTreeNode* before) const;
  // The placement rules for nodes with `texts` coming in front of `before` under `parent`,
  // `leaving` (null: none) moving there; asks when needed. False, with FDeclined set, refuses.
  bool MayPlace(const TTreeNode* leaving, const std::vector<std::string_view>& texts,
                TTreeNode* parent, TTreeNode* before);
  bool Refuse(std::string why);
  // Opens `parent` when it is an element on one line; the steps wait in FOpening for the step
  // of the operation, or go back with DropOpening when it does nothing.
  void OpenUp(TTreeNode* parent);
  void DropOpening();
  TTreeNode* Place(std::vector<TTreeNode*> nodes, TTreeNode* parent, TTreeNode* before,
                   const char* name);

  // Runs `op` on each node (from the last when `backwards`), collecting the steps into one; on
  // a refusal the steps made so far are undone.
  bool Batch(const TNodeSelection& nodes, bool backwards,
             const std::function<bool(TTreeNode*)>& op);
  void TakeBack(std::vector<std::unique_ptr<TEditStep>>& steps);

  TTreeView FTree;
  std::string FFileName;
  bool FReadOnly = false;
  TSteps FUndo, FRedo;
  // The number of undo steps at the clean state; -1 when no undoing or redoing reaches it.
  long FClean = 0;
  // The tree's generation the steps were made in: a new outline comes only after ClearHistory.
  unsigned FGeneration = 0;
  unsigned long FChanges = 0;
  size_t FHeldNodeFloor = kHeldNodeFloor;
  std::function<bool(const std::string&)> FConfirm;
  bool FDeclined = false;
  std::string FRefusal;
  std::vector<std::unique_ptr<TEditStep>> FOpening;
  // Where Push puts the steps while a batch runs.
  std::vector<std::unique_ptr<TEditStep>>* FBatch = nullptr;
  std::vector<TTreeNode*> FReplayed;
};

}  // namespace zel
