#include "platform/BlockAllocator.h"

#include <sys/mman.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace zel {

namespace {

size_t WholeHugePages(size_t bytes) {
  return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

// Maps one huge page more than needed and cuts the ends off, so the block starts on a huge
// page boundary.
void* MapAligned(size_t bytes) {
  const size_t mapped = bytes + kHugePageBytes;
  void* p = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t start = reinterpret_cast<uintptr_t>(p);
  const uintptr_t aligned = (start + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
  if (aligned > start) ::munmap(p, aligned - start);
  const uintptr_t end = start + mapped, blockEnd = aligned + bytes;
  char* const base = static_cast<char*>(p);
  if (end > blockEnd) ::munmap(base + (blockEnd - start), end - blockEnd);
  void* block = base + (aligned - start);
#ifdef MADV_HUGEPAGE
  ::madvise(block, bytes, MADV_HUGEPAGE);
#endif
  return block;
}

// Moves the memory of one huge page to a block of its own, leaving zeros behind, or null.
void* MoveAligned(char* page) {
#if defined(MREMAP_DONTUNMAP)
  const size_t mapped = 2 * kHugePageBytes;
  void* p = ::mmap(nullptr, mapped, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  char* const base = static_cast<char*>(p);
  const uintptr_t start = reinterpret_cast<uintptr_t>(p);
  char* const aligned =
      base + ((start + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes - start);
  void* moved = ::mremap(page, kHugePageBytes, kHugePageBytes,
                         MREMAP_MAYMOVE | MREMAP_FIXED | MREMAP_DONTUNMAP, aligned);
  if (moved == MAP_FAILED) {
    ::munmap(p, mapped);
    return nullptr;
  }
  if (aligned > base) ::munmap(base, static_cast<size_t>(aligned - base));
  char* const end = aligned + kHugePageBytes;
  if (end < base + mapped) ::munmap(end, static_cast<size_t>(base + mapped - end));
  return aligned;
#else
  (void)page;
  return nullptr;
#endif
}

// The reserve of huge-page blocks. It is created on first use and never destroyed, so that
// blocks freed by static objects at exit still find it; its thread ends with the process.
class TReserve {
 public:
  TReserve() { FBlocks.reserve(kMostBlocks); }  // so that a free never allocates

  void* Take() {
    void* block = nullptr;
    {
      std::lock_guard lock(FLock);
      ++FLive;
      ++FTaken;
      if (FAhead > 0) --FAhead;
      if (!FBlocks.empty()) {
        block = FBlocks.back();
        FBlocks.pop_back();
      }
      WakeIfShort();
    }
    if (block) return block;
    try {
      return MapAligned(kHugePageBytes);
    } catch (...) {
      std::lock_guard lock(FLock);
      --FLive;
      throw;
    }
  }

  // Unmaps under the lock: a free must not allocate, and munmap of one block is quick.
  void Give(void* block) {
    std::lock_guard lock(FLock);
    --FLive;
    FFailed = false;  // memory came free: filling may succeed again
    if (FBlocks.size() < Target()) {
      FBlocks.push_back(block);
      return;
    }
    ::munmap(block, kHugePageBytes);
    // A closed document lowers the target: what it no longer needs goes back too.
    while (FBlocks.size() > Target()) {
      ::munmap(FBlocks.back(), kHugePageBytes);
      FBlocks.pop_back();
    }
  }

  // A huge page of memory already in use elsewhere, moved here: kept when there is room.
  bool Recycle(char* page) {
    std::lock_guard lock(FLock);
    if (FBlocks.size() >= std::max(Target(), kRecycledBlocks) || FFailed) return false;
    void* block = MoveAligned(page);
    if (!block) return false;
    FBlocks.push_back(block);
    return true;
  }

  // Memory is short: the reserve goes first, and fills again only once a block comes free.
  bool Release() {
    std::lock_guard lock(FLock);
    FFailed = true;
    if (FBlocks.empty()) return false;
    for (void* p : FBlocks) ::munmap(p, kHugePageBytes);
    FBlocks.clear();
    return true;
  }

  THugeBlockCounts Settled() {
    std::unique_lock lock(FLock);
    FSettled.wait(lock, [&] { return !FFilling; });
    return {FLive, FBlocks.size()};
  }

  void Hold(bool on) {
    std::lock_guard lock(FLock);
    FHolds += on ? 1 : -1;
    // Pages recycled during a load and not taken go back once it ends.
    while (!on && FBlocks.size() > Target()) {
      ::munmap(FBlocks.back(), kHugePageBytes);
      FBlocks.pop_back();
    }
    WakeIfShort();  // the end of a load fills up for the edits that follow
  }

  bool StartAhead(size_t blocks) {
    std::lock_guard lock(FLock);
    if (FAheadOn) return false;
    FAheadOn = true;
    FTaken = 0;
    FAhead = std::min(blocks, kMostAheadBlocks);
    WakeIfShort();
    return true;
  }

  // The blocks taken so far over the bytes read, times the bytes still to read, rounded down:
  // a block filled and not taken would stand on top of the load's peak.
  void Progress(size_t done, size_t total) {
    if (done == 0 || done >= total) return;
    std::lock_guard lock(FLock);
    const double rest = double(FTaken) * double(total - done) / double(done);
    FAhead = std::min(static_cast<size_t>(rest), kMostAheadBlocks);
    Trim();
    WakeIfShort();
  }

  void EndAhead() {
    std::lock_guard lock(FLock);
    FAheadOn = false;
    FAhead = 0;
    // What the load did not take goes back: the blocks kept for edits are filled after it.
    for (void* p : FBlocks) ::munmap(p, kHugePageBytes);
    FBlocks.clear();
  }

 private:
  // Small documents keep no reserve; large ones keep a third of what they use, enough for an
  // edit that copies a third of the document at once, up to 512 MB, and at least the blocks
  // a growing pool takes next.
  static constexpr size_t kFloorBlocks = 8, kAheadBlocks = 2, kMostBlocks = 256;
  // Recycled pages wait for a growing pool up to this many, beyond the target.
  static constexpr size_t kRecycledBlocks = 8;
  // A load that says what it will take has up to this many filled ahead of it.
  static constexpr size_t kMostAheadBlocks = 64;
  size_t Target() const {
    if (FAheadOn && FHolds > 0) return FAhead;
    if (FLive < kFloorBlocks) return 0;
    return FHolds > 0 ? kAheadBlocks : std::clamp(FLive / 3, kAheadBlocks, kMostBlocks);
  }

  // Called with the lock held: what is beyond the target goes back.
  void Trim() {
    while (FBlocks.size() > Target()) {
      ::munmap(FBlocks.back(), kHugePageBytes);
      FBlocks.pop_back();
    }
  }

  // Called with the lock held.
  void WakeIfShort() {
    if (FBlocks.size() >= Target() || FFilling || FFailed) return;
    FFilling = true;
    if (!FStarted) {
      try {
        std::thread([this] { Fill(); }).detach();
        FStarted = true;
      } catch (const std::system_error&) {
        FFilling = false;  // no thread: blocks are mapped when asked for, as without a reserve
        FFailed = true;
      }
    } else {
      FWake.notify_one();
    }
  }

  void Fill() {
    std::unique_lock lock(FLock);
    for (;;) {
      FWake.wait(lock, [&] { return FFilling; });
      while (FBlocks.size() < Target() && !FFailed) {
        lock.unlock();
        void* block = nullptr;
        try {
          block = MapAligned(kHugePageBytes);
          // Writing one byte per page brings the whole huge page, or each small one, in.
          auto* bytes = static_cast<volatile char*>(block);
          for (size_t i = 0; i < kHugePageBytes; i += 4096) bytes[i] = 0;
        } catch (const std::bad_alloc&) {
        }
        lock.lock();
        if (!block) {
          FFailed = true;  // memory is short: the reserve is the first thing to go without
          break;
        }
        if (FBlocks.size() >= Target()) {  // a document closed meanwhile
          ::munmap(block, kHugePageBytes);
          break;
        }
        FBlocks.push_back(block);
      }
      FFilling = false;
      FSettled.notify_all();
    }
  }

  std::mutex FLock;
  std::condition_variable FWake, FSettled;
  std::vector<void*> FBlocks;
  size_t FLive = 0;
  int FHolds = 0;
  // The load filled ahead of: blocks it will take still, by its forecast, and taken so far.
  bool FAheadOn = false;
  size_t FAhead = 0, FTaken = 0;
  bool FStarted = false, FFilling = false, FFailed = false;
};

TReserve& Reserve() {
  static TReserve* reserve = new TReserve;
  return *reserve;
}

}  // namespace

void* AllocateBlock(size_t bytes) {
  if (bytes > SIZE_MAX / 2) throw std::bad_alloc();  // the rounding below must not wrap
  if (bytes == kHugePageBytes) return Reserve().Take();
  for (;;) {
    try {
      if (bytes > kHugePageBytes) return MapAligned(WholeHugePages(bytes));
      if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) return p;
    } catch (const std::bad_alloc&) {
    }
    if (!Reserve().Release()) throw std::bad_alloc();
  }
}

void FreeBlock(void* block, size_t bytes) {
  if (block == nullptr) return;
  if (bytes == kHugePageBytes)
    Reserve().Give(block);
  else if (bytes > kHugePageBytes)
    ::munmap(block, WholeHugePages(bytes));
  else
    std::free(block);
}

void RecycleHugePages(void* begin, size_t bytes) {
  char* const from = static_cast<char*>(begin);
  size_t kept = 0;
  while (kept < bytes && Reserve().Recycle(from + kept)) kept += kHugePageBytes;
  if (kept < bytes) ::madvise(from + kept, bytes - kept, MADV_DONTNEED);
}

void ReleaseUnusedPages(const void* begin, const void* end) {
  constexpr uintptr_t kPage = 4096;
  // Whole pages only, reached from the pointer itself so that it keeps its provenance.
  char* const at = const_cast<char*>(static_cast<const char*>(begin));
  const uintptr_t first = reinterpret_cast<uintptr_t>(begin);
  const uintptr_t from = (first + kPage - 1) & ~(kPage - 1);
  const uintptr_t to = reinterpret_cast<uintptr_t>(end) & ~(kPage - 1);
  if (to > from) ::madvise(at + (from - first), to - from, MADV_DONTNEED);
}

TBlockReserveHold::TBlockReserveHold() {
  Reserve().Hold(true);
}
TBlockReserveHold::~TBlockReserveHold() {
  Reserve().Hold(false);
}

TBlockReserveAhead::TBlockReserveAhead(size_t bytes)
    : FOwner(Reserve().StartAhead(bytes / 2 / kHugePageBytes)) {}
TBlockReserveAhead::~TBlockReserveAhead() {
  if (FOwner) Reserve().EndAhead();
}
void TBlockReserveAhead::Progress(size_t done, size_t total) {
  if (FOwner) Reserve().Progress(done, total);
}

THugeBlockCounts SettledHugeBlockCounts() {
  return Reserve().Settled();
}

}  // namespace zel
