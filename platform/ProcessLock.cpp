#include "platform/ProcessLock.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "base/Exception.h"
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
  const std::string folder = base + "ZelXMLEditor/";
  MakeFolder(folder);
  return folder;
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
    FFd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
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
  FFd = ::open(FLockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (FFd >= 0 && ::flock(FFd, LOCK_EX | LOCK_NB) != 0) {
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
