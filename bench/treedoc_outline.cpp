// Builds a generated catalog outline of about three million nodes through the outline builder,
// then asks position queries, loads it again from outline text, and clears it. Prints times
// and peak memory.

#include <cstdio>
#include <string>

#include "bench/BenchUtil.h"
#include "outline/OutlineBuilder.h"
#include "outline/TreeView.h"

namespace {

using zel::test::kWrite;

using zel::bench::Clock;
using zel::bench::Ms;
using zel::bench::PeakKB;

constexpr int kBooks = 600000;  // five nodes each

// Calls sink(level, text) for every node of the catalog, in document order.
template <typename Sink>
void Generate(Sink&& sink) {
  char buf[64];
  sink(0, std::string("catalog.xml"));
  sink(1, std::string("<catalog>"));
  for (int i = 0; i < kBooks; ++i) {
    std::snprintf(buf, sizeof buf, "<book id=\"%d\">", i);
    sink(2, std::string(buf));
    std::snprintf(buf, sizeof buf, "<title>Some Title %d</title>", i);
    sink(3, std::string(buf));
    std::snprintf(buf, sizeof buf, "<author>Author Name %d</author>", i % 5000);
    sink(3, std::string(buf));
    std::snprintf(buf, sizeof buf, "<price>%d.95</price>", i % 90);
    sink(3, std::string(buf));
    sink(3, std::string("<available/>"));
  }
}

}  // namespace

int main() {
  using namespace zel;
  const long rssStart = PeakKB();

  // The generator's own cost (formatting the texts), to tell it apart from the build.
  auto start = Clock::now();
  long long genBytes = 0;
  Generate([&](int level, std::string text) { genBytes += level + text.size(); });
  const double genMs = Ms(start);

  TTreeView tree;
  long long textBytes = 0;
  long long heapTexts = 0;
  start = Clock::now();
  {
    TOutlineBuilder builder(tree, kWrite);
    tree.BeginUpdate();
    Generate([&](int level, std::string text) {
      textBytes += static_cast<long long>(text.size());
      if (text.size() > 15) heapTexts += static_cast<long long>(text.size()) + 1;
      builder.AddNode(level, std::move(text));
    });
    tree.EndUpdate();
  }
  const double buildMs = Ms(start);
  const long rssBuilt = PeakKB();
  const int count = tree.Count();

  // Queries: the first after the build is served by the cache the appends kept fresh.
  start = Clock::now();
  long long sum = 0;
  for (int i = 0; i < count; i += 997) {
    TTreeNode* n = tree.Item(i);
    sum += n->Level() + n->Index() + n->AbsoluteIndex();
  }
  const double queryMs = Ms(start);

  // A structural change in the middle, then one query: one rebuild pass.
  TTreeNode* mid = tree.Item(count / 2);
  mid->MoveTo(kWrite, tree.GetFirstNode()->GetFirstChild(), TNodeAttachMode::naAddChild);
  start = Clock::now();
  sum += mid->AbsoluteIndex();
  const double rebuildMs = Ms(start);
  start = Clock::now();
  for (int i = 0; i < 1000000; ++i) sum += mid->Level() + mid->Index() + tree.Count();
  const double cachedMs = Ms(start);

  // Sequential walk in document order.
  start = Clock::now();
  for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext()) sum += n->Text().size();
  const double walkMs = Ms(start);

  start = Clock::now();
  tree.Clear(kWrite);
  const double clearMs = Ms(start);

  // The same outline through LoadFromStream (one space per level).
  std::string outline;
  outline.reserve(static_cast<size_t>(textBytes) + static_cast<size_t>(count) * 6);
  Generate([&](int level, std::string text) {
    outline.append(static_cast<size_t>(level), ' ');
    outline += text;
    outline += "\r\n";
  });
  TMemoryStream stream;
  stream.Assign(std::move(outline));
  start = Clock::now();
  tree.LoadFromStream(kWrite, stream);
  const double loadMs = Ms(start);
  start = Clock::now();
  tree.Clear(kWrite);
  const double clear2Ms = Ms(start);
  const long rssEnd = PeakKB();

  const double builtBytes = (rssBuilt - rssStart) * 1024.0;
  std::printf("treedoc_outline: %d nodes, %.1f MB of text (%lld bytes on the heap)\n", count,
              textBytes / 1e6, heapTexts);
  std::printf("  sizeof(TTreeNode) %zu bytes\n", sizeof(TTreeNode));
  std::printf("  build through TOutlineBuilder  %8.1f ms (%.1f ms of it generating the texts)\n",
              buildMs, genMs);
  std::printf("  peak RSS after build           %8.1f MB (%.1f bytes/node over the text bytes)\n",
              builtBytes / 1e6, (builtBytes - static_cast<double>(textBytes)) / count);
  std::printf("  %d position queries            %8.3f ms\n", count / 997 + 1, queryMs);
  std::printf("  first query after a move       %8.1f ms (one rebuild pass)\n", rebuildMs);
  std::printf("  1e6 cached query rounds        %8.1f ms\n", cachedMs);
  std::printf("  walk in document order         %8.1f ms\n", walkMs);
  std::printf("  Clear                          %8.1f ms\n", clearMs);
  std::printf("  LoadFromStream (%.0f MB text)    %8.1f ms, Clear %.1f ms\n",
              static_cast<double>(stream.Size()) / 1e6, loadMs, clear2Ms);
  std::printf("  peak RSS overall               %8.1f MB (includes the outline text)\n",
              rssEnd / 1024.0);
  return sum + genBytes == 42 ? 1 : 0;
}
