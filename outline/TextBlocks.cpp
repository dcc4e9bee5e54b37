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
  return {text, block->bytes - sizeof(Block) - kPrefixBytes};
}

char* TTextBlocks::Append(Block* block, size_t size) {
  char* at = reinterpret_cast<char*>(block) + block->used;
  const uint32_t offset = uint32_t(block->used + kPrefixBytes);
  const uint32_t length = size < kLongText ? uint32_t(size) : kLongText;
  std::memcpy(at, &offset, sizeof offset);
  std::memcpy(at + sizeof offset, &length, sizeof length);
  block->used += kPrefixBytes + size;
  ++block->refs;
  FLiveBytes += kPrefixBytes + size;
  return at + kPrefixBytes;
}

const char* TTextBlocks::Store(std::string_view text) {
  if (text.empty()) return nullptr;
  const size_t need = kPrefixBytes + text.size();
  Block* block = FCurrent;
  Block* full = nullptr;
  if (text.size() >= kOwnBlockText) {
    if (text.size() > SIZE_MAX - sizeof(Block) - kPrefixBytes) throw std::bad_alloc();
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
  for (const TMoved& m : FMoved) std::memcpy(m.old - kPrefixBytes, m.prefix, kPrefixBytes);
}

void TTextBlocks::TCompaction::Copy(const char* text) {
  if (!text) return;
  if (const char* now = Moved(text); now != text) {
    FNew.Share(now);
    return;
  }
  const std::string_view view = View(text);
  char* old = const_cast<char*>(text);
  FMoved.push_back({old, nullptr, {}});
  std::memcpy(FMoved.back().prefix, old - kPrefixBytes, kPrefixBytes);
  try {
    FMoved.back().now = FNew.Store(view);
  } catch (...) {
    FMoved.pop_back();
    throw;
  }
  const uint32_t zero = 0, index = uint32_t(FMoved.size() - 1);
  std::memcpy(old - kPrefixBytes, &zero, sizeof zero);
  std::memcpy(old - kSizeBytes, &index, sizeof index);
}

const char* TTextBlocks::TCompaction::Moved(const char* text) const {
  if (!text) return nullptr;
  uint32_t offset, index;
  std::memcpy(&offset, text - kPrefixBytes, sizeof offset);
  if (offset != 0) return text;
  std::memcpy(&index, text - kSizeBytes, sizeof index);
  return FMoved[index].now;
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
