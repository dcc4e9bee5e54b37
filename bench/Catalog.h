#pragma once
// The generated document of the benchmarks: a catalog of books, about `bytes` long, with five
// elements per book and a comment on every 50th.

#include <cstdio>
#include <string>

namespace zel {

inline std::string GenerateCatalog(size_t bytes) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<catalog>\n";
  out.reserve(bytes + 4096);
  char buf[512];
  for (unsigned i = 0; out.size() < bytes; ++i) {
    const int n =
        std::snprintf(buf, sizeof buf,
                      "  <book id=\"%u\" lang=\"en\">\n    <title>Some Title number %u</title>\n"
                      "    <author>Author %u</author>\n    <price currency=\"EUR\">%u.%u5</price>\n"
                      "    <note/>\n%s  </book>\n",
                      i, i, i % 977, i % 100, i % 10,
                      i % 50 == 0 ? "    <!-- a comment about this book -->\n" : "");
    out.append(buf, static_cast<size_t>(n));
  }
  out.append("</catalog>\n");
  return out;
}

}  // namespace zel
