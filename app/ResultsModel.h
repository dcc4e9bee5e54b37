#pragma once
// The rows of the Results pane: the nodes Find All found, each with its text, path and row in
// the outline, served on demand from the vector of hits (no item per hit). The paths are made
// in one pass over the outline when first shown. Any change to the outline's shape (nodes in,
// out or moved, a reload) empties the list, for it holds node pointers; a text change only
// refreshes what it shows.

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "editor/FindAll.h"
#include "outline/TreeView.h"

namespace zel {

class TResultsModel : public QAbstractTableModel, public ITreeViewObserver {
  Q_OBJECT

 public:
  enum TColumn { kText, kPath, kRow, kColumns };

  explicit TResultsModel(TTreeView& tree, QObject* parent = nullptr);
  ~TResultsModel() override;

  void SetFound(std::vector<TFoundNode> found);
  void Clear();
  // The node of a row; null for none.
  TTreeNode* NodeAt(int row) const;
  std::vector<TTreeNode*> Nodes() const;
  bool Empty() const { return FFound.empty(); }
  // While held, the outline's changes keep the rows: the holder changes texts only.
  void Hold(bool held) { FHeld = held; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 signals:
  // The outline changed under the rows, which are gone.
  void Outdated();

 private:
  void ShapeChanged();
  void TextsChanged();
  void NodeAboutToBeInserted(TTreeNode*, int) override { ShapeChanged(); }
  void NodeAboutToBeRemoved(TTreeNode*) override { ShapeChanged(); }
  void NodeAboutToBeMoved(TTreeNode*, TTreeNode*, int) override { ShapeChanged(); }
  void NodeTextChanged(TTreeNode*) override { TextsChanged(); }
  void UpdatesSuspended() override { ShapeChanged(); }
  void Reset() override { ShapeChanged(); }

  TTreeView& FTree;
  std::vector<TFoundNode> FFound;
  // Empty until first asked for, and again after a text change.
  mutable std::vector<std::string> FPaths;
  bool FHeld = false;
  bool FRefreshQueued = false;
};

}  // namespace zel
