#include "app/OutlineView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolTip>

#include "app/TreeModel.h"

namespace zel {

TOutlineView::TOutlineView(QWidget* parent) : QTreeView(parent) {
  setExpandsOnDoubleClick(false);
  setEditTriggers(QAbstractItemView::SelectedClicked);
  auto* delegate = new TOutlineEditDelegate(this);
  setItemDelegate(delegate);
  connect(delegate, &QAbstractItemDelegate::closeEditor, this, [this] {
    if (OnEditClosed) OnEditClosed();
  });
}

bool TOutlineView::OpenEditor(const QModelIndex& index) {
  return edit(index, AllEditTriggers, nullptr);
}

bool TOutlineView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (FDragging || state() == EditingState) return false;
  if (OnCanEdit && !OnCanEdit(index)) return false;
  if (!QTreeView::edit(index, trigger, event)) return false;
  if (state() == EditingState && OnEditorOpened) OnEditorOpened();
  return true;
}

TTreeNode* TOutlineView::NodeAt(const QPoint& pos) const {
  return TTreeModel::NodeOf(indexAt(pos));
}

void TOutlineView::mousePressEvent(QMouseEvent* event) {
  QTreeView::mousePressEvent(event);
  FDragged = nullptr;
  if (event->button() != Qt::LeftButton) return;
  FPressPos = event->position().toPoint();
  FDragged = NodeAt(FPressPos);
}

void TOutlineView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (!FDragging && FDragged != nullptr && (event->buttons() & Qt::LeftButton) &&
      (pos - FPressPos).manhattanLength() >= QApplication::startDragDistance() &&
      state() != EditingState) {
    FDragging = true;
    viewport()->setCursor(Qt::DragMoveCursor);
  }
  // While dragging, the view's own selection must not follow the pointer.
  if (!FDragging) {
    QTreeView::mouseMoveEvent(event);
    return;
  }
  const bool accepted = OnDragOver && OnDragOver(FDragged, NodeAt(pos));
  viewport()->setCursor(accepted ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
}

void TOutlineView::mouseReleaseEvent(QMouseEvent* event) {
  if (!FDragging) {
    FDragged = nullptr;
    QTreeView::mouseReleaseEvent(event);
    return;
  }
  TTreeNode* dragged = FDragged;
  TTreeNode* target = NodeAt(event->position().toPoint());
  // Asked again: the release may come at a point that no move reported.
  const bool accepted = OnDragOver && OnDragOver(dragged, target);
  EndDrag();
  if (accepted && OnDragDrop) OnDragDrop(dragged, target);
}

void TOutlineView::EndDrag() {
  FDragging = false;
  FDragged = nullptr;
  viewport()->unsetCursor();
}

void TOutlineView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick();
}

void TOutlineView::keyPressEvent(QKeyEvent* event) {
  if (FDragging && event->key() == Qt::Key_Escape) {
    EndDrag();
    return;
  }
  QTreeView::keyPressEvent(event);
}

bool TOutlineView::TextCutOff(const QModelIndex& index) const {
  const QRect row = visualRect(index);
  const int needed = sizeHintForIndex(index).width();
  return needed > row.width() || row.left() + needed > viewport()->width();
}

// A node's tooltip (when the tree's tooltips are on) only where its text is cut off, and as
// written: a text such as "<title>..." would otherwise be taken for markup.
bool TOutlineView::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTreeView::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = indexAt(help->pos());
  const QString tip = index.data(Qt::ToolTipRole).toString();
  if (tip.isEmpty() || !TextCutOff(index)) {
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  QToolTip::showText(help->globalPos(),
                     "<p style='white-space:pre'>" + tip.toHtmlEscaped() + "</p>", viewport(),
                     visualRect(index));
  return true;
}

TOutlineEditDelegate::TOutlineEditDelegate(TOutlineView* view)
    : QStyledItemDelegate(view), FView(view) {}

void TOutlineEditDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                        const QModelIndex& index) const {
  if (auto* line = qobject_cast<QLineEdit*>(editor); line != nullptr && FView->OnEditAccepted)
    FView->OnEditAccepted(index, line->text());
}

}  // namespace zel
