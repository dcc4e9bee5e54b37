#pragma once
// The editing commands' work on the outline, which the document runs as undoable steps with its
// right to write (TreeWriteKey.h); the moves return whether the outline changed. Every move keeps
// its rule even when called with a stale enabled state, so that the root stays first.

#include <functional>
#include <string>
#include <string_view>

#include "outline/TreeView.h"

namespace zel {

// The window's rules for edits in place: nodes at root level are neither edited in place nor
// collapsed, however asked; an edited text must pass CheckNodeText (else it throws and the node
// keeps its text), and then `edited` runs, also for an unchanged text, and makes the change. It
// returns whether the text stands: false keeps the node's old text (the user declined).
void InstallEditRules(TTreeView& tree, std::function<bool(TTreeNode*, const std::string&)> edited);

// Adds `text` as the last child of `parent`, makes the new node visible and selects it.
TTreeNode* AddNodeAsLastChild(TTreeWriteKey key, TTreeNode* parent, std::string_view text);

// "Delete \"%s\" and its children?" or "Delete \"%s\"?".
std::string DeleteQuestion(const TTreeNode& node);

// In front of the previous sibling.
bool MoveNodeUp(TTreeWriteKey key, TTreeNode* node);
// Behind the next sibling.
bool MoveNodeDown(TTreeWriteKey key, TTreeNode* node);
// In front of its parent, for a node below level 1.
bool PromoteNode(TTreeWriteKey key, TTreeNode* node);
// Last child of the previous sibling.
bool DemoteNode(TTreeWriteKey key, TTreeNode* node);

// Whether the dragged node may be dropped on `target` (null: empty space of the tree). Over its
// own parent it may not (it is there already); on empty space only when it is not at root level;
// on a node only when the placement rules let it land there.
bool CanDropNode(const TTreeNode* dragged, const TTreeNode* target);
// Last child of `target`, or last at root level on empty space. A target inside the dragged
// subtree leaves the outline as it is.
bool DropNode(TTreeWriteKey key, TTreeNode* dragged, TTreeNode* target);

}  // namespace zel
