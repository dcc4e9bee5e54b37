#include "treedoc/OutlineLines.h"

#include <algorithm>

namespace zel {

char* TOutlineLines::Reserve(size_t bytes) {
  if (!FBlocks.empty()) {
    Block& last = FBlocks.back();
    if (last.Bytes - last.Used >= bytes) return last.Base + last.Used;
  }
  const size_t previous = FBlocks.empty() ? 0 : FBlocks.back().Bytes;
  const size_t size = std::max(NextBlockSize(previous), bytes);
  FBlocks.reserve(FBlocks.size() + 1);
  FBlocks.push_back(Block{static_cast<char*>(AllocateBlock(size)), size, 0});
  return FBlocks.back().Base;
}

void TOutlineLines::Add(int level, std::string_view text) {
  char* p = Reserve(kHeader + text.size());
  const size_t length = text.size();
  std::memcpy(p, &level, sizeof level);
  std::memcpy(p + sizeof level, &length, sizeof length);
  if (length > 0) std::memcpy(p + kHeader, text.data(), length);
  Block& b = FBlocks.back();
  FLastLine = static_cast<size_t>(p - b.Base);
  b.Used = FLastLine + kHeader + length;
  ++FCount;
}

void TOutlineLines::AppendToLast(std::string_view text) {
  if (FCount == 0) return Add(0, text);  // nothing to append to: the text stands alone
  if (text.empty()) return;
  Block* b = &FBlocks.back();
  size_t length;
  std::memcpy(&length, b->Base + FLastLine + sizeof(int), sizeof length);
  if (b->Bytes - b->Used < text.size()) {
    // The line moves to a block of its own with room to grow, so a long line is copied
    // only a logarithmic number of times.
    const size_t lineBytes = kHeader + length;
    const size_t size = std::max(2 * (lineBytes + text.size()), NextBlockSize(b->Bytes));
    FBlocks.reserve(FBlocks.size() + 1);
    b = &FBlocks.back();
    char* fresh = static_cast<char*>(AllocateBlock(size));
    std::memcpy(fresh, b->Base + FLastLine, lineBytes);
    b->Used = FLastLine;
    if (b->Used == 0) {
      FreeBlock(b->Base, b->Bytes);
      FBlocks.pop_back();
    }
    FBlocks.push_back(Block{fresh, size, lineBytes});
    b = &FBlocks.back();
    FLastLine = 0;
  }
  std::memcpy(b->Base + b->Used, text.data(), text.size());
  b->Used += text.size();
  length += text.size();
  std::memcpy(b->Base + FLastLine + sizeof(int), &length, sizeof length);
}

void TOutlineLines::Clear() {
  for (const Block& b : FBlocks) FreeBlock(b.Base, b.Bytes);
  FBlocks.clear();
  FCount = 0;
  FLastLine = 0;
}

}  // namespace zel
