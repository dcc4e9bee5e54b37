#pragma once
// Node storage for one tree: nodes live in chunks that grow geometrically, so a node costs
// its own size and no allocator header, and freed slots are reused. Chunks come from the
// block allocator, which backs large ones with huge pages. The nodes' texts live in the
// pool's text blocks and move with the chunks.

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "outline/TextBlocks.h"
#include "outline/TreeView.h"
#include "platform/BlockAllocator.h"

namespace zel {

class TTreeView::TNodePool {
 public:
  TNodePool() = default;
  TNodePool(const TNodePool&) = delete;
  TNodePool& operator=(const TNodePool&) = delete;

  TTreeNode* New(TTreeView* owner, std::string_view text) {
    const char* stored = FTexts.Store(text);
    TTreeNode* node;
    try {
      node = ::new (Take()) TTreeNode(owner);
    } catch (...) {
      FTexts.Drop(stored);
      throw;
    }
    node->FText = stored;
    return node;
  }

  // A node that shares the text of `from`, a node of this pool.
  TTreeNode* NewSharing(TTreeView* owner, const TTreeNode& from) {
    TTreeNode* node = ::new (Take()) TTreeNode(owner);
    node->FText = from.FText;
    FTexts.Share(node->FText);
    return node;
  }

  // The node's text becomes a copy of text; the old one is let go only after the copy, as text
  // may lie in it.
  void SetText(TTreeNode& node, std::string_view text) {
    const char* old = node.FText;
    node.FText = FTexts.Store(text);
    FTexts.Drop(old);
  }

  void Free(TTreeNode* node) {
    FTexts.Drop(node->FText);
    node->~TTreeNode();
    Push(reinterpret_cast<Slot*>(node));
  }

  // Takes over every chunk of `other` with the nodes in it, its free slots and its unused
  // ones; `other` is left empty. Nodes keep their addresses: the caller re-owns them.
  void Splice(TNodePool& other) {
    FTexts.Splice(other.FTexts);
    if (other.FChunks.empty()) return;
    for (size_t i = other.FUsed; i < other.FCapacity; ++i) Push(&other.FChunks.back()[i]);
    for (Slot* slot = other.FFree; slot;) {
      Slot* next = slot->next;
      Push(slot);
      slot = next;
    }
    // In front: the last chunk is the one that Take fills.
    FChunks.insert(FChunks.begin(), std::make_move_iterator(other.FChunks.begin()),
                   std::make_move_iterator(other.FChunks.end()));
    other.FChunks.clear();
    other.Release();
  }

  // Drops all chunks and text blocks; every node must have been freed (destroyed) before.
  void Release() {
    FTexts.Release();
    FChunks.clear();
    FChunks.shrink_to_fit();
    FFree = nullptr;
    FUsed = FCapacity = 0;
  }

  TTextBlocks& Texts() { return FTexts; }
  const TTextBlocks& Texts() const { return FTexts; }

 private:
  union Slot {
    Slot* next;
    alignas(TTreeNode) unsigned char storage[sizeof(TTreeNode)];
  };
  struct FreeChunk {
    size_t Bytes = 0;
    void operator()(Slot* chunk) const { FreeBlock(chunk, Bytes); }
  };
  using Chunk = std::unique_ptr<Slot[], FreeChunk>;
  static constexpr size_t kFirstChunk = 32;
  // A full chunk is one huge page, the size the block allocator keeps in reserve.
  static constexpr size_t kMaxChunk = kHugePageBytes / sizeof(Slot);
  static Chunk NewChunk(size_t slots);

  void Push(Slot* slot) {
    slot->next = FFree;
    FFree = slot;
  }

  void* Take() {
    if (FFree) {
      Slot* slot = FFree;
      FFree = slot->next;
      return slot->storage;
    }
    if (FUsed == FCapacity) {
      const size_t size = FChunks.empty() ? kFirstChunk : std::min(FCapacity * 2, kMaxChunk);
      FChunks.push_back(NewChunk(size));
      FCapacity = size;
      FUsed = 0;
    }
    return FChunks.back()[FUsed++].storage;
  }

  TTextBlocks FTexts;
  std::vector<Chunk> FChunks;
  Slot* FFree = nullptr;
  size_t FUsed = 0;
  size_t FCapacity = 0;
};

}  // namespace zel
