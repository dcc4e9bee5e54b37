// In-place editing and collapsing as the tree's owner allows them.

#include "outline/TreeViewEditing.h"

#include "outline/TreeViewInternal.h"

namespace zel {

bool TTreeView::CanEdit(TTreeNode* node) {
  if (!node || node->FOwner != this) return false;
  bool allow = true;
  if (FEditEvents.OnEditing) FEditEvents.OnEditing(node, allow);
  return allow;
}

bool TTreeView::EditText(TTreeNode* node) {
  if (FEditing || !CanEdit(node)) return FEditing;
  if (!FEditEvents.OnOpenEditor || !FEditEvents.OnOpenEditor(node)) return false;
  FEditing = true;
  return true;
}

void TTreeView::EndEdit(TTreeWriteKey key, TTreeNode* node, std::string text) {
  FEditing = false;
  if (!node || node->FOwner != this) return;
  if (FEditEvents.OnEdited) FEditEvents.OnEdited(node, text);
  node->SetText(key, std::move(text));
}

bool TTreeView::CollapseRequested(TTreeNode* node) {
  if (!node || node->FOwner != this) return false;
  bool allow = true;
  if (FEditEvents.OnCollapsing) FEditEvents.OnCollapsing(node, allow);
  if (allow) node->Collapse(false);
  return allow;
}

}  // namespace zel
