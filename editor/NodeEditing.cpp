#include "editor/NodeEditing.h"

#include "editor/NodeText.h"
#include "editor/PlacementRules.h"

namespace zel {

namespace {

// Applies a move and tells whether the node's place changed.
bool Moved(TTreeWriteKey key, TTreeNode* node, TTreeNode* target, TNodeAttachMode mode) {
  const TTreeNode* parent = node->Parent();
  const TTreeNode* next = node->getNextSibling();
  node->MoveTo(key, target, mode);
  return node->Parent() != parent || node->getNextSibling() != next;
}

}  // namespace

void InstallEditRules(TTreeView& tree, std::function<bool(TTreeNode*, const std::string&)> edited) {
  TTreeViewEditEvents& ev = tree.EditEvents();
  // A parent means level above 0, without the position cache a move has just invalidated.
  ev.OnEditing = [](TTreeNode* node, bool& allow) { allow = node->Parent() != nullptr; };
  ev.OnCollapsing = [](TTreeNode* node, bool& allow) { allow = node->Parent() != nullptr; };
  ev.OnEdited = [edited = std::move(edited)](TTreeNode* node, std::string& text) {
    CheckNodeText(text);
    if (edited && !edited(node, text)) text = node->Text();
  };
}

TTreeNode* AddNodeAsLastChild(TTreeWriteKey key, TTreeNode* parent, std::string_view text) {
  if (!parent) return nullptr;
  TTreeView& tree = *parent->TreeView();
  TTreeNode* node = tree.AddChild(key, parent, text);
  node->MakeVisible();
  tree.SetSelected(node);
  return node;
}

std::string DeleteQuestion(const TTreeNode& node) {
  return "Delete \"" + std::string(node.Text()) +
         (node.HasChildren() ? "\" and its children?" : "\"?");
}

bool MoveNodeUp(TTreeWriteKey key, TTreeNode* node) {
  if (!node || !node->getPrevSibling()) return false;
  return Moved(key, node, node->getPrevSibling(), TNodeAttachMode::naInsert);
}

bool MoveNodeDown(TTreeWriteKey key, TTreeNode* node) {
  if (!node) return false;
  const TTreeNode* next = node->getNextSibling();
  if (!next) return false;
  if (TTreeNode* after = next->getNextSibling())
    return Moved(key, node, after, TNodeAttachMode::naInsert);
  // Last child of the parent; for a node at root level, last at root level.
  return Moved(key, node, node->Parent(), TNodeAttachMode::naAddChild);
}

bool PromoteNode(TTreeWriteKey key, TTreeNode* node) {
  if (!node || !node->Parent() || !node->Parent()->Parent()) return false;
  return Moved(key, node, node->Parent(), TNodeAttachMode::naInsert);
}

bool DemoteNode(TTreeWriteKey key, TTreeNode* node) {
  if (!node || !node->getPrevSibling()) return false;
  return Moved(key, node, node->getPrevSibling(), TNodeAttachMode::naAddChild);
}

bool CanDropNode(const TTreeNode* dragged, const TTreeNode* target) {
  if (!dragged) return false;
  if (!target) return dragged->Parent() != nullptr && MayEndFirstLevel(dragged->Text());
  if (target == dragged->Parent()) return false;
  // Into its own subtree: accepted, and nothing moves.
  if (target == dragged || target->HasAsParent(dragged)) return true;
  if (target->IsFirstNode()) return MayEndFirstLevel(dragged->Text());
  return MayGainChild(*target) && MayStandInside(dragged->Text());
}

bool DropNode(TTreeWriteKey key, TTreeNode* dragged, TTreeNode* target) {
  if (!dragged) return false;
  return target ? Moved(key, dragged, target, TNodeAttachMode::naAddChild)
                : Moved(key, dragged, nullptr, TNodeAttachMode::naAddRoot);
}

}  // namespace zel
