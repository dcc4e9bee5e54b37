#pragma once
// TreeView1's widget: a QTreeView whose in-place editing, double click and dragging of nodes
// ask the window first. Nodes are dragged inside the view only, with the view's own mouse
// events, so that a drag never leaves the window and a test can drive it like a user.

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <functional>

namespace zel {

class TTreeNode;

class TOutlineView : public QTreeView {
  Q_OBJECT

 public:
  explicit TOutlineView(QWidget* parent = nullptr);

  // Opens the in-place editor on `index` (after OnCanEdit); returns whether it is open.
  bool OpenEditor(const QModelIndex& index);
  // Replaces the open editor's text, the cursor at its end.
  void SetEditorText(const QString& text);
  bool Dragging() const { return FDragging; }
  // The row a drop would land on, highlighted while a drag rests over it; invalid otherwise.
  QModelIndex DropTarget() const { return FDropTarget; }

  // Every start of an edit asks this; an opened editor is reported by OnEditorOpened.
  std::function<bool(const QModelIndex& index)> OnCanEdit;
  std::function<void()> OnEditorOpened;
  // The editor closed: with the text when accepted, else with nothing (Esc).
  std::function<void(const QModelIndex& index, const QString& text)> OnEditAccepted;
  std::function<void()> OnEditClosed;
  std::function<void()> OnDblClick;
  // Whether the dragged node may land on `target` (null: no node under the point).
  std::function<bool(TTreeNode* dragged, TTreeNode* target)> OnDragOver;
  std::function<void(TTreeNode* dragged, TTreeNode* target)> OnDragDrop;

 protected:
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  QRegion visualRegionForSelection(const QItemSelection& selection) const override;

 private:
  TTreeNode* NodeAt(const QPoint& pos) const;
  // Whether the row's text is wider than the part of it that the view shows.
  bool TextCutOff(const QModelIndex& index) const;
  void EndDrag();
  // The pointer moved, or the rows moved under it: the target, its highlight, the cursor, and
  // whether the view scrolls or expands on its own.
  void DragMovedTo(const QPoint& pos);
  void AutoScroll();

  QPersistentModelIndex FEditorIndex;  // where the last editor opened
  TTreeNode* FDragged = nullptr;
  QPoint FPressPos, FDragPos;
  bool FDragging = false;
  QPersistentModelIndex FDropTarget;
  bool FPressedInSelection = false;
  QPersistentModelIndex FPressedRow;
  int FScrollDirection = 0;  // -1 up, 1 down, while the pointer rests near an edge
  QTimer FScrollTimer, FExpandTimer;
};

// Hands the edited text to the view's OnEditAccepted instead of writing it into the model.
class TOutlineEditDelegate : public QStyledItemDelegate {
 public:
  explicit TOutlineEditDelegate(TOutlineView* view);
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;

 private:
  TOutlineView* FView;
};

}  // namespace zel
