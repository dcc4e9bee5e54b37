#pragma once
// The outline model seen by a QTreeView: a thin adapter that serves rows on demand straight
// from the nodes (the internal pointer is the node) and turns the outline's notifications into
// the model's signals. While the outline's updates are suspended the model shows no rows, so a
// view that repaints in the middle of a load never touches nodes that are being replaced; the
// resume brings everything back with one reset.

#include <QAbstractItemModel>

#include "app/Images.h"
#include "app/NodeTextCodec.h"
#include "outline/TreeView.h"

namespace zel {

class TTreeModel : public QAbstractItemModel, public ITreeViewObserver {
  Q_OBJECT

 public:
  TTreeModel(TTreeView& tree, const TImageList& images, QObject* parent = nullptr);
  ~TTreeModel() override;

  QModelIndex IndexOf(TTreeNode* node) const;
  static TTreeNode* NodeOf(const QModelIndex& index) {
    return static_cast<TTreeNode*>(index.internalPointer());
  }
  bool Suspended() const { return FSuspended; }
  // The pictures the rows show, by image index.
  const TImageList& Images() const { return FImages; }
  // 8-bit text in the system code page as the display shows it: on one line, each line break
  // (a file name or a pasted text can hold them) marked with a visible sign.
  static QString DisplayText(std::string_view text);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  // The view must show this node expanded or collapsed.
  void ExpandedChanged(const QModelIndex& index, bool expanded);
  void SelectionMoved();
  void ScrollRequested(const QModelIndex& index);
  void AppearanceUpdated();
  // The rows are back after a suspension: the view takes expansion and selection anew.
  void Restored();

 private:
  void NodeAboutToBeInserted(TTreeNode* parent, int index) override;
  void NodeInserted(TTreeNode* parent, int index) override;
  void NodeAboutToBeRemoved(TTreeNode* node) override;
  void NodeRemoved(TTreeNode* parent, int index) override;
  void NodeAboutToBeMoved(TTreeNode* node, TTreeNode* newParent, int newIndex) override;
  void NodeMoved(TTreeNode* node, TTreeNode* oldParent, int oldIndex) override;
  void NodeTextChanged(TTreeNode* node) override;
  void NodeStateChanged(TTreeNode* node) override;
  void NodeMadeVisible(TTreeNode* node) override;
  void SelectionChanged() override;
  void AppearanceChanged() override;
  void UpdatesSuspended() override;
  void UpdatesResumed(bool changed) override;

  TTreeView& FTree;
  const TImageList& FImages;
  bool FSuspended = false;
  bool FMoving = false;
};

}  // namespace zel
