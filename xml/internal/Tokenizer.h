#pragma once
// The tokenizer core, shared by TokenizeXML (which collects token lines) and the fused
// parse (which hands each token straight to the tree builder). Every search remembers what
// it found, so no stretch of the text is scanned twice: the tokenizer is linear in the text
// for every input, also for markup that never ends.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/StrUtils.h"
#include "xml/MorXMLTree.h"
#include "xml/SectionMarks.h"
#include "xml/XmlToken.h"

namespace zel {

// The prefix of a token line ("OT:", ...) and back.
std::string_view TokenPrefix(TXmlToken kind);
bool TokenFromLine(std::string_view line, TXmlToken& kind, std::string_view& text);

namespace xmltok {

constexpr size_t npos = std::string_view::npos;

// Searches one needle forward through a text and keeps the last answer: a search from a
// position between the last start and the last hit has that hit as its answer (and one
// after a failed search fails too), so searches from growing positions read each character
// once.
// Each search adds the stretch it read to *read.
class TForwardFind {
 public:
  // orChar: a one-character needle's search stops at this character too.
  TForwardFind(std::string_view text, std::string_view needle, size_t* read, char orChar = 0)
      : FText(text), FNeedle(needle), FRead(read), FOr(orChar) {}
  // Inlined: the tokenizer asks it several times per token.
  [[gnu::always_inline]] size_t From(size_t pos) {
    if (FFrom != npos && pos >= FFrom && (FHit == npos || pos <= FHit)) return FHit;
    FFrom = pos;
    FHit = pos >= FText.size() ? npos : Find(pos);
    if (pos < FText.size()) *FRead += (FHit == npos ? FText.size() : FHit) - pos;
    return FHit;
  }

 private:
  // One character is one memchr; string_view::find would compare each hit once more.
  size_t Find(size_t pos) const {
    if (FNeedle.size() != 1) return FText.find(FNeedle, pos);
    const char* const p = FText.data();
#if defined(__SSE2__)
    // Most hits are near (the next tag's '<', a value's quote): sixteen characters are
    // looked at before memchr is called.
    if (FOr == 0 && pos + 16 <= FText.size()) {
      const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + pos));
      const int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(w, _mm_set1_epi8(FNeedle[0])));
      if (hits != 0) return pos + size_t(__builtin_ctz(unsigned(hits)));
      pos += 16;
    }
#endif
    if (FOr == 0) {
      const void* hit = std::memchr(p + pos, FNeedle[0], FText.size() - pos);
      return hit ? size_t(static_cast<const char*>(hit) - p) : npos;
    }
    // The needle's next place is kept apart from the answer, which the other character may
    // give before it, and the other character is looked for only up to it: each character is
    // still read once.
    if (FNeedleAt == npos || pos < FNeedleFrom || FNeedleAt < pos) {
      FNeedleFrom = pos;
      const void* hit = std::memchr(p + pos, FNeedle[0], FText.size() - pos);
      FNeedleAt = hit ? size_t(static_cast<const char*>(hit) - p) : FText.size();
      *FRead += FNeedleAt - pos;  // read past the answer, which From counts
    }
    const void* other = std::memchr(p + pos, FOr, FNeedleAt - pos);
    if (other) return size_t(static_cast<const char*>(other) - p);
    return FNeedleAt == FText.size() ? npos : FNeedleAt;
  }
  std::string_view FText;
  std::string_view FNeedle;
  size_t* FRead;
  char FOr;
  // With FOr: the needle's first place at or after FNeedleFrom (the size when none).
  mutable size_t FNeedleFrom = 0, FNeedleAt = npos;
  size_t FFrom = npos;
  size_t FHit = npos;
};

// The quote characters of one kind of scan.
struct TQuoteFinds {
  TForwardFind Double, Single;
  TQuoteFinds(std::string_view t, size_t* read) : Double(t, "\"", read), Single(t, "'", read) {}
  size_t Closing(char quote, size_t from) {
    return quote == '"' ? Double.From(from) : Single.From(from);
  }
};

// TrimView. This and the other small steps the tokenizer takes per token are always inlined:
// Tokenize is too long for the compiler to inline them by itself, and a call per step costs.
[[gnu::always_inline]] inline std::string_view Trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::string_view(s.data() + b, e - b);
}

// Sixteen characters at a time where SSE2 is there (every x86-64), else eight in a word
// (find_first_of would ask memchr once per character).
[[gnu::always_inline]] inline bool HasAnyOf(std::string_view s, char a, char b, char c = '\r') {
  const char* p = s.data();
  size_t n = s.size();
#if defined(__SSE2__)
  if (n >= 16) {
    const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b), vc = _mm_set1_epi8(c);
    const auto any = [&](const char* at) {
      const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
      const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(w, va), _mm_cmpeq_epi8(w, vb)),
                                       _mm_cmpeq_epi8(w, vc));
      return _mm_movemask_epi8(hit) != 0;
    };
    for (; n >= 16; p += 16, n -= 16)
      if (any(p)) return true;
    // The last sixteen, which overlap those already looked at.
    return n > 0 && any(p + n - 16);
  }
#endif
  constexpr uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
  // Whether a byte of x is zero.
  const auto hasZero = [](uint64_t x) { return ((x - kOnes) & ~x & kHighs) != 0; };
  const uint64_t wa = kOnes * static_cast<unsigned char>(a),
                 wb = kOnes * static_cast<unsigned char>(b),
                 wc = kOnes * static_cast<unsigned char>(c);
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    if (hasZero(w ^ wa) || hasZero(w ^ wb) || hasZero(w ^ wc)) return true;
  }
  for (; n > 0; ++p, --n)
    if (*p == a || *p == b || *p == c) return true;
  return false;
}

[[gnu::always_inline]] inline bool HasCleanableChars(std::string_view s) {
  return HasAnyOf(s, '\r', '\t');
}

// Appends s with each of its line ends (CR LF, a lone CR, a lone LF) made CR LF.
void AppendCrLfLines(std::string& out, std::string_view s);

// A text whose line ends are the file's own, as the text with every line end made CR LF
// holds it: s itself when it holds none. A piece never ends between a CR and its LF (pieces
// end at markup or after trimmed blanks), so its line ends are the whole text's.
inline std::string_view CrLfLines(std::string_view s, std::string& scratch) {
  if (!HasAnyOf(s, '\r', '\n', '\n')) return s;
  scratch.clear();
  AppendCrLfLines(scratch, s);
  return scratch;
}

// CleanTagText without a copy when nothing but trimming is needed.
[[gnu::always_inline]] inline std::string_view Clean(std::string_view s, std::string& scratch) {
  if (!HasCleanableChars(s)) return Trimmed(s);
  scratch = CleanTagText(s);
  return scratch;
}

// A tag's text with the value that a broken tag left open closed by its quote: the scan
// that ended the tag at its first '>' found the quote's partner only past a '<', and a save,
// which drops some of those, would let the value run on into the next lines. Values are read
// as the tree reads them (OpenValueQuote).
inline std::string_view CloseOpenValue(std::string_view d, std::string& scratch) {
  const char quote = OpenValueQuote(d);
  return quote == 0 ? d : std::string_view(scratch.assign(d).append(1, quote));
}

// EscapeCData without a copy when there is nothing to mark.
inline std::string_view Escape(std::string_view s, std::string& scratch) {
  if (!HasAnyOf(s, '\r', '\t', '\\')) return s;
  scratch.clear();
  AppendMarked(scratch, s, TSectionMarks::smBreaksAndTabs);
  return scratch;
}

// Clean and Escape for a text that may keep the file's own line ends: asRead says it does.
struct TTokenText {
  bool AsRead = false;
  std::string Lines;  // a piece with its line ends made CR LF
  [[gnu::always_inline]] std::string_view Clean(std::string_view s, std::string& scratch) {
    if (!AsRead) return xmltok::Clean(s, scratch);
    if (!HasAnyOf(s, '\r', '\n', '\t')) return Trimmed(s);  // one look, as Clean's
    scratch = CleanTagText(CrLfLines(s, Lines));
    return scratch;
  }
  std::string_view Escape(std::string_view s, std::string& scratch) {
    if (AsRead && HasAnyOf(s, '\r', '\n', '\n')) {
      const std::string_view lines = CrLfLines(s, Lines);
      scratch.clear();
      AppendMarked(scratch, lines, TSectionMarks::smBreaksAndTabs);
      return scratch;
    }
    return xmltok::Escape(s, scratch);
  }
};

// Whether a start, empty or closing tag (or the XML declaration), '<' to '>', stands as XML
// writes it: a name right after "<", "</" or "<?", then attributes, each a blank, a name, '='
// and a quoted value without '<'; a closing tag holds only its name and blanks. The reader
// takes others apart and the save writes them mended, so their own bytes cannot stand in.
bool IsStrictTag(std::string_view tag);

// Both look at the markup's first character m, the one after '<' and its blanks.
bool IsCDataStart(std::string_view t, size_t m);
// True when the processing instruction at m has the target exactly "xml".
bool IsXmlDeclaration(std::string_view t, size_t m);

// What a declaration that ended at its first '>' (its whole text given) needs after that
// '>' so that, read again with anything after it, it ends there too and not further on:
// "" when its scan fails before its end whatever follows.
std::string_view DeclarationClosers(std::string_view declaration);

// All scans of one text.
class TScanner {
 public:
  // lineEndsAsRead: a line of t may end in a lone CR or LF too.
  explicit TScanner(std::string_view t, bool lineEndsAsRead = false);
  TScanner(const TScanner&) = delete;
  TScanner& operator=(const TScanner&) = delete;
  // How many characters the scans have read so far: a measure of the work, which stays
  // within a small multiple of the text's length.
  size_t CharsRead() const { return FRead; }

  size_t NextLt(size_t from) { return FLt.From(from); }
  // The end of a CDATA section or comment whose content starts at from: npos when none.
  size_t CDataEnd(size_t from) { return FCDataEnd.From(from); }
  size_t CommentEnd(size_t from) { return FCommentEnd.From(from); }
  // The '>' of a processing instruction at a: that of its first "?>", whatever comes between
  // ('<', '>', line breaks); its first '>' when no "?>" follows (a broken one).
  size_t InstructionEnd(size_t a);
  // The '>' that ends a tag at a. Past its name, the first quote after an '=' opens an
  // attribute value, which ends at its closing quote over any lines and '>'s. A tag is broken
  // when a value does not close before the next '<' (no value holds one), when a '<' stands
  // in it outside its values, or when it has no '>' outside them: it then ends at its first
  // '>'. The '<' bound keeps the decision local: a save writes every node on a line of its
  // own, so what it writes further on (closing tags) cannot change it.
  size_t TagEnd(size_t a);
  // Whether the last TagEnd paired every value of its tag: the tag holds no open value, as
  // OpenValueQuote reads it (the scan pairs them the same way).
  bool TagValuesClosed() const { return FTagValuesClosed; }
  // The '>' that ends a declaration <!NAME ...> at a: quotes count in the declaration itself
  // (closed on its line and before the next '<') and in the markup declarations of a bracketed
  // internal subset; comments, processing instructions and tags in the subset are skipped
  // whole. A '<' outside the subset, or in it a CDATA section or text (anything but blanks,
  // parameter-entity references and markup), means the declaration never closed. Falls back to
  // the first '>' when those do not close. Stopping there keeps the scan from reaching what a
  // save adds to a broken document (a section's end, texts), so the saved file reads back the
  // same.
  // fellBack: the scan failed and the declaration ends at its first '>'.
  size_t DeclarationEnd(size_t a, bool& fellBack);

 private:
  size_t ScanTag(size_t a);
  friend std::string_view DeclarationClosers(std::string_view declaration);
  // On a failure, closers is what ends the declaration where it ends when the text ran out in
  // its subset: what is open there, then the subset ("]"; its '>' is the text's last).
  size_t ScanDeclaration(size_t a, std::string_view& closers);
  size_t SkipQuoted(TQuoteFinds& quotes, size_t i);

  std::string_view FText;
  size_t FRead = 0;
  TForwardFind FLt, FGt, FCDataEnd, FCommentEnd, FInstructionEnd;
  TQuoteFinds FTagQuotes, FDeclQuotes;
  // The bounds of an attribute value and a declaration's literal.
  TForwardFind FTagLt, FDeclLt, FDeclBreak;
  TForwardFind FSubsetCommentEnd, FSubsetInstructionEnd, FSubsetGt, FSubsetCloseTag;
  // Once a scan of a kind has run to the end of the text without closing, later ones of that
  // kind would read the same stretch again: they take the fallback at once.
  bool FTagScanFailed = false;
  bool FTagValuesClosed = false;
  size_t FDeclRead = 0;  // what the declarations' scans have read
  // The places in subsets from which a scan is known to fail.
  // (One bit for each character of the text, made when a scan first fails.)
  std::vector<bool> FFailedSubsetMarks;
  std::vector<size_t> FSubsetMarks;
};

}  // namespace xmltok

// Cuts t into tokens, calling sink(TXmlToken, std::string_view) for each; the view is valid
// during the call only. With span, each token's place is set there before the call. With
// changed, it counts the texts read otherwise than they stand (see ReadXmlTokens). With
// lineEndsAsRead, t's line ends may be CR LF, CR or LF: the tokens are those of t with every
// line end made CR LF, the places t's own; t must then end in a line end. Returns the number
// of characters the scans read.
template <typename Sink>
size_t Tokenize(std::string_view t, Sink&& sink, TSourceSpan* span = nullptr,
                size_t* changed = nullptr, bool lineEndsAsRead = false) {
  using namespace xmltok;
  static constexpr std::string_view kCDataOpen = "<![CDATA[", kCDataClose = "]]>",
                                    kCommentOpen = "<!--", kCommentMark = "!--";
  static constexpr size_t kSectionEndLength = 3;  // "]]>" and "-->"
  // t's characters [from, from + n), which are there: substr's check and its call, which
  // the compiler does not inline in a function this long, cost a call per piece.
  const auto piece = [t](size_t from, size_t n) { return std::string_view(t.data() + from, n); };
  TScanner scan(t, lineEndsAsRead);
  TTokenText texts{lineEndsAsRead, {}};
  std::string scratch;
  const size_t len = t.size();
  size_t from = 0;
  // An element that declares its whitespace as data goes out whole, as it was read: while
  // rawDepth > 0 the tokens only count its depth, and its closing tag gives one Run token.
  size_t rawStart = 0, rawDepth = 0;
  // The names of the levels open in it, one after another, and where each starts: one that
  // never closes is closed by them (their length is bounded by the text's).
  std::string rawNames;
  std::vector<size_t> rawNameStarts;
  // The end of a comment or CDATA section in it that never closes, and where its '<' stands.
  std::string_view rawOpenSection;
  size_t rawOpenSectionAt = npos;
  const auto openRaw = [&](std::string_view tag) {
    ++rawDepth;
    rawNameStarts.push_back(rawNames.size());
    rawNames.append(tag.substr(0, tag.find_first_of(" \t\r\n")));
  };
  // Where its broken instructions end: each is closed with a '?' before its '>', as one
  // outside is, so that no "?>" a save writes further on can end it when read again.
  std::vector<size_t> rawQuestionMarks;
  // The blanks after the '<' of the closing tag that ends it, left out: "< /t>" is a closing
  // tag to the reader, and the save, which looks for "</", would close the element again.
  size_t rawCutFrom = npos, rawCutTo = npos;
  std::string rawCopy;
  const auto rawText = [&](size_t end) -> std::string_view {
    if (rawQuestionMarks.empty() && rawCutFrom == npos) return t.substr(rawStart, end - rawStart);
    rawCopy.clear();
    size_t at = rawStart;
    for (const size_t q : rawQuestionMarks) {
      rawCopy.append(t.substr(at, q - at)).push_back('?');
      at = q;
    }
    if (rawCutFrom != npos && rawCutFrom >= at && rawCutTo <= end) {
      rawCopy.append(t.substr(at, rawCutFrom - at));
      at = rawCutTo;
    }
    return rawCopy.append(t.substr(at, end - at));
  };
  // The place of the token about to be emitted; dropped: markup was dropped since the last
  // token, which may read differently where the next one is copied.
  TSourceSpan at;
  bool dropped = false;
  size_t openEnd = npos;  // where the start tag just emitted ends, while nothing followed it
  const auto place = [&](size_t begin, size_t end, bool exact) __attribute__((always_inline)) {
    if (span) at = TSourceSpan{begin, end, exact, TSourceSpan::kNone};
  };
  const auto emit = [&](TXmlToken kind, std::string_view s) __attribute__((always_inline)) {
    if (rawDepth == 0) {
      if (span) {
        *span = at;
        span->Exact = span->Exact && !dropped;
        dropped = false;
      }
      openEnd = kind == TXmlToken::OpenTag ? from : npos;
      sink(kind, s);
    } else if (kind == TXmlToken::OpenTag && !s.starts_with('?')) {
      openRaw(s);
    } else if (kind == TXmlToken::CloseTag) {
      rawNames.resize(rawNameStarts.back());
      rawNameStarts.pop_back();
      if (--rawDepth == 0) {
        // Marks added or blanks cut (a spaced closing tag) leave a run its bytes do not give.
        if (span)
          *span = TSourceSpan{rawStart, from, rawQuestionMarks.empty() && rawCutFrom == npos,
                              TSourceSpan::kNone};
        sink(TXmlToken::Run, texts.Escape(rawText(from), scratch));
      }
    }
  };
  // Text and CDATA sections with nothing between them are one text of the document: they are
  // gathered into one run, so that the save puts no line break between them. run holds the
  // pieces as they read; the last one is always a section.
  std::string run;
  size_t runPieces = 0;
  TSourceSpan runAt;  // from its first piece to its last
  const auto runPiece = [&](size_t begin, size_t end, bool exact) {
    if (!span) return;
    if (runPieces == 0) runAt = TSourceSpan{begin, end, exact, TSourceSpan::kNone};
    runAt.End = end;
    runAt.Exact = runAt.Exact && exact;
  };
  const auto flushRun = [&] {
    if (runPieces == 0) return;
    const TSourceSpan next = at;  // a text that follows keeps its own
    at = runAt;
    if (runPieces == 1) {  // a section alone is the CDATA token it always was
      const std::string_view c = std::string_view(run).substr(
          kCDataOpen.size(), run.size() - kCDataOpen.size() - kCDataClose.size());
      emit(TXmlToken::CData, texts.Escape(c, scratch));
    } else {
      emit(TXmlToken::Run, texts.Escape(run, scratch));
    }
    at = next;
    run.clear();
    runPieces = 0;
  };
  // The texts around dropped '<'s and "<>", gathered: they are one text once saved and read
  // back.
  std::string joined;
  size_t joinedFrom = 0;
  const auto join = [&](size_t from, size_t to) {
    if (joined.empty()) joinedFrom = from;
    dropped = true;
    joined.append(t.substr(from, to - from)).push_back(' ');
  };
  // The text up to `to`; cdataFollows: a CDATA section starts at `to`.
  const auto text = [&](size_t from, size_t to, bool cdataFollows = false) {
    std::string_view r = piece(from, to - from);
    const bool wasJoined = !joined.empty();
    // Its place without the blanks around it, which the reader trims.
    const auto placeTrimmed = [&] {
      if (!span) return;
      size_t b = wasJoined ? joinedFrom : from, e = to;
      while (b < e && IsBlank(t[b])) ++b;
      while (e > b && IsBlank(t[e - 1])) --e;
      at = TSourceSpan{b, e, !wasJoined, TSourceSpan::kNone};
    };
    if (wasJoined) r = joined.append(r);
    if (runPieces == 0 && !cdataFollows) {  // the common case: a text among tags
      const size_t raw = r.size();
      r = Trimmed(r);
      // Only a text that is a token has a place: the blanks between tags are not looked
      // through twice.
      if (!r.empty()) {
        placeTrimmed();
        const std::string_view cleaned = texts.Clean(r, scratch);
        // Cleaning copies only where a line break or a tab becomes a space.
        if (changed && (r.size() != raw || cleaned.data() == scratch.data())) ++*changed;
        emit(TXmlToken::Text, cleaned);
      }
      joined.clear();
      return;
    }
    placeTrimmed();
    const bool touchesNext = cdataFollows && !r.empty() && !IsBlank(r.back());
    if (runPieces > 0 && !r.empty() && !IsBlank(r.front())) {  // it touches the section before
      runPiece(at.Begin, at.End, at.Exact);
      run.append(texts.Clean(Trimmed(r), scratch));
      ++runPieces;
      joined.clear();
      if (!touchesNext) flushRun();
      return;
    }
    if (!(cdataFollows && r.empty())) flushRun();  // "]]><![CDATA[" goes on with the run
    r = Trimmed(r);
    if (touchesNext) {
      runPiece(at.Begin, at.End, at.Exact);
      run.append(texts.Clean(r, scratch));
      ++runPieces;
    } else if (!r.empty()) {
      emit(TXmlToken::Text, texts.Clean(r, scratch));
    }
    joined.clear();
  };
  while (from < len) {
    const size_t a = scan.NextLt(from);
    if (a == npos) {
      text(from, len);
      break;
    }
    // The kind is decided where the cleaned text starts: blanks after '<' are dropped from
    // the token, and a saved "<?i>" must read back as what "< ?i>" was taken for.
    size_t m = a + 1;
    while (m < len && IsBlank(t[m])) ++m;
    const size_t lt = m - 1;  // where the '<' stands for the scans
    if (IsCDataStart(t, m)) {
      text(from, a, true);
      const size_t start = lt + kCDataOpen.size();
      const size_t end = scan.CDataEnd(start);
      const size_t stop = end == npos ? len : end;
      // The reader takes the mark in any case; the save writes it in capitals.
      runPiece(a, end == npos ? len : end + kSectionEndLength,
               end != npos && t.compare(a, kCDataOpen.size(), kCDataOpen) == 0);
      run.append(kCDataOpen).append(t.substr(start, stop - start)).append(kCDataClose);
      ++runPieces;
      if (end == npos && rawDepth > 0) rawOpenSection = kCDataClose, rawOpenSectionAt = a;
      from = end == npos ? len : end + kSectionEndLength;
      continue;
    }
    const std::string_view mark = piece(m, len - m);
    // A look at the first character first: the comparison is a library call per tag.
    if (mark.starts_with('!') && mark.starts_with(kCommentMark)) {
      text(from, a);
      const size_t start = lt + kCommentOpen.size();
      const size_t end = scan.CommentEnd(start);
      const size_t stop = end == npos ? len : end;
      place(a, end == npos ? len : end + kSectionEndLength, end != npos && m == a + 1);
      emit(TXmlToken::Comment, texts.Escape(t.substr(start, stop - start), scratch));
      if (end == npos && rawDepth > 0) rawOpenSection = "-->", rawOpenSectionAt = a;
      from = end == npos ? len : end + kSectionEndLength;
      continue;
    }
    const bool instruction = mark.starts_with('?') && !IsXmlDeclaration(t, m);
    const bool declaration = mark.starts_with('!');
    bool fellBack = false;
    const size_t b = instruction   ? scan.InstructionEnd(lt)
                     : declaration ? scan.DeclarationEnd(lt, fellBack)
                                   : scan.TagEnd(lt);
    if (b == npos) {
      // No end at all: the '<' is dropped and keeps its texts apart as a space.
      join(from, a);
      from = a + 1;
      continue;
    }
    if (!(instruction || declaration) && Trimmed(piece(a + 1, b - a - 1)).empty()) {
      join(from, a);  // "<>" gives no token
      from = b + 1;
      continue;
    }
    text(from, a);
    from = b + 1;
    // Blanks after '<' are no XML; the token is read without them.
    if (span)
      place(a, b + 1,
            m == a + 1 && (instruction || declaration || IsStrictTag(t.substr(a, b + 1 - a))));
    if (instruction) {
      // Its line breaks are kept, marked as a section's; a broken one (no "?>") stays on one
      // line, as a tag does, and is closed: a "?>" that a save writes after it (a closing tag
      // of a name that ends in '?', a declaration) would end it there otherwise.
      const bool closed = t[b - 1] == '?' && b - 1 > m;
      std::string_view pi = t.substr(m, b - m);
      std::string cleaned, closing;
      if (!closed) pi = closing.assign(texts.Clean(pi, cleaned)).append("?");
      if (!closed && rawDepth > 0) rawQuestionMarks.push_back(b);
      at.Exact = at.Exact && closed;
      emit(TXmlToken::Instruction, texts.Escape(pi, scratch));
      continue;
    }
    // Start, empty and closing tags are told apart on the cleaned text, the text they keep.
    // (Cleaning changes only blanks: the scan's pairing of the values holds for it.)
    const bool valuesClosed = !(instruction || declaration) && scan.TagValuesClosed();
    const std::string_view d = texts.Clean(piece(a + 1, b - a - 1), scratch);
    if (declaration && fellBack) {
      // A broken one is closed where it ended, so that a save, which writes what follows on
      // lines of its own, cannot make it end further on when read again.
      at.Exact = false;
      std::string mended = "<" + std::string(d) + ">";
      const std::string_view closers = DeclarationClosers(mended);
      emit(TXmlToken::Instruction,
           closers.empty() ? d : std::string_view(mended.append(closers)).substr(1));
    } else if (declaration) {
      emit(TXmlToken::Instruction, d);
    } else if (d.front() == '/') {
      // Blanks that were an element's whole content go.
      if (changed && rawDepth == 0 && openEnd != npos && a > openEnd) ++*changed;
      if (rawDepth == 1 && m > a + 1) rawCutFrom = a + 1, rawCutTo = m;
      emit(TXmlToken::CloseTag, Trimmed(std::string_view(d.data() + 1, d.size() - 1)));
      rawCutFrom = rawCutTo = npos;
    } else if (d.back() == '/') {
      std::string closedValue;
      const std::string_view trimmed = Trimmed(std::string_view(d.data(), d.size() - 1));
      const std::string_view tag = valuesClosed ? trimmed : CloseOpenValue(trimmed, closedValue);
      at.Exact = at.Exact && tag.data() != closedValue.data();
      emit(TXmlToken::EmptyTag, tag);
    } else {
      // Decided on the tag as it is written once its open value is closed. (The XML
      // declaration, which holds the rest of the document, is read as markup.)
      std::string closedValue;
      const std::string_view tag = valuesClosed ? d : CloseOpenValue(d, closedValue);
      at.Exact = at.Exact && tag.data() != closedValue.data();
      if (rawDepth == 0 && !tag.starts_with('?') && DeclaresSpacePreserve(tag)) {
        rawStart = a;
        rawQuestionMarks.clear();
        openRaw(tag);
      } else {
        emit(TXmlToken::OpenTag, tag);
      }
    }
  }
  text(len, len);  // what a dropped '<' at the very end left
  // Never closed: it runs to the end, without the blanks there (a save ends it with a line
  // break, which would be one more on every save). It is closed here as deep as it is still
  // open: a save writes the closing lines of its ancestors after it, and a run that left a
  // level open would take those in when the saved file is read. So would a section left open
  // in it, which is closed first, and a '<' that found no end: the closing tags give it one, so
  // it is dropped as a space, as it is outside.
  if (rawDepth > 0) {
    std::string run(rawText(len));
    // No '>' follows such a '<' (else it had one): they stand after the last one, before the
    // open section's start (and after every instruction's '?').
    const size_t lastGt = run.rfind('>');
    const size_t stray =
        rawOpenSection.empty() ? run.size() : rawOpenSectionAt - rawStart + rawQuestionMarks.size();
    for (size_t i = lastGt == std::string::npos ? 0 : lastGt; i < stray; ++i)
      if (run[i] == '<') run[i] = ' ';
    while (!run.empty() && IsBlank(run.back())) run.pop_back();
    run.append(rawOpenSection);
    run = texts.Escape(run, scratch);
    if (span) *span = TSourceSpan{rawStart, len, false, TSourceSpan::kNone};
    for (; rawDepth > 0; --rawDepth) {
      run.append("</").append(std::string_view(rawNames).substr(rawNameStarts.back())).append(">");
      rawNames.resize(rawNameStarts.back());
      rawNameStarts.pop_back();
    }
    sink(TXmlToken::Run, run);
  }
  return scan.CharsRead();
}

}  // namespace zel
