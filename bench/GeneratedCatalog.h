#pragma once
// The generated catalog of the tree document benchmarks: about `bytes` bytes, some 30,000
// nodes per megabyte, indented, with a comment every 50 books. Without line breaks it is the
// same document on one line.

#include <cstdio>
#include <string>

namespace zel::bench {

inline std::string GenerateCatalog(size_t bytes, bool lineBreaks = true) {
  const char* nl = lineBreaks ? "\n" : "";
  std::string out =
      std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + nl + "<catalog>" + nl;
  out.reserve(bytes + 4096);
  char buf[512];
  for (unsigned i = 0; out.size() < bytes; ++i) {
    const int n = std::snprintf(
        buf, sizeof buf,
        "  <book id=\"%u\" lang=\"en\">%s    <title>Some Title number %u</title>%s"
        "    <author>Author %u</author>%s    <price currency=\"EUR\">%u.%u5</price>%s"
        "    <note/>%s%s%s  </book>%s",
        i, nl, i, nl, i % 977, nl, i % 100, i % 10, nl, nl,
        i % 50 == 0 ? "    <!-- a comment about this book -->" : "", i % 50 == 0 ? nl : "", nl);
    out.append(buf, static_cast<size_t>(n));
  }
  return out + "</catalog>" + nl;
}

}  // namespace zel::bench
