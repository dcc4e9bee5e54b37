#pragma once
// The generated catalog of the tree document benchmarks: about `bytes` bytes, some 30,000
// nodes per megabyte, indented, with a comment every 50 books. Without line breaks it is the
// same document on one line.

#include <cstdio>
#include <cstdlib>
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

// The document a bench runs on: FILE as given, or a number N for a catalog of N MB written
// into `dir`.
inline std::string DocumentArg(const std::string& arg, const std::string& dir) {
  if (arg.find_first_not_of("0123456789") != std::string::npos) return arg;
  const std::string text = GenerateCatalog(std::stoul(arg) * 1000 * 1000);
  const std::string file = dir + "/big.xml";
  if (FILE* f = std::fopen(file.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  return file;
}

// A window bench keeps its settings in its temporary folder and runs without a display.
inline void WindowBenchEnvironment(const char* dir) {
  setenv("windir", dir, 1);
  if (getenv("DISPLAY") == nullptr && getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

}  // namespace zel::bench
