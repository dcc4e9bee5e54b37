#include "app/OutlineView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include "app/TreeModel.h"

namespace zel {

namespace {

// While dragging: the band at the top and bottom edge that scrolls, how often it scrolls by a
// row, and how long a collapsed node must stay under the pointer before it opens.
constexpr int kScrollMargin = 16;
constexpr int kScrollIntervalMs = 50;
constexpr int kExpandDelayMs = 700;

}  // namespace

TOutlineView::TOutlineView(QWidget* parent) : QTreeView(parent) {
  setExpandsOnDoubleClick(false);
  FScrollTimer.setInterval(kScrollIntervalMs);
  connect(&FScrollTimer, &QTimer::timeout, this, [this] { AutoScroll(); });
  FExpandTimer.setSingleShot(true);
  FExpandTimer.setInterval(kExpandDelayMs);
  connect(&FExpandTimer, &QTimer::timeout, this, [this] {
    if (FDragging && FDropTarget.isValid()) {
      expand(FDropTarget);
      DragMovedTo(FDragPos);
    }
  });
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
  FEditorIndex = index;
  if (state() == EditingState && OnEditorOpened) OnEditorOpened();
  return true;
}

void TOutlineView::SetEditorText(const QString& text) {
  if (auto* line = qobject_cast<QLineEdit*>(indexWidget(FEditorIndex))) line->setText(text);
}

TTreeNode* TOutlineView::NodeAt(const QPoint& pos) const {
  return TTreeModel::NodeOf(indexAt(pos));
}

void TOutlineView::mousePressEvent(QMouseEvent* event) {
  // A plain press on one of several selected rows may start dragging them all: the selection
  // waits for the release to become that row alone.
  const QModelIndex at = indexAt(event->position().toPoint());
  const QItemSelection selection = selectionModel()->selection();
  FPressedInSelection = event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier &&
                        at.isValid() && selectionModel()->isSelected(at) &&
                        (selection.size() > 1 || selection.front().height() > 1);
  if (FPressedInSelection)
    FPressedRow = at;
  else
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
  // While dragging, the view's own selection must not follow the pointer, nor before a drag
  // of the selection starts.
  if (!FDragging) {
    if (!FPressedInSelection) QTreeView::mouseMoveEvent(event);
    return;
  }
  DragMovedTo(pos);
}

void TOutlineView::DragMovedTo(const QPoint& pos) {
  FDragPos = pos;
  const QModelIndex under = indexAt(pos);
  const bool accepted = OnDragOver && OnDragOver(FDragged, TTreeModel::NodeOf(under));
  viewport()->setCursor(accepted ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
  const QModelIndex target = accepted ? under : QModelIndex();
  if (target != FDropTarget) {
    FDropTarget = target;
    viewport()->update();
    // A collapsed node opens when the pointer rests on it.
    FExpandTimer.stop();
    if (target.isValid() && model()->hasChildren(target) && !isExpanded(target))
      FExpandTimer.start();
  }
  FScrollDirection = pos.y() < kScrollMargin                           ? -1
                     : pos.y() >= viewport()->height() - kScrollMargin ? 1
                                                                       : 0;
  if (FScrollDirection == 0)
    FScrollTimer.stop();
  else if (!FScrollTimer.isActive())
    FScrollTimer.start();
}

void TOutlineView::AutoScroll() {
  if (!FDragging || FScrollDirection == 0) {
    FScrollTimer.stop();
    return;
  }
  verticalScrollBar()->triggerAction(FScrollDirection < 0 ? QAbstractSlider::SliderSingleStepSub
                                                          : QAbstractSlider::SliderSingleStepAdd);
  DragMovedTo(FDragPos);  // another row is under the pointer now
}

void TOutlineView::mouseReleaseEvent(QMouseEvent* event) {
  if (!FDragging) {
    FDragged = nullptr;
    if (FPressedInSelection && FPressedRow.isValid())
      selectionModel()->setCurrentIndex(FPressedRow, QItemSelectionModel::ClearAndSelect);
    FPressedInSelection = false;
    QTreeView::mouseReleaseEvent(event);
    return;
  }
  FPressedInSelection = false;
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
  FScrollTimer.stop();
  FExpandTimer.stop();
  FScrollDirection = 0;
  if (FDropTarget.isValid()) viewport()->update();
  FDropTarget = QPersistentModelIndex();
  viewport()->unsetCursor();
}

void TOutlineView::paintEvent(QPaintEvent* event) {
  QTreeView::paintEvent(event);
  if (!FDragging || !FDropTarget.isValid()) return;
  // The drop target framed in the selection colour, distinct from the dragged (selected) row.
  QPainter painter(viewport());
  QPen pen(palette().color(QPalette::Highlight));
  pen.setWidth(2);
  painter.setPen(pen);
  painter.drawRoundedRect(visualRect(FDropTarget).adjusted(1, 1, -1, -1), 2, 2);
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
  // Ctrl+A: the current node and its siblings, not every row of the view.
  if (event->matches(QKeySequence::SelectAll) && selectionMode() == ExtendedSelection) {
    const QModelIndex current = currentIndex();
    if (current.isValid()) {
      const QModelIndex parent = current.parent();
      const QModelIndex last = model()->index(model()->rowCount(parent) - 1, 0, parent);
      selectionModel()->select(QItemSelection(model()->index(0, 0, parent), last),
                               QItemSelectionModel::ClearAndSelect);
    }
    return;
  }
  // Shift+F10 is the Menu key of keyboards without one.
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QCoreApplication::sendEvent(this, &menu);
    return;
  }
  QTreeView::keyPressEvent(event);
}

// A context menu asked for by the keyboard opens at the current row, not where the pointer
// happens to be or in the middle of the view.
bool TOutlineView::event(QEvent* event) {
  if (event->type() != QEvent::ContextMenu ||
      static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Keyboard ||
      contextMenuPolicy() != Qt::CustomContextMenu)
    return QTreeView::event(event);
  const QRect row = visualRect(currentIndex()).intersected(viewport()->rect());
  emit customContextMenuRequested(row.isEmpty() ? viewport()->rect().center()
                                                : QPoint(row.left() + 16, row.bottom()));
  return true;
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

// The rows of a selection of many ranges are looked up one range at a time, each lookup a
// search of the laid-out rows: past a few ranges the whole view repaints instead.
QRegion TOutlineView::visualRegionForSelection(const QItemSelection& selection) const {
  constexpr qsizetype kLookedUpRanges = 64;
  if (selection.size() > kLookedUpRanges) return viewport()->rect();
  return QTreeView::visualRegionForSelection(selection);
}

TOutlineEditDelegate::TOutlineEditDelegate(TOutlineView* view)
    : QStyledItemDelegate(view), FView(view) {}

void TOutlineEditDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                        const QModelIndex& index) const {
  if (auto* line = qobject_cast<QLineEdit*>(editor); line != nullptr && FView->OnEditAccepted)
    FView->OnEditAccepted(index, line->text());
}

}  // namespace zel
