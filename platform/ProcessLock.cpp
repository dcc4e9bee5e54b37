#include "platform/ProcessLock.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "base/Exception.h"
#include "base/StrUtils.h"
#include "platform/FileRead.h"

namespace zel {

namespace {

void MakeFolder(const std::string& path) {
  // Each missing level in turn; only the editor's own one is private.
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
      throw EFCreateError(FileErrorMessage("create", part, errno));
  }
}

}  // namespace

std::string StateFolder() {
  std::string base;
  const char* state = ::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') {
    base = state;
  } else {
    const char* home = ::getenv("HOME");
    base = std::string(home != nullptr ? home : "") + "/.local/state";
  }
  if (base.back() != '/') base += '/';
  return base + "ZelXMLEditor/";
}

void MakePrivateFolder(const std::string& folder) {
  const std::string path = folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder;
  MakeFolder(path + "/");
  // The name itself, not what a link there points at.
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) throw EFCreateError(FileErrorMessage("open", path, errno));
  const char* name = path.c_str();
  if (!S_ISDIR(st.st_mode))
    throw EFCreateError(Format("The recovery folder \"%s\" is not a folder.", name));
  if (st.st_uid != ::geteuid())
    throw EFCreateError(Format("The recovery folder \"%s\" belongs to another user.", name));
  if ((st.st_mode & 0777) != 0700)
    throw EFCreateError(Format("The recovery folder \"%s\" has mode %04o; it must be 0700.", name,
                               unsigned(st.st_mode & 07777)));
}

TProcessLock::TProcessLock(const std::string& folder) {
  // Locked under another name first: a lock file that others can see is always held.
  std::string temp;
  for (int attempt = 0;; ++attempt) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    FStem = folder + std::to_string(::getpid()) + "-" + std::to_string(now.tv_sec) + "-" +
            std::to_string(now.tv_nsec);
    temp = FStem + ".new";
    FFd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (FFd >= 0) break;
    if (errno != EEXIST || attempt == 10)
      throw EFCreateError(FileErrorMessage("create", temp, errno));
  }
  if (::flock(FFd, LOCK_EX | LOCK_NB) != 0 ||
      ::rename(temp.c_str(), (FStem + ".lock").c_str()) != 0) {
    const int err = errno;
    ::close(FFd);
    ::unlink(temp.c_str());
    throw EFCreateError(FileErrorMessage("create", FStem + ".lock", err));
  }
}

TProcessLock::~TProcessLock() {
  ::unlink((FStem + ".lock").c_str());
  ::close(FFd);
}

TOwnerLock::TOwnerLock(const std::string& stem) : FLockFile(stem + ".lock") {
  constexpr int kFlags = O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  FFd = ::open(FLockFile.c_str(), kFlags, 0600);
  // A link is no editor's lock: it goes, and a file of our own takes its place.
  if (FFd < 0 && errno == ELOOP && ::unlink(FLockFile.c_str()) == 0)
    FFd = ::open(FLockFile.c_str(), kFlags | O_EXCL, 0600);
  struct stat st {};
  if (FFd >= 0 &&
      (::fstat(FFd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(FFd, LOCK_EX | LOCK_NB) != 0)) {
    ::close(FFd);
    FFd = -1;
  }
}

TOwnerLock::~TOwnerLock() {
  if (FFd >= 0) ::close(FFd);
}

void TOwnerLock::Remove() {
  // Unlinked while still held: an editor that opens the name afterwards makes a new file.
  if (FFd >= 0) ::unlink(FLockFile.c_str());
}

}  // namespace zel
