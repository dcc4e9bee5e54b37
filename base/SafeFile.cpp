#include "base/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "base/Exception.h"
#include "base/StrUtils.h"

namespace zel {

namespace {

[[noreturn]] void CreateFailed(const std::string& fileName, int err) {
  throw EFCreateError(
      Format("Cannot create file \"%s\". %s", fileName.c_str(), SysErrorMessage(err).c_str()));
}

[[noreturn]] void WriteFailed(const std::string& fileName, int err) {
  throw EWriteError(
      Format("Cannot write file \"%s\". %s", fileName.c_str(), SysErrorMessage(err).c_str()));
}

// The file that a save replaces: a symbolic link's target rather than the link itself.
std::string ResolveTarget(const std::string& fileName) {
  struct stat st {};
  if (::lstat(fileName.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char buf[PATH_MAX];
    if (::realpath(fileName.c_str(), buf) != nullptr) return buf;
  }
  return fileName;
}

mode_t DefaultMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void WriteFileAtomically(const std::string& fileName, std::string_view data) {
  const std::string target = ResolveTarget(fileName);
  struct stat st {};
  mode_t mode = DefaultMode();
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) CreateFailed(fileName, EISDIR);
    if (::access(target.c_str(), W_OK) != 0) CreateFailed(fileName, errno);
    mode = st.st_mode & 07777;
  }
  const size_t slash = target.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp = (slash == std::string::npos ? std::string() : dir) + "." + base + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) CreateFailed(fileName, errno);

  const auto fail = [&](int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    WriteFailed(fileName, err);
  };
  if (::fchmod(fd, mode) != 0) fail(errno);
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) fail(errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    WriteFailed(fileName, err);
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    WriteFailed(fileName, err);
  }
  // Makes the new name itself durable.
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

}  // namespace zel
