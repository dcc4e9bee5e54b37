#include "app/Recovery.h"

#include <dirent.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "app/RecoveryFile.h"
#include "treedoc/CommandStates.h"

namespace zel {

TRecovery::TRecovery(const TOutlineDocument& doc, std::function<bool()> canWrite)
    : FDoc(doc), FCanWrite(std::move(canWrite)) {
  FTimer.setSingleShot(true);
  QObject::connect(&FTimer, &QTimer::timeout, [this] { Fire(); });
  FPoll.setInterval(20);
  QObject::connect(&FPoll, &QTimer::timeout, [this] { Reap(false); });
}

TRecovery::~TRecovery() {
  if (!Enabled()) return;
  if (FDoc.Modified()) {
    // The last write stands; a running one may finish on its own.
    FChild = -1;
    return;
  }
  Discard();
}

void TRecovery::Enable(const std::string& folder, int delayMs) {
  FLock = std::make_unique<TProcessLock>(folder);
  // The locks of editors that ended with nothing to recover.
  for (const std::string& lock : FilesOf(".lock")) {
    const std::string stem = lock.substr(0, lock.size() - 5);
    if (::access((stem + kExtension).c_str(), F_OK) == 0) continue;
    TOwnerLock owner(stem);
    owner.Remove();
  }
  FDelayMs = delayMs;
  FSeen = FTaken = FDoc.Changes();
}

std::string TRecovery::FileName() const {
  return FLock ? FLock->Stem() + kExtension : std::string();
}

std::vector<std::string> TRecovery::OtherFiles() const {
  return FilesOf(kExtension);
}

std::vector<std::string> TRecovery::FilesOf(std::string_view ext) const {
  std::vector<std::string> out;
  if (!FLock) return out;
  const std::string& stem = FLock->Stem();
  const std::string folder = stem.substr(0, stem.rfind('/') + 1);
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = folder + entry->d_name;
      if (name.size() > ext.size() &&
          name.compare(name.size() - ext.size(), ext.size(), ext) == 0 &&
          name.compare(0, stem.size() + 1, stem + ".") != 0)
        out.push_back(name);
    }
    ::closedir(dir);
  }
  std::sort(out.begin(), out.end());
  return out;
}

void TRecovery::Adopt(const std::string& file) {
  Reap(true);
  // Renamed, never copied: at every moment one of the two names holds it.
  if (::rename(file.c_str(), FileName().c_str()) != 0) return;
  FSeen = FTaken = FDoc.Changes();
  FHasFile = true;
}

void TRecovery::Idle() {
  if (!Enabled()) return;
  if (!FDoc.Modified()) {
    Discard();
    return;
  }
  if (FDoc.Changes() == FSeen) return;
  FSeen = FDoc.Changes();
  if (!FOldest.isValid()) FOldest.start();
  Schedule();
}

void TRecovery::Schedule() {
  const qint64 left = kLongestWaitMs - (FOldest.isValid() ? FOldest.elapsed() : 0);
  FTimer.start(int(std::clamp<qint64>(std::min<qint64>(FDelayMs, left), 0, FDelayMs)));
}

void TRecovery::Fire() {
  if (!FDoc.Modified() || FSeen == FTaken) return;
  // One write at a time, and never of an outline a load or save is building.
  if (Writing() || !FCanWrite()) {
    FTimer.start(50);
    return;
  }
  StartWrite();
}

void TRecovery::StartWrite() {
  FSeen = FDoc.Changes();  // the outline the copy takes is the one of now
  TRecoveryHeader header;
  header.FileName = FDoc.FileName();
  header.Untitled = header.FileName == kUntitled;
  header.Pid = ::getpid();
  header.Change = FSeen;
  const std::string file = FileName();
  const pid_t child = ::fork();
  if (child < 0) {
    FTimer.start(FDelayMs);  // no process to spare now: later
    return;
  }
  if (child == 0) {
    // The copy sees the outline as it was at the fork, whatever the window does meanwhile. It
    // runs only core code (another thread may have held any lock at the fork) and dies with
    // the editor, so a write never outlives its process's lock.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != header.Pid) ::_exit(2);
    int status = 1;
    try {
      WriteRecoveryFile(file, header, FDoc.Tree());
      status = 0;
    } catch (...) {
    }
    ::_exit(status);
  }
  FChild = child;
  FHasFile = true;
  FTaken = FSeen;
  FOldest.invalidate();
  FPoll.start();
}

void TRecovery::Reap(bool stop) {
  if (FChild <= 0) return;
  if (stop) ::kill(FChild, SIGKILL);
  int status = 0;
  const pid_t done = ::waitpid(FChild, &status, stop ? 0 : WNOHANG);
  if (done == 0) return;
  FChild = -1;
  FPoll.stop();
  const bool written = done > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  // A failed write (a full disk) is tried again at the next change, or in a minute.
  if (!written && !stop && FTaken == FSeen) {
    FTaken = FSeen + 1;
    FTimer.start(kLongestWaitMs);
  }
}

void TRecovery::Discard() {
  FTimer.stop();
  FOldest.invalidate();
  FSeen = FTaken = FDoc.Changes();
  if (!FHasFile) return;
  FHasFile = false;
  Reap(true);
  ::unlink(FileName().c_str());
}

}  // namespace zel
