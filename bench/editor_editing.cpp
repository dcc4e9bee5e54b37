// The editing paths on a three-million-node outline: the command-state handler after a
// selection change and after a move (the move invalidates the position cache), Find that
// misses (a walk over the whole document, down and up), and the About statistics.

#include <chrono>
#include <cstdio>
#include <string>

#include "bench/BenchUtil.h"
#include "editor/CommandStates.h"
#include "editor/NodeEditing.h"
#include "editor/TreeSearch.h"
#include "editor/TreeStatistic.h"

namespace {

using zel::test::kWrite;

using zel::bench::Clock;
using zel::bench::Ms;

constexpr int kBooks = 600000;  // five nodes each

// The handler's work for one idle cycle.
std::string IdleCycle(const zel::TTreeView& tree) {
  zel::TCommandInput in;
  in.FileName = "/tmp/catalog.xml";
  in.Selected = tree.Selected();
  in.NodeCount = tree.Count();
  const zel::TCommandStates c = zel::ComputeCommandStates(in);
  return zel::NodePositionText(in.Selected, c.Modify);
}

}  // namespace

int main() {
  using namespace zel;
  TTreeView tree;
  bench::AddCatalog(tree, kBooks);
  TTreeNode* root = tree.GetFirstNode();
  std::printf("nodes: %d\n", tree.Count());

  TTreeNode* middle = tree.Item(tree.Count() / 2);
  auto start = Clock::now();
  tree.SetSelected(middle);
  std::string panel = IdleCycle(tree);
  std::printf("select + idle cycle: %.3f ms (%s)\n", Ms(start), panel.c_str());

  start = Clock::now();
  for (int i = 0; i < 1000; ++i) panel = IdleCycle(tree);
  std::printf("idle cycle, unchanged: %.4f ms each\n", Ms(start) / 1000);

  start = Clock::now();
  tree.SetSelected(middle->Parent());
  MoveNodeDown(kWrite, middle->Parent());
  panel = IdleCycle(tree);
  std::printf("move down + idle cycle: %.3f ms (%s)\n", Ms(start), panel.c_str());

  start = Clock::now();
  TTreeNode* found = FindNodeText(root, "no such text", {});
  std::printf("find down, no match: %.3f ms%s\n", Ms(start), found ? " (found?)" : "");
  start = Clock::now();
  found = FindNodeText(tree.Item(tree.Count() - 1), "no such text", {false, false, false});
  std::printf("find up, no match: %.3f ms%s\n", Ms(start), found ? " (found?)" : "");

  start = Clock::now();
  const TTreeStatistic s = CountTreeStatistic(tree);
  std::printf("statistic: %.3f ms (nodes %lld, depth %lld, characters %lld)\n", Ms(start),
              static_cast<long long>(s.Nodes), static_cast<long long>(s.Depth),
              static_cast<long long>(s.Characters));
  return 0;
}
