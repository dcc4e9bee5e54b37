// The two command tables agree: a command without its window row never reaches the window, one
// with two shows twice, and a picture name without its drawing shows nothing.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/Images.h"
#include "app/UFormMain.h"

namespace zel::test {
namespace {

TEST(CommandTableTest, EveryCommandHasOneRowInEachTableAndItsPicture) {
  ASSERT_EQ(CommandRows().size(), kCommandCount);
  std::set<std::string> names;
  for (size_t i = 0; i < kCommandCount; ++i) {
    const TCommandRow& row = CommandRows()[i];
    EXPECT_EQ(static_cast<size_t>(row.Id), i) << row.Name;
    EXPECT_TRUE(names.insert(row.Name).second) << row.Name;
    EXPECT_NE(row.Enabled, nullptr) << row.Name;
  }
  std::vector<int> windowRows(kCommandCount);
  for (const TFormMain::TWindowRow& r : TFormMain::WindowRows()) {
    ASSERT_LT(static_cast<size_t>(r.Id), kCommandCount);
    ++windowRows[static_cast<size_t>(r.Id)];
    const char* name = CommandRow(r.Id).Name;
    EXPECT_TRUE(r.Icon == nullptr || HasBundledIcon(r.Icon)) << name << ": " << r.Icon;
    // Each does something: the window's handler, the document's action, or its check mark.
    EXPECT_TRUE(r.Execute || CommandRow(r.Id).Act || (r.Places & kCheck)) << name;
  }
  for (size_t i = 0; i < kCommandCount; ++i) EXPECT_EQ(windowRows[i], 1) << CommandRows()[i].Name;
}

}  // namespace
}  // namespace zel::test
