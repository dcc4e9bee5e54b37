#pragma once
// Storage for the texts of a tree's nodes: the bytes are appended to large blocks, so a text
// costs its length plus five bytes (nine from 255 bytes on) and no allocator header. Texts never
// change once written, so nodes may share one. Each block counts the holders of its texts and goes
// back to the system when the count drops to zero; the block being filled is reused from its start.
// Texts that stay alive scattered over otherwise dead blocks are moved together by a compaction
// (TCompaction) once the blocks hold far more than the live texts.
//
// A text is preceded by its distance from the start of its block, which leads from the text
// to the block's count, and by a byte of its length, or 255 with the length in four bytes
// before the distance: a node holds one pointer. A long text gets a block of its own; its
// length, which may not fit 32 bits, is known from that block's size.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace zel {

class TTextBlocks {
 public:
  // Texts are handed out as pointers to their first byte; null is the empty text.
  // The length field of a text that has a block of its own and may be longer than 32 bits.
  static constexpr uint32_t kLongText = UINT32_MAX;

  TTextBlocks() = default;
  ~TTextBlocks() { Release(); }
  TTextBlocks(const TTextBlocks&) = delete;
  TTextBlocks& operator=(const TTextBlocks&) = delete;

  static std::string_view View(const char* text) {
    if (!text) return {};
    const auto small = static_cast<unsigned char>(text[-1]);
    if (small != kWideLength) return std::string_view(text, small);
    uint32_t size;
    std::memcpy(&size, text - kWidePrefixBytes, sizeof size);
    return size != kLongText ? std::string_view(text, size) : LongView(text);
  }

  // A copy of text in these blocks, counted once.
  const char* Store(std::string_view text);
  // One more holder of a text of these blocks.
  void Share(const char* text) {
    if (!text) return;
    ++BlockOf(text)->refs;
    FLiveBytes += Footprint(View(text).size());
  }
  // A holder lets go of a text of these blocks.
  void Drop(const char* text) {
    if (!text) return;
    FLiveBytes -= Footprint(View(text).size());
    Block* block = BlockOf(text);
    if (--block->refs == 0) Emptied(block);
  }

  // Takes over every block of `other` with the texts in it; `other` is left empty. Texts keep
  // their addresses.
  void Splice(TTextBlocks& other);
  // Frees every block, whether texts still point into it or not.
  void Release();
  // Bytes of all blocks held, for the bound on memory that dead texts may keep.
  size_t HeldBytes() const { return FHeldBytes; }
  // Whether dead texts hold more than the live ones, counted once per holder, plus an
  // allowance per node, so that a compaction costs no more than the writes that made the dead
  // bytes.
  bool Wasteful(size_t nodes) const {
    return FHeldBytes > 2 * FLiveBytes + 16 * nodes + kWasteAllowance;
  }

  class TCompaction;

 private:
  struct Block {
    Block* prev;
    Block* next;
    size_t bytes;  // as allocated, header included
    size_t used;   // header included
    size_t refs;
  };
  // Texts of this size or more get a block of their own: the block being filled never wastes
  // more than this at its end.
  static constexpr size_t kOwnBlockText = size_t(64) << 10;
  static constexpr size_t kWasteAllowance = size_t(4) << 20;
  // In front of a text: its distance from the block start, then a byte of its length; from
  // kWideLength bytes on, that byte is kWideLength and the length stands before the distance.
  static constexpr unsigned char kWideLength = 255;
  static constexpr size_t kPrefixBytes = sizeof(uint32_t) + 1;
  static constexpr size_t kWidePrefixBytes = kPrefixBytes + sizeof(uint32_t);
  static constexpr size_t PrefixOf(size_t size) {
    return size < kWideLength ? kPrefixBytes : kWidePrefixBytes;
  }
  static constexpr size_t Footprint(size_t size) { return PrefixOf(size) + size; }
  // A distance with this bit marks a text copied by a compaction; the rest indexes its entry.
  static constexpr uint32_t kMovedMark = uint32_t{1} << 31;

  static Block* BlockOf(const char* data);
  static std::string_view LongView(const char* data);
  Block* NewBlock(size_t bytes);
  void Discard(Block* block);
  void Emptied(Block* block);
  // Appends room for size bytes with their prefix to block.
  char* Append(Block* block, size_t size);

  Block* FFirst = nullptr;
  // The block being filled; a long text's block never is.
  Block* FCurrent = nullptr;
  size_t FLastBlockBytes = 0;
  size_t FHeldBytes = 0;
  size_t FLiveBytes = 0;
};

// Copies every live text into fresh blocks, a shared one once: each holder's text goes through
// Copy, then through Moved for its new place, then Finish drops the old blocks. Stopped before
// Finish (an exception), it leaves the old blocks as they were.
class TTextBlocks::TCompaction {
 public:
  explicit TCompaction(TTextBlocks& blocks) : FOld(blocks) {}
  ~TCompaction();
  TCompaction(const TCompaction&) = delete;
  TCompaction& operator=(const TCompaction&) = delete;

  void Copy(const char* text);
  const char* Moved(const char* text) const;
  void Finish();

 private:
  // A copied text's distance, until Finish, is the index of its entry here with kMovedMark,
  // which no distance in place has.
  struct TMoved {
    char* old;
    const char* now;
    uint32_t offset;
  };
  TTextBlocks& FOld;
  TTextBlocks FNew;
  std::vector<TMoved> FMoved;
  bool FDone = false;
};

}  // namespace zel
