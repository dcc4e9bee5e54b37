#include "platform/WinError.h"

#include <cerrno>
#include <cstring>

#include "base/StrUtils.h"

namespace zel {

namespace {

thread_local DWORD tLastError = 0;

struct ErrnoPair {
  int err;
  DWORD code;
};

// The first entry for a code is the errno whose text stands for it.
constexpr ErrnoPair kErrnoTable[] = {
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED},
    {EBADF, ERROR_INVALID_HANDLE},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EROFS, ERROR_WRITE_PROTECT},
    {ESPIPE, ERROR_SEEK},
    {EIO, ERROR_IO_DEVICE},
    {EWOULDBLOCK, ERROR_SHARING_VIOLATION},
    {ENOLCK, ERROR_LOCK_VIOLATION},
    {EDEADLK, ERROR_LOCK_VIOLATION},
    {ENOSYS, ERROR_NOT_SUPPORTED},
    {EOPNOTSUPP, ERROR_NOT_SUPPORTED},
    {EEXIST, ERROR_FILE_EXISTS},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {EINVAL, ERROR_NEGATIVE_SEEK},
    {EPIPE, ERROR_BROKEN_PIPE},
    {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},
    {EILSEQ, ERROR_INVALID_NAME},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {EBUSY, ERROR_BUSY},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {EFBIG, ERROR_FILE_TOO_LARGE},
    {ELOOP, ERROR_CANT_RESOLVE_FILENAME},
};

}  // namespace

DWORD GetLastError() {
  return tLastError;
}
void SetLastError(DWORD code) {
  tLastError = code;
}

DWORD ErrnoToWinError(int err) {
  if (err == 0) return ERROR_SUCCESS;
  for (const ErrnoPair& p : kErrnoTable)
    if (p.err == err) return p.code;
  return ERROR_ERRNO_BASE | static_cast<DWORD>(err);
}

int WinErrorToErrno(DWORD code) {
  if (code == ERROR_SUCCESS) return 0;
  if ((code & ERROR_ERRNO_BASE) != 0) return static_cast<int>(code & ~ERROR_ERRNO_BASE);
  if (code == ERROR_PATH_NOT_FOUND) return ENOENT;  // a missing folder is reported as ENOENT
  for (const ErrnoPair& p : kErrnoTable)
    if (p.code == code) return p.err;
  return 0;
}

DWORD SetLastErrorFromErrno() {
  return SetLastErrorFromErrno(errno);
}

DWORD SetLastErrorFromErrno(int err) {
  tLastError = ErrnoToWinError(err);
  return tLastError;
}

std::string SysErrorMessageFor(DWORD code) {
  if (code == ERROR_SUCCESS) return "The operation completed successfully.";
  if (code == ERROR_HANDLE_EOF) return "Reached the end of the file.";
  const int err = WinErrorToErrno(code);
  if (err == 0) return Format("Unknown error %u", code);
  return SysErrorMessage(err);
}

}  // namespace zel
