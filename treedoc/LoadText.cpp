#include "treedoc/LoadText.h"

#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/StrUtils.h"
#include "base/StringList.h"
#include "base/TextSink.h"
#include "base/UpdateGuard.h"
#include "platform/CodePage.h"
#include "platform/FileRead.h"
#include "treedoc/DeclaredEncoding.h"
#include "treedoc/EncodingSink.h"
#include "treedoc/KeptDeclaration.h"
#include "treedoc/LoadChecks.h"
#include "treedoc/SectionLineTrim.h"
#include "treedoc/SourceLayout.h"
#include "treedoc/TrimmedWalk.h"

namespace zel {

namespace {

// Adds decoded text to the lines, converted to the code page. The reader ends a Unicode line
// at CR LF only; a lone CR or LF inside it breaks the line too, as it does in an 8-bit file
// (a file with LF line ends would be one long line).
void AddUnicodeText(const std::string& fileName, unsigned codePage, TSectionLineTrim& trim,
                    std::u16string_view rest, TStringList& lines) {
  while (true) {
    const size_t br = rest.find_first_of(u"\r\n");
    const size_t number = lines.Lines().size() + 1;
    lines.Add(ConvertUnicodeLine(fileName, codePage, trim.Trim(rest.substr(0, br)), number));
    if (br == std::u16string_view::npos) break;
    const bool crlf = rest[br] == u'\r' && br + 1 < rest.size() && rest[br + 1] == u'\n';
    rest.remove_prefix(br + (crlf ? 2 : 1));
    if (rest.empty()) break;  // a break at the very end starts no line
  }
}

// Whether the bytes have a byte-order mark, as the text-file reader finds it.
bool HasByteOrderMark(std::string_view b) {
  return b.starts_with("\xFF\xFE") || b.starts_with("\xFE\xFF") || b.starts_with("\xEF\xBB\xBF");
}

// The last c in [from, to), looked for a window at a time: the same answer as one memrchr, but a
// sanitizer, which checks the whole range it is given, checks only what was looked at.
const char* LastOf(const char* b, char c, size_t from, size_t to) {
  constexpr size_t kWindow = size_t{64} << 10;
  while (to > from) {
    const size_t start = to - from > kWindow ? to - kWindow : from;
    if (const void* p = memrchr(b + start, c, to - start)) return static_cast<const char*>(p);
    to = start;
  }
  return nullptr;
}

// The text a line list gives back for 8-bit bytes: every line ends in CR LF (a lone CR or LF
// ends one too). Bytes that are that already stay where they are; others grow in place, from
// the end back, into the room the read left after them (see ReadOpenedFile), and are copied
// only when that is too small. Whether to stop is asked as often as when the lines were copied
// out one by one: once each time a line ended past the next 4 MB. A stop leaves the bytes half
// moved; the load drops them.
void EndLinesWithCrLf(std::string& bytes, const TProgress& progress, bool& stopped) {
  const size_t n = bytes.size();
  if (n == 0) return;
  constexpr size_t kPumpBytes = size_t{4} << 20;
  const char* p = bytes.data();
  size_t lone = 0;  // lone CRs and LFs: each gets a byte more
  size_t pumps = 0, nextPump = kPumpBytes;
  const auto lineEnded = [&](size_t next) {
    if (next < nextPump) return;
    nextPump += kPumpBytes;
    ++pumps;
  };
  for (const char* q = p; (q = static_cast<const char*>(std::memchr(q, '\n', p + n - q))); ++q) {
    lone += q == p || q[-1] != '\r';
    lineEnded(size_t(q - p) + 1);
  }
  if (p[n - 1] != '\n') lineEnded(n + 1);
  for (const char* q = p; (q = static_cast<const char*>(std::memchr(q, '\r', p + n - q))); ++q)
    lone += q + 1 == p + n || q[1] != '\n';
  const bool endsLine = p[n - 1] == '\n' || p[n - 1] == '\r';  // a lone CR gets its LF
  if (lone == 0) {
    if (!endsLine) bytes.append("\r\n");  // within the reserve the read made
    return;
  }
  bytes.resize(n + lone + (endsLine ? 0 : 2));
  char* b = bytes.data();
  size_t s = n, d = bytes.size();  // [s, n) has moved to [d, size)
  const auto move = [&](size_t from) {
    d -= s - from;
    std::memmove(b + d, b + from, s - from);
    s = from;
  };
  const auto breakLine = [&] {
    d -= 2;
    b[d] = '\r';
    b[d + 1] = '\n';
  };
  if (!endsLine) breakLine();
  size_t nextPumpAt = kPumpBytes;  // moved bytes
  const auto pumpAgain = [&] {
    --pumps;
    stopped = progress.Stopped();
    return !stopped;
  };
  while (d > s) {
    const char* lf = LastOf(b, '\n', 0, s);
    const size_t from = lf ? size_t(lf - b) + 1 : 0;
    // The CRs of a line are lone: a CR before its LF went with it.
    while (const char* cr = LastOf(b, '\r', from, s)) {
      move(size_t(cr - b) + 1);
      breakLine();
      s = size_t(cr - b);
    }
    move(from);
    if (!lf) break;
    breakLine();
    s = from - 1;
    if (s > 0 && b[s - 1] == '\r') --s;
    if (pumps > 0 && n - s >= nextPumpAt) {
      nextPumpAt += kPumpBytes;
      if (!pumpAgain()) return;
    }
  }
  while (pumps > 0)
    if (!pumpAgain()) return;
}

// What EndLinesWithCrLf asks of the progress, asked without moving a byte: for a load that
// reads the line ends as they are. The bytes end in a line end afterwards (a LF added).
void AskAsLineEndsMoved(std::string& bytes, const TProgress& progress, bool& stopped, bool& added) {
  const size_t n = bytes.size();
  if (n == 0) return;
  constexpr size_t kPumpBytes = size_t{4} << 20;
  const char* p = bytes.data();
  const char* const end = p + n;
  // Whether a line end is not CR LF: only then does the text move (and the progress hear).
  bool lone = false;
  for (const char* q = p; !lone && (q = static_cast<const char*>(std::memchr(q, '\n', end - q)));
       ++q)
    lone = q == p || q[-1] != '\r';
  for (const char* q = p; !lone && (q = static_cast<const char*>(std::memchr(q, '\r', end - q)));
       ++q)
    lone = q + 1 == end || q[1] != '\n';
  added = p[n - 1] != '\n' && p[n - 1] != '\r';
  if (lone) {
    // Once for the first LF at or past each next 4 MB (a line ends after it), and once for
    // the end when the last line has no LF: the first LF past the mark, searched from there.
    size_t pumps = 0, nextPump = kPumpBytes, at = 0;
    while (true) {
      const size_t from = std::max(at, nextPump - 1);
      if (from >= n) break;
      const void* lf = std::memchr(p + from, '\n', n - from);
      if (!lf) break;
      ++pumps;
      nextPump += kPumpBytes;
      at = size_t(static_cast<const char*>(lf) - p) + 1;
    }
    if (p[n - 1] != '\n' && n + 1 >= nextPump) ++pumps;
    for (; pumps > 0; --pumps)
      if ((stopped = progress.Stopped())) return;
  }
  if (added) bytes.push_back('\n');  // within the reserve the read made
}

}  // namespace

namespace {

// The characters of a file's bytes: from the encoding, or from the one its byte-order mark
// names when encoding is "".
std::u16string DecodedText(const std::string& fileName, const std::string& encoding,
                           std::string_view b) {
  std::u16string text;
  if (!encoding.empty()) {
    text = DecodeForeign(fileName, encoding, b);
  } else {
    const bool utf8 = b.starts_with("\xEF\xBB\xBF");
    const char* name = utf8 ? "UTF-8" : b.starts_with("\xFE\xFF") ? "UTF-16BE" : "UTF-16LE";
    std::string_view body = b.substr(utf8 ? 3 : 2);
    // A UTF-16 file cut short keeps its whole characters; the odd last byte is a U+FFFD.
    const bool cut = !utf8 && body.size() % 2 != 0;
    if (cut) body.remove_suffix(1);
    size_t line = 1;
    if (!Decode(name, body, text, &line)) {
      if (utf8) NotDecodable(fileName, line);
      text = DecodeForeign(fileName, name, body);  // raises, naming the line
    }
    if (cut) text.push_back(u'\uFFFD');
  }
  return text;
}

void LinesOfDecoded(const std::string& fileName, std::u16string_view text, TStringList& lines) {
  lines.Clear();
  TUpdateGuard filling(lines);
  const unsigned codePage = GetACP();
  TSectionLineTrim trim;
  AddUnicodeText(fileName, codePage, trim, text, lines);
  // The text is no longer in the encoding the file named.
  SetDeclaredEncoding(lines, CharsetNameOf(codePage));
}

}  // namespace

void DecodeLines(const std::string& fileName, const std::string& encoding, std::string_view b,
                 TStringList& lines) {
  LinesOfDecoded(fileName, DecodedText(fileName, encoding, b), lines);
}

namespace {

// How the bytes are to be read: as Unicode (a byte-order mark), in the encoding their XML
// declaration names, or else as 8-bit text. The first few kilobytes tell.
struct TTextKind {
  bool Unicode = false;
  std::string Encoding;
  bool EightBit() const { return !Unicode && Encoding.empty(); }
};

TTextKind KindOf(const std::string& fileName, std::string_view head) {
  TTextKind kind;
  kind.Unicode = HasByteOrderMark(head);
  if (!kind.Unicode) kind.Encoding = ForeignEncodingOfBytes(fileName, head);
  return kind;
}

// UTF-8 with a mark in the UTF-8 code page: its text is read from its own bytes.
bool ReadInItsOwnBytes(const TTextKind& kind, const std::string& bytes) {
  return kind.Unicode && GetACP() == CP_UTF8 && bytes.starts_with(kUtf8Mark);
}

// Whether what is written is the bytes, without keeping a copy of what is written.
class TSameBytes final : public TTextSink {
 public:
  explicit TSameBytes(std::string_view bytes) : FBytes(bytes) {}
  void Write(std::string_view text) override {
    FSame = FSame && FBytes.substr(FAt, text.size()) == text;
    FAt += text.size();
  }
  void WriteRepeated(char c, size_t count) override { Write(std::string(count, c)); }
  bool Same() const { return FSame && FAt == FBytes.size(); }

 private:
  std::string_view FBytes;
  size_t FAt = 0;
  bool FSame = true;
};

// A decoded file keeps its bytes (taken from raw), or, where its characters encode to them
// again and the text is a reading of them, those characters: the save converts them back.
void KeepDecoded(TReadBytes& kept, const TTextKind& kind, std::u16string_view decoded,
                 const std::string& text, std::string& raw) {
  const auto asRead = [&] { kept.Bytes = std::move(raw); };
  if (ReadInItsOwnBytes(kind, raw)) return asRead();
  const unsigned codePage = GetACP();
  bool lossy = false;
  std::string read = WideToMultiByte(codePage, decoded, &lossy);
  if (lossy) return asRead();
  std::string mark, encoding = kind.Encoding;
  if (kind.Unicode) {
    const std::string_view b = raw;
    mark = b.starts_with(kUtf8Mark) ? kUtf8Mark : b.substr(0, 2);
    encoding = b.starts_with(kUtf8Mark)    ? "UTF-8"
               : b.starts_with("\xFE\xFF") ? "UTF-16BE"
                                           : "UTF-16LE";
  }
  const TTextSwap swap = DeclarationSwap(text, read);
  if (!std::string_view(raw).starts_with(mark) || !TTrimmedWalk{text, read, swap}.Whole())
    return asRead();
  try {
    TSameBytes same(std::string_view(raw).substr(mark.size()));
    TEncodingSink encoder(same, codePage, encoding);
    if (!encoder.Valid()) return asRead();
    encoder.Write(read);
    encoder.Finish();
    if (!same.Same()) return asRead();
  } catch (const Exception&) {
    return asRead();
  }
  kept.Bytes = std::move(read);
  kept.EightBit = true;
  kept.Encoding = std::move(encoding);
  kept.Mark = std::move(mark);
  kept.CodePage = codePage;
  kept.Swap = swap;
}

// Turns checked bytes into the text: line ends for 8-bit text, else decoded and converted.
// False when stopped.
bool TextOfBytes(const std::string& fileName, const TTextKind& kind, const TProgress& progress,
                 std::string& text, TReadBytes* kept, TLineEndsAsRead* asRead) {
  if (kind.EightBit()) {
    bool stopped = false;
    if (asRead) {
      asRead->AsRead = true;
      AskAsLineEndsMoved(text, progress, stopped, asRead->Added);
    } else {
      EndLinesWithCrLf(text, progress, stopped);
    }
    return !stopped;
  }
  TStringList lines;
  const std::u16string decoded = DecodedText(fileName, kind.Encoding, text);
  LinesOfDecoded(fileName, decoded, lines);
  std::string loaded = lines.Text();
  if (kept) KeepDecoded(*kept, kind, decoded, loaded, text);
  text = std::move(loaded);
  return true;
}

// 8-bit bytes are kept as read; decoded ones when they have been decoded (KeepDecoded).
// With the line ends read as they are, the text is the bytes: no copy.
void Keep(TReadBytes* kept, const TTextKind& kind, const std::string& bytes, bool asRead) {
  if (!kept || !kind.EightBit()) return;
  if (!asRead) kept->Bytes = bytes;
  kept->EightBit = true;
}

// UTF-8 read in the UTF-8 code page is its own bytes after the mark with the line ends made
// CR LF, lines trimmed and the declaration's encoding named anew: unless the decoding changed
// more, where nodes stand in the bytes is known. Checked once, walking both.
void KeepPlacesOfUtf8(TReadBytes* kept, const TTextKind& kind, const std::string& text) {
  if (!kept || !ReadInItsOwnBytes(kind, kept->Bytes)) return;
  const std::string_view bytes = std::string_view(kept->Bytes).substr(kUtf8Mark.size());
  TTrimmedWalk walk{text, bytes, DeclarationSwap(text, bytes)};
  kept->EightBit = walk.Whole();
  if (kept->EightBit) kept->Swap = DeclarationSwap(text, bytes);
}

}  // namespace

bool ReadLoadText(const std::string& fileName, const TProgress& progress, std::string& text,
                  bool& isUnicode, TReadBytes* kept, TLineEndsAsRead* asRead) {
  const auto refused = [&](const std::string& reason) {
    // The text-file reader's own words, as for any file it cannot open, and why.
    return ELoadFile(
        Format("TVyTextFile(%s):Failed to reset file. %s", fileName.c_str(), reason.c_str()), 2004);
  };
  int64_t size = 0;
  std::string reason;
  const int fd = OpenRegularFile(fileName, size, reason);
  if (fd < 0) throw refused(reason);
  // Others may read the file while it is read, as the text-file reader shares it; only a
  // program that holds it for writing (an exclusive lock) keeps it from being read.
  int rc;
  do rc = ::flock(fd, LOCK_SH | LOCK_NB);
  while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const int err = errno;
    ::close(fd);
    throw refused(err == EWOULDBLOCK ? "It is locked by another program." : SysErrorMessage(err));
  }
  // The first bytes tell the kind of text; 8-bit text is searched for a NUL as it comes in,
  // and one found ends the read before the progress can stop it.
  bool known = false, stopped = false;
  TTextKind kind;  // an empty file is 8-bit text
  size_t searched = 0;
  text = ReadOpenedFile(fd, size, fileName, [&](std::string_view read) {
    if (!known) {
      known = true;
      kind = KindOf(fileName, read);
    }
    if (kind.EightBit()) {
      if (read.find('\0', searched) != std::string_view::npos) return false;
      searched = read.size();
    }
    return !(stopped = progress.Stopped());
  });
  isUnicode = kind.Unicode;
  // A NUL is reported even when the read stopped after it.
  if (kind.EightBit()) CheckEightBitText(fileName, text);
  if (stopped) return false;
  Keep(kept, kind, text, asRead != nullptr);
  if (!TextOfBytes(fileName, kind, progress, text, kept, asRead)) return false;
  KeepPlacesOfUtf8(kept, kind, text);
  return true;
}

bool LoadTextOfBytes(const std::string& name, const TProgress& progress, std::string& text,
                     bool& isUnicode, TReadBytes* kept, TLineEndsAsRead* asRead) {
  const TTextKind kind = KindOf(name, text);
  isUnicode = kind.Unicode;
  if (kind.EightBit()) CheckEightBitText(name, text);
  Keep(kept, kind, text, asRead != nullptr);
  if (!TextOfBytes(name, kind, progress, text, kept, asRead)) return false;
  KeepPlacesOfUtf8(kept, kind, text);
  return true;
}

}  // namespace zel
