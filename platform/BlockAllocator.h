#pragma once
// Raw memory blocks for the pools of the XML document and of the tree view. Blocks of a huge
// page or more are mapped on their own, aligned to a huge page and offered to the kernel for
// huge pages: filling hundreds of megabytes is otherwise dominated by one fault per 4 KB.
//
// Blocks of exactly one huge page, the size every pool grows to, also pass through a reserve
// whose pages are already in memory. The first touch of fresh memory costs far more than
// filling it (tens of milliseconds per 80 MB, and some hosts back a guest's memory only on
// that touch), so an edit that copies a large subtree would wait on the system. A background
// thread keeps the reserve at a share of the huge blocks in use, and a few blocks ahead of a
// growing pool; a freed block refills the reserve when it is short and otherwise goes back to
// the system at once.

#include <cstddef>

namespace zel {

inline constexpr size_t kHugePageBytes = size_t(2) << 20;
// The first block of a pool: a small document stays small.
inline constexpr size_t kFirstBlockBytes = size_t(64) << 10;

// A block of at least `bytes` bytes (not zero); throws std::bad_alloc when none can be had.
// Its contents are undefined.
void* AllocateBlock(size_t bytes);
// Gives back a block of AllocateBlock; `bytes` is the size that was asked for.
void FreeBlock(void* block, size_t bytes);

// Takes the memory of the whole huge pages in [begin, begin + bytes) (aligned to huge pages),
// whose contents are no longer needed, for the next blocks in place of fresh memory, which
// costs a fault to bring in; what remains there reads as zeros. Pages the reserve has no room
// for are given back to the system.
void RecycleHugePages(void* begin, size_t bytes);

// Gives back to the system the whole pages in [begin, end): room reserved after what a buffer
// holds, whose huge pages were brought in whole by the last bytes written. Later writes there
// find zeroed memory.
void ReleaseUnusedPages(const void* begin, const void* end);

// Block sizes double from kFirstBlockBytes up to one huge page.
inline size_t NextBlockSize(size_t previous) {
  if (previous == 0) return kFirstBlockBytes;
  return previous * 2 > kHugePageBytes ? kHugePageBytes : previous * 2;
}

// While one lives, the reserve keeps only the few blocks ahead of a growing pool: a load, or a
// tool that reads without editing, gains the faults taken on another core without holding
// memory for edits that will not come.
class TBlockReserveHold {
 public:
  TBlockReserveHold();
  ~TBlockReserveHold();
  TBlockReserveHold(const TBlockReserveHold&) = delete;
  TBlockReserveHold& operator=(const TBlockReserveHold&) = delete;
};

// While one lives, a load that keeps the pages it reads (so has no passed pages to build in)
// has the reserve fill further ahead, by what the rest of the load will take: first a guess
// from the bytes to read, then the blocks taken so far extrapolated over what remains to read.
// Its blocks not taken by its end go back. Only the first of several at once counts.
class TBlockReserveAhead {
 public:
  explicit TBlockReserveAhead(size_t bytes);
  ~TBlockReserveAhead();
  TBlockReserveAhead(const TBlockReserveAhead&) = delete;
  TBlockReserveAhead& operator=(const TBlockReserveAhead&) = delete;
  // `done` of the `total` bytes to read are read.
  void Progress(size_t done, size_t total);

 private:
  bool FOwner;
};

// For tests: huge-page blocks in use and held in the reserve, once the background thread has
// nothing left to do.
struct THugeBlockCounts {
  size_t Live = 0;
  size_t Reserved = 0;
};
THugeBlockCounts SettledHugeBlockCounts();

}  // namespace zel
