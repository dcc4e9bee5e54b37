// A selection of many nodes: the outline's selected rows as the document's operations take them
// (the current node stays the one the single-node commands and the status bar see), and the
// selection made from a list of nodes at once.

#include <QItemSelectionModel>
#include <algorithm>
#include <utility>

#include "app/TreeModel.h"
#include "app/UFormMain.h"

namespace zel {

void TFormMain::ConnectSelection() {
  TreeView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  connect(TreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { FChosenStale = true; });
  connect(FModel, &QAbstractItemModel::modelReset, this, [this] { FChosenStale = true; });
}

const TNodeSelection& TFormMain::ChosenNodes() {
  if (!FChosenStale && FChosenAt == FDoc.Changes()) return FChosen;
  FChosenStale = false;
  FChosenAt = FDoc.Changes();
  std::vector<TTreeNode*> nodes;
  // A range is rows side by side under one parent: its nodes are siblings in a row.
  if (!FModel->Suspended())
    for (const QItemSelectionRange& r : TreeView1->selectionModel()->selection()) {
      TTreeNode* n = TTreeModel::NodeOf(r.topLeft());
      for (int row = r.top(); n && row <= r.bottom(); ++row, n = n->getNextSibling())
        nodes.push_back(n);
    }
  FChosen = nodes.size() > 1 ? TNodeSelection(FTree, std::move(nodes)) : TNodeSelection();
  return FChosen;
}

void TFormMain::SelectNodes(const std::vector<TTreeNode*>& nodes) {
  if (nodes.empty() || FModel->Suspended()) return;
  // One range for each run of siblings side by side, not one call per row: the nodes by parent
  // and row, so that a parent's children make one range whatever lies between them.
  std::vector<std::pair<const TTreeNode*, int>> rows;
  rows.reserve(nodes.size());
  for (TTreeNode* n : nodes) rows.emplace_back(n->Parent(), n->Index());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  QItemSelection selection;
  for (size_t i = 0; i < rows.size();) {
    size_t j = i;
    while (j + 1 < rows.size() && rows[j + 1].first == rows[i].first &&
           rows[j + 1].second == rows[j].second + 1)
      ++j;
    const QModelIndex parent = FModel->IndexOf(const_cast<TTreeNode*>(rows[i].first));
    selection.append(QItemSelectionRange(FModel->index(rows[i].second, 0, parent),
                                         FModel->index(rows[j].second, 0, parent)));
    i = j + 1;
  }
  QItemSelectionModel& model = *TreeView1->selectionModel();
  model.setCurrentIndex(FModel->IndexOf(nodes.front()), QItemSelectionModel::NoUpdate);
  model.select(selection, QItemSelectionModel::ClearAndSelect);
  nodes.front()->MakeVisible();
}

}  // namespace zel
