#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zel {

// Which records of a list have an entry of their own in a side list, and the entry's place
// there: set in any order, then ranked once, after which a lookup takes constant time; or
// pushed in rising order, ranked as they come.
class TRankedBits {
 public:
  void Set(size_t index);
  void Reset(size_t index) {
    if (Test(index)) FBits[index / 64] &= ~(uint64_t{1} << (index % 64));
  }
  // False, setting nothing, when index is not past every index pushed before.
  bool Push(size_t index);
  bool Test(size_t index) const {
    return index / 64 < FBits.size() && (FBits[index / 64] >> (index % 64) & 1) != 0;
  }
  void Rank();
  // How many set bits come before index; Rank must have been called since the last Set.
  size_t RankOf(size_t index) const;

 private:
  std::vector<uint64_t> FBits;
  std::vector<uint32_t> FBefore;  // set bits before each word
  size_t FPushed = 0;             // bits pushed; the next must lie at or past FNext
  size_t FNext = 0;
};

}  // namespace zel
