#pragma once
// Files that belong to a running editor process. Each process holds an exclusive lock on a lock
// file of its own in the user's state folder for as long as it runs; the kernel drops the lock
// when the process ends, however it ends. Whether a process still runs is read from its lock,
// never from a process id, which the system hands out again.

#include <string>

namespace zel {

// The editor's folder in the user's state folder ($XDG_STATE_HOME, else ~/.local/state), with a
// trailing slash.
std::string StateFolder();

// Makes `folder` (and its missing parents) private to the user when missing, and checks that
// it is: a folder, not a link, of the user's own, that no one else may enter. Raises
// EFCreateError with the reason when it cannot be made or is not private: files kept there
// hold unsaved work.
void MakePrivateFolder(const std::string& folder);

// A lock file "<folder><stem>.lock" with the lock held until the object goes; the file goes
// with it. The stem is this process's own: its id and the moment it took the lock.
class TProcessLock {
 public:
  explicit TProcessLock(const std::string& folder);
  ~TProcessLock();
  TProcessLock(const TProcessLock&) = delete;
  TProcessLock& operator=(const TProcessLock&) = delete;

  // The folder and stem: another file of this process is Stem() plus an extension.
  const std::string& Stem() const { return FStem; }

 private:
  std::string FStem;
  int FFd = -1;
};

// The lock of the process that owns `stem`, taken when that process has ended (its lock file
// may be gone too); Held() is false while it still runs. Remove deletes the lock file. A lock
// file in the way that is not a regular file (a link planted there) is never followed.
class TOwnerLock {
 public:
  explicit TOwnerLock(const std::string& stem);
  ~TOwnerLock();
  TOwnerLock(const TOwnerLock&) = delete;
  TOwnerLock& operator=(const TOwnerLock&) = delete;

  bool Held() const { return FFd >= 0; }
  void Remove();

 private:
  std::string FLockFile;
  int FFd = -1;
};

}  // namespace zel
