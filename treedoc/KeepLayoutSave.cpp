#include "treedoc/KeepLayoutSave.h"

#include <string_view>
#include <vector>

#include "base/TextSink.h"
#include "outline/TreeView.h"
#include "outline/TreeWalk.h"
#include "treedoc/SourceLayout.h"
#include "treedoc/XMLOutline.h"
#include "treedoc/XMLSave.h"

namespace zel {

namespace {

using TNodeSource = TSourceLayout::TNodeSource;

bool HadChildren(const TNodeSource& r) {
  return (r.Flags & TSourceLayout::kHadChildren) != 0;
}

// Whether n, under the parent of record `parent`, is as its record says it was read: its text
// (by its hash) and whether it has children.
bool SameAsRead(const TNodeSource& r, const TTreeNode& n, uint32_t parent) {
  return r.Parent == parent && r.Hash == TSourceLayout::HashOf(n.Text()) &&
         HadChildren(r) == (n.GetFirstChild() != nullptr);
}

// Every node as it was read, in the order read, and none more.
bool Unchanged(const TTreeView& tree, const TSourceLayout& layout) {
  if (static_cast<size_t>(tree.Count()) != layout.Count()) return false;
  uint32_t k = 0;
  std::vector<uint32_t> atDepth;  // the record of the last node at each depth
  return WalkInDocumentOrder(tree, [&](const TTreeNode& n, int depth) {
    // Records are in document order: the walk reads them one after the other.
    const TNodeSource& r = layout.Record(k);
    const auto d = static_cast<size_t>(depth);
    const uint32_t parent = d == 0 ? TSourceLayout::kNoParent : atDepth[d - 1];
    // The root holds the file's name, which a save as changes.
    const bool same = r.Node == &n && (k == 0 ? depth == 0 : SameAsRead(r, n, parent));
    atDepth.resize(d + 1);
    atDepth[d] = k++;
    return same;
  });
}

bool StartsWithByteOrderMark(std::string_view t) {
  return t.starts_with("\xFF\xFE") || t.starts_with("\xFE\xFF") || t.starts_with("\xEF\xBB\xBF");
}

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

class TKeptWriter {
 public:
  TKeptWriter(const TSourceLayout& layout, TTextSink& out) : FLayout(layout), FOut(out) {}

  void Node(const TTreeNode& n, int level, bool atRoot) {
    while (static_cast<int>(FOpen.size()) >= level) CloseLast();
    // Where nothing changed, the next record is the node's: the walk reads them in order.
    size_t index = FNext;
    const TNodeSource* r = index < FLayout.Count() && FLayout.Record(index).Node == &n
                               ? &FLayout.Record(index)
                               : FLayout.Find(&n, index);
    if (r) FNext = index + 1;
    // The parent's record when the parent stands where it was read.
    uint32_t parent = TSourceLayout::kNoParent;
    if (atRoot && FLayout.Count() > 0 && n.Parent() == FLayout.Record(0).Node)
      parent = 0;
    else if (!atRoot && !FOpen.empty() && FOpen.back().Placed)
      parent = FOpen.back().Index;
    // In the place it was read at, under a parent in its own: its blanks fit there.
    const bool placed = r && index > 0 && parent != TSourceLayout::kNoParent && r->Parent == parent;
    const bool copied = placed && (r->Flags & TSourceLayout::kOwn) && SameAsRead(*r, n, parent);
    if (copied) {
      if (r->Flags & TSourceLayout::kLead)
        Put(FLayout.Slice(r->Begin - r->Lead, r->Lead));
      else
        NewLine(level);
      Put(FLayout.Slice(r->Begin, r->Length));
    } else {
      const std::string_view lead = placed && (r->Flags & TSourceLayout::kLead)
                                        ? FLayout.Slice(r->Begin - r->Lead, r->Lead)
                                        : std::string_view();
      // A line of its own, as the indented save gives it: text beside other text would join it.
      if (HasLineBreak(lead) && FWritten)
        Put(lead);
      else if (!FWritten && StartsWithByteOrderMark(n.Text()))
        Put(FLayout.LineEnd());  // else the file would read back as Unicode text
      else
        NewLine(level);
      if (IsMultiLineSectionText(n.Text()))
        PutLines(SectionTextForFile(n.Text()));
      else
        Put(n.Text());
      if (NeedsInlineClosing(n)) Put(ClosingTagOf(n.Text()));
    }
    if (n.GetFirstChild() != nullptr)
      FOpen.push_back(TOpen{&n, placed ? r : nullptr, static_cast<uint32_t>(index), copied});
  }

  void Finish() {
    while (!FOpen.empty()) CloseLast();
    if (FLayout.TailIsBlank())
      Put(FLayout.Tail());
    else
      Put(FLayout.LineEnd());
  }

 private:
  struct TOpen {
    const TTreeNode* Node;
    const TNodeSource* Placed;  // its record, when it stands where it was read
    uint32_t Index;             // that record's
    bool Copied;
  };

  void Put(std::string_view s) {
    if (s.empty()) return;
    FOut.Write(s);
    FWritten = true;
  }
  // Lines broken by CR LF, as the file breaks its lines.
  void PutLines(std::string_view s) {
    if (FLayout.LineEnd() == "\r\n") return Put(s);
    for (size_t br; (br = s.find("\r\n")) != std::string_view::npos; s.remove_prefix(br + 2)) {
      Put(s.substr(0, br));
      FOut.Write(FLayout.LineEnd());
    }
    Put(s);
  }
  void NewLine(int level) {
    if (FWritten) FOut.Write(FLayout.LineEnd());
    const size_t depth = IndentLevel(static_cast<size_t>(level));
    for (size_t i = 1; i < depth; ++i) FOut.Write(FLayout.IndentUnit());
  }

  void CloseLast() {
    const TOpen e = FOpen.back();
    FOpen.pop_back();
    const std::string_view text = e.Node->Text();
    if (text.empty() || text[0] != '<') return;  // text nodes have no tag to close
    const int level = static_cast<int>(FOpen.size()) + 1;
    const TNodeSource* r = e.Placed;
    if (r && (r->Flags & TSourceLayout::kClose)) {
      if (r->Flags & TSourceLayout::kCloseLead)
        Put(FLayout.Slice(r->CloseBegin - r->CloseLead, r->CloseLead));
      else
        NewLine(level);
      // A renamed start tag gets its closing tag renamed.
      if (e.Copied)
        Put(FLayout.Slice(r->CloseBegin, r->CloseLength));
      else
        Put(ClosingTagOf(text));
      return;
    }
    NewLine(level);
    Put(ClosingTagOf(text));
  }

  const TSourceLayout& FLayout;
  TTextSink& FOut;
  std::vector<TOpen> FOpen;  // the node at position i stands at level i + 1
  bool FWritten = false;
  size_t FNext = 1;  // the record after the last one found
};

}  // namespace

TKeptSave BuildKeptText(const TTreeView& tree, TSourceLayout& layout, TTextSink& out,
                        const TProgress& progress) {
  const size_t total = static_cast<size_t>(tree.Count());
  // A tree edited and edited back is looked at node by node.
  if (layout.KnownAsRead(tree) || Unchanged(tree, layout)) {
    layout.NoteAsRead(tree);
    out.Write(layout.Bytes);
    progress.Percent(PercentOf(total, total));
    return progress.Stopped() ? TKeptSave::Stopped : TKeptSave::Written;
  }
  if (!layout.Spans) return TKeptSave::Indented;
  if (std::string_view(layout.Bytes).starts_with(kUtf8Mark)) out.Write(kUtf8Mark);
  TKeptWriter writer(layout, out);
  const bool done = WalkSavedNodes(tree, progress, [&](const TTreeNode& n, int level, size_t) {
    writer.Node(n, level, n.Parent() != nullptr && n.Parent()->Parent() == nullptr);
  });
  if (!done) return TKeptSave::Stopped;
  writer.Finish();
  return TKeptSave::Written;
}

}  // namespace zel
