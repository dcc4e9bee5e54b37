#pragma once
// Storage of one document: nodes, attributes and long strings in chunks, so that building
// a large tree does few allocations and freeing it is a walk over the chunks, not the tree.

#include <cstddef>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "xml/MorXMLTree.h"

namespace zel {

// Objects of one type in fixed chunks; destroyed together when the pool is reset.
template <typename T, size_t kChunk>
class TChunkPool {
 public:
  TChunkPool() = default;
  TChunkPool(const TChunkPool&) = delete;
  TChunkPool& operator=(const TChunkPool&) = delete;
  ~TChunkPool() { Reset(); }

  template <typename... Args>
  T* New(Args&&... args) {
    if (FUsed == kChunk || FChunks.empty()) {
      FChunks.emplace_back(static_cast<T*>(::operator new(sizeof(T) * kChunk)));
      FUsed = 0;
    }
    T* p = new (FChunks.back().get() + FUsed) T(std::forward<Args>(args)...);
    ++FUsed;
    return p;
  }

  void Reset() {
    for (size_t c = 0; c < FChunks.size(); ++c) {
      const size_t n = c + 1 == FChunks.size() ? FUsed : kChunk;
      T* base = FChunks[c].get();
      for (size_t i = 0; i < n; ++i) base[i].~T();
    }
    FChunks.clear();
    FUsed = 0;
  }

 private:
  struct Deleter {
    void operator()(T* p) const { ::operator delete(p); }
  };
  std::vector<std::unique_ptr<T, Deleter>> FChunks;
  size_t FUsed = 0;
};

// Characters of the document's long strings, each followed by a NUL.
class TCharArena {
 public:
  // A string that lives as long as the arena: inline when short, else borrowed from it.
  TXmlString Make(std::string_view s);
  void Reset() {
    FBlocks.clear();
    FLeft = 0;
  }

 private:
  static constexpr size_t kBlock = 1 << 20;
  std::vector<std::unique_ptr<char[]>> FBlocks;
  char* FNext = nullptr;
  size_t FLeft = 0;
};

struct TMorXMLPools {
  TChunkPool<TMorXMLNode, 4096> NodePool;
  TChunkPool<TMorXMLAttribute, 4096> AttrPool;
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
