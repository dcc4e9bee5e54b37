// Node editing: Add, Modify, Delete, the tree's in-place editing under the window's rules,
// double click, and dragging nodes inside the tree. The moves are the document's own (Commands.h).

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include "app/ExceptionGuard.h"
#include "app/NodeTextCodec.h"
#include "app/OutlineView.h"
#include "app/TreeModel.h"
#include "app/UFormMain.h"
#include "base/Exception.h"
#include "editor/NodeEditing.h"

namespace zel {

void TFormMain::ConnectEditing() {
  // What the first level of the file may hold is the document's rule; the user answers.
  FDoc.SetConfirm([this](const std::string& question) {
    return FDialogs->MessageBox(this, FromCodePage(question), "Confirm",
                                MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
  });
  // The accepted text goes in as a step of the document; the tree's own assignment after it
  // then finds the text in place.
  InstallEditRules(
      FTree, [this](TTreeNode* node, const std::string& text) { return ModifyNode(node, text); });
  // A read-only document is edited in place by no gesture either, nor is a document while a
  // save walks it (the save lets the mouse work).
  FTree.EditEvents().OnEditing = [this, rule = FTree.EditEvents().OnEditing](TTreeNode* node,
                                                                             bool& allow) {
    rule(node, allow);
    allow = allow && !FDoc.ReadOnly() && !FBusy;
  };
  FTree.EditEvents().OnOpenEditor = [this](TTreeNode* node) {
    return TreeView1->OpenEditor(FModel->IndexOf(node));
  };
  TreeView1->OnCanEdit = [this](const QModelIndex& i) {
    return FTree.CanEdit(TTreeModel::NodeOf(i));
  };
  // The tree's own gesture opens an editor without EditText: the outline learns of it here.
  TreeView1->OnEditorOpened = [this] { FTree.SetEditing(true); };
  TreeView1->OnEditAccepted = [this](const QModelIndex& i, const QString& text) {
    TreeView1Edited(TTreeModel::NodeOf(i), text);
  };
  TreeView1->OnEditClosed = [this] {
    if (FTree.IsEditing()) FTree.CancelEdit();
  };
  // A reset (New, a load) drops the view's editor without closing it: the edit is over.
  connect(FModel, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
    if (FTree.IsEditing()) FTree.CancelEdit();
  });
  // Rows whose images changed all at once (AssignImages) or that take another font.
  connect(FModel, &TTreeModel::AppearanceUpdated, TreeView1->viewport(),
          qOverload<>(&QWidget::update));
  const auto clipboardChanged = [this] {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    FClipboardHasText = data && data->hasText();
  };
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, clipboardChanged);
  clipboardChanged();
  TreeView1->OnDblClick = [this] { Guarded([this] { TreeView1DblClick(); }); };
  TreeView1->OnDragOver = [this](TTreeNode* d, TTreeNode* t) { return TreeView1DragOver(d, t); };
  TreeView1->OnDragDrop = [this](TTreeNode* d, TTreeNode* t) {
    Guarded([&] { TreeView1DragDrop(d, t); });
  };
}

void TFormMain::Changed(bool stepMade) {
  MarkAccepted(FDoc, stepMade);
}

bool TFormMain::ModifyNode(TTreeNode* node, const std::string& text) {
  const bool stepMade = FDoc.SetText(node, text);
  if (FDoc.Declined() && !FDoc.Refusal().empty()) throw Exception(FDoc.Refusal());
  Changed(stepMade);
  return !FDoc.Declined();
}

QColor TFormMain::TreeColor() const {
  return TreeView1->palette().color(QPalette::Text);
}

// Every node gives up the image it holds and shows the one of its place: one step, however large
// the outline, and only the rows on screen repaint.
void TFormMain::AssignImages() {
  SetPanel(2, "Assigning images...");
  FTree.ReleaseImages();
}

void TFormMain::EditAdd1Execute() {
  const bool useDialog = Command(TCommandId::EditUseDialog)->Checked();
  std::string text = useDialog ? "" : "<NewNode>";
  if (useDialog && !FDialogs->ExecuteNode(this, text, TreeView1->font(), TreeColor())) return;
  if (!FDoc.Add(FTree.Selected(), std::move(text))) return;
  AssignImages();
  // Modify keeps the state it had for the parent: under the root no editor opens.
  if (!useDialog) Command(TCommandId::EditModify)->Execute();
}

void TFormMain::EditModify1Execute() {
  TTreeNode* node = FTree.Selected();
  if (node == nullptr) return;
  if (!Command(TCommandId::EditUseDialog)->Checked()) {
    FTree.EditText(node);
    return;
  }
  // A refused text comes back in the dialog, to be mended or given up by Cancel; the node
  // must outlast the error box for that.
  const QPersistentModelIndex at(FModel->IndexOf(node));
  std::string text(node->Text());
  while (FDialogs->ExecuteNode(this, text, TreeView1->font(), TreeColor())) {
    if (Guarded([&] { ModifyNode(node, text); })) return;
    if (!at.isValid() || TTreeModel::NodeOf(at) != node) return;
  }
}

void TFormMain::EditDelete1Execute() {
  TTreeNode* node = FTree.Selected();
  if (node == nullptr) return;
  const size_t many = ChosenNodes().Size();
  const QString question = many > 1 ? QString("Delete %1 nodes?").arg(qulonglong(many))
                                    : FromCodePage(DeleteQuestion(*node));
  if (FDialogs->MessageBox(this, question, "Confirm", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
      IDYES)
    RunDocumentAction(TCommandId::EditDelete);
}

void TFormMain::TreeView1Edited(TTreeNode* node, const QString& text) {
  // The editor reports again when it loses focus to the error box: one answer is enough.
  if (!FTree.IsEditing()) return;
  if (Guarded([&] { FDoc.EndEdit(node, ToCodePage(text)); })) return;
  // The rejected text comes back in an editor on the node, to be mended; Esc there keeps the
  // old text. Queued: the view closes the editor that reported first.
  const QPersistentModelIndex at(FModel->IndexOf(node));
  QMetaObject::invokeMethod(
      this,
      [this, at, node, text] {
        if (at.isValid() && TTreeModel::NodeOf(at) == node && FTree.EditText(node))
          TreeView1->SetEditorText(text);
      },
      Qt::QueuedConnection);
}

void TFormMain::TreeView1DblClick() {
  TCommand& modify = *Command(TCommandId::EditModify);
  if (modify.Enabled()) modify.Execute();
}

const TNodeSelection* TFormMain::DraggedNodes(TTreeNode* dragged) {
  const TNodeSelection& chosen = ChosenNodes();
  if (chosen.Empty() || !TreeView1->selectionModel()->isSelected(FModel->IndexOf(dragged)))
    return nullptr;
  return &chosen;
}

bool TFormMain::TreeView1DragOver(TTreeNode* dragged, TTreeNode* target) {
  // Nothing lands while a save walks the outline.
  if (FDoc.ReadOnly() || FBusy) return false;
  // A selected node takes the whole selection along.
  const TNodeSelection* many = DraggedNodes(dragged);
  if (!many) return CanDropNode(dragged, target);
  for (const TTreeNode* n : many->Nodes())
    if (!CanDropNode(n, target)) return false;
  return true;
}

void TFormMain::TreeView1DragDrop(TTreeNode* dragged, TTreeNode* target) {
  if (!TreeView1DragOver(dragged, target)) return;
  const TNodeSelection* many = DraggedNodes(dragged);
  Changed(many ? FDoc.Drop(*many, target) : FDoc.Drop(dragged, target));
}

}  // namespace zel
