#include "treedoc/OutlineLines.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace zel;

namespace {

std::vector<std::pair<int, std::string>> Drained(TOutlineLines& lines) {
  std::vector<std::pair<int, std::string>> out;
  lines.Drain([&](int level, std::string_view text) { out.emplace_back(level, text); });
  return out;
}

}  // namespace

TEST(OutlineLines, LinesComeBackInOrderAcrossBlocks) {
  TOutlineLines lines;
  std::vector<std::pair<int, std::string>> expected;
  for (int i = 0; i < 100000; ++i) {
    std::string text(static_cast<size_t>(i % 97), static_cast<char>('a' + i % 26));
    lines.Add(i % 50, text);
    if (i % 3 == 0) {
      lines.AppendToLast("+" + std::to_string(i));
      text += "+" + std::to_string(i);
    }
    expected.emplace_back(i % 50, text);
  }
  EXPECT_EQ(lines.Count(), expected.size());
  EXPECT_EQ(Drained(lines), expected);
  EXPECT_TRUE(lines.Empty());
}

TEST(OutlineLines, ALineThatKeepsGrowingStaysWhole) {
  TOutlineLines lines;
  lines.Add(1, "first");
  lines.Add(2, "<!--");
  std::string grown = "<!--";
  for (int i = 0; i < 20000; ++i) {
    const std::string piece = "\\n " + std::string(300, 'x');
    lines.AppendToLast(piece);
    grown += piece;
  }
  lines.Add(3, "");
  const auto out = Drained(lines);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0], (std::pair<int, std::string>{1, "first"}));
  EXPECT_EQ(out[1].second, grown);
  EXPECT_EQ(out[2], (std::pair<int, std::string>{3, ""}));
}

TEST(OutlineLines, ASinkThatFailsStillEmptiesTheList) {
  TOutlineLines lines;
  for (int i = 0; i < 10; ++i) lines.Add(i, "x");
  int seen = 0;
  EXPECT_THROW(lines.Drain([&](int, std::string_view) {
    if (++seen == 4) throw std::runtime_error("stop");
  }),
               std::runtime_error);
  EXPECT_TRUE(lines.Empty());
  lines.Add(0, "again");
  EXPECT_EQ(Drained(lines), (std::vector<std::pair<int, std::string>>{{0, "again"}}));
}
