#pragma once
// What the benchmarks and the zelxml tool share: the clock, the process's CPU time and memory,
// and the books of the outline benchmarks.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "outline/TreeView.h"
#include "tests/outline/TreeWriteAccess.h"

namespace zel::bench {

using test::kWrite;

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

inline double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// The CPU time the process has used so far, in seconds: in user mode, and in the kernel.
struct TCpuTime {
  double User = 0, System = 0;
};
inline TCpuTime CpuTime() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

// The largest resident size the process has had, in KB and in MB.
inline long PeakKB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}
inline long PeakMB() {
  return PeakKB() / 1024;
}

// The resident size now, in MB.
inline double ResidentMB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return double(resident) * 4096 / (1024 * 1024);
}

// A book of five nodes, the `i`-th, as the last child of `parent`.
inline void AddBook(TTreeView& tree, TTreeNode* parent, int i) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "<book id=\"%d\">", i);
  TTreeNode* book = tree.AddChild(kWrite, parent, buf);
  std::snprintf(buf, sizeof buf, "<title>Some Title %d</title>", i);
  tree.AddChild(kWrite, book, buf);
  tree.AddChild(kWrite, book, "<author>Author Name</author>");
  tree.AddChild(kWrite, book, "<price>9.95</price>");
  tree.AddChild(kWrite, book, "<available/>");
}

// The outline of a catalog file of `books` books: the file's node, <catalog> and the books.
inline void AddCatalog(TTreeView& tree, int books) {
  TTreeNode* root = tree.AddChild(kWrite, nullptr, "catalog.xml");
  TTreeNode* catalog = tree.AddChild(kWrite, root, "<catalog>");
  for (int i = 0; i < books; ++i) AddBook(tree, catalog, i);
}

}  // namespace zel::bench
