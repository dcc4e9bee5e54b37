// The operations on many nodes: the one-node operations run node after node, their steps
// gathered into one compound step.

#include <unordered_set>

#include "base/UpdateGuard.h"
#include "editor/NodeEditing.h"
#include "editor/OutlineDocument.h"
#include "editor/PlacementRules.h"
#include "editor/SubtreeText.h"
#include "editor/internal/EditSteps.h"

namespace zel {

namespace {

bool IsUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    i += n;
  }
  return true;
}

// Node texts are in the system code page: bytes that are no UTF-8 are read as Latin-1, which
// keeps the markup as it is for the parser's judgement.
bool HoldsXML(const std::string& text) {
  if (text.find('<') == std::string::npos) return false;
  if (IsUtf8(text)) return IsWellFormedText(text);
  std::string utf8;
  utf8.reserve(text.size() * 2);
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      utf8 += ch;
    } else {
      utf8 += char(0xC0 | (c >> 6));
      utf8 += char(0x80 | (c & 0x3F));
    }
  }
  return IsWellFormedText(utf8);
}

}  // namespace

void TOutlineDocument::TakeBack(std::vector<std::unique_ptr<TEditStep>>& steps) {
  DropOpening();
  for (auto it = steps.rbegin(); it != steps.rend(); ++it) (*it)->Undo();
  steps.clear();
  ++FChanges;
}

bool TOutlineDocument::Batch(const TNodeSelection& nodes, bool backwards,
                             const std::function<bool(TTreeNode*)>& op) {
  FDeclined = false;
  if (FReadOnly || nodes.Empty()) return false;
  for (TTreeNode* n : nodes.Nodes())
    if (n->TreeView() != &FTree) return false;
  std::vector<std::unique_ptr<TEditStep>> steps;
  // Many nodes reach the display as one reset, as many texts do.
  const bool quiet = nodes.Size() > TTextsStep::kQuietBatch;
  bool ok = true;
  {
    std::optional<TUpdateGuard<TTreeView>> guard;
    if (quiet) guard.emplace(FTree);
    // One question for the whole batch: a yes holds for every node.
    const std::function<bool(const std::string&)> ask = FConfirm;
    bool yes = false;
    if (ask) FConfirm = [&](const std::string& q) { return yes || (yes = ask(q)); };
    FBatch = &steps;
    const TScopeExit restore([&] {
      FBatch = nullptr;
      FConfirm = ask;
    });
    try {
      for (size_t k = 0; k < nodes.Size() && ok; ++k)
        ok = op(nodes[backwards ? nodes.Size() - 1 - k : k]);
    } catch (...) {
      FBatch = nullptr;
      TakeBack(steps);
      throw;
    }
    if (!ok || steps.empty()) {
      const bool declined = FDeclined;
      TakeBack(steps);
      FDeclined = declined;
      return false;
    }
  }
  Push(std::make_unique<TCompoundStep>(std::move(steps), quiet ? &FTree : nullptr));
  return true;
}

bool TOutlineDocument::Delete(const TNodeSelection& nodes, const char* name) {
  if (nodes.Size() == 1) return Delete(nodes[0], name);
  return Batch(nodes, false, [&](TTreeNode* n) { return Delete(n, name); });
}

bool TOutlineDocument::MoveUp(const TNodeSelection& nodes) {
  if (nodes.Size() == 1) return MoveUp(nodes[0]);
  return Batch(nodes, false, [&](TTreeNode* n) { return MoveUp(n); });
}

bool TOutlineDocument::MoveDown(const TNodeSelection& nodes) {
  if (nodes.Size() == 1) return MoveDown(nodes[0]);
  return Batch(nodes, true, [&](TTreeNode* n) { return MoveDown(n); });
}

bool TOutlineDocument::Promote(const TNodeSelection& nodes) {
  if (nodes.Size() == 1) return Promote(nodes[0]);
  return Batch(nodes, false, [&](TTreeNode* n) { return Promote(n); });
}

bool TOutlineDocument::Demote(const TNodeSelection& nodes) {
  if (nodes.Size() == 1) return Demote(nodes[0]);
  return Batch(nodes, false, [&](TTreeNode* n) { return Demote(n); });
}

bool TOutlineDocument::Drop(const TNodeSelection& dragged, TTreeNode* target) {
  if (dragged.Size() == 1) return Drop(dragged[0], target);
  FDeclined = false;
  // Into a dragged subtree nothing moves, and nothing is refused.
  std::unordered_set<const TTreeNode*> above;
  for (const TTreeNode* p = target; p; p = p->Parent()) above.insert(p);
  for (TTreeNode* n : dragged.Nodes())
    if (above.count(n)) return false;
  return Batch(dragged, false, [&](TTreeNode* n) { return Drop(n, target); });
}

TTreeNode* TOutlineDocument::Duplicate(const TNodeSelection& nodes) {
  if (nodes.Size() == 1) return Duplicate(nodes[0]);
  TTreeNode* first = nullptr;
  const bool done = Batch(nodes, false, [&](TTreeNode* n) {
    TTreeNode* copy = Duplicate(n);
    if (!first) first = copy;
    return copy != nullptr;
  });
  return done ? first : nullptr;
}

TTreeNode* TOutlineDocument::Comment(const TNodeSelection& nodes) {
  TTreeNode* first = nullptr;
  const bool done = Batch(nodes, false, [&](TTreeNode* n) {
    if (n->IsFirstNode()) return false;
    TTreeView scratch;
    const TTreeNode* comment = scratch.AddChild(Key(), nullptr, CommentOutText(*n));
    // The node goes first: a declaration's comment then stands first in its place, where
    // nothing may come in front of the declaration itself.
    TTreeNode* parent = n->Parent();
    TTreeNode* next = n->getNextSibling();
    if (!Delete(n, "Comment")) return false;
    TTreeNode* made = Insert({comment}, parent, next, "Comment");
    if (!first) first = made;
    return made != nullptr;
  });
  return done ? first : nullptr;
}

TTreeNode* TOutlineDocument::Uncomment(const TNodeSelection& nodes) {
  TTreeNode* first = nullptr;
  const bool done = Batch(nodes, false, [&](TTreeNode* n) {
    const std::optional<std::string> text = UncommentedText(n->Text());
    if (!text) return Refuse("\"" + std::string(n->Text()) + "\" is no comment.");
    if (!HoldsXML(*text))
      return Refuse("The comment \"" + std::string(n->Text()) + "\" does not hold XML.");
    TTreeView scratch;
    ReadXMLText(*text, scratch);
    TTreeNode* clip = scratch.GetFirstNode();
    // A declaration speaks of the file it came from, as a pasted one does.
    if (clip && clip->GetFirstChild() &&
        NodeKindOf(clip->GetFirstChild()->Text()) == TNodeKind::nkDeclaration)
      scratch.Delete(Key(), clip->GetFirstChild());
    if (!clip || !clip->GetFirstChild())
      return Refuse("The comment \"" + std::string(n->Text()) + "\" does not hold XML.");
    // Copied in: the scratch outline's storage is small, and adopting it would keep a block
    // of it for every comment.
    std::vector<const TTreeNode*> parts;
    for (const TTreeNode* c = clip->GetFirstChild(); c; c = c->getNextSibling()) parts.push_back(c);
    TTreeNode* made = Insert(parts, n->Parent(), n, "Uncomment");
    if (!first) first = made;
    return made && Delete(n, "Uncomment");
  });
  return done ? first : nullptr;
}

}  // namespace zel
