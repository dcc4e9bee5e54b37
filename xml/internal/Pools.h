#pragma once
// Storage of one document: nodes, attributes and long strings in chunks, so that building
// a large tree does few allocations and freeing it is a walk over the chunks, not the tree.

#include <cstddef>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/BlockAllocator.h"
#include "xml/MorXMLTree.h"

namespace zel {

// Objects of one type in chunks of growing size; destroyed together when the pool is reset.
template <typename T>
class TChunkPool {
 public:
  TChunkPool() = default;
  TChunkPool(const TChunkPool&) = delete;
  TChunkPool& operator=(const TChunkPool&) = delete;
  ~TChunkPool() { Reset(); }

  template <typename... Args>
  T* New(Args&&... args) {
    if (FChunks.empty() || FChunks.back().Used == FChunks.back().Capacity) Grow();
    Chunk& c = FChunks.back();
    T* p = new (c.Base + c.Used) T(std::forward<Args>(args)...);
    ++c.Used;
    return p;
  }

  void Reset() {
    for (Chunk& c : FChunks) {
      for (size_t i = 0; i < c.Used; ++i) c.Base[i].~T();
      FreeBlock(c.Base, c.Bytes);
    }
    FChunks.clear();
    FBlockBytes = 0;
  }

 private:
  struct Chunk {
    T* Base;
    size_t Used;
    size_t Capacity;
    size_t Bytes;
  };
  void Grow() {
    FBlockBytes = NextBlockSize(FBlockBytes);
    FChunks.reserve(FChunks.size() + 1);
    T* base = static_cast<T*>(AllocateBlock(FBlockBytes));
    FChunks.push_back(Chunk{base, 0, FBlockBytes / sizeof(T), FBlockBytes});
  }
  std::vector<Chunk> FChunks;
  size_t FBlockBytes = 0;
};

// Characters of the document's long strings, each followed by a NUL.
class TCharArena {
 public:
  TCharArena() = default;
  TCharArena(const TCharArena&) = delete;
  TCharArena& operator=(const TCharArena&) = delete;
  ~TCharArena() { Reset(); }
  // A string that lives as long as the arena: inline when short, else borrowed from it.
  TXmlString Make(std::string_view s);
  void Reset() {
    for (const Block& b : FBlocks) FreeBlock(b.Base, b.Bytes);
    FBlocks.clear();
    FLeft = 0;
    FBlockBytes = 0;
  }

 private:
  struct Block {
    char* Base;
    size_t Bytes;
  };
  // Allocates a block and records it; the record is made room for first, so no block leaks.
  char* NewBlock(size_t bytes);
  std::vector<Block> FBlocks;
  char* FNext = nullptr;
  size_t FLeft = 0;
  size_t FBlockBytes = 0;
};

struct TMorXMLPools {
  TChunkPool<TMorXMLNode> NodePool;
  TChunkPool<TMorXMLAttribute> AttrPool;
  TCharArena Chars;

  void Reset() {
    NodePool.Reset();
    AttrPool.Reset();
    Chars.Reset();
  }

  // Appends a new child to parent; the strings are copied into the arena.
  TMorXMLNode* NewChild(TMorXMLNode* parent, std::string_view name, std::string_view value,
                        TMorXMLNodeKind kind) {
    TMorXMLNode* n = NodePool.New(std::string_view(), parent, std::string_view());
    n->Name = Chars.Make(name);
    n->Value = Chars.Make(value);
    n->Kind = kind;
    Link(parent, n);
    return n;
  }
  static void Link(TMorXMLNode* parent, TMorXMLNode* n) {
    TMorXMLNodeList& l = parent->Nodes;
    if (l.FLast)
      l.FLast->NextSibling = n;
    else
      l.FFirst = n;
    l.FLast = n;
  }
  TMorXMLAttribute* NewAttribute(std::string_view name, std::string_view value) {
    TMorXMLAttribute* a = AttrPool.New();
    a->Name = Chars.Make(name);
    a->Value = Chars.Make(value);
    return a;
  }
  static void LinkAttributeAfter(TMorXMLNode* n, TMorXMLAttribute* tail, TMorXMLAttribute* a) {
    if (tail)
      tail->Next = a;
    else
      n->Attributes.FFirst = a;
  }
};

}  // namespace zel
