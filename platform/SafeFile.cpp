#include "platform/SafeFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <future>
#include <system_error>
#include <vector>

#include "base/Exception.h"
#include "base/StrUtils.h"
#include "platform/FileAttributes.h"
#include "platform/FileRead.h"
#include "platform/ProcessLock.h"

namespace zel {

namespace {

constexpr size_t kBufferSize = size_t{1} << 20;
// Runs of at least this many characters are written from a shared block instead of the buffer.
constexpr size_t kDirectRun = size_t{1} << 16;
constexpr int kMaxLinks = 40;
constexpr int kNameAttempts = 100;

int gFaultCountdown = 0;  // writes left before the fault; 0: no fault armed
int gFaultErr = 0;

// True when the armed fault hits this write; errno then holds its code.
bool WriteFaults() {
  if (gFaultCountdown == 0) return false;
  if (gFaultCountdown > 1) {
    --gFaultCountdown;
    return false;
  }
  errno = gFaultErr;
  return true;
}

mode_t DefaultMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name a dangling symbolic link points at, followed link by link; 0 or an errno.
int FollowDanglingLinks(std::string& path) {
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (!S_ISLNK(st.st_mode)) return 0;
    std::vector<char> buf(PATH_MAX + 1);
    const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size() - 1);
    if (n < 0) return errno;
    const std::string to(buf.data(), static_cast<size_t>(n));
    if (to.starts_with('/')) {
      path = to;
    } else {
      path = FolderOf(path);
      path += '/';
      path += to;
    }
  }
  return ELOOP;
}

// A short name of our own: the target's name plus a suffix could pass the name length limit.
std::string TemporaryName() {
  unsigned value = 0;
  if (::getrandom(&value, sizeof value, 0) != sizeof value)
    value = static_cast<unsigned>(::getpid()) * 2654435761u ^ static_cast<unsigned>(random());
  return Format(".zelxml-%08x.tmp", value);
}

}  // namespace

TSafeFileWriter::TSafeFileWriter(std::string fileName) : FFileName(std::move(fileName)) {}

TSafeFileWriter::~TSafeFileWriter() {
  if (!FCommitted) Discard();
}

void TSafeFileWriter::CreateFailed(int err) const {
  throw EFCreateError(FileErrorMessage("create", FFileName, err));
}

void TSafeFileWriter::CreateFailed(const char* reason) const {
  throw EFCreateError(FileErrorMessage("create", FFileName, reason));
}

void TSafeFileWriter::WriteFailed(int err) {
  Discard();
  throw EWriteError(FileErrorMessage("write", FFileName, err));
}

void TSafeFileWriter::Discard() noexcept {
  for (int* fd : {&FFd, &FOutFd}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
  if (!FTempName.empty()) ::unlinkat(TempFolder(), FTempName.c_str(), 0);
  FTempName.clear();
  for (int* fd : {&FStateDirFd, &FDirFd}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

bool TSafeFileWriter::OpenNamed(int folder) {
  for (int i = 0; i < kNameAttempts; ++i) {
    FTempName = TemporaryName();
    FFd = ::openat(folder, FTempName.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
    if (FFd >= 0) return true;
    if (errno != EEXIST) break;
  }
  const int err = errno;
  FTempName.clear();
  errno = err;
  return false;
}

bool TSafeFileWriter::OpenTemporary() {
  FFd = ::openat(FDirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  FUnnamed = FFd >= 0;
  if (FUnnamed) return true;
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
  return OpenNamed(FDirFd);
}

bool TSafeFileWriter::TakeOverFrom(const struct stat& old) {
  // The owner first: changing it may clear set-id bits that the mode then restores.
  struct stat now {};
  if (::fstat(FFd, &now) != 0) return false;
  if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
      ::fchown(FFd, old.st_uid, old.st_gid) != 0)
    return false;
  return CopyFileAttributes(FTarget, FFd);
}

void TSafeFileWriter::OpenCopy() {
  FOverwrite = true;
  FOutFd = ::open(FTarget.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW);
  if (FOutFd < 0) CreateFailed(errno);
  if (OpenNamed(FDirFd)) {
    FCopyName = FolderOf(FTarget) + "/" + FTempName;
    return;
  }
  const int err = errno;
  if (err != EACCES && err != EPERM) CreateFailed(err);
  std::string state;
  try {
    state = StateFolder();
    MakePrivateFolder(state);  // the copy holds the user's text: only the user reads it
  } catch (const Exception&) {
    state.clear();
  }
  if (!state.empty())
    FStateDirFd = ::open(state.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
  if (FStateDirFd < 0 || !OpenNamed(FStateDirFd))
    CreateFailed(
        "Neither its folder nor the editor's state folder can hold a copy of it while "
        "it is written.");
  FCopyName = state + FTempName;
}

void TSafeFileWriter::Open() {
  struct stat st {};
  bool exists = false;
  FTarget = FFileName;
  if (::stat(FFileName.c_str(), &st) == 0) {
    exists = true;
    if (S_ISDIR(st.st_mode)) CreateFailed(EISDIR);
    if (S_ISCHR(st.st_mode)) {
      FInPlace = true;
      FFd = ::open(FFileName.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
      if (FFd < 0) CreateFailed(errno);
      return;
    }
    if (!S_ISREG(st.st_mode)) CreateFailed(kNotRegularFile);
    if (::access(FFileName.c_str(), W_OK) != 0) CreateFailed(errno);
    // The file itself is replaced, not a link to it.
    if (char* real = ::realpath(FFileName.c_str(), nullptr)) {
      FTarget = real;
      std::free(real);
    }
  } else if (errno == ENOENT) {
    if (const int err = FollowDanglingLinks(FTarget)) CreateFailed(err);
  } else {
    CreateFailed(errno);
  }
  FMode = exists ? (st.st_mode & 07777) : DefaultMode();

  const std::string folder = FolderOf(FTarget);
  FDirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (FDirFd < 0) FDirFd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (FDirFd < 0) CreateFailed(errno);

  // A rename would split a file from its other names, or cannot be made.
  if (exists && st.st_nlink > 1) return OpenCopy();
  if (!OpenTemporary()) {
    if (exists && (errno == EACCES || errno == EPERM)) return OpenCopy();
    CreateFailed(errno);
  }
  if (exists && !TakeOverFrom(st)) {  // the new file could not have its owner or attributes
    ::close(FFd);
    FFd = -1;
    if (!FTempName.empty()) ::unlinkat(FDirFd, FTempName.c_str(), 0);
    FTempName.clear();
    return OpenCopy();
  }
  if (::fchmod(FFd, FMode) != 0) WriteFailed(errno);
}

void TSafeFileWriter::WriteOut(const char* data, size_t size) {
  if (FFd < 0) Open();
  while (size > 0) {
    const ssize_t n = WriteFaults() ? -1 : ::write(FFd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      WriteFailed(errno);
    }
    if (n == 0) WriteFailed(ENOSPC);
    data += n;
    size -= static_cast<size_t>(n);
  }
}

void TSafeFileWriter::Flush() {
  if (FBuffer.empty()) return;
  WriteOut(FBuffer.data(), FBuffer.size());
  FBuffer.clear();
}

void TSafeFileWriter::Write(std::string_view data) {
  if (FBuffer.size() + data.size() > kBufferSize) {
    Flush();
    if (data.size() >= kBufferSize) {
      WriteOut(data.data(), data.size());
      return;
    }
  }
  if (FBuffer.capacity() < kBufferSize) FBuffer.reserve(kBufferSize);
  FBuffer.append(data);
}

void TSafeFileWriter::WriteRepeated(char c, size_t count) {
  if (count < kDirectRun) {
    if (FBuffer.size() + count > kBufferSize) Flush();
    FBuffer.append(count, c);
    return;
  }
  // Deep indentation: many pieces of one shared block per call, nothing built per line.
  Flush();
  if (FRun.size() != kBufferSize || FRun[0] != c) FRun.assign(kBufferSize, c);
  if (FFd < 0) Open();
  std::vector<iovec> pieces;
  while (count > 0) {
    pieces.clear();
    size_t batch = 0;
    while (count - batch > 0 && pieces.size() < IOV_MAX && batch < (size_t{1} << 30)) {
      const size_t n = std::min(kBufferSize, count - batch);
      pieces.push_back({FRun.data(), n});
      batch += n;
    }
    const ssize_t n =
        WriteFaults() ? -1 : ::writev(FFd, pieces.data(), static_cast<int>(pieces.size()));
    if (n < 0) {
      if (errno == EINTR) continue;
      WriteFailed(errno);
    }
    if (n == 0) WriteFailed(ENOSPC);
    count -= static_cast<size_t>(n);
  }
}

namespace {

// fsync on a helper thread while the caller's `waiting` runs; where no thread can be had, the
// sync just blocks. Sets errno on failure.
bool SyncWhile(int fd, const std::function<void()>& waiting) {
  if (!waiting) return ::fsync(fd) == 0;
  std::future<int> synced;
  try {
    synced = std::async(std::launch::async, [fd] { return ::fsync(fd) == 0 ? 0 : errno; });
  } catch (const std::system_error&) {
    return ::fsync(fd) == 0;
  }
  // The future waits for the sync even when `waiting` throws.
  while (synced.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) waiting();
  errno = synced.get();
  return errno == 0;
}

}  // namespace

void TSafeFileWriter::Commit(const std::function<void()>& waiting) {
  Flush();
  if (FFd < 0) Open();
  if (FInPlace) {
    const int fd = FFd;
    FFd = -1;
    if (::close(fd) != 0 && errno != EINTR) WriteFailed(errno);
    FCommitted = true;
    return;
  }
  if (WriteFaults() || !SyncWhile(FFd, waiting)) WriteFailed(errno);
  if (FOverwrite) return Overwrite(waiting);
  if (FUnnamed) {
    // Linked in under a temporary name only now that it is complete.
    const std::string self = Format("/proc/self/fd/%d", FFd);
    int rc = -1;
    for (int i = 0; i < kNameAttempts && rc != 0; ++i) {
      FTempName = TemporaryName();
      rc = WriteFaults()
               ? -1
               : ::linkat(AT_FDCWD, self.c_str(), FDirFd, FTempName.c_str(), AT_SYMLINK_FOLLOW);
      if (rc != 0 && errno == ENOENT)  // no /proc: needs the right to link by descriptor
        rc = ::linkat(FFd, "", FDirFd, FTempName.c_str(), AT_EMPTY_PATH);
      if (rc != 0 && errno != EEXIST) break;
    }
    if (rc != 0) {
      const int err = errno;
      FTempName.clear();
      WriteFailed(err);
    }
  }
  const int fd = FFd;
  FFd = -1;
  if (::close(fd) != 0 && errno != EINTR) WriteFailed(errno);
  if (WriteFaults() ||
      ::renameat(FDirFd, FTempName.c_str(), FDirFd, BaseOf(FTarget).c_str()) != 0) {
    const int err = errno;
    if (err != EBUSY && err != EACCES && err != EPERM) WriteFailed(err);
    // The name cannot be replaced (a file mounted on its own, say): the new file beside it is
    // the whole copy from which it is written in place.
    FOverwrite = true;
    FCopyName = FolderOf(FTarget) + "/" + FTempName;
    FFd = ::openat(FDirFd, FTempName.c_str(), O_RDONLY | O_CLOEXEC);
    FOutFd = ::open(FTarget.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW);
    if (FFd < 0 || FOutFd < 0) WriteFailed(err);
    return Overwrite(waiting);
  }
  FTempName.clear();
  if (FSyncFolder) ::fsync(FDirFd);  // makes the new name itself durable
  ::close(FDirFd);
  FDirFd = -1;
  FCommitted = true;
}

void TSafeFileWriter::OverwriteFailed(int err) {
  const std::string message = FileErrorMessage("write", FFileName, err) +
                              " The whole new text is kept in \"" + FCopyName + "\".";
  FTempName.clear();  // the copy stays
  Discard();
  throw EWriteError(message);
}

void TSafeFileWriter::Overwrite(const std::function<void()>& waiting) {
  struct stat st {};
  if (::fstat(FFd, &st) != 0) WriteFailed(errno);
  const off_t size = st.st_size;
  // Room first, where the file system can promise it: a full disk then fails with the target
  // untouched.
  if (size > 0 && ::fallocate(FOutFd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno == ENOSPC)
    WriteFailed(ENOSPC);
  FBuffer.resize(kBufferSize);
  for (off_t at = 0; at < size;) {
    const ssize_t n = ::pread(FFd, FBuffer.data(), FBuffer.size(), at);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      OverwriteFailed(n < 0 ? errno : EIO);
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = WriteFaults() ? -1
                                      : ::pwrite(FOutFd, FBuffer.data() + done,
                                                 static_cast<size_t>(n - done), at + done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) OverwriteFailed(w < 0 ? errno : ENOSPC);
      done += w;
    }
    at += n;
  }
  FBuffer.clear();
  if (WriteFaults() || ::ftruncate(FOutFd, size) != 0) OverwriteFailed(errno);
  if (WriteFaults() || !SyncWhile(FOutFd, waiting)) OverwriteFailed(errno);
  const int fd = FOutFd;
  FOutFd = -1;
  if (::close(fd) != 0 && errno != EINTR) OverwriteFailed(errno);
  Discard();  // the copy goes: the target holds the text
  FCommitted = true;
}

void SetSafeFileWriteFault(int nth, int err) {
  gFaultCountdown = nth;
  gFaultErr = err;
}

void WriteFileAtomically(const std::string& fileName, std::string_view data, bool syncFolder) {
  TSafeFileWriter writer(fileName);
  writer.SetSyncFolder(syncFolder);
  writer.Write(data);
  writer.Commit();
}

}  // namespace zel
