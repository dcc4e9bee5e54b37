#include "xml/XmlString.h"

#include <cstdlib>
#include <new>

#include "xml/internal/Pools.h"

namespace zel {

void TXmlString::InitOwned(std::string_view s) {
  if (s.size() <= kInlineMax) {
    SetInline(s);
    return;
  }
  char* p = static_cast<char*>(std::malloc(s.size() + 1));
  if (!p) throw std::bad_alloc();
  std::memcpy(p, s.data(), s.size());
  p[s.size()] = 0;
  SetHeap(p, s.size(), kHeapOwned);
}

void TXmlString::ReleaseOwned() {
  std::free(const_cast<char*>(Heap().Ptr));
  SetInlineEmpty();
}

TXmlString& TXmlString::operator=(std::string_view s) {
  // s may point into this string's own storage: build the new one first.
  TXmlString fresh(s);
  return *this = std::move(fresh);
}

TXmlString TXmlString::Borrowed(const char* p, size_t n) {
  TXmlString s;
  if (n <= kInlineMax)
    s.SetInline(std::string_view(p, n));
  else
    s.SetHeap(p, n, kHeapBorrowed);
  return s;
}

char* TCharArena::NewBlock(size_t bytes) {
  FBlocks.reserve(FBlocks.size() + 1);
  char* block = static_cast<char*>(AllocateBlock(bytes));
  FBlocks.push_back(Block{block, bytes});
  return block;
}

TXmlString TCharArena::Make(std::string_view s) {
  if (s.size() <= TXmlString::kInlineMax) return TXmlString::Borrowed(s.data(), s.size());
  const size_t need = s.size() + 1;
  char* dst;
  if (need > kHugePageBytes / 4) {
    // A big string gets a block of its own, so the current block keeps its free room.
    dst = NewBlock(need);
  } else {
    while (need > FLeft) {
      FBlockBytes = NextBlockSize(FBlockBytes);
      if (need > FBlockBytes) continue;
      FNext = NewBlock(FBlockBytes);
      FLeft = FBlockBytes;
    }
    dst = FNext;
    FNext += need;
    FLeft -= need;
  }
  std::memcpy(dst, s.data(), s.size());
  dst[s.size()] = 0;
  return TXmlString::Borrowed(dst, s.size());
}

}  // namespace zel
