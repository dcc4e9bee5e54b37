#include "base/Assert.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

#ifndef NDEBUG
TEST(AssertTest, AFalseConditionTellsWhereAndWhatThenAborts) {
  int checked = 0;
  ZEL_ASSERT(++checked == 1);
  EXPECT_EQ(checked, 1);
  EXPECT_DEATH(ZEL_ASSERT(checked == 2), "AssertTest\\.cpp:[0-9]+: assertion failed: checked == 2");
}
#else
TEST(AssertTest, ReleaseBuildsDoNotEvaluateTheCondition) {
  int checked = 0;
  ZEL_ASSERT(++checked == 2);
  EXPECT_EQ(checked, 0);
}
#endif

}  // namespace
}  // namespace zel
