#pragma once
// Tests and benchmarks build their trees and change them directly, with the key the tree's
// mutators ask for.

#include "outline/TreeWriteKey.h"

namespace zel::test {

struct TTreeWriteAccess {
  static constexpr TTreeWriteKey Key() { return {}; }
};

inline constexpr TTreeWriteKey kWrite = TTreeWriteAccess::Key();

}  // namespace zel::test
