// The document's operations on a three-million-node outline, each with its undo and redo; the
// copy of a first-level node holding a third of the document as the clipboard takes it (the XML
// text a save writes), and its paste back through the reader, beside the save of the whole;
// and the memory after 1,000 moves and their undo.

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchUtil.h"
#include "editor/OutlineDocument.h"
#include "editor/SubtreeText.h"
#include "platform/BlockAllocator.h"
#include "treedoc/ZelXMLTree.h"

namespace {

using zel::test::kWrite;

using zel::bench::Clock;
using zel::bench::Ms;
using zel::bench::ResidentMB;

double Time(const std::function<void()>& f) {
  const auto start = Clock::now();
  f();
  return Ms(start);
}

constexpr int kParts = 3, kBooksPerPart = 200000;  // five nodes a book

}  // namespace

int main() {
  using namespace zel;
  TOutlineDocument doc;
  TTreeView& tree = doc.Tree();
  TTreeNode* root = tree.AddChild(kWrite, nullptr, "catalog.xml");
  for (int p = 0; p < kParts; ++p) {
    TTreeNode* part = tree.AddChild(kWrite, root, "<part>");
    for (int i = 0; i < kBooksPerPart; ++i) bench::AddBook(tree, part, i);
  }
  // A user's first edit comes after the load has settled: by then the memory kept in reserve
  // for edits is filled.
  const THugeBlockCounts blocks = SettledHugeBlockCounts();
  std::printf("nodes: %d; huge blocks: %zu in use, %zu in reserve\n", tree.Count(), blocks.Live,
              blocks.Reserved);
  TTreeNode* part = root->Item(1);
  TTreeNode* book = part->Item(kBooksPerPart / 2);

  // The nodes are found before the clock starts: a lookup by index after a change rebuilds the
  // position cache, which is the display's cost, not the operation's.
  TTreeNode* other = part->Item(7);
  TTreeNode* first = root->Item(0);
  TTreeNode* last = root->Item(2);
  TTreeNode* title = part->Item(3)->GetFirstChild();
  struct TOp {
    const char* Name;
    std::function<void()> Do;
  };
  const TOp ops[] = {
      {"add", [&] { doc.Add(book, "<new/>"); }},
      {"set text", [&] { doc.SetText(book, "<book id=\"x\">"); }},
      {"delete a book", [&] { doc.Delete(other); }},
      {"delete a third", [&] { doc.Delete(first); }},
      {"move up", [&] { doc.MoveUp(book); }},
      {"move down", [&] { doc.MoveDown(book); }},
      {"demote", [&] { doc.Demote(book); }},
      {"promote", [&] { doc.Promote(title); }},
      {"drop", [&] { doc.Drop(book, last); }},
      {"drop on empty space", [&] { doc.Drop(book, nullptr); }},
      {"duplicate a book", [&] { doc.Duplicate(book); }},
      {"duplicate a third", [&] { doc.Duplicate(first); }},
  };
  const auto run = [&](const TOp& op) {
    const double done = Time(op.Do);
    const double undone = Time([&] { doc.Undo(); });
    const double redone = Time([&] { doc.Redo(); });
    std::printf("%-26s %8.3f ms, undo %8.3f ms, redo %8.3f ms\n", op.Name, done, undone, redone);
    doc.Undo();
  };
  for (const TOp& op : ops) run(op);
  // The first copy of a third took fresh pages from the system; a second one finds the memory of
  // the first free, as in a session that has freed memory before.
  doc.SetText(book, "<book>");  // drops the redo step that held the first copy
  doc.Undo();
  run({"duplicate a third again", [&] { doc.Duplicate(first); }});

  // The clipboard's copy: the subtree into a scratch outline, written as a save writes it.
  std::string text;
  const double copy = Time([&] { text = SubtreeXMLText(*first); });
  const std::string file = "/tmp/zel-bench-undo.xml";
  TTreeView pasted;
  const double read = Time([&] { ReadXMLText(text, pasted); });
  const double moveIn = Time([&] { doc.InsertFrom(pasted, pasted.GetFirstNode(), root, part); });
  doc.Undo();
  const double save = Time([&] {
    TZelXMLTree writer;
    writer.SetTreeView(&tree);
    writer.SaveToFile(file);
  });
  std::remove(file.c_str());
  std::printf(
      "copy a third: %.1f ms, paste it: %.1f ms (read %.1f, move in %.1f), save the whole: "
      "%.1f ms\n",
      copy, read + moveIn, read, moveIn, save);
  text.clear();
  text.shrink_to_fit();

  const double before = ResidentMB();
  std::vector<TTreeNode*> books;
  for (int i = 0; i < 1000; ++i) books.push_back(part->Item(i * 2));
  const double moves = Time([&] {
    for (TTreeNode* b : books) doc.MoveDown(b);
  });
  const double undos = Time([&] {
    while (doc.CanUndo()) doc.Undo();
  });
  std::printf("1000 moves %.1f ms, undone %.1f ms; resident %.1f MB before, %.1f MB after\n", moves,
              undos, before, ResidentMB());
  return 0;
}
