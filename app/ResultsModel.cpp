#include "app/ResultsModel.h"

#include <QTimer>

#include "app/ExceptionGuard.h"
#include "app/TreeModel.h"

namespace zel {

TResultsModel::TResultsModel(TTreeView& tree, QObject* parent)
    : QAbstractTableModel(parent), FTree(tree) {
  FTree.AddObserver(this);
}

TResultsModel::~TResultsModel() {
  FTree.RemoveObserver(this);
}

void TResultsModel::SetFound(std::vector<TFoundNode> found) {
  beginResetModel();
  FFound = std::move(found);
  FPaths.clear();
  endResetModel();
}

void TResultsModel::Clear() {
  if (FFound.empty()) return;
  SetFound({});
}

TTreeNode* TResultsModel::NodeAt(int row) const {
  return row >= 0 && size_t(row) < FFound.size() ? FFound[size_t(row)].Node : nullptr;
}

std::vector<TTreeNode*> TResultsModel::Nodes() const {
  std::vector<TTreeNode*> out;
  out.reserve(FFound.size());
  for (const TFoundNode& f : FFound) out.push_back(f.Node);
  return out;
}

void TResultsModel::ShapeChanged() {
  if (FHeld) {
    TextsChanged();
    return;
  }
  if (FFound.empty()) return;
  Clear();
  emit Outdated();
}

void TResultsModel::TextsChanged() {
  if (FFound.empty()) return;
  FPaths.clear();
  // Many texts change at once (Replace All): the view hears of it once.
  if (FRefreshQueued) return;
  FRefreshQueued = true;
  QTimer::singleShot(0, this, [this] {
    FRefreshQueued = false;
    if (!FFound.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
  });
}

int TResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(FFound.size());
}

int TResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant TResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || size_t(index.row()) >= FFound.size()) return {};
  if (role == Qt::TextAlignmentRole && index.column() == kRow)
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const TFoundNode& f = FFound[size_t(index.row())];
  switch (index.column()) {
    case kText:
      return TTreeModel::DisplayText(f.Node->Text());
    case kPath:
      if (FPaths.empty()) Guarded([this] { FPaths = NodePaths(FTree, FFound); });
      return size_t(index.row()) < FPaths.size()
                 ? TTreeModel::DisplayText(FPaths[size_t(index.row())])
                 : QVariant();
    default:
      return f.Index;
  }
}

QVariant TResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kNames[] = {"Text", "Path", "Row"};
  return section >= 0 && section < kColumns ? QVariant(kNames[section]) : QVariant();
}

}  // namespace zel
