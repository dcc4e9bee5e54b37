// Find All on a three-million-node outline: a plain text with a hit in every fifth node, a
// regular expression with a hit in every node it can reach, one that misses, and the paths
// of the hits.

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchUtil.h"
#include "editor/FindAll.h"

namespace {

using zel::bench::Clock;
using zel::bench::Ms;

constexpr int kBooks = 600000;  // five nodes each

void Run(const zel::TTreeView& tree, const char* what, const std::string& pattern,
         const zel::TFindAllOptions& options) {
  const auto start = Clock::now();
  const zel::TNodeTextQuery query(pattern, options);
  const std::vector<zel::TFoundNode> found = zel::FindAllNodeText(tree, query);
  std::printf("find all, %s: %.1f ms (%zu hits)\n", what, Ms(start), found.size());
}

}  // namespace

int main() {
  using namespace zel;
  TTreeView tree;
  bench::AddCatalog(tree, kBooks);
  std::printf("nodes: %d\n", tree.Count());

  Run(tree, "plain \"title\"", "title", {});
  Run(tree, "plain, case, no match", "no such text", {false, true, false});
  Run(tree, "regex \"Title [0-9]+7<\"", "Title [0-9]+7<", {true, true, false});
  Run(tree, "regex, whole text", "<(title|author|price)>[^<]*</(title|author|price)>",
      {true, false, true});
  Run(tree, "regex, no match", "(a|b)*c{2,}x", {true, false, false});

  const std::vector<TFoundNode> found = FindAllNodeText(tree, TNodeTextQuery("<price>", {}));
  const auto start = Clock::now();
  const std::vector<std::string> paths = NodePaths(tree, found);
  std::printf("paths of %zu hits: %.1f ms (last %s)\n", paths.size(), Ms(start),
              paths.empty() ? "" : paths.back().c_str());
  // Copy XPath on the last node: the walk from the first.
  if (!found.empty()) {
    const auto one = Clock::now();
    const std::string path = NodePath(*found.back().Node);
    std::printf("path of the last hit: %.1f ms (%s)\n", Ms(one), path.c_str());
  }
  return 0;
}
