#pragma once
// The outline model: a tree of text nodes with the operations the editor relies on, free of
// any GUI toolkit. A display attaches through ITreeViewObserver. What changes the nodes asks for
// a TTreeWriteKey (TreeWriteKey.h): a document's outline changes only through the document.
//
// Positions: every node keeps the size of its subtree, its index among its siblings and its
// offset in document order from its parent. An edit updates the sizes up the parent chain and
// marks, in each list it touches, the index from which its siblings' positions are stale; the
// next query renumbers that list from there (O(siblings)), never the whole tree. A tree built
// with AddChild from empty is numbered in one pass when first asked, so a build stays linear.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/Exception.h"
#include "base/Stream.h"
#include "outline/TextBlocks.h"
#include "outline/TreeViewEditing.h"
#include "outline/TreeViewObserver.h"
#include "outline/TreeWriteKey.h"

namespace zel {

class TTreeView;

// "Invalid level (%d) for item \"%s\"" and other misuse of the tree.
class ETreeViewError : public Exception {
 public:
  using Exception::Exception;
};

enum class TNodeAttachMode {
  naInsert,    // in front of the target, as its sibling
  naAddChild,  // as the target's last child; no target: last at root level
  naAddRoot,   // last at root level
};

class TTreeNode {
 public:
  TTreeNode(const TTreeNode&) = delete;
  TTreeNode& operator=(const TTreeNode&) = delete;

  // Valid until a text of this tree is set or a node freed: the storage may then move the
  // live texts together.
  std::string_view Text() const { return TTextBlocks::View(FText); }
  void SetText(TTreeWriteKey key, std::string_view text);

  TTreeNode* Parent() const { return FParent; }
  TTreeNode* GetFirstChild() const { return FFirstChild; }
  TTreeNode* GetLastChild() const { return FFirstChild ? FFirstChild->FPrevSibling : nullptr; }
  TTreeNode* getNextSibling() const { return FNextSibling; }
  TTreeNode* getPrevSibling() const {
    return FPrevSibling && FPrevSibling->FNextSibling == this ? FPrevSibling : nullptr;
  }
  // The "has children" mark: set when a child arrives, cleared when the last one leaves.
  bool HasChildren() const { return FHasChildren != 0; }
  void SetHasChildren(TTreeWriteKey key, bool value);
  int Count() const { return FCount; }
  // The i-th child; EListError when out of range.
  TTreeNode* Item(int index) const;
  // Document order (pre-order); null past either end.
  TTreeNode* GetNext() const;
  TTreeNode* GetPrev() const;

  // O(depth), each after at most one renumbering of a list an edit made stale.
  int Level() const;
  int Index() const;
  int AbsoluteIndex() const;
  bool IsFirstNode() const;
  // True when `node` is a proper ancestor of this node.
  bool HasAsParent(const TTreeNode* node) const;

  // The images the node holds (below 32768), -1 for none. TTreeView::ReleaseImages takes them
  // all back at once.
  int ImageIndex() const;
  void SetImageIndex(int index);
  int SelectedIndex() const;
  void SetSelectedIndex(int index);

  bool Expanded() const { return FExpanded != 0; }
  void SetExpanded(bool value);
  void Expand(bool recurse);
  void Collapse(bool recurse);
  // Expands every ancestor.
  void MakeVisible();
  bool Selected() const;

  void MoveTo(TTreeWriteKey key, TTreeNode* target, TNodeAttachMode mode);
  void Delete(TTreeWriteKey key);
  TTreeView* TreeView() const { return FOwner; }

 private:
  friend class TTreeView;
  explicit TTreeNode(TTreeView* owner) : FOwner(owner) {}
  ~TTreeNode() = default;
  void CopyImages(const TTreeNode& from);

  // In the text blocks of the tree's node storage.
  const char* FText = nullptr;
  TTreeView* FOwner;
  TTreeNode* FParent = nullptr;
  TTreeNode* FFirstChild = nullptr;
  TTreeNode* FNextSibling = nullptr;
  // Among children, the first one's leads to the last child (itself when alone), which spares
  // a pointer to the last child; among roots and detached subtrees the first has none.
  TTreeNode* FPrevSibling = nullptr;
  int FCount = 0;
  // Nodes in the subtree, this one included; kept on every edit.
  int FSize = 1;
  // Index among the siblings; stale from the list's mark on (TTreeView::FStale).
  int FIndex = 0;
  // Offset and flags share one word: a node of a multi-million-node tree stays at 64 bytes.
  // Its images are held by the tree (TTreeView::FImages): few nodes have any.
  // The offset is the node's place in document order counted from its parent (1 for a first
  // child; a root's is its absolute index), stale like FIndex; 30 bits count further than
  // memory holds nodes.
  unsigned FOffset : 30 = 0;
  unsigned FExpanded : 1 = 0;
  unsigned FHasChildren : 1 = 0;
};

class TTreeView {
 public:
  TTreeView();
  ~TTreeView();
  TTreeView(const TTreeView&) = delete;
  TTreeView& operator=(const TTreeView&) = delete;

  // All nodes, every level.
  int Count() const { return FCount; }
  TTreeNode* GetFirstNode() const { return FFirstRoot; }
  // The node at a position in document order; EListError when out of range. Skips subtrees by
  // their sizes, from the node found last time when the position lies after it: a walk in
  // document order costs O(1) a step.
  TTreeNode* Item(int absoluteIndex) const;
  int RootCount() const { return FRootCount; }
  TTreeNode* Root(int index) const;
  TTreeNode* GetLastRoot() const { return FLastRoot; }

  // A new last child of `parent`, or a new last root when parent is null.
  TTreeNode* AddChild(TTreeWriteKey key, TTreeNode* parent, std::string_view text);
  // Removes the node with its subtree. A selection inside it goes to the next sibling, else
  // the previous sibling, else the parent, else nowhere.
  void Delete(TTreeWriteKey key, TTreeNode* node);
  void Clear(TTreeWriteKey key);

  // Counted suspension of notifications (and of the display's redrawing).
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  TTreeNode* Selected() const { return FSelected; }
  void SetSelected(TTreeNode* node);
  // Whether an in-place edit is open; the display keeps it up to date.
  bool IsEditing() const { return FEditing; }
  void SetEditing(bool editing) { FEditing = editing; }

  // In-place editing and collapsing under the owner's rules (TTreeViewEditEvents).
  TTreeViewEditEvents& EditEvents() { return FEditEvents; }
  // Asks OnEditing; the display calls it before its own gesture opens an editor.
  bool CanEdit(TTreeNode* node);
  // Opens the display's editor on `node` when OnEditing allows; returns whether one is open.
  bool EditText(TTreeNode* node);
  // The editor closed with `text` accepted: OnEdited checks it (an exception keeps the old
  // text and travels on), then the node takes it. The edit counts as closed on every path.
  void EndEdit(TTreeWriteKey key, TTreeNode* node, std::string text);
  // The editor closed without accepting (Esc): nothing changes, OnEdited is not asked.
  void CancelEdit() { FEditing = false; }
  // Asks OnCollapsing and collapses the node when allowed; returns whether it may collapse.
  bool CollapseRequested(TTreeNode* node);

  // Every node, detached ones too, gives up the images it holds, in constant time.
  void ReleaseImages();

  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool value);

  // Outline text from the stream's position to its end replaces all nodes.
  void LoadFromStream(TTreeWriteKey key, TStream& stream);
  // Nodes built apart for this tree (StagedNodes.h).
  class TStagedNodes;
  // The staged nodes become all of this tree's nodes, with no copy; the tree must be empty.
  void TakeNodes(TTreeWriteKey key, TStagedNodes& staged);

  // Every listener hears every change, in the order they were added.
  void AddObserver(ITreeViewObserver* observer);
  void RemoveObserver(ITreeViewObserver* observer);
  bool HasObserver(const ITreeViewObserver* observer) const;

  // Removed subtrees that an undo history keeps: a detached subtree stays in this tree's node
  // storage, unlinked and uncounted, until Attach puts it back or FreeDetached frees it. Clear
  // drops detached subtrees with everything else and advances Generation(), so a holder from an
  // earlier generation must not touch its node any more.
  void Detach(TTreeWriteKey key, TTreeNode* node);
  // Links a detached subtree in front of `before` among the children of `parent` (null: at the
  // end; null parent: root level).
  void Attach(TTreeWriteKey key, TTreeNode* node, TTreeNode* parent, TTreeNode* before);
  void FreeDetached(TTreeWriteKey key, TTreeNode* node);
  unsigned Generation() const { return FGeneration; }
  // Counts every change of a node's text and of the tree's shape (a node linked or unlinked,
  // all nodes replaced): a holder that saw the same count saw the same outline. A change made
  // and taken back counts twice.
  uint64_t Edits() const { return FEdits; }
  // A detached copy of `node`'s subtree (texts, images, expanded flags), possibly of another tree.
  TTreeNode* CopySubtree(TTreeWriteKey key, const TTreeNode& node);
  // Takes every node of `source` without copying one: the children of `parent` (a node of
  // source; null: its roots) become detached subtrees of this tree, in their order, the rest is
  // freed, and source is left empty.
  std::vector<TTreeNode*> Adopt(TTreeWriteKey key, TTreeView& source, TTreeNode* parent);
  // The nodes that detached subtrees hold.
  size_t DetachedCount() const { return FDetachedCount; }
  // Bytes of the blocks that hold node texts, the texts of detached subtrees included.
  size_t TextBytesHeld() const;

 private:
  friend class TTreeNode;
  class TNodePool;

  template <typename F>
  void Notify(F&& f);
  TTreeNode* ChildAt(TTreeNode* parent, int index) const;
  void Link(TTreeNode* node, TTreeNode* parent, TTreeNode* before);
  void Unlink(TTreeNode* node);
  int FreeSubtree(TTreeNode* node);
  // The selection leaves a subtree about to go for the nearest node that stays.
  TTreeNode* SelectionAfterRemoving(TTreeNode* node) const;
  void ChildLeft(TTreeNode* parent);
  void MoveNode(TTreeNode* node, TTreeNode* target, TNodeAttachMode mode);

  std::unique_ptr<TNodePool> FPool;
  TTreeNode* FFirstRoot = nullptr;
  TTreeNode* FLastRoot = nullptr;
  int FRootCount = 0;
  int FCount = 0;
  TTreeNode* FSelected = nullptr;
  // The selection lies in a subtree being detached, until it moves: no lookup starts there.
  bool FSelectionLeaving = false;
  bool FEditing = false;
  TTreeViewEditEvents FEditEvents;
  bool FToolTips = false;
  std::vector<ITreeViewObserver*> FObservers;
  // Detached subtrees, linked through their tops' sibling pointers, numbered inside.
  TTreeNode* FDetached = nullptr;
  size_t FDetachedCount = 0;
  unsigned FGeneration = 0;
  uint64_t FEdits = 0;
  void PushDetached(TTreeNode* top, int size);
  // The images of the nodes that hold some, the detached ones too; a node freed lets go of its.
  struct TImages {
    short Image = -1;
    short Selected = -1;
  };
  std::unordered_map<const TTreeNode*, TImages> FImages;
  void DropImages(const TTreeNode* node) {
    if (!FImages.empty()) FImages.erase(node);
  }
  void FreeAllDetached();
  // Moves the live node texts together once dead ones hold most of the text storage.
  void CompactTextsIfWasteful();
  // Clear without releasing the node storage.
  void FreeAll();
  int FUpdateCount = 0;
  bool FChangedWhileSuspended = false;

  // Positions (see the top of this file). FStale maps a parent (null: the roots) to the
  // index from which its children's FIndex and FOffset may be wrong; a child at or past it
  // holds an FIndex at or past it, so `FIndex < mark` tells a right one. An entry left by a
  // freed parent is harmless: a list numbered right satisfies any mark.
  bool Placed(const TTreeNode* node) const;
  void StaleFrom(const TTreeNode* parent, int index);
  // A subtree of `delta` nodes came or went below `parent`.
  void Resized(TTreeNode* parent, int delta);
  void Renumber(const TTreeNode* parent) const;
  void Place(const TTreeNode* node) const;
  void EnsurePositions() const;
  // Numbers the inside of an unlinked subtree; returns its size.
  static int NumberSubtree(TTreeNode* top);
  mutable bool FPositionsValid = false;
  mutable std::unordered_map<const TTreeNode*, int> FStale;
  // The children ChildAt found last, most recent first. They survive edits, and there are a
  // few, so that a display that walks the rows and asks about the current one in between
  // pays O(1) a row.
  mutable std::array<TTreeNode*, 4> FItemCursors{};
  void DropCursor(const TTreeNode* node, TTreeNode* instead) const;
  TTreeNode* SelectionIn(const TTreeNode* parent) const;
  static constexpr int kNearSteps = 64;
  // The node Item found last and its absolute index; dropped by every structural change.
  mutable TTreeNode* FAbsCursor = nullptr;
  mutable int FAbsCursorIndex = 0;
};

}  // namespace zel
