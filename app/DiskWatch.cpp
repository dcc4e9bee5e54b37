#include "app/DiskWatch.h"

#include <QFile>

#include "editor/FileStamp.h"

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
  FNoticed = false;
  FSettle.stop();
  if (!FWatcher.files().isEmpty()) FWatcher.removePaths(FWatcher.files());
  if (!FWatcher.directories().isEmpty()) FWatcher.removePaths(FWatcher.directories());
  const size_t slash = name.rfind('/');
  if (slash == std::string::npos) return;
  FWatcher.addPath(Path(name.substr(0, slash + 1)));
  FWatcher.addPath(Path(name));
}

void TDiskWatch::Record(const std::string& name) {
  Follow(name);
  FNoticed = false;
}

void TDiskWatch::Take(bool rewatch) {
  FNoticed = false;
  // A file replaced by a rename is a new file: the watch moves to it.
  if (rewatch && FWatcher.files().isEmpty() && TFileStamp::Of(FName).Exists)
    FWatcher.addPath(Path(FName));
}

void TDiskWatch::Reported() {
  FSettle.stop();
  FNoticed = false;
}

}  // namespace zel
