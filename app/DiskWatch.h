#pragma once
// Notices another program changing, replacing or deleting the document's file. The file and
// its folder are watched (a replace by rename ends the file's own watch); a burst of changes
// makes one notice. Whether a notice counts (the file's identity and times differ from what the
// editor last loaded, saved or reported) is the session's to tell.

#include <QFileSystemWatcher>
#include <QTimer>
#include <string>

namespace zel {

class TDiskWatch {
 public:
  TDiskWatch();

  // The document's file from now on; a name without a folder (an untitled document) is none.
  void Follow(const std::string& name);
  // The file as the editor just loaded or saved it: followed, with no notice waiting.
  void Record(const std::string& name);
  // Whether a notice waits to be taken.
  bool Noticed() const { return FNoticed; }
  // Takes the notice; with `rewatch`, a file replaced by a rename is watched again.
  void Take(bool rewatch);
  // The file as it is now counts as reported: the changes until now make no notice.
  void Reported();

 private:
  QFileSystemWatcher FWatcher;
  QTimer FSettle;
  std::string FName;
  bool FNoticed = false;
};

}  // namespace zel
