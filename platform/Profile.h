#pragma once
// The profile functions: INI-style settings files of [section] lines followed by key=value
// lines. Sections and keys are compared without regard to (ASCII) case; the first section and
// the first key of a name count. Lines the format does not know, comments, blank lines and the
// line ends are kept byte for byte by every write. A bare file name (no '/') stands for a file
// in the Windows directory (WindowsDir.h).
//
// Outside a batch (below) each call reads the file anew, and each write is a batch of its own.
// Every write replaces the file atomically, so a crash never leaves half a file. A write reads
// the file afresh under a lock that is a file of the editor's own beside the settings file
// (its name with ".lock"), so that two editors writing at once apply their changes one after
// the other; the folder is never locked.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "platform/WinError.h"

namespace zel {

// The buffer size that the settings file access uses: values are read up to 2047 characters.
constexpr DWORD PROFILE_BUFFER_SIZE = 2048;

// Copies the value of `key` in `section` into `returned` (at most size - 1 characters and a
// terminating NUL) and returns the number of characters copied. The value loses its
// surrounding blanks and one pair of enclosing single or double quotes. A missing file,
// section or key, or a null section or key, copies `def` instead. A file that is not a regular
// file reads as missing.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* def,
                               char* returned, DWORD size, const char* fileName);

// Sets `key` in `section` to `value`, replacing the key's line or adding one after the
// section's last key, and adding the section at the end of the file when needed. A null value
// removes the key; a null key removes the section with all its lines (every section of that
// name). Returns false with the last error set when the file cannot be replaced, when the
// target is not a regular file, or when a name or value would break the format (a line break
// anywhere, '=' in a key, ']' in a section, an empty key or section).
bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName);

// A change worked out from the file as it is when it is written: `apply` runs with the file
// locked and read afresh, and the profile calls on that file inside it read and change that
// copy; `written` runs once the file holds the result. Inside a batch `apply` also runs on the
// batch's copy for the batch's reads, and `written` waits for the Commit that writes it, so
// `apply` must depend on nothing but the file. False as for a write.
bool UpdatePrivateProfile(const char* fileName, std::function<void()> apply,
                          std::function<void()> written = nullptr);

// A write waits for the lock that another editor holds while it writes. Meanwhile `waiting`
// (when set) runs every few milliseconds, so that a window keeps answering; after the patience
// the write fails with ERROR_LOCK_VIOLATION, the file as it was.
void SetProfileLockWaiting(std::function<void()> waiting);
constexpr std::chrono::milliseconds kProfileLockPatience{2000};
// Test seam: the patience, kProfileLockPatience unless set.
void SetProfileLockPatience(std::chrono::milliseconds patience);

// One sequence of operations on a settings file, from construction to Commit or destruction.
// The file is read once (at the first read within the batch); reads see that copy with the
// batch's own writes applied. Writes are collected and reach the file together on Commit:
// under a lock that a second editor's batch waits for, they are applied to the file as it is
// then, which is replaced once. A batch begun while one for the same file is open joins it:
// its Commit does nothing, the outer one writes.
class TProfileBatch {
 public:
  explicit TProfileBatch(const char* fileName);
  ~TProfileBatch();  // an uncommitted batch's writes are dropped
  TProfileBatch(const TProfileBatch&) = delete;
  TProfileBatch& operator=(const TProfileBatch&) = delete;

  // Ends the batch. False, with the last error set and the file as it was, when the file
  // cannot be replaced or is not a regular file; the batch then keeps its writes, and Commit
  // may try again. Nothing is written when nothing changes.
  bool Commit();

  struct TState;

 private:
  std::unique_ptr<TState> FState;  // none for a batch that joined an outer one
};

// Test seam: how many times the profile functions have read a settings file so far.
size_t ProfileFileReads();

}  // namespace zel
