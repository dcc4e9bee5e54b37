#include "treedoc/KeepLayoutSave.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "base/TextSink.h"
#include "outline/TreeView.h"
#include "outline/TreeWalk.h"
#include "treedoc/EncodingSink.h"
#include "treedoc/KeptDeclaration.h"
#include "treedoc/SourceLayout.h"
#include "treedoc/XMLOutline.h"
#include "treedoc/XMLSave.h"

namespace zel {

namespace {

using TNodeSource = TSourceLayout::TNodeSource;

bool HadChildren(const TNodeSource& r) {
  return (r.Flags & TSourceLayout::kHadChildren) != 0;
}

// Whether n, under the parent of record `parent`, is as its record r at index says it was
// read: its text and whether it has children.
bool SameAsRead(const TSourceLayout& layout, size_t index, const TNodeSource& r, const TTreeNode& n,
                uint32_t parent) {
  return r.Parent == parent && HadChildren(r) == (n.GetFirstChild() != nullptr) &&
         layout.TextAsRead(index, n.Text());
}

// Whether node is the one read as record index.
bool IsRecord(const TSourceLayout& layout, const TTreeNode* node, size_t index) {
  size_t found = 0;
  return node != nullptr && layout.Find(node, found) && found == index;
}

// Every node as it was read, in the order read, and none more.
bool Unchanged(const TTreeView& tree, const TSourceLayout& layout) {
  if (static_cast<size_t>(tree.Count()) != layout.Count()) return false;
  uint32_t k = 0;
  std::vector<uint32_t> atDepth;  // the record of the last node at each depth
  return WalkInDocumentOrder(tree, [&](const TTreeNode& n, int depth) {
    // Records are in document order: the walk reads them one after the other.
    const auto d = static_cast<size_t>(depth);
    const uint32_t parent = d == 0 ? TSourceLayout::kNoParent : atDepth[d - 1];
    // The root holds the file's name, which a save as changes.
    const bool same = IsRecord(layout, &n, k) &&
                      (k == 0 ? depth == 0 : SameAsRead(layout, k, layout.Record(k), n, parent));
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
  // The text starts after a byte-order mark, which comes first.
  // encoder: where the text is converted to a decoded file's encoding, or null.
  TKeptWriter(const TSourceLayout& layout, TTextSink& out, TEncodingSink* encoder)
      : FLayout(layout), FOut(out), FEncoder(encoder), FAfter(layout.TextStart()) {}

  void Node(const TTreeNode& n, int level, bool atRoot) {
    while (static_cast<int>(FOpen.size()) >= level) CloseLast();
    size_t index = 0;
    TNodeSource record;
    const bool found = FLayout.Find(&n, index);
    if (found) record = FLayout.Record(index);
    const TNodeSource* r = found ? &record : nullptr;
    // The parent's record when the parent stands where it was read.
    uint32_t parent = TSourceLayout::kNoParent;
    if (atRoot && FLayout.Count() > 0 && IsRecord(FLayout, n.Parent(), 0))
      parent = 0;
    else if (!atRoot && !FOpen.empty() && FOpen.back().Placed)
      parent = FOpen.back().Index;
    // In the place it was read at, under a parent in its own: its blanks fit there.
    const bool placed = r && index > 0 && parent != TSourceLayout::kNoParent && r->Parent == parent;
    // An element whose children all went keeps its start and closing tags as read.
    const bool emptied = placed && n.GetFirstChild() == nullptr && HadChildren(*r) &&
                         (r->Flags & TSourceLayout::kClose) && FLayout.TextAsRead(index, n.Text());
    const bool copied = placed && (r->Flags & TSourceLayout::kOwn) &&
                        (emptied || SameAsRead(FLayout, index, *r, n, parent));
    std::string_view lead;
    const bool hasLead =
        placed && (r->Flags & TSourceLayout::kLead) && LeadOf(r->Begin - r->Lead, r->Lead, lead);
    // The declaration stands first in a file: what stood before it (junk taken out) goes,
    // whether it is copied or written anew.
    const bool first = !FWritten && IsDeclarationLine(n.Text());
    if (first) FAfter = kNowhere;
    if (copied) {
      if (hasLead && !first)
        Put(lead);
      else
        NewLine(level);
      // The file's first node: its declaration, which may have to name the encoding.
      if (index == 1)
        Put(DeclarationAsRead(FLayout, r->Begin, r->Length));
      else
        Put(FLayout.Slice(r->Begin, r->Length));
    } else {
      // A line of its own, as the indented save gives it: text beside other text would join it.
      if (hasLead && (HasLineBreak(lead) || FAtLineStart) && FWritten)
        Put(lead);
      else if (!FWritten && StartsWithByteOrderMark(n.Text()))
        Put(FLayout.LineEnd());  // else the file would read back as Unicode text
      else
        NewLine(level);
      if (IsMultiLineSectionText(n.Text()))
        PutLines(ForFile(SectionTextForFile(n.Text())));
      else
        Put(ForFile(n.Text()));
      if (NeedsInlineClosing(n)) Put(ClosingTagOf(n.Text()));
    }
    // In its place, what follows it in the file may follow it again.
    FAfter = placed && (r->Flags & TSourceLayout::kOwn) ? r->Begin + r->Length : kNowhere;
    if (n.GetFirstChild() != nullptr || (copied && emptied))
      FOpen.push_back(TOpen{&n, placed ? std::optional(record) : std::nullopt,
                            static_cast<uint32_t>(index), copied});
  }

  void Finish() {
    while (!FOpen.empty()) CloseLast();
    const std::string_view tail = FLayout.Tail();
    if (FLayout.TailIsBlank()) {
      std::string_view lead;
      LeadOf(FLayout.Bytes.size() - tail.size(), tail.size(), lead);
      Put(lead);
    } else {
      EndLine();
      if (!FAtLineStart) Put(FLayout.LineEnd());
    }
  }

 private:
  struct TOpen {
    const TTreeNode* Node;
    std::optional<TNodeSource> Placed;  // its record, when it stands where it was read
    uint32_t Index;                     // that record's
    bool Copied;
  };

  void Put(std::string_view s) {
    if (s.empty()) return;
    FOut.Write(s);
    FWritten = true;
    FAtLineStart = false;
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
  // A text written anew, as a decoded file's encoding holds it.
  std::string ForFile(std::string_view text) {
    return FEncoder ? FEncoder->Fitted(DeclarationForFile(text, FLayout)) : std::string(text);
  }

  // The blanks read before a token at `begin`: all of them when the token read before them
  // was the last one written, or what stood between them shared its line; the blanks before
  // what went when these hold no line break; else, once that one's line is ended as read, the
  // ones after their first line break (the rest of their line, and the end of the line
  // before, went with what stood there). False when they hold no line break.
  bool LeadOf(uint64_t begin, size_t length, std::string_view& lead) {
    lead = FLayout.Slice(begin, length);
    if (begin == FAfter) return true;
    if (FAfter != kNowhere && FAfter < begin) {
      const std::string_view gone = FLayout.Slice(FAfter, begin - FAfter);
      if (!HasLineBreak(gone)) return true;
      // On the line where what went ended: the blanks before what went stand in for these.
      if (!HasLineBreak(lead)) {
        lead = gone.substr(0, std::min(gone.find_first_not_of(" \t\r\n"), gone.size()));
        FAfter = kNowhere;
        return true;
      }
    }
    EndLine();
    const size_t br = lead.find_first_of("\r\n");
    if (br == std::string_view::npos) return false;
    lead.remove_prefix(FAtLineStart ? br + LineBreakLength(lead, br) : br);
    return true;
  }
  static size_t LineBreakLength(std::string_view s, size_t at) {
    return s.compare(at, 2, "\r\n") == 0 ? 2 : 1;
  }
  // The last token written, where it stands where it was read and only blanks follow it on its
  // line: the rest of its line as read, its line end included.
  void EndLine() {
    if (FAfter == kNowhere) return;
    const std::string_view rest = FLayout.Slice(FAfter, FLayout.Bytes.size());
    FAfter = kNowhere;
    const size_t end = rest.find_first_not_of(" \t");
    if (end == std::string_view::npos || (rest[end] != '\r' && rest[end] != '\n')) return;
    Put(rest.substr(0, end + LineBreakLength(rest, end)));
    FAtLineStart = true;
  }
  void NewLine(int level) {
    EndLine();
    if (FWritten && !FAtLineStart) FOut.Write(FLayout.LineEnd());
    FAtLineStart = false;
    const size_t depth = IndentLevel(static_cast<size_t>(level));
    for (size_t i = 1; i < depth; ++i) FOut.Write(FLayout.IndentUnit());
  }

  void CloseLast() {
    const TOpen e = FOpen.back();
    FOpen.pop_back();
    const std::string_view text = e.Node->Text();
    if (text.empty() || text[0] != '<') return;  // text nodes have no tag to close
    const int level = static_cast<int>(FOpen.size()) + 1;
    const TNodeSource* r = e.Placed ? &*e.Placed : nullptr;
    if (r && (r->Flags & TSourceLayout::kClose)) {
      std::string_view lead;
      if ((r->Flags & TSourceLayout::kCloseLead) &&
          LeadOf(r->CloseBegin - r->CloseLead, r->CloseLead, lead))
        Put(lead);
      else
        NewLine(level);
      // A renamed start tag gets its closing tag renamed.
      if (e.Copied)
        Put(FLayout.Slice(r->CloseBegin, r->CloseLength));
      else
        Put(ClosingTagOf(text));
      FAfter = r->CloseBegin + r->CloseLength;
      return;
    }
    NewLine(level);
    Put(ClosingTagOf(text));
  }

  const TSourceLayout& FLayout;
  TTextSink& FOut;
  TEncodingSink* FEncoder;
  std::vector<TOpen> FOpen;  // the node at position i stands at level i + 1
  bool FWritten = false;
  static constexpr uint64_t kNowhere = UINT64_MAX;
  // Where the last token written ends in the bytes, when it stands where it was read.
  uint64_t FAfter;
  // The last thing written is a line end copied from the bytes.
  bool FAtLineStart = false;
};

}  // namespace

namespace {

// asRead: every node is as read.
TKeptSave WriteKept(const TTreeView& tree, const TSourceLayout& layout, bool asRead, TTextSink& out,
                    TEncodingSink* encoder, const TProgress& progress) {
  const size_t total = static_cast<size_t>(tree.Count());
  if (asRead) {
    // In pieces, the percentages going with them: a stop is noticed within one.
    constexpr size_t kPiece = size_t{1} << 20;
    const std::string_view bytes = layout.Bytes;
    for (size_t at = 0; at < bytes.size(); at += kPiece) {
      out.Write(bytes.substr(at, kPiece));
      progress.Percent(PercentOf(std::min(at + kPiece, bytes.size()), bytes.size()));
      if (progress.Stopped()) return TKeptSave::Stopped;
    }
    progress.Percent(PercentOf(total, total));
    return progress.Stopped() ? TKeptSave::Stopped : TKeptSave::Written;
  }
  if (!layout.Spans) return TKeptSave::Indented;
  if (layout.TextStart() > 0) out.Write(kUtf8Mark);
  TKeptWriter writer(layout, out, encoder);
  const bool done = WalkSavedNodes(tree, progress, [&](const TTreeNode& n, int level, size_t) {
    writer.Node(n, level, n.Parent() != nullptr && n.Parent()->Parent() == nullptr);
  });
  if (!done) return TKeptSave::Stopped;
  writer.Finish();
  return TKeptSave::Written;
}

}  // namespace

TKeptSave BuildKeptText(const TTreeView& tree, TSourceLayout& layout, TTextSink& out,
                        const TProgress& progress) {
  // A tree edited and edited back is looked at node by node.
  const bool asRead = layout.KnownAsRead(tree) || Unchanged(tree, layout);
  if (asRead) layout.NoteAsRead(tree);
  if (!layout.Decoded()) return WriteKept(tree, layout, asRead, out, nullptr, progress);
  // Else the file would not read back in its encoding.
  if (!asRead && !NamesItsEncoding(tree, layout)) return TKeptSave::Indented;
  // The characters read, converted back as they go: the file's bytes when nothing changed.
  TEncodingSink encoder(out, layout.CodePage, layout.Encoding);
  if (!encoder.Valid()) return TKeptSave::Indented;
  out.Write(layout.Mark);
  const TKeptSave kept = WriteKept(tree, layout, asRead, encoder, &encoder, progress);
  if (kept == TKeptSave::Written) encoder.Finish();
  return kept;
}

}  // namespace zel
