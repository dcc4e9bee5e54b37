// Node text storage under random stores, shares, drops and compactions, finished or given up:
// every holder reads its text back, whatever its length (short, around the one-byte length,
// long enough for a block of its own).

#include "outline/TextBlocks.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace zel;

namespace {

struct THolder {
  const char* Text;
  std::string Expected;
};

std::string RandomText(std::mt19937& random) {
  static const size_t kSizes[] = {0, 1, 7, 253, 254, 255, 256, 1000, 65535, 65536, 70000};
  const size_t size = random() % 3 == 0 ? kSizes[random() % std::size(kSizes)] : random() % 300;
  std::string text(size, 'a');
  for (char& c : text) c = static_cast<char>(random());
  return text;
}

}  // namespace

TEST(TextBlocks, EveryHolderReadsItsTextThroughStoresDropsAndCompactions) {
  for (unsigned seed = 0; seed < 20; ++seed) {
    std::mt19937 random(seed);
    TTextBlocks blocks;
    std::vector<THolder> holders;
    const auto check = [&] {
      for (const THolder& h : holders) ASSERT_EQ(TTextBlocks::View(h.Text), h.Expected);
    };
    for (int step = 0; step < 3000; ++step) {
      const unsigned op = random() % 16;
      if (op < 8 || holders.empty()) {
        std::string text = RandomText(random);
        holders.push_back({blocks.Store(text), std::move(text)});
      } else if (op < 10) {
        const THolder& from = holders[random() % holders.size()];
        blocks.Share(from.Text);
        holders.push_back(from);
      } else if (op < 15) {
        const size_t i = random() % holders.size();
        blocks.Drop(holders[i].Text);
        holders[i] = holders.back();
        holders.pop_back();
      } else {
        TTextBlocks::TCompaction compaction(blocks);
        for (const THolder& h : holders) compaction.Copy(h.Text);
        if (random() % 2) {
          for (THolder& h : holders) h.Text = compaction.Moved(h.Text);
          compaction.Finish();
        }
        // Given up, the old places stand as they were.
      }
      if (step % 50 == 0 || op == 15) check();
    }
    check();
    for (const THolder& h : holders) blocks.Drop(h.Text);
    EXPECT_EQ(blocks.HeldBytes() <= (size_t(2) << 20) + 65536, true) << "seed " << seed;
  }
}
