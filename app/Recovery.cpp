#include "app/Recovery.h"

#include <dirent.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "editor/CommandStates.h"

namespace zel {

namespace {

constexpr int kRetryMs = 50;
// A write may take this long per 100 MB of outline before it counts as hung.
constexpr qint64 kBoundPer100MbMs = 30000;
int gStalls = 0;
qint64 gBoundFloorMs = 30000;

}  // namespace

void SetRecoveryWriterStall(int count, int floorMs) {
  gStalls = count;
  gBoundFloorMs = floorMs;
}

TRecovery::TRecovery(const TOutlineDocument& doc, std::function<bool()> canWrite,
                     std::function<TFileStamp()> stamp)
    : FDoc(doc), FCanWrite(std::move(canWrite)), FStamp(std::move(stamp)) {
  FTimer.setSingleShot(true);
  QObject::connect(&FTimer, &QTimer::timeout, [this] { Fire(); });
  FPoll.setInterval(20);
  QObject::connect(&FPoll, &QTimer::timeout, [this] { Watch(); });
}

TRecovery::~TRecovery() {
  if (!Enabled()) return;
  if (FKept || FDoc.Modified()) {
    // The last write stands; a running one may finish on its own.
    FChild = -1;
    return;
  }
  Discard();
}

void TRecovery::Enable(const std::string& folder, int delayMs) {
  MakePrivateFolder(folder);
  FLock = std::make_unique<TProcessLock>(folder);
  FBuffer = std::make_unique<TRecoveryBuffer>();
  // What editors that ended left behind: the half of a write that was killed, and their locks
  // when there is nothing to recover.
  for (const std::string& lock : FilesOf(".lock")) {
    const std::string stem = lock.substr(0, lock.size() - 5);
    TOwnerLock owner(stem);
    if (!owner.Held()) continue;
    ::unlink((stem + kExtension + ".part").c_str());
    if (::access((stem + kExtension).c_str(), F_OK) != 0) owner.Remove();
  }
  FDelayMs = delayMs;
  FSeen = FTaken = FDoc.Changes();
}

std::string TRecovery::FileName() const {
  return FLock ? FLock->Stem() + kExtension : std::string();
}

std::string TRecovery::TempName() const {
  return FileName() + ".part";
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
  FWrittenValid = false;  // it holds the outline of another process's count
  FHasFile = true;
}

void TRecovery::Idle() {
  if (!Enabled() || FKept) return;
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
  // The first write of modified work comes soon, however the changes go on.
  const qint64 longest = FHasFile ? kLongestWaitMs : FDelayMs;
  const qint64 left = longest - (FOldest.isValid() ? FOldest.elapsed() : 0);
  FTimer.start(int(std::clamp<qint64>(std::min<qint64>(FDelayMs, left), 0, FDelayMs)));
}

void TRecovery::Fire() {
  if (FKept || !FDoc.Modified() || FSeen == FTaken) return;
  // One write at a time, and never of an outline a load or save is building.
  if (Writing() || !FCanWrite()) {
    FTimer.start(kRetryMs);
    return;
  }
  StartWrite();
}

TRecoveryHeader TRecovery::HeaderOfNow() const {
  TRecoveryHeader header;
  header.Untitled = FDoc.FileName() == kUntitled;
  if (!header.Untitled) header.FileName = FDoc.FileName();
  header.Pid = ::getpid();
  header.Change = FDoc.Changes();
  header.StampKnown = true;
  header.Stamp = FStamp();
  return header;
}

void TRecovery::StartWrite() {
  FSeen = FDoc.Changes();  // the outline the copy takes is the one of now
  // Everything the copy needs is made here, before the fork.
  const TRecoveryHeader header = HeaderOfNow();
  const std::string file = FileName(), temp = TempName();
  const TTreeView& tree = FDoc.Tree();
  const qint64 bytes = qint64(tree.TextBytesHeld()) + qint64(tree.Count()) * 16;
  const bool stall = gStalls > 0;
  const pid_t child = ::fork();
  if (child < 0) {
    FTimer.start(FDelayMs);  // no process to spare now: later
    return;
  }
  if (child == 0) {
    // The copy sees the outline as it was at the fork, whatever the window does meanwhile.
    // Another thread may have held any lock at the fork, so it makes only the calls that a
    // signal handler may; and it dies with the editor, so a write never outlives its
    // process's lock. The editor's own signal handlers are not its.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != header.Pid) ::_exit(2);
    for (const int sig : {SIGTERM, SIGHUP, SIGINT}) ::signal(sig, SIG_DFL);
    if (stall) ::raise(SIGSTOP);
    ::_exit(WriteRecoveryFile(file.c_str(), temp.c_str(), header, tree, *FBuffer) == 0 ? 0 : 1);
  }
  if (stall) --gStalls;
  FChild = child;
  FChildChange = FSeen;
  FHasFile = true;
  FTaken = FSeen;
  FOldest.invalidate();
  FWriteClock.start();
  FBoundMs = std::max<qint64>(gBoundFloorMs, bytes * kBoundPer100MbMs / (qint64{100} << 20));
  FPoll.start();
}

void TRecovery::Watch() {
  if (FChild > 0 && FWriteClock.elapsed() > FBoundMs) {
    Reap(true);
    // Hung (a stalled disk, a lock the fork copied): the next write starts afresh, soon.
    FTaken = FSeen + 1;
    FTimer.start(FDelayMs);
    return;
  }
  Reap(false);
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
  if (written) {
    FWritten = FChildChange;
    FWrittenValid = true;
  }
  // A failed write (a full disk) is tried again at the next change, or in a minute.
  if (!written && !stop && FTaken == FSeen) {
    FTaken = FSeen + 1;
    FTimer.start(kLongestWaitMs);
  }
}

int TRecovery::WriteNowAndKeep() {
  if (!Enabled() || FKept) return 0;
  if (!FDoc.Modified()) Discard();
  FKept = true;
  FTimer.stop();
  if (!FDoc.Modified()) return 0;
  Reap(true);
  if (FWrittenValid && FWritten == FDoc.Changes()) return 0;
  return WriteRecoveryFile(FileName().c_str(), TempName().c_str(), HeaderOfNow(), FDoc.Tree(),
                           *FBuffer);
}

void TRecovery::Discard() {
  FTimer.stop();
  FOldest.invalidate();
  FSeen = FTaken = FDoc.Changes();
  if (!FHasFile) return;
  FHasFile = false;
  FWrittenValid = false;
  Reap(true);
  ::unlink(FileName().c_str());
  ::unlink(TempName().c_str());
}

}  // namespace zel
