// Operations on a selection of a million nodes, each with its undo and redo: the authors and
// prices of half a million books of a 2.5-million-node catalog (scattered, two a book, given in
// shuffled order and put in document order first), and a million books side by side.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include "bench/BenchUtil.h"
#include "editor/OutlineDocument.h"

namespace {

using zel::test::kWrite;

using zel::bench::Clock;
using zel::bench::Ms;

double Time(const std::function<void()>& f) {
  const auto start = Clock::now();
  f();
  return Ms(start);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zel;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const int kBooks = argc > 1 ? std::atoi(argv[1]) : 500000;
  TOutlineDocument doc;
  TTreeView& tree = doc.Tree();
  bench::AddCatalog(tree, kBooks);
  TTreeNode* catalog = tree.GetFirstNode()->GetFirstChild();
  std::vector<TTreeNode*> chosen;
  for (TTreeNode* b = catalog->GetFirstChild(); b; b = b->getNextSibling()) {
    chosen.push_back(b->Item(1));
    chosen.push_back(b->Item(2));
  }
  std::shuffle(chosen.begin(), chosen.end(), std::mt19937(1));
  TNodeSelection scattered;
  const double order = Time([&] { scattered = TNodeSelection(tree, chosen); });
  std::printf("nodes %d, selected %zu, put in document order %.1f ms\n", tree.Count(),
              scattered.Size(), order);
  const auto run = [&](const char* name, const std::function<bool()>& op) {
    bool done = false;
    const double did = Time([&] { done = op(); });
    const double undone = Time([&] { doc.Undo(); });
    const double redone = Time([&] { doc.Redo(); });
    std::printf("%-22s %8.1f ms, undo %8.1f ms, redo %8.1f ms%s\n", name, did, undone, redone,
                done ? "" : " (refused)");
    doc.Undo();
  };
  run("delete", [&] { return doc.Delete(scattered); });
  run("move up", [&] { return doc.MoveUp(scattered); });
  run("move down", [&] { return doc.MoveDown(scattered); });
  run("duplicate", [&] { return doc.Duplicate(scattered) != nullptr; });
  run("comment", [&] { return doc.Comment(scattered) != nullptr; });
  run("uncomment", [&] {
    doc.Comment(scattered);
    std::vector<TTreeNode*> comments;
    for (TTreeNode* b = catalog->GetFirstChild(); b; b = b->getNextSibling()) {
      comments.push_back(b->Item(1));
      comments.push_back(b->Item(2));
    }
    return doc.Uncomment(TNodeSelection(tree, comments)) != nullptr;
  });
  doc.Undo();

  // The books themselves, side by side under one parent.
  std::vector<TTreeNode*> books;
  for (TTreeNode* b = catalog->GetFirstChild(); b; b = b->getNextSibling()) books.push_back(b);
  const TNodeSelection block(tree, books);
  run("delete the books", [&] { return doc.Delete(block); });
  run("demote the books", [&] {
    return doc.Demote(
        TNodeSelection(tree, std::vector<TTreeNode*>(books.begin() + 1, books.end())));
  });
  return 0;
}
