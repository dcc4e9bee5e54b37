#include "platform/BlockAllocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>

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
