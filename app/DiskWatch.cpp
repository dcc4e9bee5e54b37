#include "app/DiskWatch.h"

#include <QFile>

namespace zel {

namespace {

// Changes that come together (a program writing in pieces, a checkout) make one notice.
constexpr int kSettleMs = 200;

QString Path(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

}  // namespace

TDiskWatch::TDiskWatch() {
  FSettle.setSingleShot(true);
  FSettle.setInterval(kSettleMs);
  const auto notice = [this] { FSettle.start(); };
  QObject::connect(&FWatcher, &QFileSystemWatcher::fileChanged, notice);
  QObject::connect(&FWatcher, &QFileSystemWatcher::directoryChanged, notice);
  QObject::connect(&FSettle, &QTimer::timeout, [this] { FNoticed = true; });
}

void TDiskWatch::Follow(const std::string& name) {
  if (name == FName) return;
  FName = name;
  FRecorded = FReported = TFileStamp();
  FNoticed = false;
  FSettle.stop();
  if (!FWatcher.files().isEmpty()) FWatcher.removePaths(FWatcher.files());
  if (!FWatcher.directories().isEmpty()) FWatcher.removePaths(FWatcher.directories());
  const size_t slash = name.rfind('/');
  if (slash == std::string::npos) return;
  FWatcher.addPath(Path(name.substr(0, slash + 1)));
  FWatcher.addPath(Path(name));
}

void TDiskWatch::Record(const std::string& name, const TFileStamp& stamp) {
  Follow(name);
  FRecorded = FReported = stamp;
  FNoticed = false;
}

TDiskWatch::TChange TDiskWatch::Check() {
  FNoticed = false;
  if (!FRecorded.Exists) return dcNone;  // never loaded or saved: nothing to compare with
  const TFileStamp now = TFileStamp::Of(FName);
  // A file replaced by a rename is a new file: the watch moves to it.
  if (now.Exists && FWatcher.files().isEmpty()) FWatcher.addPath(Path(FName));
  if (now == FReported) return dcNone;
  FReported = now;
  return now.Exists ? dcChanged : dcDeleted;
}

void TDiskWatch::Reported() {
  FSettle.stop();
  FNoticed = false;
  if (FRecorded.Exists) FReported = TFileStamp::Of(FName);
}

bool TDiskWatch::ChangedSinceRecord(const std::string& name) const {
  if (name != FName || !FRecorded.Exists) return false;
  const TFileStamp now = TFileStamp::Of(name);
  return now.Exists && !(now == FRecorded);
}

}  // namespace zel
