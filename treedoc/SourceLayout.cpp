#include "treedoc/SourceLayout.h"

#include <algorithm>
#include <functional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "outline/TreeView.h"

namespace zel {

namespace {

size_t Slot(const TTreeNode* node, size_t mask) {
  auto x = reinterpret_cast<uintptr_t>(node);
  x ^= x >> 29;
  x *= 0x9E3779B97F4A7C15u;
  return static_cast<size_t>(x >> 17) & mask;
}

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

static_assert(sizeof(TSourceLayout::TNodeSource) == 40);

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
  for (; i + 16 <= to; i += 16) {
    const __m128i w = Load16(Bytes.data() + i);
    const __m128i blank = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(w, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(w, _mm_set1_epi8('\t'))),
        _mm_or_si128(_mm_cmpeq_epi8(w, _mm_set1_epi8('\r')),
                     _mm_cmpeq_epi8(w, _mm_set1_epi8('\n'))));
    if (_mm_movemask_epi8(blank) != 0xFFFF) return false;
  }
#endif
  for (; i < to; ++i) {
    const char c = Bytes[i];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  }
  return true;
}

bool TSourceLayout::Copyable(size_t from, size_t to) const {
  if (from > to || to > Bytes.size() || !FitsIn32(to - from)) return false;
  // A control character the reader trimmed away would break the document once copied.
  size_t i = from;
#if defined(__SSE2__)
  for (; i + 16 <= to; i += 16) {
    const __m128i w = Load16(Bytes.data() + i);
    // Below 0x20, as unsigned bytes: the minimum with 0x1F is the byte itself.
    const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(w, _mm_set1_epi8(0x1F)), w);
    const __m128i allowed = _mm_or_si128(_mm_cmpeq_epi8(w, _mm_set1_epi8('\t')),
                                         _mm_or_si128(_mm_cmpeq_epi8(w, _mm_set1_epi8('\r')),
                                                      _mm_cmpeq_epi8(w, _mm_set1_epi8('\n'))));
    if (_mm_movemask_epi8(_mm_andnot_si128(allowed, control)) != 0) return false;
  }
#endif
  for (; i < to; ++i) {
    const auto c = static_cast<unsigned char>(Bytes[i]);
    if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') return false;
  }
  return true;
}

void TSourceLayout::Reserve() {
  // A node takes a dozen bytes of markup and more; a file of smaller ones grows the list.
  FRecords.reserve(Bytes.size() / 16 + 64);
}

void TSourceLayout::Add(const TTreeNode* node, uint32_t parent, std::string_view text,
                        const TSourceSpan& span) {
  TNodeSource r{node, HashOf(text), 0, 0, 0, parent, 0, 0, 0, 0};
  if (Spans && span.Known() && span.Exact && span.End < kBeginLimit &&
      Copyable(span.Begin, span.End)) {
    r.Begin = static_cast<uint32_t>(span.Begin);
    r.Length = static_cast<uint32_t>(span.End - span.Begin);
    r.Flags = kOwn;
    if (span.Lead <= span.Begin && span.Begin - span.Lead <= UINT16_MAX &&
        BlankGap(span.Lead, span.Begin)) {
      r.Lead = static_cast<uint16_t>(span.Begin - span.Lead);
      r.Flags = r.Flags | kLead;
    }
  }
  FRecords.push_back(r);
}

void TSourceLayout::SetClose(size_t index, const TSourceSpan& span) {
  TNodeSource& r = FRecords[index];
  if (!Spans || !span.Known() || !span.Exact || span.Begin >= kCloseBeginLimit ||
      span.End - span.Begin >= kCloseLengthLimit || !Copyable(span.Begin, span.End))
    return;
  r.CloseBegin = static_cast<uint32_t>(span.Begin);
  r.CloseLength = static_cast<uint32_t>(span.End - span.Begin);
  r.Flags = r.Flags | kClose;
  if (span.Lead <= span.Begin && span.Begin - span.Lead <= UINT16_MAX &&
      BlankGap(span.Lead, span.Begin)) {
    r.CloseLead = static_cast<uint16_t>(span.Begin - span.Lead);
    r.Flags = r.Flags | kCloseLead;
  }
}

void TSourceLayout::Finish(size_t tailBegin) {
  FTail = std::min(tailBegin, Bytes.size());
  FTailBlank = BlankGap(FTail, Bytes.size());
  size_t size = 16;
  while (size < FRecords.size() + FRecords.size() / 3) size *= 2;
  FTable.assign(size, 0);
  const size_t mask = size - 1;
  for (size_t i = 0; i < FRecords.size(); ++i) {
    size_t s = Slot(FRecords[i].Node, mask);
    while (FTable[s] != 0) s = (s + 1) & mask;
    FTable[s] = static_cast<uint32_t>(i + 1);
  }
  const size_t br = Bytes.find_first_of("\r\n");
  if (br != std::string::npos)
    FLineEnd = Bytes.compare(br, 2, "\r\n") == 0 ? "\r\n" : Bytes.substr(br, 1);
  if (Spans) FindIndentUnit();
}

const TSourceLayout::TNodeSource* TSourceLayout::Find(const TTreeNode* node, size_t& index) const {
  if (FTable.empty()) return nullptr;
  const size_t mask = FTable.size() - 1;
  for (size_t s = Slot(node, mask); FTable[s] != 0; s = (s + 1) & mask) {
    const TNodeSource& r = FRecords[FTable[s] - 1];
    if (r.Node == node) {
      index = FTable[s] - 1;
      return &r;
    }
  }
  return nullptr;
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
  const auto indentOf = [this](const TNodeSource& r, std::string_view& indent) {
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
  for (const TNodeSource& r : FRecords) {
    // The root's children stand at the left.
    if (r.Parent == kNoParent || r.Parent == 0) continue;
    const TNodeSource* parent = &FRecords[r.Parent];
    std::string_view mine, theirs;
    if (!indentOf(r, mine) || !indentOf(*parent, theirs)) continue;
    if (mine.size() > theirs.size() && mine.starts_with(theirs)) {
      FIndent.assign(mine.substr(theirs.size()));
      return;
    }
  }
}

}  // namespace zel
