#pragma once
// Notices another program changing, replacing or deleting the document's file. The file and
// its folder are watched (a replace by rename ends the file's own watch); a notice only counts
// when the file's identity and times differ from what the editor last loaded, saved or
// reported, so the editor's own saves never count, and a burst of changes makes one notice.

#include <QFileSystemWatcher>
#include <QTimer>
#include <string>

#include "editor/FileStamp.h"

namespace zel {

class TDiskWatch {
 public:
  enum TChange { dcNone, dcChanged, dcDeleted };

  TDiskWatch();

  // The document's file from now on; a name without a folder (an untitled document) is none.
  void Follow(const std::string& name);
  // The file as the editor loaded (stamp taken before the load) or saved it.
  void Record(const std::string& name, const TFileStamp& stamp);
  // Whether a notice waits for Check.
  bool Noticed() const { return FNoticed; }
  // Takes the notice: how the file differs from what was last recorded or reported. Each
  // state of the file is reported once.
  TChange Check();
  // The file as it is now counts as reported: changes until now ask nothing more.
  void Reported();
  // The file as last loaded or saved (Exists false when never).
  const TFileStamp& Recorded() const { return FRecorded; }
  // Whether `name` is the followed file and another program has written it since the last
  // load or save.
  bool ChangedSinceRecord(const std::string& name) const;

 private:
  QFileSystemWatcher FWatcher;
  QTimer FSettle;
  std::string FName;
  TFileStamp FRecorded, FReported;
  bool FNoticed = false;
};

}  // namespace zel
