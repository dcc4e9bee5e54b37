#include "app/RecoveryFile.h"

#include <errno.h>
#include <stdio.h>

#include <charconv>
#include <string_view>
#include <vector>

#include "base/StrUtils.h"
#include "platform/FileRead.h"
#include "platform/SafeFile.h"
#include "treedoc/TreeWalk.h"

namespace zel {

namespace {

constexpr std::string_view kMagic = "ZelXMLEditor recovery 1\n";

void WriteNumberLine(TSafeFileWriter& out, std::string_view key, unsigned long value) {
  out.Write(key);
  out.Write(" ");
  out.Write(std::to_string(value));
  out.Write("\n");
}

// Reads the lines written above; any surprise is a damaged file.
class TParser {
 public:
  TParser(std::string_view data, const std::string& path) : FRest(data), FPath(path) {}

  void Expect(std::string_view text) {
    if (FRest.substr(0, text.size()) != text) Damaged();
    FRest.remove_prefix(text.size());
  }
  // "key N\n".
  unsigned long Number(std::string_view key) {
    Expect(key);
    Expect(" ");
    return NumberUntil('\n');
  }
  unsigned long NumberUntil(char end) {
    unsigned long value = 0;
    const auto [ptr, ec] = std::from_chars(FRest.data(), FRest.data() + FRest.size(), value);
    if (ec != std::errc() || ptr == FRest.data() || ptr == FRest.data() + FRest.size() ||
        *ptr != end)
      Damaged();
    FRest.remove_prefix(size_t(ptr - FRest.data()) + 1);
    return value;
  }
  std::string Bytes(unsigned long size) {
    if (size >= FRest.size()) Damaged();
    std::string out(FRest.substr(0, size));
    FRest.remove_prefix(size);
    Expect("\n");
    return out;
  }
  bool AtNode() const { return FRest.substr(0, 5) == "node "; }
  size_t Left() const { return FRest.size(); }

  TRecoveryHeader Header() {
    TRecoveryHeader h;
    Expect(kMagic);
    h.Pid = long(Number("pid"));
    h.Change = Number("change");
    h.Untitled = Number("untitled") != 0;
    h.FileName = Bytes(Number("name"));
    return h;
  }

  [[noreturn]] void Damaged() const {
    throw Exception(Format("The recovery file \"%s\" is damaged.", FPath.c_str()));
  }

 private:
  std::string_view FRest;
  const std::string& FPath;
};

void ReadNodes(TParser& in, TTreeView& tree, size_t size, const TProgress& progress) {
  constexpr size_t kNodesPerReport = 4096;
  size_t count = 0;
  std::vector<TTreeNode*> parents;  // parents[level] is the last node at that level
  std::vector<TTreeNode*> expanded;
  while (in.AtNode()) {
    in.Expect("node ");
    const unsigned long level = in.NumberUntil(' ');
    const unsigned long isExpanded = in.NumberUntil(' ');
    std::string text = in.Bytes(in.NumberUntil('\n'));
    if (level > parents.size()) in.Damaged();  // at most one level below the node before
    parents.resize(level);
    TTreeNode* node = tree.AddChild(level == 0 ? nullptr : parents.back(), std::move(text));
    parents.push_back(node);
    if (isExpanded != 0) expanded.push_back(node);
    if (++count % kNodesPerReport == 0) progress.Percent(PercentOf(size - in.Left(), size));
  }
  progress.Percent(100);
  in.Expect("end\n");
  // Only once the children are in: a childless node keeps no expanded flag.
  for (TTreeNode* node : expanded) node->SetExpanded(true);
}

}  // namespace

void WriteRecoveryFile(const std::string& path, const TRecoveryHeader& header,
                       const TTreeView& tree) {
  TSafeFileWriter out(path);
  out.Write(kMagic);
  WriteNumberLine(out, "pid", static_cast<unsigned long>(header.Pid));
  WriteNumberLine(out, "change", header.Change);
  WriteNumberLine(out, "untitled", header.Untitled ? 1 : 0);
  WriteNumberLine(out, "name", header.FileName.size());
  out.Write(header.FileName);
  out.Write("\n");
  WalkInDocumentOrder(tree, [&](const TTreeNode& node, int level) {
    out.Write("node ");
    out.Write(std::to_string(level));
    out.Write(node.Expanded() ? " 1 " : " 0 ");
    out.Write(std::to_string(node.Text().size()));
    out.Write("\n");
    out.Write(node.Text());
    out.Write("\n");
    return true;
  });
  out.Write("end\n");
  out.Commit();
}

TRecoveryHeader ReadRecoveryHeader(const std::string& path) {
  // The header is short: the name is at most a path's length.
  std::string head(64 * 1024, '\0');
  FILE* f = ::fopen(path.c_str(), "rbe");
  if (f == nullptr) throw EFOpenError(FileErrorMessage("open", path, errno));
  head.resize(::fread(head.data(), 1, head.size(), f));
  ::fclose(f);
  TParser in(head, path);
  return in.Header();
}

TRecoveryHeader ReadRecoveryFile(const std::string& path, TTreeView& tree,
                                 const TProgress& progress) {
  const std::string data = ReadFileBytes(path);
  TParser in(data, path);
  const TRecoveryHeader header = in.Header();
  tree.BeginUpdate();
  try {
    tree.Clear();
    ReadNodes(in, tree, data.size(), progress);
  } catch (...) {
    tree.Clear();
    tree.EndUpdate();
    throw;
  }
  tree.EndUpdate();
  return header;
}

}  // namespace zel
