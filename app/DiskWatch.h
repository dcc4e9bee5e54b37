#pragma once
// Notices another program changing, replacing or deleting the document's file. The file and
// its folder are watched (a replace by rename ends the file's own watch); a notice only counts
// when the file's identity and times differ from what the editor last loaded, saved or
// reported, so the editor's own saves never count, and a burst of changes makes one notice.

#include <sys/stat.h>

#include <QFileSystemWatcher>
#include <QTimer>
#include <string>

namespace zel {

// What identifies a file's content without reading it.
struct TFileStamp {
  bool Exists = false;
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = 0;
  timespec Modified{};

  static TFileStamp Of(const std::string& name);
  bool operator==(const TFileStamp& o) const {
    return Exists == o.Exists && Device == o.Device && Inode == o.Inode && Size == o.Size &&
           Modified.tv_sec == o.Modified.tv_sec && Modified.tv_nsec == o.Modified.tv_nsec;
  }
};

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
