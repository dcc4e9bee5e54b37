#include "fileio/TextChecks.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "base/Exception.h"
#include "platform/FileRead.h"

namespace zel {

namespace {

constexpr size_t kChunk = size_t{1} << 20;

class TReader {
 public:
  explicit TReader(const std::string& fileName) : FName(fileName) {
    FFd = OpenRegularFile(fileName, FLeft);
  }
  ~TReader() { ::close(FFd); }
  TReader(const TReader&) = delete;
  TReader& operator=(const TReader&) = delete;

  // The next piece of the file, empty at its end; never past the size found at open.
  size_t Next(std::vector<char>& buf) {
    while (FLeft > 0) {
      const ssize_t n = ::read(FFd, buf.data(), std::min(buf.size(), static_cast<size_t>(FLeft)));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw EFOpenError(FileErrorMessage("open", FName, errno));
      FLeft -= n;
      return static_cast<size_t>(n);
    }
    return 0;
  }

 private:
  const std::string& FName;
  int FFd = -1;
  int64_t FLeft = 0;
};

// Moves pos over the bytes: CR LF, a lone CR and a lone LF each end a line.
void Advance(TTextPosition& pos, bool& afterCr, const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const char c = p[i];
    if (c == '\n' && afterCr) {
      afterCr = false;
    } else if (c == '\r' || c == '\n') {
      afterCr = c == '\r';
      ++pos.Line;
      pos.Column = 1;
    } else {
      afterCr = false;
      ++pos.Column;
    }
  }
}

}  // namespace

std::optional<TTextPosition> FindNulByte(std::string_view bytes) {
  const size_t nul = bytes.find('\0');
  if (nul == std::string_view::npos) return std::nullopt;
  TTextPosition pos;
  bool afterCr = false;
  Advance(pos, afterCr, bytes.data(), nul);
  return pos;
}

std::optional<TTextPosition> FindNulByte(const std::string& fileName, const TProgress& progress) {
  std::vector<char> buf(kChunk);
  // memchr alone over the file; lines are counted only once a NUL is known to be there.
  uint64_t offset = 0;
  bool found = false;
  {
    TReader reader(fileName);
    while (const size_t n = reader.Next(buf)) {
      if (const void* nul = std::memchr(buf.data(), '\0', n)) {
        offset += static_cast<uint64_t>(static_cast<const char*>(nul) - buf.data());
        found = true;
        break;
      }
      offset += n;
      if (progress.Stopped()) return std::nullopt;
    }
  }
  if (!found) return std::nullopt;
  TTextPosition pos;
  bool afterCr = false;  // a LF right after a CR ends no second line
  TReader reader(fileName);
  while (offset > 0) {
    const size_t n = std::min<uint64_t>(reader.Next(buf), offset);
    if (n == 0) break;  // the file changed under us: the position found so far stands
    Advance(pos, afterCr, buf.data(), n);
    offset -= n;
  }
  return pos;
}

}  // namespace zel
