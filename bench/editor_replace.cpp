// Replace All on a three-million-node outline: a plain text three times in 600,000 nodes and a
// regular expression with groups in 600,000, each applied as one step, with its undo and redo;
// and one that would break all 600,000 of its nodes, which are left as they are.

#include <cstdio>
#include <functional>
#include <string>

#include "bench/BenchUtil.h"
#include "editor/Replace.h"

namespace {

using zel::bench::Clock;
using zel::bench::Ms;

constexpr int kBooks = 600000;  // five nodes each

double Time(const std::function<void()>& f) {
  const auto start = Clock::now();
  f();
  return Ms(start);
}

void Run(zel::TOutlineDocument& doc, const char* what, const std::string& pattern,
         const std::string& with, const zel::TFindAllOptions& options) {
  zel::TReplacePlan plan;
  const double planned = Time(
      [&] { plan = zel::PlanReplaceAll(doc.Tree(), zel::TTextReplacer(pattern, with, options)); });
  const size_t nodes = plan.Changes.size();
  bool step = false;
  const double applied = Time([&] { step = doc.SetTexts(std::move(plan.Changes), "Replace All"); });
  const double undone = step ? Time([&] { doc.Undo(); }) : 0;
  const double redone = step ? Time([&] { doc.Redo(); }) : 0;
  std::printf(
      "replace all, %s: %zu replacements in %zu nodes (%zu left): new texts %.1f ms, "
      "applied %.1f ms (together %.1f ms), undo %.1f ms, redo %.1f ms\n",
      what, plan.Replacements, nodes, plan.Skipped, planned, applied, planned + applied, undone,
      redone);
  if (step) doc.Undo();  // the next run starts from the catalog as built
}

}  // namespace

int main() {
  using namespace zel;
  TOutlineDocument doc;
  bench::AddCatalog(doc.Tree(), kBooks);
  std::printf("nodes: %d\n", doc.Tree().Count());
  Run(doc, "plain \"Title\"", "Title", "Name", {});
  Run(doc, "regex \"<price>([0-9]+)\\.([0-9]+)<\"", "<price>([0-9]+)\\.([0-9]+)<",
      "<price>\\2.\\1<", {true, true, false});
  // Every new text breaks its node: each is parsed alone, beside the old one.
  Run(doc, "plain \"</title>\" to \"</titl>\"", "</title>", "</titl>", {});
  return 0;
}
