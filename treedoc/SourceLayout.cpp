#include "treedoc/SourceLayout.h"

#include <algorithm>
#include <functional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "outline/TreeView.h"
#include "platform/BlockAllocator.h"

namespace zel {

namespace {

#if defined(__SSE2__)
__m128i Load16(const char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
#endif

bool FitsIn32(size_t n) {
  return n <= UINT32_MAX;
}

constexpr uint64_t kBeginLimit = uint64_t{1} << 32, kCloseBeginLimit = uint64_t{1} << 32,
                   kCloseLengthLimit = uint64_t{1} << 24;

constexpr uintptr_t kNodeBytes = sizeof(TTreeNode);

}  // namespace

uint64_t TSourceLayout::HashOf(std::string_view text) {
  return std::hash<std::string_view>()(text) ^ (uint64_t{text.size()} << 40);
}

bool TSourceLayout::BlankGap(size_t from, size_t to) const {
  if (from > to || to > Bytes.size()) return false;
  // XML's whitespace only: the reader trims any control character too, which copied would
  // break the document.
  size_t i = from;
#if defined(__SSE2__)
  const auto blanks = [&](size_t at) {
    const __m128i w = Load16(Bytes.data() + at);
    const __m128i blank = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(w, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(w, _mm_set1_epi8('\t'))),
        _mm_or_si128(_mm_cmpeq_epi8(w, _mm_set1_epi8('\r')),
                     _mm_cmpeq_epi8(w, _mm_set1_epi8('\n'))));
    return static_cast<unsigned>(_mm_movemask_epi8(blank));
  };
  // The few blanks before most nodes: one look at the 16 bytes from them, where there are 16.
  if (to - i < 16 && i + 16 <= Bytes.size()) {
    const unsigned wanted = (1u << (to - i)) - 1;
    return (blanks(i) & wanted) == wanted;
  }
  for (; i + 16 <= to; i += 16)
    if (blanks(i) != 0xFFFF) return false;
#endif
  for (; i < to; ++i) {
    const char c = Bytes[i];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  }
  return true;
}

size_t TSourceLayout::NextControl(size_t from, size_t to) const {
  size_t i = from;
#if defined(__SSE2__)
  for (; i + 16 <= to; i += 16) {
    const __m128i w = Load16(Bytes.data() + i);
    // Below 0x20, as unsigned bytes: the minimum with 0x1F is the byte itself.
    const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(w, _mm_set1_epi8(0x1F)), w);
    const __m128i allowed = _mm_or_si128(_mm_cmpeq_epi8(w, _mm_set1_epi8('\t')),
                                         _mm_or_si128(_mm_cmpeq_epi8(w, _mm_set1_epi8('\r')),
                                                      _mm_cmpeq_epi8(w, _mm_set1_epi8('\n'))));
    const int found = _mm_movemask_epi8(_mm_andnot_si128(allowed, control));
    if (found != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(found)));
  }
#endif
  for (; i < to; ++i) {
    const auto c = static_cast<unsigned char>(Bytes[i]);
    if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') return i;
  }
  return to;
}

bool TSourceLayout::Copyable(size_t from, size_t to) {
  if (from > to || to > Bytes.size() || !FitsIn32(to - from)) return false;
  // A control character the reader trimmed away would break the document once copied. Places
  // come in document order: the next such character is looked for again only once passed.
  if (from < FControlFrom) return NextControl(from, to) == to;
  if (!FControlKnown || FNextControl < from) {
    FNextControl = NextControl(from, Bytes.size());
    FControlKnown = true;
  }
  FControlFrom = from;
  return FNextControl >= to;
}

void TSourceLayout::Reserve() {
  // A node takes a dozen bytes of markup and more; a file of smaller ones grows the list.
  FRecords.reserve(Bytes.size() / 16 + 64);
  FHashes.reserve(Bytes.size() / 16 + 64);
  // A record with children takes eight bytes of markup and more.
  FParentCloses.reserve(Bytes.size() / 32 + 16);
}

// Once per node, from Add alone.
[[gnu::always_inline]] inline void TSourceLayout::NoteNode(const TTreeNode* node) {
  const auto at = reinterpret_cast<uintptr_t>(node);
  const auto index = static_cast<uint32_t>(FRecords.size());
  if (!FRuns.empty()) {
    TRun& last = FRuns.back();
    if (last.First + last.Count == index && at == last.Begin + last.Count * kNodeBytes) {
      ++last.Count;
      return;
    }
  }
  FRuns.push_back({at, index, 1});
}

void TSourceLayout::Add(const TTreeNode* node, uint32_t parent, std::string_view text,
                        const TSourceSpan& span) {
  TStored r{0, parent, 0, 0, 0};
  uint32_t length = 0;
  uint16_t lead = 0;
  unsigned flags = 0;
  if (Spans && span.Known() && span.Exact && span.End < kBeginLimit &&
      Copyable(span.Begin, span.End)) {
    r.Begin = static_cast<uint32_t>(span.Begin);
    length = static_cast<uint32_t>(span.End - span.Begin);
    flags = kOwn;
    if (span.Lead <= span.Begin && span.Begin - span.Lead <= UINT16_MAX &&
        BlankGap(span.Lead, span.Begin)) {
      lead = static_cast<uint16_t>(span.Begin - span.Lead);
      flags |= kLead;
    }
    if (Slice(r.Begin, length) == text) flags |= kTextIsSlice;
  }
  if (length > kShortLength || lead > kShortLead) {
    flags |= kLong;
    FLonged.Set(FRecords.size());
    FLongs.push_back({length, lead});
  } else {
    r.Length = length;
    r.Lead = lead;
  }
  r.Flags = flags;
  if (!(flags & kTextIsSlice)) {
    FHashed.Set(FRecords.size());
    FHashes.push_back(HashOf(text));
  }
  NoteNode(node);
  FRecords.push_back(r);
}

void TSourceLayout::SetClose(size_t index, const TSourceSpan& span) {
  TStored& r = FRecords[index];
  if (!Spans || !span.Known() || !span.Exact || span.Begin >= kCloseBeginLimit ||
      span.End - span.Begin >= kCloseLengthLimit || !Copyable(span.Begin, span.End))
    return;
  TPendingClose p{
      static_cast<uint32_t>(index),
      {static_cast<uint32_t>(span.Begin), static_cast<uint32_t>(span.End - span.Begin), 0},
      false};
  r.Flags = r.Flags | kClose;
  if (span.Lead <= span.Begin && span.Begin - span.Lead <= UINT16_MAX &&
      BlankGap(span.Lead, span.Begin)) {
    p.Close.Lead = static_cast<uint16_t>(span.Begin - span.Lead);
    p.Lead = true;
    r.Flags = r.Flags | kCloseLead;
  }
  if (FParents.Test(index)) return Apply(FParentCloses[FParents.RankOf(index)], p);
  FLeafClosed.Set(index);
  FPendingCloses.push_back(p);
}

void TSourceLayout::Apply(TClose& to, const TPendingClose& p) {
  // A closing tag given again replaces the one before; blanks before it, when it has them.
  to.Begin = p.Close.Begin;
  to.Length = p.Close.Length;
  if (p.Lead) to.Lead = p.Close.Lead;
}

void TSourceLayout::MarkParent(size_t index) {
  TStored& r = FRecords[index];
  r.Flags = r.Flags | kHadChildren;
  if (!FParents.Push(index)) return;
  FParentCloses.push_back(TClose{0, 0, 0});
  // Closing tags it was given while it was the last record are the last ones waiting.
  size_t from = FPendingCloses.size();
  while (from > 0 && FPendingCloses[from - 1].Index == index) --from;
  for (size_t i = from; i < FPendingCloses.size(); ++i)
    Apply(FParentCloses.back(), FPendingCloses[i]);
  if (from < FPendingCloses.size()) {
    FPendingCloses.resize(from);
    FLeafClosed.Reset(index);
  }
}

void TSourceLayout::Finish(size_t tailBegin) {
  FTail = std::min(tailBegin, Bytes.size());
  FTailBlank = BlankGap(FTail, Bytes.size());
  FHashed.Rank();
  FLeafClosed.Rank();
  FLonged.Rank();
  // These closing tags came in the order they closed; a later one for a record wins.
  FLeafCloses.assign(FLeafClosed.RankOf(FRecords.size()), TClose{0, 0, 0});
  for (const TPendingClose& p : FPendingCloses) Apply(FLeafCloses[FLeafClosed.RankOf(p.Index)], p);
  std::vector<TPendingClose>().swap(FPendingCloses);
  // As many runs as the node storage has blocks: a few hundred for millions of nodes.
  std::sort(FRuns.begin(), FRuns.end(),
            [](const TRun& a, const TRun& b) { return a.Begin < b.Begin; });
  const size_t br = Bytes.find_first_of("\r\n");
  if (br != std::string::npos)
    FLineEnd = Bytes.compare(br, 2, "\r\n") == 0 ? "\r\n" : Bytes.substr(br, 1);
  if (Spans) FindIndentUnit();
  // The room reserved for more records, and for line ends a load may add to the bytes: the
  // last huge page written of each is otherwise held whole.
  const auto unused = [](const auto& list) {
    ReleaseUnusedPages(list.data() + list.size(), list.data() + list.capacity());
  };
  unused(FRecords);
  unused(FHashes);
  unused(FParentCloses);
  ReleaseUnusedPages(Bytes.data() + Bytes.size() + 1, Bytes.data() + Bytes.capacity());
}

uint32_t TSourceLayout::LengthOf(size_t index) const {
  const TStored& s = FRecords[index];
  return s.Flags & kLong ? FLongs[FLonged.RankOf(index)].Length : s.Length;
}

uint16_t TSourceLayout::LeadOf(size_t index) const {
  const TStored& s = FRecords[index];
  return s.Flags & kLong ? FLongs[FLonged.RankOf(index)].Lead : static_cast<uint16_t>(s.Lead);
}

TSourceLayout::TNodeSource TSourceLayout::Record(size_t index) const {
  const TStored& s = FRecords[index];
  TNodeSource r;
  r.Begin = s.Begin;
  r.Length = LengthOf(index);
  r.Parent = s.Parent;
  r.Lead = LeadOf(index);
  r.Flags = static_cast<uint8_t>(s.Flags);
  if (s.Flags & kClose) {
    const TClose& c = FParents.Test(index) ? FParentCloses[FParents.RankOf(index)]
                                           : FLeafCloses[FLeafClosed.RankOf(index)];
    r.CloseBegin = c.Begin;
    r.CloseLength = c.Length;
    r.CloseLead = c.Lead;
  }
  return r;
}

bool TSourceLayout::TextAsRead(size_t index, std::string_view text) const {
  const TStored& s = FRecords[index];
  if (s.Flags & kTextIsSlice) return Slice(s.Begin, LengthOf(index)) == text;
  return FHashes[FHashed.RankOf(index)] == HashOf(text);
}

bool TSourceLayout::Find(const TTreeNode* node, size_t& index) const {
  const auto at = reinterpret_cast<uintptr_t>(node);
  auto run = std::upper_bound(FRuns.begin(), FRuns.end(), at,
                              [](uintptr_t a, const TRun& r) { return a < r.Begin; });
  if (run == FRuns.begin()) return false;
  --run;
  const uintptr_t offset = at - run->Begin;
  if (offset % kNodeBytes != 0 || offset / kNodeBytes >= run->Count) return false;
  index = run->First + offset / kNodeBytes;
  return true;
}

bool TSourceLayout::KnownAsRead(const TTreeView& tree) const {
  return &tree == FAsReadTree && tree.Edits() == FAsReadAt;
}

void TSourceLayout::NoteAsRead(const TTreeView& tree) {
  FAsReadTree = &tree;
  FAsReadAt = tree.Edits();
}

void TSourceLayout::FindIndentUnit() {
  // The indentation of a record's line: its blanks after their last line break; a line that
  // starts the file has none. False where its line holds other markup before it.
  const auto indentOf = [this](size_t index, std::string_view& indent) {
    const TNodeSource r = Record(index);
    if (!(r.Flags & kLead)) return false;
    const std::string_view lead = Slice(r.Begin - r.Lead, r.Lead);
    const size_t br = lead.find_last_of("\r\n");
    if (br == std::string_view::npos) {
      if (r.Begin - r.Lead != 0) return false;  // not at the file's start
      indent = lead;
      return true;
    }
    indent = lead.substr(br + 1);
    return true;
  };
  for (size_t i = 0; i < FRecords.size(); ++i) {
    const uint32_t parent = FRecords[i].Parent;
    // The root's children stand at the left.
    if (parent == kNoParent || parent == 0) continue;
    std::string_view mine, theirs;
    if (!indentOf(i, mine) || !indentOf(parent, theirs)) continue;
    if (mine.size() > theirs.size() && mine.starts_with(theirs)) {
      FIndent.assign(mine.substr(theirs.size()));
      return;
    }
  }
}

}  // namespace zel
