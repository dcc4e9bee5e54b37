// Loads of the inputs that used to be slow or large, through the tree document component,
// each in a child process of its own so that its peak memory is its own:
//   5,000,000 '<' in a row, a document nested 1,000,000 deep, and a 100 MB document on one
//   line (8-bit and UTF-16).
//   bench_treedoc_hostile [SCALE_PERCENT]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "GeneratedCatalog.h"
#include "bench/BenchUtil.h"
#include "outline/TreeView.h"
#include "platform/LargePages.h"
#include "treedoc/ZelXMLTree.h"

using namespace zel;

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::exit(1);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string Utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  out.reserve(2 * ascii.size() + 2);
  for (const char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

// Loads the file in a child process; prints the time, the node count and the peak memory.
void Measure(const char* what, const std::string& file) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    TTreeView tree;
    TZelXMLTree component;
    component.SetTreeView(&tree);
    const auto start = bench::Clock::now();
    std::string outcome;
    try {
      component.LoadFromFile(file);
      outcome = std::to_string(tree.Count()) + " nodes";
    } catch (const Exception& e) {
      outcome = "fails: " + e.Message();
    }
    const double seconds = bench::Seconds(start);
    std::printf("%-34s load %6.2f s  %s", what, seconds, outcome.c_str());
    std::fflush(stdout);
    std::_Exit(0);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  std::printf("  peak %ld MB\n", usage.ru_maxrss / 1024);
}

}  // namespace

int main(int argc, char** argv) {
  UseLargePages(argv);
  const size_t percent = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
  const auto scaled = [&](size_t n) { return n * percent / 100; };
  char dir[] = "/tmp/zel-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  const std::string d = dir;

  WriteFile(d + "/lt.xml", "<a/>" + std::string(scaled(5000000), '<'));
  Measure("5,000,000 '<'", d + "/lt.xml");
  {
    std::string deep;
    const size_t depth = scaled(1000000);
    deep.reserve(7 * depth);
    for (size_t i = 0; i < depth; ++i) deep += "<a>";
    for (size_t i = 0; i < depth; ++i) deep += "</a>";
    WriteFile(d + "/deep.xml", deep);
  }
  Measure("nested 1,000,000 deep", d + "/deep.xml");
  {
    const std::string line = bench::GenerateCatalog(scaled(100) * 1000 * 1000, false);
    WriteFile(d + "/line.xml", line);
    WriteFile(d + "/line16.xml", Utf16(line));
  }
  Measure("100 MB on one line, 8-bit", d + "/line.xml");
  Measure("100 MB on one line, UTF-16", d + "/line16.xml");
  for (const char* f : {"/lt.xml", "/deep.xml", "/line.xml", "/line16.xml"})
    unlink((d + f).c_str());
  rmdir(dir);
  return 0;
}
