// The yardstick of the editor's load: pugixml's DOM parse of the same file, in a process of
// its own with the huge-page tunable the editor's programs set for themselves, so that
// bench/run-bench can time both processes alike.
//   bench_pugixml_load FILE
// Prints nothing on success; a document pugixml rejects fails with its message.

#include <pugixml.hpp>

#include <cstdio>

#include "platform/LargePages.h"

int main(int argc, char** argv) {
  zel::UseLargePages(argv);
  if (argc != 2) {
    std::fputs("usage: bench_pugixml_load FILE\n", stderr);
    return 2;
  }
  pugi::xml_document doc;
  const pugi::xml_parse_result result = doc.load_file(argv[1]);
  if (!result) {
    std::fprintf(stderr, "bench_pugixml_load: %s: %s at byte %lld\n", argv[1], result.description(),
                 static_cast<long long>(result.offset));
    return 1;
  }
  return 0;
}
