#include "platform/BlockAllocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

using namespace zel;

TEST(BlockAllocator, BlocksAreUsableWholeAndLargeOnesStartOnAHugePage) {
  for (const size_t bytes : {size_t(1), kFirstBlockBytes, kHugePageBytes - 1, kHugePageBytes,
                             kHugePageBytes + 1, 3 * kHugePageBytes + 17}) {
    char* p = static_cast<char*>(AllocateBlock(bytes));
    ASSERT_NE(p, nullptr);
    std::memset(p, 0x5A, bytes);  // every byte asked for is there
    EXPECT_EQ(p[bytes - 1], 0x5A);
    if (bytes >= kHugePageBytes) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % kHugePageBytes, 0u);
    }
    FreeBlock(p, bytes);
  }
  FreeBlock(nullptr, kHugePageBytes);
}

TEST(BlockAllocator, ImpossibleSizesFailInsteadOfWrapping) {
  EXPECT_THROW(AllocateBlock(SIZE_MAX), std::bad_alloc);
  EXPECT_THROW(AllocateBlock(SIZE_MAX - kHugePageBytes + 2), std::bad_alloc);
}

TEST(BlockAllocator, SizesGrowToOneHugePage) {
  EXPECT_EQ(NextBlockSize(0), kFirstBlockBytes);
  EXPECT_EQ(NextBlockSize(kFirstBlockBytes), 2 * kFirstBlockBytes);
  EXPECT_EQ(NextBlockSize(kHugePageBytes), kHugePageBytes);
  EXPECT_EQ(NextBlockSize(kHugePageBytes / 2 + 1), kHugePageBytes);
}

// Blocks of one huge page come through the reserve: it fills in the background to about a
// third of a large document's blocks, only a few ahead while held, and gives everything back
// once the document is gone.
TEST(BlockAllocator, HugeBlockReserveFollowsTheBlocksInUse) {
  const size_t base = SettledHugeBlockCounts().Live;
  std::vector<void*> blocks;
  const auto take = [&](size_t n) {
    for (size_t i = 0; i < n; ++i) {
      char* p = static_cast<char*>(AllocateBlock(kHugePageBytes));
      EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % kHugePageBytes, 0u);
      std::memset(p, 0x5A, kHugePageBytes);
      blocks.push_back(p);
    }
  };
  {
    const TBlockReserveHold loading;
    take(60);
    const THugeBlockCounts held = SettledHugeBlockCounts();
    EXPECT_EQ(held.Live, base + 60);
    EXPECT_LE(held.Reserved, 8u);
  }
  const THugeBlockCounts open = SettledHugeBlockCounts();
  EXPECT_GE(open.Reserved * 3 + 3, open.Live);
  EXPECT_LE(open.Reserved * 3, open.Live);
  take(open.Reserved);  // an edit's copy: taken from the reserve, which then fills again
  EXPECT_GE(SettledHugeBlockCounts().Reserved * 3 + 3, base + blocks.size());
  for (void* p : blocks) FreeBlock(p, kHugePageBytes);
  const THugeBlockCounts closed = SettledHugeBlockCounts();
  EXPECT_EQ(closed.Live, base);
  if (base < 8) {
    EXPECT_EQ(closed.Reserved, 0u);
  }
}

// Pages of a buffer read through become the next blocks: a block taken after them is whole and
// aligned, the buffer still reads (as zeros where they were) and is freed as a whole, and the
// pages not taken by the end of the load go back.
TEST(BlockAllocator, RecycledPagesReadAsZerosAndServeAsBlocks) {
  const size_t pages = 3, bytes = (pages + 1) * kHugePageBytes;
  char* buffer = static_cast<char*>(AllocateBlock(bytes));  // aligned: more than a huge page
  std::memset(buffer, 0x5A, bytes);
  std::vector<void*> blocks;
  const auto take = [&] {
    char* p = static_cast<char*>(AllocateBlock(kHugePageBytes));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % kHugePageBytes, 0u);
    std::memset(p, 0x33, kHugePageBytes);
    blocks.push_back(p);
  };
  {
    const TBlockReserveHold loading;
    RecycleHugePages(buffer, pages * kHugePageBytes);
    take();
  }
  const THugeBlockCounts after = SettledHugeBlockCounts();
  if (after.Live < 8) {
    EXPECT_EQ(after.Reserved, 0u);
  }
  take();
  for (size_t i = 0; i < pages * kHugePageBytes; i += 4096) ASSERT_EQ(buffer[i], 0) << i;
  EXPECT_EQ(buffer[pages * kHugePageBytes], 0x5A);
  EXPECT_EQ(buffer[bytes - 1], 0x5A);
  for (void* p : blocks) {
    EXPECT_EQ(static_cast<char*>(p)[kHugePageBytes - 1], 0x33);
    FreeBlock(p, kHugePageBytes);
  }
  FreeBlock(buffer, bytes);
}

// A load that says what it will take has the reserve filled that far ahead of it: first by its
// guess, then by the blocks it took extrapolated over what remains; what it did not take goes
// back once it ends.
TEST(BlockAllocator, ReserveFillsAheadOfALoadByItsForecast) {
  std::vector<void*> blocks;
  const TBlockReserveHold loading;
  {
    TBlockReserveAhead ahead(24 * kHugePageBytes);  // about half a block a huge page read
    EXPECT_EQ(SettledHugeBlockCounts().Reserved, 12u);
    for (int i = 0; i < 4; ++i) blocks.push_back(AllocateBlock(kHugePageBytes));
    EXPECT_EQ(SettledHugeBlockCounts().Reserved, 8u);
    ahead.Progress(1, 4);  // 4 blocks for a quarter: 12 for the rest
    EXPECT_EQ(SettledHugeBlockCounts().Reserved, 12u);
    ahead.Progress(3, 4);  // 1.33 for the last quarter
    EXPECT_EQ(SettledHugeBlockCounts().Reserved, 1u);
    {
      TBlockReserveAhead second(100 * kHugePageBytes);  // only the first load forecasts
      second.Progress(1, 100);
      EXPECT_EQ(SettledHugeBlockCounts().Reserved, 1u);
    }
    EXPECT_EQ(SettledHugeBlockCounts().Reserved, 1u);
  }
  EXPECT_EQ(SettledHugeBlockCounts().Reserved, 0u);
  for (void* p : blocks) FreeBlock(p, kHugePageBytes);
}
