#include "platform/FileApi.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace zel {

namespace {

int Fd(HANDLE h) {
  return static_cast<int>(h);
}

bool ValidHandle(HANDLE h) {
  if (h < 0 || h > INT_MAX) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  return true;
}

// Windows reports a missing folder on the way as "path not found", a missing last part as
// "file not found".
DWORD MissingCode(const std::string& fileName) {
  const size_t slash = fileName.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
  struct stat st;
  const std::string folder = fileName.substr(0, slash);
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return ERROR_PATH_NOT_FOUND;
  return ERROR_FILE_NOT_FOUND;
}

int LockFor(DWORD shareMode) {
  if ((shareMode & FILE_SHARE_WRITE) != 0) return 0;  // others may even write: no lock
  if ((shareMode & FILE_SHARE_READ) != 0) return LOCK_SH;
  return LOCK_EX;
}

}  // namespace

HANDLE CreateFile(const std::string& fileName, DWORD desiredAccess, DWORD shareMode,
                  DWORD creationDisposition, DWORD /*flagsAndAttributes*/) {
  const bool wantRead = (desiredAccess & GENERIC_READ) != 0;
  const bool wantWrite = (desiredAccess & GENERIC_WRITE) != 0;
  int flags = O_CLOEXEC;
  flags |= wantWrite ? (wantRead ? O_RDWR : O_WRONLY) : O_RDONLY;
  bool truncate = false;
  switch (creationDisposition) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      flags |= O_CREAT;
      truncate = true;
      break;
    case OPEN_EXISTING:
      break;
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      if (!wantWrite) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
      }
      truncate = true;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  if (fileName.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  // Opening a FIFO to read would wait for a writer; the readers take what is there instead.
  const bool noWait = !wantWrite;
  const int fd = open(fileName.c_str(), flags | (noWait ? O_NONBLOCK : 0), 0666);
  if (fd < 0) {
    const int err = errno;
    if (err == ENOENT)
      SetLastError(MissingCode(fileName));
    else
      SetLastErrorFromErrno(err);
    return INVALID_HANDLE_VALUE;
  }
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  if (noWait) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  // The lock comes before truncating, so that a held file is never emptied.
  const int lock = LockFor(shareMode);
  if (lock != 0) {
    int rc;
    do rc = flock(fd, lock | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      const int err = errno;
      close(fd);
      SetLastError(err == EWOULDBLOCK ? ERROR_SHARING_VIOLATION : ErrnoToWinError(err));
      return INVALID_HANDLE_VALUE;
    }
  }
  if (truncate && ftruncate(fd, 0) != 0) {
    const int err = errno;
    close(fd);
    SetLastErrorFromErrno(err);
    return INVALID_HANDLE_VALUE;
  }
  return fd;
}

bool ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read) {
  if (read) *read = 0;
  if (!ValidHandle(h)) return false;
  auto* p = static_cast<char*>(buffer);
  DWORD done = 0;
  // A regular file may return less than asked before its end; keep reading to fill the request.
  while (done < toRead) {
    const ssize_t n = ::read(Fd(h), p + done, toRead - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastErrorFromErrno();
      if (read) *read = done;
      return false;
    }
    if (n == 0) break;
    done += static_cast<DWORD>(n);
  }
  if (read) *read = done;
  return true;
}

bool WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written) {
  if (written) *written = 0;
  if (!ValidHandle(h)) return false;
  auto* p = static_cast<const char*>(buffer);
  DWORD done = 0;
  while (done < toWrite) {
    const ssize_t n = ::write(Fd(h), p + done, toWrite - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastErrorFromErrno();
      if (written) *written = done;
      return false;
    }
    done += static_cast<DWORD>(n);
  }
  if (written) *written = done;
  return true;
}

bool SetFilePointerEx(HANDLE h, int64_t distance, int64_t* newPosition, DWORD moveMethod) {
  if (!ValidHandle(h)) return false;
  int whence;
  switch (moveMethod) {
    case FILE_BEGIN:
      whence = SEEK_SET;
      break;
    case FILE_CURRENT:
      whence = SEEK_CUR;
      break;
    case FILE_END:
      whence = SEEK_END;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
  }
  const off_t pos = lseek(Fd(h), static_cast<off_t>(distance), whence);
  if (pos < 0) {
    SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : ErrnoToWinError(errno));
    return false;
  }
  if (newPosition) *newPosition = pos;
  return true;
}

bool GetFileSizeEx(HANDLE h, int64_t* size) {
  if (!ValidHandle(h)) return false;
  struct stat st;
  if (fstat(Fd(h), &st) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  if (size) *size = st.st_size;
  return true;
}

bool CloseHandle(HANDLE h) {
  if (!ValidHandle(h)) return false;
  // The lock goes with the last descriptor of the open file.
  if (close(Fd(h)) != 0 && errno != EINTR) {
    SetLastErrorFromErrno();
    return false;
  }
  return true;
}

bool FileExists(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace zel
