#include "editor/RecoveryFile.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <charconv>
#include <string_view>
#include <vector>

#include "base/StrUtils.h"
#include "base/UpdateGuard.h"
#include "outline/StagedNodes.h"
#include "outline/TreeWalk.h"
#include "platform/FileRead.h"

namespace zel {

namespace {

// Then the version: 2; files of version 1, written before the file stamp was kept, are read
// the same, with the stamp unknown.
constexpr std::string_view kMagic = "ZelXMLEditor recovery ";

// Formats into the caller's buffer and writes it out when full; the first error sticks.
class TRawWriter {
 public:
  TRawWriter(int fd, TRecoveryBuffer& buffer) : FFd(fd), FBuf(buffer.Data) {}

  void Put(std::string_view s) {
    if (FUsed + s.size() > TRecoveryBuffer::kSize) {
      Flush();
      if (s.size() >= TRecoveryBuffer::kSize) {
        Out(s.data(), s.size());
        return;
      }
    }
    for (char c : s) FBuf[FUsed++] = c;
  }
  void Number(unsigned long long value) {
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    Put(std::string_view(digits, size_t(r.ptr - digits)));
  }
  void NumberLine(std::string_view key, unsigned long long value) {
    Put(key);
    Put(" ");
    Number(value);
    Put("\n");
  }
  void Flush() {
    Out(FBuf, FUsed);
    FUsed = 0;
  }
  int Error() const { return FError; }

 private:
  void Out(const char* data, size_t size) {
    while (size > 0 && FError == 0) {
      const ssize_t n = ::write(FFd, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        FError = n < 0 ? errno : ENOSPC;
        return;
      }
      data += n;
      size -= size_t(n);
    }
  }
  int FFd;
  char* FBuf;
  size_t FUsed = 0;
  int FError = 0;
};

void WriteContent(TRawWriter& out, const TRecoveryHeader& header, const TTreeView& tree) {
  out.Put(kMagic);
  out.Put("2\n");
  out.NumberLine("pid", static_cast<unsigned long>(header.Pid));
  out.NumberLine("change", header.Change);
  out.NumberLine("untitled", header.Untitled ? 1 : 0);
  if (header.StampKnown) {
    const TFileStamp& s = header.Stamp;
    out.Put("stamp 1 ");
    for (const unsigned long long v :
         {static_cast<unsigned long long>(s.Exists), static_cast<unsigned long long>(s.Device),
          static_cast<unsigned long long>(s.Inode), static_cast<unsigned long long>(s.Size),
          static_cast<unsigned long long>(s.Modified.tv_sec),
          static_cast<unsigned long long>(s.Modified.tv_nsec)}) {
      out.Number(v);
      out.Put(" ");
    }
    out.Put("\n");
  } else {
    out.Put("stamp 0\n");
  }
  const std::string_view name = header.Untitled ? std::string_view() : header.FileName;
  out.NumberLine("name", name.size());
  out.Put(name);
  out.Put("\n");
  WalkInDocumentOrder(tree, [&](const TTreeNode& node, int level) {
    out.Put("node ");
    out.Number(static_cast<unsigned>(level));
    out.Put(node.Expanded() ? " 1 " : " 0 ");
    out.Number(node.Text().size());
    out.Put("\n");
    out.Put(node.Text());
    out.Put("\n");
    return out.Error() == 0;
  });
  out.Put("end\n");
  out.Flush();
}

// Reads the lines written above from the file as it goes; any surprise is a damaged file.
class TParser {
 public:
  explicit TParser(const std::string& path) : FPath(path) {
    int64_t size = 0;
    FFd = OpenRegularFile(path, size);  // never blocks: a FIFO is refused
    FSize = static_cast<uint64_t>(size);
  }
  ~TParser() { ::close(FFd); }
  TParser(const TParser&) = delete;
  TParser& operator=(const TParser&) = delete;

  void Expect(std::string_view text) {
    for (const char c : text)
      if (Get() != c) Damaged();
  }
  // "key N\n".
  unsigned long long Number(std::string_view key) {
    Expect(key);
    Expect(" ");
    return NumberUntil('\n');
  }
  unsigned long long NumberUntil(char end) {
    char digits[24];
    size_t n = 0;
    int c = Get();
    while (c >= '0' && c <= '9' && n < sizeof digits) {
      digits[n++] = char(c);
      c = Get();
    }
    unsigned long long value = 0;
    const auto [ptr, ec] = std::from_chars(digits, digits + n, value);
    if (n == 0 || ec != std::errc() || ptr != digits + n || c != end) Damaged();
    return value;
  }
  // `size` bytes and a line end; more than the file has left is damage, found before any
  // memory is taken for them.
  void Bytes(unsigned long long size, std::string& out) {
    if (Position() > FSize || size >= FSize - Position()) Damaged();
    out.resize(size_t(size));
    size_t got = std::min<size_t>(size_t(size), FEnd - FAt);
    std::copy(FBuf + FAt, FBuf + FAt + got, out.data());
    FAt += got;
    while (got < size) {
      const ssize_t n = ::read(FFd, out.data() + got, size_t(size) - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ReadFailed();
      if (n == 0) Damaged();
      got += size_t(n);
      FRead += uint64_t(n);
    }
    Expect("\n");
  }
  int Peek() {
    if (FAt == FEnd && !Fill()) return -1;
    return static_cast<unsigned char>(FBuf[FAt]);
  }
  uint64_t Position() const { return FRead - (FEnd - FAt); }
  uint64_t Size() const { return FSize; }

  TRecoveryHeader Header() {
    TRecoveryHeader h;
    Expect(kMagic);
    const int version = Get();
    if ((version != '1' && version != '2') || Get() != '\n') Damaged();
    h.Pid = long(Number("pid"));
    h.Change = static_cast<unsigned long>(Number("change"));
    h.Untitled = Number("untitled") != 0;
    if (version == '2') {
      Expect("stamp ");
      const int known = Get();
      h.StampKnown = known == '1';
      if (h.StampKnown) {
        Expect(" ");
        TFileStamp& s = h.Stamp;
        s.Exists = NumberUntil(' ') != 0;
        s.Device = static_cast<dev_t>(NumberUntil(' '));
        s.Inode = static_cast<ino_t>(NumberUntil(' '));
        s.Size = static_cast<off_t>(NumberUntil(' '));
        s.Modified.tv_sec = static_cast<time_t>(NumberUntil(' '));
        s.Modified.tv_nsec = static_cast<long>(NumberUntil(' '));
      } else if (known != '0') {
        Damaged();
      }
      Expect("\n");
    }
    const unsigned long long size = Number("name");
    if (size > PATH_MAX) Damaged();  // a path is never longer: the header stays small
    Bytes(size, h.FileName);
    CheckName(h);
    return h;
  }

  [[noreturn]] void Damaged() const {
    throw Exception(Format("The recovery file \"%s\" is damaged.", FPath.c_str()));
  }

 private:
  int Get() {
    const int c = Peek();
    if (c >= 0) ++FAt;
    return c;
  }
  bool Fill() {
    for (;;) {
      const ssize_t n = ::read(FFd, FBuf, sizeof FBuf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ReadFailed();
      FAt = 0;
      FEnd = size_t(n);
      FRead += uint64_t(n);
      return n > 0;
    }
  }
  [[noreturn]] void ReadFailed() const {
    throw EFOpenError(FileErrorMessage("read", FPath, errno));
  }
  // The name decides where Save writes: a planted file must not choose a relative place, a
  // device or a folder.
  void CheckName(TRecoveryHeader& h) const {
    if (h.Untitled) {
      // Editors before the stamp stored the untitled name itself.
      if (!h.FileName.empty() && h.FileName != "Untitled.xml") Damaged();
      h.FileName.clear();
      return;
    }
    if (h.FileName.empty() || h.FileName[0] != '/' || h.FileName.find('\0') != std::string::npos)
      Damaged();
    struct stat st {};
    if (::stat(h.FileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) Damaged();
  }

  const std::string& FPath;
  int FFd = -1;
  uint64_t FSize = 0;
  uint64_t FRead = 0;  // bytes read from the file into FBuf or straight into texts
  char FBuf[64 * 1024];
  size_t FAt = 0, FEnd = 0;
};

}  // namespace

int WriteRecoveryFile(const char* path, const char* temp, const TRecoveryHeader& header,
                      const TTreeView& tree, TRecoveryBuffer& buffer) {
  constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::open(temp, kFlags, 0600);
  // Left by a write that was killed: this process's own name, so its own file.
  if (fd < 0 && errno == EEXIST && ::unlink(temp) == 0) fd = ::open(temp, kFlags, 0600);
  if (fd < 0) return errno;
  int err = ::fchmod(fd, 0600) == 0 ? 0 : errno;  // whatever the umask
  if (err == 0) {
    TRawWriter out(fd, buffer);
    WriteContent(out, header, tree);
    err = out.Error();
  }
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0 && errno != EINTR) err = errno;
  if (err == 0 && ::rename(temp, path) != 0) err = errno;
  if (err != 0) ::unlink(temp);
  return err;
}

TRecoveryHeader ReadRecoveryHeader(const std::string& path) {
  TParser in(path);
  return in.Header();
}

std::optional<TRecoveryHeader> ReadRecoveryFile(TTreeWriteKey key, const std::string& path,
                                                TTreeView& tree, const TProgress& progress) {
  constexpr size_t kNodesPerReport = 64;
  TParser in(path);
  const TRecoveryHeader header = in.Header();
  // Built apart from the tree, which takes the nodes only once the whole file has been read.
  TTreeView::TStagedNodes staged(tree);
  std::vector<TTreeNode*> parents;  // parents[level] is the last node at that level
  std::vector<TTreeNode*> expanded;
  std::string text;
  size_t count = 0;
  while (in.Peek() == 'n') {
    in.Expect("node ");
    const unsigned long long level = in.NumberUntil(' ');
    const unsigned long long isExpanded = in.NumberUntil(' ');
    in.Bytes(in.NumberUntil('\n'), text);
    if (level > parents.size()) in.Damaged();  // at most one level below the node before
    parents.resize(size_t(level));
    TTreeNode* node = staged.AddChild(level == 0 ? nullptr : parents.back(), text);
    parents.push_back(node);
    if (isExpanded != 0) expanded.push_back(node);
    if (++count % kNodesPerReport == 0) {
      progress.Percent(PercentOf(size_t(in.Position()), size_t(in.Size())));
      if (progress.Stopped()) return std::nullopt;
    }
  }
  in.Expect("end\n");
  if (in.Peek() >= 0) in.Damaged();
  progress.Percent(100);
  if (progress.Stopped()) return std::nullopt;
  {
    TUpdateGuard suspended(tree);
    tree.Clear(key);
    tree.TakeNodes(key, staged);
    // Only once the children are in: a childless node keeps no expanded flag.
    for (TTreeNode* node : expanded) node->SetExpanded(true);
  }
  return header;
}

}  // namespace zel
