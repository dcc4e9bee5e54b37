#include "outline/TextBlocks.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "platform/BlockAllocator.h"

namespace zel {

TTextBlocks::Block* TTextBlocks::BlockOf(const char* text) {
  uint32_t offset;
  std::memcpy(&offset, text - kPrefixBytes, sizeof offset);
  return reinterpret_cast<Block*>(const_cast<char*>(text) - offset);
}

std::string_view TTextBlocks::LongView(const char* text) {
  const Block* block = BlockOf(text);
  return {text, block->bytes - sizeof(Block) - kWidePrefixBytes};
}

char* TTextBlocks::Append(Block* block, size_t size) {
  const size_t prefix = PrefixOf(size);
  char* const data = reinterpret_cast<char*>(block) + block->used + prefix;
  const uint32_t offset = uint32_t(block->used + prefix);
  std::memcpy(data - kPrefixBytes, &offset, sizeof offset);
  if (prefix == kWidePrefixBytes) {
    const uint32_t length = size < kLongText ? uint32_t(size) : kLongText;
    std::memcpy(data - kWidePrefixBytes, &length, sizeof length);
    data[-1] = static_cast<char>(kWideLength);
  } else {
    data[-1] = static_cast<char>(size);
  }
  block->used += prefix + size;
  ++block->refs;
  FLiveBytes += prefix + size;
  return data;
}

const char* TTextBlocks::Store(std::string_view text) {
  if (text.empty()) return nullptr;
  if (text.size() > SIZE_MAX - sizeof(Block) - kWidePrefixBytes) throw std::bad_alloc();
  const size_t need = Footprint(text.size());
  Block* block = FCurrent;
  Block* full = nullptr;
  if (text.size() >= kOwnBlockText) {
    block = NewBlock(sizeof(Block) + need);
  } else if (!block || block->bytes - block->used < need) {
    FLastBlockBytes = std::max(NextBlockSize(FLastBlockBytes), sizeof(Block) + need);
    full = std::exchange(FCurrent, NewBlock(FLastBlockBytes));
    block = FCurrent;
  }
  char* data = Append(block, text.size());
  std::memcpy(data, text.data(), text.size());
  // Only the block being filled is kept while empty.
  if (full && full->refs == 0) Discard(full);
  return data;
}

TTextBlocks::Block* TTextBlocks::NewBlock(size_t bytes) {
  Block* block = static_cast<Block*>(AllocateBlock(bytes));
  *block = Block{nullptr, FFirst, bytes, sizeof(Block), 0};
  if (FFirst) FFirst->prev = block;
  FFirst = block;
  FHeldBytes += bytes;
  return block;
}

void TTextBlocks::Discard(Block* block) {
  (block->prev ? block->prev->next : FFirst) = block->next;
  if (block->next) block->next->prev = block->prev;
  FHeldBytes -= block->bytes;
  FreeBlock(block, block->bytes);
}

void TTextBlocks::Emptied(Block* block) {
  if (block == FCurrent)
    block->used = sizeof(Block);
  else
    Discard(block);
}

void TTextBlocks::Splice(TTextBlocks& other) {
  if (!other.FFirst) return;
  // Only one block is filled at a time: the other's goes when no text is left in it.
  if (other.FCurrent && other.FCurrent->refs == 0) other.Discard(other.FCurrent);
  other.FCurrent = nullptr;
  if (Block* last = other.FFirst) {
    while (last->next) last = last->next;
    last->next = FFirst;
    if (FFirst) FFirst->prev = last;
    FFirst = other.FFirst;
  }
  FHeldBytes += other.FHeldBytes;
  FLiveBytes += other.FLiveBytes;
  other.FFirst = nullptr;
  other.FHeldBytes = 0;
  other.FLiveBytes = 0;
  other.FLastBlockBytes = 0;
}

void TTextBlocks::Release() {
  while (FFirst) {
    Block* block = FFirst;
    FFirst = block->next;
    FreeBlock(block, block->bytes);
  }
  FCurrent = nullptr;
  FLastBlockBytes = 0;
  FHeldBytes = 0;
  FLiveBytes = 0;
}

TTextBlocks::TCompaction::~TCompaction() {
  if (FDone) return;
  for (const TMoved& m : FMoved) std::memcpy(m.old - kPrefixBytes, &m.offset, sizeof m.offset);
}

void TTextBlocks::TCompaction::Copy(const char* text) {
  if (!text) return;
  if (const char* now = Moved(text); now != text) {
    FNew.Share(now);
    return;
  }
  const std::string_view view = View(text);
  char* old = const_cast<char*>(text);
  if (FMoved.size() >= kMovedMark) throw std::bad_alloc();  // the mark leaves 31 bits
  FMoved.push_back({old, nullptr, 0});
  std::memcpy(&FMoved.back().offset, old - kPrefixBytes, sizeof(uint32_t));
  try {
    FMoved.back().now = FNew.Store(view);
  } catch (...) {
    FMoved.pop_back();
    throw;
  }
  const uint32_t marked = uint32_t(FMoved.size() - 1) | kMovedMark;
  std::memcpy(old - kPrefixBytes, &marked, sizeof marked);
}

const char* TTextBlocks::TCompaction::Moved(const char* text) const {
  if (!text) return nullptr;
  uint32_t offset;
  std::memcpy(&offset, text - kPrefixBytes, sizeof offset);
  if (!(offset & kMovedMark)) return text;
  return FMoved[offset & ~kMovedMark].now;
}

void TTextBlocks::TCompaction::Finish() {
  FOld.Release();
  std::swap(FOld.FFirst, FNew.FFirst);
  std::swap(FOld.FCurrent, FNew.FCurrent);
  std::swap(FOld.FLastBlockBytes, FNew.FLastBlockBytes);
  std::swap(FOld.FHeldBytes, FNew.FHeldBytes);
  std::swap(FOld.FLiveBytes, FNew.FLiveBytes);
  FDone = true;
}

}  // namespace zel
