#pragma once
// What a load keeps of a file for a save that writes the nodes the user left alone as they
// were read: the file's bytes, and for each node what it was then (its text's hash, its
// parent, whether it had children) and, where the file is 8-bit text, where its markup, the
// blanks before it and its closing tag stand in those bytes. Nodes are found by address: undo
// keeps a node's identity, so a node brought back finds its record again.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "treedoc/RankedBits.h"
#include "treedoc/TrimmedWalk.h"
#include "xml/XmlToken.h"

namespace zel {

class TTreeNode;
class TTreeView;

// Bytes that start with it are UTF-8 text whose places are counted after it.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

class TSourceLayout {
 public:
  enum : uint8_t {
    kOwn = 1,           // Begin/Length hold the node's own markup
    kLead = 2,          // Lead blanks before it
    kClose = 4,         // CloseBegin/CloseLength hold its closing tag
    kCloseLead = 8,     // CloseLead blanks before that
    kHadChildren = 16,  // it had children when read
    kTextIsSlice = 32,  // its text was its own markup as it stands in the bytes
    kLong = 64          // its Length and Lead are kept apart: too large for its record
  };
  static constexpr uint32_t kNoParent = UINT32_MAX;
  // A record as read back. Places that do not fit (past the first 4 GB of a file, blanks past
  // 64 KB, a closing tag past 16 MB) count as unknown, and the node is written anew.
  struct TNodeSource {
    uint32_t Begin = 0;
    uint32_t Length = 0;
    uint32_t CloseBegin = 0;
    uint32_t Parent = kNoParent;  // the parent's record, kNoParent for the root
    uint16_t Lead = 0, CloseLead = 0;
    uint32_t CloseLength = 0;
    uint8_t Flags = 0;
  };

  static uint64_t HashOf(std::string_view text);

  // The file as read; Spans: where nodes stand in it is known.
  std::string Bytes;
  bool Spans = false;
  // A decoded file's Bytes are its characters in CodePage, which the save converts back to
  // Encoding after the Mark (its byte-order mark, or none).
  std::string Encoding, Mark;
  unsigned CodePage = 0;
  // Where the load's text names the declaration's encoding anew (places after TextStart).
  TTextSwap Swap;
  bool Decoded() const { return !Encoding.empty(); }
  // Where the text starts in Bytes: after a UTF-8 byte-order mark kept there.
  size_t TextStart() const {
    return !Decoded() && std::string_view(Bytes).starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0;
  }

  // Room for the records of a file of Bytes' size, reserved (not yet used) so that the
  // records are never copied to grow.
  void Reserve();
  // Adds a node's record, in document order; the first is the root. parent: its record.
  void Add(const TTreeNode* node, uint32_t parent, std::string_view text, const TSourceSpan& span);
  // The closing tag of the record at index.
  void SetClose(size_t index, const TSourceSpan& span);
  // Asked for each child of a record: only its first marks it.
  void SetHadChildren(size_t index) {
    if (!(FRecords[index].Flags & kHadChildren)) MarkParent(index);
  }
  // Where the bytes after the last token start; the style of new lines from the records.
  void Finish(size_t tailBegin);

  size_t Count() const { return FRecords.size(); }
  // After Finish.
  TNodeSource Record(size_t index) const;
  // Whether text is the text of the record at index as read.
  bool TextAsRead(size_t index, std::string_view text) const;
  // The index of node's record, or false.
  bool Find(const TTreeNode* node, size_t& index) const;
  std::string_view Slice(uint64_t begin, size_t length) const {
    return std::string_view(Bytes).substr(begin, length);
  }
  std::string_view Tail() const { return std::string_view(Bytes).substr(FTail); }
  bool TailIsBlank() const { return FTailBlank; }
  // The file's first line end, CR LF where it has none; the step of indentation from a parent's
  // line to its children's, a TAB where the file shows none.
  const std::string& LineEnd() const { return FLineEnd; }
  const std::string& IndentUnit() const { return FIndent; }
  // Whether the tree's nodes are known to be as read without a look at them: its edit count
  // (TTreeView::Edits) is the one they were last seen as read at.
  bool KnownAsRead(const TTreeView& tree) const;
  void NoteAsRead(const TTreeView& tree);

 private:
  // 12 bytes a node. A node's text is checked against its markup where the two were the same
  // when read, else against its hash, kept apart; so are a closing tag's place and a markup
  // or blanks too long for the record.
  struct TStored {
    uint32_t Begin;
    uint32_t Parent;
    uint32_t Length : 17, Lead : 8, Flags : 7;
  };
  static constexpr uint32_t kShortLength = (uint32_t{1} << 17) - 1, kShortLead = 0xFF;
  struct TLong {
    uint32_t Length;
    uint16_t Lead;
  };
  struct TClose {
    uint32_t Begin;
    uint32_t Length : 24;
    uint16_t Lead;
  };
  struct TPendingClose {
    uint32_t Index;
    TClose Close;
    bool Lead;  // a closing tag given again without blanks keeps the blanks of the one before
  };
  // Nodes made one after the other at consecutive addresses: a run of records. A node is
  // found by its address, as undo keeps a node's identity, with no table over all nodes.
  struct TRun {
    uintptr_t Begin;
    uint32_t First;
    uint32_t Count;
  };

  void MarkParent(size_t index);
  bool BlankGap(size_t from, size_t to) const;
  bool Copyable(size_t from, size_t to);
  // Where the first control character that XML does not allow in [from, to) is, else to.
  size_t NextControl(size_t from, size_t to) const;
  void FindIndentUnit();
  void NoteNode(const TTreeNode* node);
  static void Apply(TClose& to, const TPendingClose& p);
  // The length of a record's markup and of the blanks before it.
  uint32_t LengthOf(size_t index) const;
  uint16_t LeadOf(size_t index) const;

  std::vector<TStored> FRecords;
  std::vector<TLong> FLongs;  // of the records with kLong, in their order
  TRankedBits FLonged;
  std::vector<uint64_t> FHashes;  // of the records without kTextIsSlice, in their order
  TRankedBits FHashed;
  // A record with children has a place for its closing tag from its first child on, as those
  // come in document order; another's closing tag waits for Finish to find its place.
  std::vector<TClose> FParentCloses;
  TRankedBits FParents;
  std::vector<TClose> FLeafCloses;  // after Finish
  std::vector<TPendingClose> FPendingCloses;
  TRankedBits FLeafClosed;
  std::vector<TRun> FRuns;  // in the order made; by address after Finish
  // The first such control character from where places were last checked on.
  size_t FControlFrom = 0, FNextControl = 0;
  bool FControlKnown = false;
  size_t FTail = 0;
  bool FTailBlank = true;
  std::string FLineEnd = "\r\n";
  std::string FIndent = "\t";
  const TTreeView* FAsReadTree = nullptr;
  uint64_t FAsReadAt = 0;
};

}  // namespace zel
