#pragma once
// What a display of the outline (the Qt item-model adapter) hears about changes. Every method
// has an empty default so that an observer overrides only what it needs. While updates are
// suspended no fine-grained call is made; the last resume sends Reset() instead, if anything
// changed. Parents are null for nodes at root level; indices are positions among siblings.

namespace zel {

class TTreeNode;

class ITreeViewObserver {
 public:
  virtual ~ITreeViewObserver() = default;

  // A node is about to be placed at `index` among the children of `parent`, and has been.
  virtual void NodeAboutToBeInserted(TTreeNode* /*parent*/, int /*index*/) {}
  virtual void NodeInserted(TTreeNode* /*parent*/, int /*index*/) {}

  // `node` (with its subtree) is still in place; afterwards it is gone from
  // `parent` at `index` and must not be touched.
  virtual void NodeAboutToBeRemoved(TTreeNode* /*node*/) {}
  virtual void NodeRemoved(TTreeNode* /*parent*/, int /*index*/) {}

  // `node` will go in front of the child now at `newIndex` of `newParent` (newIndex equal to
  // the child count: at the end), indices counted before the move, as beginMoveRows wants them.
  // Afterwards NodeMoved gives where it came from; its new place is node->Parent()/Index().
  virtual void NodeAboutToBeMoved(TTreeNode* /*node*/, TTreeNode* /*newParent*/, int /*newIndex*/) {
  }
  virtual void NodeMoved(TTreeNode* /*node*/, TTreeNode* /*oldParent*/, int /*oldIndex*/) {}

  virtual void NodeTextChanged(TTreeNode* /*node*/) {}
  // Expanded flag, image indices or the "has children" mark.
  virtual void NodeStateChanged(TTreeNode* /*node*/) {}
  // Asks the display to expand the way to `node` (already done in the model) and scroll to it.
  virtual void NodeMadeVisible(TTreeNode* /*node*/) {}
  virtual void SelectionChanged() {}
  // The tooltips flag, or the images of every node (ReleaseImages).
  virtual void AppearanceChanged() {}

  // The first BeginUpdate and the EndUpdate that brings the count back to zero. Reset() comes
  // right before UpdatesResumed(true) when anything changed while suspended.
  virtual void UpdatesSuspended() {}
  virtual void Reset() {}
  virtual void UpdatesResumed(bool /*changed*/) {}
};

}  // namespace zel
