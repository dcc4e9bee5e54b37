#pragma once
// Keeps a recovery file of the document while it has unsaved changes: a few seconds after the
// last change, and at least once a minute while changes go on, a forked copy of the process
// writes the outline as it was at the fork and ends; the window goes on at once. The file is
// this process's own (its lock tells whether the process still runs) and goes as soon as the
// document is clean again.

#include <sys/types.h>

#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProcessLock.h"
#include "treedoc/OutlineDocument.h"

namespace zel {

class TRecovery {
 public:
  static constexpr const char* kExtension = ".recovery";
  static constexpr int kLongestWaitMs = 60000;

  // `canWrite` tells whether the outline is whole now: false while a load or save runs.
  TRecovery(const TOutlineDocument& doc, std::function<bool()> canWrite);
  // A clean document takes its file along; a modified one leaves it to be offered.
  ~TRecovery();
  TRecovery(const TRecovery&) = delete;
  TRecovery& operator=(const TRecovery&) = delete;

  // Takes this process's lock in `folder` and starts keeping the file, written `delayMs` after
  // the last change. Until then nothing is written.
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

 private:
  // The folder's files with that extension, but for this process's own.
  std::vector<std::string> FilesOf(std::string_view ext) const;
  void Schedule();
  void Fire();
  void StartWrite();
  // Collects an ended write; with `stop`, ends a running one first.
  void Reap(bool stop);
  void Discard();

  const TOutlineDocument& FDoc;
  std::function<bool()> FCanWrite;
  std::unique_ptr<TProcessLock> FLock;
  int FDelayMs = 3000;
  QTimer FTimer, FPoll;
  // Runs from the first change that no write has taken yet.
  QElapsedTimer FOldest;
  // The change count last noticed, and the one the last write took.
  unsigned long FSeen = 0, FTaken = 0;
  pid_t FChild = -1;
  bool FHasFile = false;  // a write was started or a file adopted since the last discard
};

}  // namespace zel
