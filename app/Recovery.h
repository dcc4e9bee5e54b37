#pragma once
// Keeps a recovery file of the document while it has unsaved changes: a few seconds after the
// last change, and at least once a minute while changes go on (the first within those few
// seconds of the change that made the document modified), a forked copy of the process writes
// the outline as it was at the fork and ends; the window goes on at once. A copy that takes
// too long is killed and the write starts afresh. The file is this process's own (its lock
// tells whether the process still runs) and goes as soon as the document is clean again.

#include <sys/types.h>

#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/OutlineDocument.h"
#include "editor/RecoveryFile.h"
#include "platform/ProcessLock.h"

namespace zel {

class TRecovery {
 public:
  static constexpr const char* kExtension = ".recovery";
  static constexpr int kLongestWaitMs = 60000;

  // `canWrite` tells whether the outline is whole now: false while a load or save runs.
  // `stamp` gives the document's file as last loaded or saved.
  TRecovery(const TOutlineDocument& doc, std::function<bool()> canWrite,
            std::function<TFileStamp()> stamp);
  // A clean document takes its file along; a modified one leaves it to be offered.
  ~TRecovery();
  TRecovery(const TRecovery&) = delete;
  TRecovery& operator=(const TRecovery&) = delete;

  // Checks that `folder` is private to the user (made so when missing), takes this process's
  // lock there and starts keeping the file, written `delayMs` after the last change. Raises
  // EFCreateError with the reason when the folder is not private; recovery then stays off.
  void Enable(const std::string& folder, int delayMs);
  bool Enabled() const { return FLock != nullptr; }
  // This process's recovery file.
  std::string FileName() const;
  // The recovery files in the folder that are not this process's own, by name.
  std::vector<std::string> OtherFiles() const;
  // Makes `file`, whose process has ended, this process's own.
  void Adopt(const std::string& file);
  // Notices changes and a clean document; runs at every idle cycle.
  void Idle();
  bool Writing() const { return FChild > 0; }
  // For a process that is about to end: writes a modified document's file now, in this
  // process, unless the last write already holds its outline; from then on the file stays
  // as it is. Returns 0 or the errno of the failed write.
  int WriteNowAndKeep();

 private:
  // The folder's files with that extension, but for this process's own.
  std::vector<std::string> FilesOf(std::string_view ext) const;
  void Schedule();
  void Fire();
  void StartWrite();
  // Collects an ended write; with `stop`, ends a running one first.
  void Reap(bool stop);
  // Kills a write that has run past its bound; the next one starts afresh.
  void Watch();
  void Discard();
  std::string TempName() const;
  TRecoveryHeader HeaderOfNow() const;

  const TOutlineDocument& FDoc;
  std::function<bool()> FCanWrite;
  std::function<TFileStamp()> FStamp;
  std::unique_ptr<TProcessLock> FLock;
  // Where the writer formats, made before any fork: the copy allocates nothing of its own.
  std::unique_ptr<TRecoveryBuffer> FBuffer;
  int FDelayMs = 3000;
  QTimer FTimer, FPoll;
  // Runs from the first change that no write has taken yet.
  QElapsedTimer FOldest;
  // Runs while a write does; past FBoundMs it is killed.
  QElapsedTimer FWriteClock;
  qint64 FBoundMs = 0;
  // The change count last noticed, the one the last write took, the one the running write
  // takes and the one the last completed write holds.
  unsigned long FSeen = 0, FTaken = 0, FChildChange = 0, FWritten = 0;
  bool FWrittenValid = false;
  pid_t FChild = -1;
  bool FHasFile = false;  // a write was started or a file adopted since the last discard
  bool FKept = false;     // the process ends: the file stays as it is
};

// Test seam for a writer that hangs: the next `count` copies forked stop before they write,
// and a copy is killed after `floorMs` at the least (30 s unless set here).
void SetRecoveryWriterStall(int count, int floorMs);

}  // namespace zel
