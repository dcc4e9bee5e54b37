#pragma once
// Files opened with access rights, share mode and creation disposition. Share modes map onto
// flock(): no sharing takes an exclusive lock, read sharing a shared one, both without waiting,
// so a file that another opener holds fails with ERROR_SHARING_VIOLATION. Every failing call
// sets the last error (WinError.h) and reports failure; none of them throws.

#include <cstdint>
#include <string>

#include "platform/WinError.h"

namespace zel {

using HANDLE = intptr_t;
constexpr HANDLE INVALID_HANDLE_VALUE = -1;

// Access rights.
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;

// Share modes.
constexpr DWORD FILE_SHARE_READ = 0x00000001u;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002u;
constexpr DWORD FILE_SHARE_DELETE = 0x00000004u;

// Creation dispositions.
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

// Flags and attributes; accepted and, apart from what the callers keep, without effect here.
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001u;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080u;
constexpr DWORD FILE_FLAG_NO_BUFFERING = 0x20000000u;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000u;

// Origins of SetFilePointerEx.
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

// Opens or creates a file; INVALID_HANDLE_VALUE on failure. Folders cannot be opened.
HANDLE CreateFile(const std::string& fileName, DWORD desiredAccess, DWORD shareMode,
                  DWORD creationDisposition, DWORD flagsAndAttributes);
// Reads up to toRead bytes; *read gets the count (0 at the end of the file).
bool ReadFile(HANDLE h, void* buffer, DWORD toRead, DWORD* read);
bool WriteFile(HANDLE h, const void* buffer, DWORD toWrite, DWORD* written);
bool SetFilePointerEx(HANDLE h, int64_t distance, int64_t* newPosition, DWORD moveMethod);
bool GetFileSizeEx(HANDLE h, int64_t* size);
bool CloseHandle(HANDLE h);

// Whether `name` names something other than a folder that can be looked at.
bool FileExists(const std::string& name);

}  // namespace zel
