// Any sequence of edits on any outline, on one node or on a selection of several, and batches
// of new texts: undoing every step gives back the outline it started from exactly, and redoing
// every step the edited one. The input's bytes choose the outline and the edits.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/editor/EditSequence.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t at = 0;
  // Two bytes a choice, so that a choice can reach every node of the outline.
  const auto pick = [&](unsigned n) {
    unsigned v = 0;
    for (int i = 0; i < 2 && at < size; ++i) v = v << 8 | data[at++];
    return v % n;
  };
  const int steps = int(std::min<size_t>(size / 2 + 1, 250));
  const std::string failure = zel::test::CheckEditSequence(pick, steps);
  if (!failure.empty()) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
