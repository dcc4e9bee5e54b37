#include "app/TreeModel.h"

#include <vector>

#include "app/NodeTextCodec.h"

namespace zel {

TTreeModel::TTreeModel(TTreeView& tree, const TImageList& images, QObject* parent)
    : QAbstractItemModel(parent), FTree(tree), FImages(images) {
  FTree.AddObserver(this);
  FSuspended = FTree.UpdateCount() > 0;
}

TTreeModel::~TTreeModel() {
  FTree.RemoveObserver(this);
}

QString TTreeModel::DisplayText(std::string_view text) {
  QString s = FromCodePage(text);
  if (text.find_first_of("\r\n") == std::string_view::npos) return s;
  const QChar mark(0x21B5);  // DOWNWARDS ARROW WITH CORNER LEFTWARDS
  return s.replace("\r\n", mark).replace('\r', mark).replace('\n', mark);
}

QModelIndex TTreeModel::IndexOf(TTreeNode* node) const {
  if (node == nullptr || FSuspended) return {};
  return createIndex(node->Index(), 0, node);
}

QModelIndex TTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (FSuspended || column != 0 || row < 0) return {};
  TTreeNode* p = NodeOf(parent);
  if (p == nullptr)
    return row < FTree.RootCount() ? createIndex(row, 0, FTree.Root(row)) : QModelIndex();
  return row < p->Count() ? createIndex(row, 0, p->Item(row)) : QModelIndex();
}

QModelIndex TTreeModel::parent(const QModelIndex& child) const {
  const TTreeNode* n = NodeOf(child);
  return n != nullptr ? IndexOf(n->Parent()) : QModelIndex();
}

int TTreeModel::rowCount(const QModelIndex& parent) const {
  if (FSuspended || parent.column() > 0) return 0;
  const TTreeNode* p = NodeOf(parent);
  return p == nullptr ? FTree.RootCount() : p->Count();
}

int TTreeModel::columnCount(const QModelIndex&) const {
  return 1;
}

bool TTreeModel::hasChildren(const QModelIndex& parent) const {
  return rowCount(parent) > 0;
}

QVariant TTreeModel::data(const QModelIndex& index, int role) const {
  const TTreeNode* n = NodeOf(index);
  if (n == nullptr || FSuspended) return {};
  switch (role) {
    case Qt::DisplayRole:
      return DisplayText(n->Text());
    case Qt::EditRole:
      return FromCodePage(n->Text());
    case Qt::ToolTipRole:
      return FTree.ToolTips() ? QVariant(DisplayText(n->Text())) : QVariant();
    case Qt::DecorationRole:
      return FImages.Icon(TreeImageOf(*n, n->Selected()));
    default:
      return {};
  }
}

Qt::ItemFlags TTreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // Editable: the window decides, through the view, which node may be edited in place.
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

namespace {

// Only AssignImages gives new images: the nodes whose place an edit changes keep the ones
// they show until then.
void HoldTreeImages(std::initializer_list<TTreeNode*> nodes) {
  for (TTreeNode* n : nodes)
    if (n != nullptr) HoldTreeImage(*n);
}

}  // namespace

void TTreeModel::NodeAboutToBeInserted(TTreeNode* parent, int index) {
  HoldTreeImages({parent});
  beginInsertRows(IndexOf(parent), index, index);
}
void TTreeModel::NodeInserted(TTreeNode* parent, int index) {
  endInsertRows();
  // A subtree put back (undo, paste, duplicate) brings its expanded nodes along: the view opens
  // them too, looking only below expanded nodes, where the view lays out rows anyway.
  std::vector<TTreeNode*> open{parent ? parent->Item(index) : FTree.Root(index)};
  while (!open.empty()) {
    TTreeNode* n = open.back();
    open.pop_back();
    if (!n->Expanded() || n->Count() == 0) continue;
    emit ExpandedChanged(IndexOf(n), true);
    for (TTreeNode* c = n->GetFirstChild(); c != nullptr; c = c->getNextSibling())
      open.push_back(c);
  }
}

void TTreeModel::NodeAboutToBeRemoved(TTreeNode* node) {
  HoldTreeImages({node->Parent()});
  const int row = node->Index();
  beginRemoveRows(IndexOf(node->Parent()), row, row);
}
void TTreeModel::NodeRemoved(TTreeNode*, int) {
  endRemoveRows();
}

void TTreeModel::NodeAboutToBeMoved(TTreeNode* node, TTreeNode* newParent, int newIndex) {
  HoldTreeImages({node, node->Parent(), newParent});
  const int row = node->Index();
  FMoving = beginMoveRows(IndexOf(node->Parent()), row, row, IndexOf(newParent), newIndex);
}
void TTreeModel::NodeMoved(TTreeNode*, TTreeNode*, int) {
  if (FMoving) endMoveRows();
  FMoving = false;
}

void TTreeModel::NodeTextChanged(TTreeNode* node) {
  const QModelIndex i = IndexOf(node);
  emit dataChanged(i, i);
}

void TTreeModel::NodeStateChanged(TTreeNode* node) {
  const QModelIndex i = IndexOf(node);
  emit dataChanged(i, i);
  emit ExpandedChanged(i, node->Expanded());
}

void TTreeModel::NodeMadeVisible(TTreeNode* node) {
  emit ScrollRequested(IndexOf(node));
}
void TTreeModel::SelectionChanged() {
  emit SelectionMoved();
}
void TTreeModel::AppearanceChanged() {
  emit AppearanceUpdated();
}

void TTreeModel::UpdatesSuspended() {
  beginResetModel();
  FSuspended = true;
  endResetModel();
}

void TTreeModel::UpdatesResumed(bool) {
  beginResetModel();
  FSuspended = false;
  endResetModel();
  emit Restored();
}

}  // namespace zel
