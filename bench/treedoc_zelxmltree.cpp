// Load and save of a generated document of about 100 MB and 3 million elements through the
// tree document component, as the editor does them. Prints times and peak memory.
//   bench_treedoc_zelxmltree [MEGABYTES]

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "GeneratedCatalog.h"
#include "bench/BenchUtil.h"
#include "outline/TreeView.h"
#include "platform/LargePages.h"
#include "treedoc/ZelXMLTree.h"

using namespace zel;

namespace {

using bench::PeakMB;
using bench::Seconds;

}  // namespace

int main(int argc, char** argv) {
  UseLargePages(argv);
  const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
  char dir[] = "/tmp/zel-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  const std::string in = std::string(dir) + "/big.xml", out = std::string(dir) + "/saved.xml";
  {
    const std::string text = bench::GenerateCatalog(megabytes * 1000 * 1000);
    FILE* f = std::fopen(in.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  const long before = PeakMB();
  TTreeView tree;
  TZelXMLTree component;
  component.SetTreeView(&tree);
  unsigned long events = 0;
  component.OnProgress = [&](TZelXMLTree&, TZelXMLTreeStates, uint16_t) { ++events; };

  auto t = bench::Clock::now();
  component.LoadFromFile(in);
  const double load = Seconds(t);
  const long loadPeak = PeakMB();
  t = bench::Clock::now();
  component.SaveToFile(out);
  const double save = Seconds(t);
  std::printf("document %zu MB, %d nodes, %lu progress events\n", megabytes, tree.Count(), events);
  std::printf("load %.2f s, peak %ld MB (generator's own peak before: %ld MB)\n", load, loadPeak,
              before);
  std::printf("save %.2f s, peak %ld MB\n", save, PeakMB());
  unlink(in.c_str());
  unlink(out.c_str());
  rmdir(dir);
  return 0;
}
