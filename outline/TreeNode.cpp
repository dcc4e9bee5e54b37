#include "outline/TreeViewInternal.h"

namespace zel {

namespace {

// Pre-order successor of `node` that stays inside the subtree of `top`.
TTreeNode* NextInSubtree(TTreeNode* node, const TTreeNode* top) {
  if (node->GetFirstChild()) return node->GetFirstChild();
  while (node != top) {
    if (node->getNextSibling()) return node->getNextSibling();
    node = node->Parent();
  }
  return nullptr;
}

}  // namespace

void TTreeNode::SetText(TTreeWriteKey, std::string_view text) {
  if (text == Text()) return;
  FOwner->FPool->SetText(*this, text);
  ++FOwner->FEdits;
  FOwner->CompactTextsIfWasteful();
  FOwner->Notify([this](ITreeViewObserver& o) { o.NodeTextChanged(this); });
}

void TTreeNode::SetHasChildren(TTreeWriteKey, bool value) {
  if (value == HasChildren()) return;
  FHasChildren = value;
  if (!value) FExpanded = false;
  FOwner->Notify([this](ITreeViewObserver& o) { o.NodeStateChanged(this); });
}

TTreeNode* TTreeNode::Item(int index) const {
  if (index < 0 || index >= FCount) throw EListError::OutOfBounds(index);
  return FOwner->ChildAt(const_cast<TTreeNode*>(this), index);
}

TTreeNode* TTreeNode::GetNext() const {
  if (FFirstChild) return FFirstChild;
  for (const TTreeNode* n = this; n; n = n->FParent)
    if (n->FNextSibling) return n->FNextSibling;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
  TTreeNode* n = getPrevSibling();
  if (!n) return FParent;
  while (n->FFirstChild) n = n->GetLastChild();
  return n;
}

int TTreeNode::Level() const {
  int level = 0;
  for (const TTreeNode* p = FParent; p; p = p->FParent) ++level;
  return level;
}

int TTreeNode::Index() const {
  FOwner->Place(this);
  return FIndex;
}

// Each ancestor's offset from its parent, summed up to its root's absolute index.
int TTreeNode::AbsoluteIndex() const {
  int index = 0;
  for (const TTreeNode* n = this; n; n = n->FParent) {
    FOwner->Place(n);
    index += int(n->FOffset);
  }
  return index;
}

bool TTreeNode::IsFirstNode() const {
  return FOwner->FFirstRoot == this;
}

bool TTreeNode::HasAsParent(const TTreeNode* node) const {
  if (!node) return false;
  for (const TTreeNode* p = FParent; p; p = p->FParent)
    if (p == node) return true;
  return false;
}

int TTreeNode::ImageIndex() const {
  const auto& images = FOwner->FImages;
  if (images.empty()) return -1;
  const auto held = images.find(this);
  return held != images.end() ? held->second.Image : -1;
}

int TTreeNode::SelectedIndex() const {
  const auto& images = FOwner->FImages;
  if (images.empty()) return -1;
  const auto held = images.find(this);
  return held != images.end() ? held->second.Selected : -1;
}

void TTreeNode::CopyImages(const TTreeNode& from) {
  const int image = from.ImageIndex(), selected = from.SelectedIndex();
  if (image < 0 && selected < 0) return FOwner->DropImages(this);
  FOwner->FImages[this] = {static_cast<short>(image), static_cast<short>(selected)};
}

void TTreeNode::SetImageIndex(int index) {
  if (index == ImageIndex()) return;
  FOwner->FImages[this].Image = static_cast<short>(index);
  FOwner->Notify([this](ITreeViewObserver& o) { o.NodeStateChanged(this); });
}

void TTreeNode::SetSelectedIndex(int index) {
  if (index == SelectedIndex()) return;
  FOwner->FImages[this].Selected = static_cast<short>(index);
  FOwner->Notify([this](ITreeViewObserver& o) { o.NodeStateChanged(this); });
}

void TTreeView::ReleaseImages() {
  FImages.clear();
  // Every row may show another image now.
  Notify([](ITreeViewObserver& o) { o.AppearanceChanged(); });
}

void TTreeNode::SetExpanded(bool value) {
  if (value)
    Expand(false);
  else
    Collapse(false);
}

// Only a node with the "has children" mark can be expanded; a leaf has nothing to show.
void TTreeNode::Expand(bool recurse) {
  for (TTreeNode* n = this; n; n = recurse ? NextInSubtree(n, this) : nullptr) {
    if (n->FExpanded || !n->FHasChildren) continue;
    n->FExpanded = true;
    FOwner->Notify([n](ITreeViewObserver& o) { o.NodeStateChanged(n); });
  }
}

void TTreeNode::Collapse(bool recurse) {
  for (TTreeNode* n = this; n; n = recurse ? NextInSubtree(n, this) : nullptr) {
    if (!n->FExpanded) continue;
    n->FExpanded = false;
    FOwner->Notify([n](ITreeViewObserver& o) { o.NodeStateChanged(n); });
  }
}

void TTreeNode::MakeVisible() {
  for (TTreeNode* p = FParent; p; p = p->FParent) p->Expand(false);
  FOwner->Notify([this](ITreeViewObserver& o) { o.NodeMadeVisible(this); });
}

bool TTreeNode::Selected() const {
  return FOwner->FSelected == this;
}

void TTreeNode::MoveTo(TTreeWriteKey, TTreeNode* target, TNodeAttachMode mode) {
  FOwner->MoveNode(this, target, mode);
}

void TTreeNode::Delete(TTreeWriteKey key) {
  FOwner->Delete(key, this);
}

}  // namespace zel
