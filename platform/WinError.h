#pragma once
// Operating-system error codes in the Windows numbering that the file classes report, kept per
// thread like the system's last error, with the system's text for each.

#include <cstdint>
#include <string>

namespace zel {

using DWORD = uint32_t;

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_WRITE_PROTECT = 19;
constexpr DWORD ERROR_SEEK = 25;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_LOCK_VIOLATION = 33;
constexpr DWORD ERROR_HANDLE_EOF = 38;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_BROKEN_PIPE = 109;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_NEGATIVE_SEEK = 131;
constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
constexpr DWORD ERROR_BUSY = 170;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_FILE_TOO_LARGE = 223;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_IO_DEVICE = 1117;
constexpr DWORD ERROR_CANT_RESOLVE_FILENAME = 1921;
// An errno without a Windows counterpart travels as this bit plus the errno value, so that
// its own text can still be given.
constexpr DWORD ERROR_ERRNO_BASE = 0x20000000;

DWORD GetLastError();
void SetLastError(DWORD code);

// Maps an errno value onto the Windows numbering.
DWORD ErrnoToWinError(int err);
// The errno value behind a code (0 when there is none).
int WinErrorToErrno(DWORD code);
// Sets the last error from errno (or from the given errno value) and returns the code.
DWORD SetLastErrorFromErrno();
DWORD SetLastErrorFromErrno(int err);

// The system's message text for a code: the text of the underlying errno.
std::string SysErrorMessageFor(DWORD code);

}  // namespace zel
