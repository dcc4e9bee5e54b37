#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

#include "platform/Memory.h"
#include "platform/Ticks.h"
#include "platform/WaitObject.h"

namespace zel {
namespace {

TEST(Memory, WholeZeroedPagesThatCanBeLocked) {
  const uint32_t page = GetPageSize();
  ASSERT_GT(page, 0u);
  auto* p = static_cast<uint8_t*>(VirtualAlloc(page + 1));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % page, 0u);
  EXPECT_EQ(p[0], 0);
  p[2 * page - 1] = 1;  // the second page belongs to it too
  EXPECT_TRUE(VirtualLock(p, page));
  EXPECT_TRUE(VirtualUnlock(p, page));
  EXPECT_TRUE(VirtualFree(p, page + 1));
  EXPECT_EQ(VirtualAlloc(0), nullptr);
}

TEST(WaitObject, TimesOutUntilSignalledAndStaysSignalledUntilReset) {
  TWaitObject event;
  const uint32_t start = GetTickCount();
  EXPECT_EQ(WaitForSingleObject(&event, 60), WAIT_TIMEOUT);
  EXPECT_GE(GetTickCount() - start, 55u);
  event.SetEvent();
  EXPECT_EQ(WaitForSingleObject(&event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(&event, 1000), WAIT_OBJECT_0);
  event.ResetEvent();
  EXPECT_FALSE(event.IsSignalled());
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
}

TEST(WaitObject, AnotherThreadEndsTheWait) {
  TWaitObject event;
  std::thread signaller([&] {
    Sleep(50);
    event.SetEvent();
  });
  const uint32_t start = GetTickCount();
  EXPECT_EQ(WaitForSingleObject(&event, 10000), WAIT_OBJECT_0);
  EXPECT_LT(GetTickCount() - start, 5000u);
  signaller.join();
}

}  // namespace
}  // namespace zel
