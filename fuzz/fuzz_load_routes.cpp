// The load's routes on arbitrary bytes: the rewrite's short way for the tag lines the line
// maker names gives the same nodes, texts, places, counts and percentages as reading every
// line whole; and the tokenizer on an 8-bit text with its own line ends gives the tokens,
// places and progress asks of the text with its line ends made CR LF; and the walk gives the
// outline the line maker and the rewrite give.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/treedoc/LineEndRoutes.h"
#include "tests/treedoc/OutlineRoutes.h"

namespace {

void ExpectSame(const std::string& a, const std::string& b, const char* what) {
  if (a == b) return;
  std::fprintf(stderr, "the two ways differ (%s):\n--- one%s\n--- other%s\n", what, a.c_str(),
               b.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ExpectSame(zeltest::OutlineByRoute(text, true), zeltest::OutlineByRoute(text, false),
             "tag lines, whole lines");
  ExpectSame(zeltest::TokensByLineEnds(text, true), zeltest::TokensByLineEnds(text, false),
             "line ends as read, made CR LF");
  for (const bool places : {true, false})
    ExpectSame(zeltest::OutlineByWalk(text, true, places),
               zeltest::OutlineByWalk(text, false, places),
               "the walk, the line maker and the rewrite");
  return 0;
}
