#include "platform/FileRead.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/Exception.h"
#include "base/StrUtils.h"
#include "platform/BlockAllocator.h"

namespace zel {

std::string FileErrorMessage(const char* verb, const std::string& fileName, int err) {
  return FileErrorMessage(verb, fileName, SysErrorMessage(err).c_str());
}

std::string FileErrorMessage(const char* verb, const std::string& fileName, const char* reason) {
  return Format("Cannot %s file \"%s\". %s", verb, fileName.c_str(), reason);
}

void CheckRegularFile(const std::string& fileName) {
  struct stat st {};
  if (::stat(fileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    throw EFOpenError(FileErrorMessage("open", fileName, kNotRegularFile));
}

uint64_t FileSizeOrZero(const std::string& fileName) {
  struct stat st {};
  return ::stat(fileName.c_str(), &st) == 0 && st.st_size > 0 ? uint64_t(st.st_size) : 0;
}

int OpenRegularFile(const std::string& fileName, int64_t& size, std::string& reason) {
  // O_NONBLOCK: opening a FIFO without a writer would wait for one.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    reason = SysErrorMessage(errno);
    return -1;
  }
  struct stat st {};
  const bool known = ::fstat(fd, &st) == 0;
  if (!known || !S_ISREG(st.st_mode)) {
    reason = known ? kNotRegularFile : SysErrorMessage(errno);
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  size = st.st_size;
  return fd;
}

int OpenRegularFile(const std::string& fileName, int64_t& size) {
  std::string reason;
  const int fd = OpenRegularFile(fileName, size, reason);
  if (fd < 0) throw EFOpenError(FileErrorMessage("open", fileName, reason.c_str()));
  return fd;
}

std::string ReadFileBytes(const std::string& fileName, const TProgress& progress) {
  int64_t size = 0;
  const int fd = OpenRegularFile(fileName, size);
  return ReadOpenedFile(fd, size, fileName, [&](std::string_view) { return !progress.Stopped(); });
}

std::string ReadOpenedFile(int fd, int64_t size, const std::string& fileName,
                           const std::function<bool(std::string_view read)>& step) {
  // Small enough steps for a window to stay answered between them.
  constexpr size_t kStep = size_t{4} << 20;
  struct TClose {
    int Fd;
    ~TClose() { ::close(Fd); }
  } closing{fd};
  // A size of 0 may be no size at all: files of /proc and /sys hold text that the system
  // makes as they are read. Those are read to their end, within a bound.
  constexpr size_t kUnsizedLimit = size_t{64} << 20;
  const size_t limit = size == 0 ? kUnsizedLimit : static_cast<size_t>(size);
  const size_t piece = size == 0 ? size_t{64} << 10 : kStep;
  std::string data;
  // Room for the line ends a load may add (a CR to each lone LF, a line break at the end)
  // without a copy of the whole: pages never written cost no memory.
  data.reserve(static_cast<size_t>(size) + static_cast<size_t>(size) / 8 + 2);
  size_t got = 0;
  while (got < limit) {
    const size_t chunk = std::min<size_t>(limit - got, piece);
    data.resize(got + chunk);  // within the reserve: no copy, only the new pages are touched
    const ssize_t n = ::read(fd, data.data() + got, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EFOpenError(FileErrorMessage("open", fileName, errno));
    }
    if (n == 0) break;  // the file shrank
    got += static_cast<size_t>(n);
    if (!step(std::string_view(data.data(), got))) break;
  }
  data.resize(got);
  return data;
}

const char* DropReadPages(const char* from, const char* to) {
  const auto at = [](const char* p) { return reinterpret_cast<uintptr_t>(p); };
  const uintptr_t begin = (at(from) + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
  const uintptr_t end = at(to) & ~(kHugePageBytes - 1);
  if (end <= begin) return from;
  // The pages serve the blocks that the load's nodes take next.
  RecycleHugePages(const_cast<char*>(from) + (begin - at(from)), end - begin);
  return from + (end - at(from));
}

}  // namespace zel
