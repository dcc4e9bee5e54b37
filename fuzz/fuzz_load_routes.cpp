// The load's rewrite on arbitrary bytes: its short way for the tag lines the line maker names
// gives the same nodes, texts, places, counts and percentages as reading every line whole.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/treedoc/OutlineRoutes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string tagLines = zeltest::OutlineByRoute(text, true);
  const std::string wholeLines = zeltest::OutlineByRoute(text, false);
  if (tagLines != wholeLines) {
    std::fprintf(stderr, "the two ways differ:\n--- tag lines%s\n--- whole lines%s\n",
                 tagLines.c_str(), wholeLines.c_str());
    std::abort();
  }
  return 0;
}
