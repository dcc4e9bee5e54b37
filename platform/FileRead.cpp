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

int OpenRegularFile(const std::string& fileName, int64_t& size) {
  // O_NONBLOCK: opening a FIFO without a writer would wait for one.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) throw EFOpenError(FileErrorMessage("open", fileName, errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    throw EFOpenError(FileErrorMessage("open", fileName, err));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    throw EFOpenError(FileErrorMessage("open", fileName, kNotRegularFile));
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  size = st.st_size;
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
  std::string data;
  // Room for a line break the text may get at its end, without a copy of the whole.
  data.reserve(static_cast<size_t>(size) + 2);
  size_t got = 0;
  while (got < static_cast<size_t>(size)) {
    const size_t chunk = std::min<size_t>(static_cast<size_t>(size) - got, kStep);
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
  ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
  return from + (end - at(from));
}

}  // namespace zel
