#pragma once
// The kinds of undo step the document pushes, and the records they keep of the nodes around a
// change. Only the document's own sources include this.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/UpdateGuard.h"
#include "editor/OutlineDocument.h"

namespace zel {

// The flags a change sets on the nodes around it (a parent that gains or loses its children,
// the ancestors a new node opens), so that undo and redo give them back exactly.
struct TFlags {
  TTreeNode* Node;
  bool HasChildren, Expanded;
};
using TFlagList = std::vector<TFlags>;

inline void Record(TFlagList& list, TTreeNode* node) {
  if (node) list.push_back({node, node->HasChildren(), node->Expanded()});
}

inline void Restore(TTreeWriteKey key, const TFlagList& list) {
  for (const TFlags& f : list) {
    f.Node->SetHasChildren(key, f.HasChildren);
    f.Node->SetExpanded(f.Expanded);
  }
}

// A node's place: its parent and the sibling after it.
struct TPlace {
  TTreeNode* Parent = nullptr;
  TTreeNode* Next = nullptr;
};

inline TPlace PlaceOf(const TTreeNode* node) {
  return {node->Parent(), node->getNextSibling()};
}

inline void MoveToPlace(TTreeWriteKey key, TTreeNode* node, TPlace place) {
  if (place.Next)
    node->MoveTo(key, place.Next, TNodeAttachMode::naInsert);
  else if (place.Parent)
    node->MoveTo(key, place.Parent, TNodeAttachMode::naAddChild);
  else
    node->MoveTo(key, nullptr, TNodeAttachMode::naAddRoot);
}

class TEditStep {
 public:
  TEditStep(TTreeWriteKey key, const char* name) : Name(name), Key(key) {}
  virtual ~TEditStep() = default;
  // Each returns the node to select afterwards, or null to keep the outline's choice.
  TTreeNode* Undo() {
    TTreeNode* focus = DoUndo();
    Restore(Key, Before);
    return focus;
  }
  TTreeNode* Redo() {
    TTreeNode* focus = DoRedo();
    Restore(Key, After);
    return focus;
  }
  // The nodes each part of the last Undo or Redo touched, in document order, when the step
  // worked on many nodes (so that they can be chosen together again); else empty.
  virtual std::vector<TTreeNode*> Touched() const { return {}; }
  const char* Name;
  TFlagList Before, After;
  // Given by the document that made the step.
  const TTreeWriteKey Key;

 protected:
  virtual TTreeNode* DoUndo() = 0;
  virtual TTreeNode* DoRedo() = 0;
};

class TTextStep : public TEditStep {
 public:
  TTextStep(TTreeWriteKey key, const char* name, TTreeNode* node, std::string other)
      : TEditStep(key, name), FNode(node), FOther(std::move(other)) {}

 private:
  TTreeNode* Swap() {
    std::string now(FNode->Text());
    FNode->SetText(Key, FOther);
    FOther = std::move(now);
    return FNode;
  }
  TTreeNode* DoUndo() override { return Swap(); }
  TTreeNode* DoRedo() override { return Swap(); }
  TTreeNode* FNode;
  std::string FOther;
};

// Many texts at once. A large batch reaches the display as one reset, not as a change per node.
class TTextsStep : public TEditStep {
 public:
  static constexpr size_t kQuietBatch = 256;
  TTextsStep(TTreeWriteKey key, const char* name, std::vector<TTextChange> changes)
      : TEditStep(key, name), FChanges(std::move(changes)) {}
  void Swap() {
    if (FChanges.empty()) return;
    std::optional<TUpdateGuard<TTreeView>> quiet;
    if (FChanges.size() > kQuietBatch) quiet.emplace(*FChanges.front().Node->TreeView());
    for (TTextChange& c : FChanges) {
      std::string now(c.Node->Text());
      c.Node->SetText(Key, c.Text);
      c.Text = std::move(now);
    }
  }

 private:
  TTreeNode* DoUndo() override {
    Swap();
    return nullptr;
  }
  TTreeNode* DoRedo() override {
    Swap();
    return nullptr;
  }
  std::vector<TTextChange> FChanges;
};

class TMoveStep : public TEditStep {
 public:
  TMoveStep(TTreeWriteKey key, const char* name, TTreeNode* node, TPlace from, TPlace to)
      : TEditStep(key, name), FNode(node), FFrom(from), FTo(to) {}

 private:
  TTreeNode* DoUndo() override {
    MoveToPlace(Key, FNode, FFrom);
    return FNode;
  }
  TTreeNode* DoRedo() override {
    MoveToPlace(Key, FNode, FTo);
    return FNode;
  }
  TTreeNode* FNode;
  TPlace FFrom, FTo;
};

// Subtrees that one side of the step has in the outline, side by side in front of `next`
// under `parent`, and the other side keeps detached.
class TPresenceStep : public TEditStep {
 public:
  TPresenceStep(TTreeWriteKey key, const char* name, TTreeView& tree, std::vector<TTreeNode*> nodes,
                bool inserted)
      : TEditStep(key, name),
        FTree(tree),
        FGeneration(tree.Generation()),
        FNodes(std::move(nodes)),
        FInserted(inserted) {
    FPlace = PlaceOf(FNodes.back());
    FAttached = true;
  }
  ~TPresenceStep() override {
    if (!FAttached && FTree.Generation() == FGeneration)
      for (TTreeNode* n : FNodes) FTree.FreeDetached(Key, n);
  }
  void Remove() {
    for (auto it = FNodes.rbegin(); it != FNodes.rend(); ++it) FTree.Detach(Key, *it);
    FAttached = false;
  }

 private:
  TTreeNode* Put() {
    for (TTreeNode* n : FNodes) FTree.Attach(Key, n, FPlace.Parent, FPlace.Next);
    FAttached = true;
    return FNodes.front();
  }
  TTreeNode* Take() {
    Remove();
    return nullptr;
  }
  TTreeNode* DoUndo() override { return FInserted ? Take() : Put(); }
  TTreeNode* DoRedo() override { return FInserted ? Put() : Take(); }

  TTreeView& FTree;
  unsigned FGeneration;
  std::vector<TTreeNode*> FNodes;
  bool FInserted;
  bool FAttached;
  TPlace FPlace;
};

inline std::vector<TTreeNode*> ChildrenOf(const TTreeNode& parent) {
  std::vector<TTreeNode*> out;
  for (TTreeNode* n = parent.GetFirstChild(); n; n = n->getNextSibling()) out.push_back(n);
  return out;
}

// The view hears of the whole new order once, not of a move per child.
inline void PutInOrder(TTreeWriteKey key, TTreeNode* parent, const std::vector<TTreeNode*>& order) {
  TUpdateGuard<TTreeView> guard(*parent->TreeView());
  for (TTreeNode* n : order) n->MoveTo(key, parent, TNodeAttachMode::naAddChild);
}

class TArrangeStep : public TEditStep {
 public:
  TArrangeStep(TTreeWriteKey key, const char* name, TTreeNode* parent, std::vector<TTreeNode*> from,
               std::vector<TTreeNode*> to)
      : TEditStep(key, name), FParent(parent), FFrom(std::move(from)), FTo(std::move(to)) {}

 private:
  TTreeNode* DoUndo() override {
    PutInOrder(Key, FParent, FFrom);
    return nullptr;
  }
  TTreeNode* DoRedo() override {
    PutInOrder(Key, FParent, FTo);
    return nullptr;
  }
  TTreeNode* FParent;
  std::vector<TTreeNode*> FFrom, FTo;
};

// Steps taken as one, the last giving the name and the node to select. Given a tree, they reach
// its display as one reset: a batch over many nodes would otherwise cost a row update each.
class TCompoundStep : public TEditStep {
 public:
  explicit TCompoundStep(std::vector<std::unique_ptr<TEditStep>> steps, TTreeView* quiet = nullptr)
      : TEditStep(steps.back()->Key, steps.back()->Name), FSteps(std::move(steps)), FQuiet(quiet) {}
  std::vector<TTreeNode*> Touched() const override { return FTouched; }

 private:
  TTreeNode* DoUndo() override {
    std::optional<TUpdateGuard<TTreeView>> quiet;
    if (FQuiet) quiet.emplace(*FQuiet);
    FTouched.assign(FSteps.size(), nullptr);
    for (size_t i = FSteps.size(); i-- > 0;) FTouched[i] = FSteps[i]->Undo();
    return FTouched.back();
  }
  TTreeNode* DoRedo() override {
    std::optional<TUpdateGuard<TTreeView>> quiet;
    if (FQuiet) quiet.emplace(*FQuiet);
    FTouched.assign(FSteps.size(), nullptr);
    for (size_t i = 0; i < FSteps.size(); ++i) FTouched[i] = FSteps[i]->Redo();
    return FTouched.back();
  }
  std::vector<std::unique_ptr<TEditStep>> FSteps;
  std::vector<TTreeNode*> FTouched;
  TTreeView* FQuiet;
};

}  // namespace zel
