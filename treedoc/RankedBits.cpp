#include "treedoc/RankedBits.h"

namespace zel {

void TRankedBits::Set(size_t index) {
  if (index / 64 >= FBits.size()) FBits.resize(index / 64 + 1);
  FBits[index / 64] |= uint64_t{1} << (index % 64);
}

bool TRankedBits::Push(size_t index) {
  if (index < FNext) return false;
  const size_t word = index / 64;
  while (FBits.size() <= word) {
    FBefore.push_back(static_cast<uint32_t>(FPushed));
    FBits.push_back(0);
  }
  FBits[word] |= uint64_t{1} << (index % 64);
  ++FPushed;
  FNext = index + 1;
  return true;
}

void TRankedBits::Rank() {
  FBefore.resize(FBits.size());
  uint32_t count = 0;
  for (size_t i = 0; i < FBits.size(); ++i) {
    FBefore[i] = count;
    count += static_cast<uint32_t>(__builtin_popcountll(FBits[i]));
  }
}

size_t TRankedBits::RankOf(size_t index) const {
  const size_t word = index / 64;
  if (word >= FBits.size())
    return FBefore.empty() ? 0 : FBefore.back() + __builtin_popcountll(FBits.back());
  const uint64_t below = (uint64_t{1} << (index % 64)) - 1;
  return FBefore[word] + static_cast<size_t>(__builtin_popcountll(FBits[word] & below));
}

}  // namespace zel
