#pragma once
// Outline lines as the rewrite makes them: each a level and a text, packed one after another
// in blocks of the block allocator, so a line costs little more than its characters, and the
// blocks go back one by one as the tree takes the lines.

#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/BlockAllocator.h"

namespace zel {

class TOutlineLines {
 public:
  TOutlineLines() = default;
  TOutlineLines(const TOutlineLines&) = delete;
  TOutlineLines& operator=(const TOutlineLines&) = delete;
  ~TOutlineLines() { Clear(); }

  void Add(int level, std::string_view text);
  // Appends to the text of the last line (to a new line at level 0 when there is none).
  void AppendToLast(std::string_view text);
  bool Empty() const { return FCount == 0; }
  size_t Count() const { return FCount; }
  void Clear();

  // Calls sink(level, text) for every line in order, giving back each block once it is read;
  // the list is empty afterwards, also when the sink throws.
  template <typename Sink>
  void Drain(Sink&& sink);

 private:
  // A line: its level, its length, then its characters.
  static constexpr size_t kHeader = sizeof(int) + sizeof(size_t);
  struct Block {
    char* Base;
    size_t Bytes;
    size_t Used;
  };
  char* Reserve(size_t bytes);

  std::vector<Block> FBlocks;
  size_t FCount = 0;
  size_t FLastLine = 0;  // offset of the last line in the last block
};

template <typename Sink>
void TOutlineLines::Drain(Sink&& sink) {
  struct Release {
    TOutlineLines& Lines;
    ~Release() { Lines.Clear(); }
  } release{*this};
  for (Block& b : FBlocks) {
    for (size_t at = 0; at < b.Used;) {
      int level;
      size_t length;
      std::memcpy(&level, b.Base + at, sizeof level);
      std::memcpy(&length, b.Base + at + sizeof level, sizeof length);
      sink(level, std::string_view(b.Base + at + kHeader, length));
      at += kHeader + length;
    }
    FreeBlock(b.Base, b.Bytes);
    b.Base = nullptr;
  }
}

}  // namespace zel
