// Save of a document nested 1,000,000 deep, built straight into the outline. The indentation
// stops growing at level 256, so the file is still about 500 MB of TABs; it goes to /dev/null,
// which the save writes in place: what counts is the memory the save needs beyond the tree.
//   bench_treedoc_deepsave [DEPTH]

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/BenchUtil.h"
#include "outline/TreeView.h"
#include "treedoc/ZelXMLTree.h"

using namespace zel;

namespace {

using zel::test::kWrite;

// Resident and peak resident memory in MB, from /proc/self/status.
long StatusMB(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::string(key).size()) / 1024;
  return -1;
}

// Starts the peak over from the current resident size.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace

int main(int argc, char** argv) {
  const long depth = argc > 1 ? std::atol(argv[1]) : 1000000;
  TTreeView tree;
  auto start = bench::Clock::now();
  {
    TTreeNode* n = tree.AddChild(kWrite, nullptr, "deep.xml");
    for (long i = 0; i < depth; ++i) n = tree.AddChild(kWrite, n, "<e a=\"1\">");
  }
  const double build = bench::Seconds(start);
  const long treeMB = StatusMB("VmRSS:");
  ResetPeak();
  TZelXMLTree component;
  component.SetTreeView(&tree);
  start = bench::Clock::now();
  component.SaveToFile("/dev/null");
  const double save = bench::Seconds(start);
  const long peakMB = StatusMB("VmHWM:");
  std::printf(
      "depth %ld\nbuild %.3f s\nsave %.3f s\nresident with the tree %ld MB\n"
      "peak during save %ld MB (%ld MB beyond the tree)\n",
      depth, build, save, treeMB, peakMB, peakMB - treeMB);
  return 0;
}
