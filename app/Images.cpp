#include "app/Images.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

// Outside any namespace, as the resource system wants it. The resources live in a static
// library, whose unreferenced objects the linker would drop.
static void InitIconResources() {
  Q_INIT_RESOURCE(icons);
}

namespace zel {

const char* const kDesktopEntry = "org.example.ZelXMLEditor";

namespace {

QIcon ByRole(const char* themeName, QStyle::StandardPixmap fallback) {
  return QIcon::fromTheme(QString::fromLatin1(themeName),
                          QApplication::style()->standardIcon(fallback));
}

// The highlighted form of an icon, as a view draws it on a selected row.
QIcon Highlighted(const QIcon& icon) {
  QIcon out;
  out.addPixmap(icon.pixmap(16, 16, QIcon::Selected), QIcon::Normal);
  return out;
}

}  // namespace

TImageList MakeMenuImages() {
  struct TRole {
    const char* Theme;
    QStyle::StandardPixmap Fallback;
  };
  static const TRole roles[22] = {
      {"document-new", QStyle::SP_FileIcon},
      {"document-open", QStyle::SP_DialogOpenButton},
      {"document-save", QStyle::SP_DialogSaveButton},
      {"document-save-as", QStyle::SP_DriveFDIcon},
      {nullptr, QStyle::SP_CustomBase},
      {nullptr, QStyle::SP_CustomBase},
      {nullptr, QStyle::SP_CustomBase},
      {"application-exit", QStyle::SP_DialogCloseButton},
      {"list-add", QStyle::SP_FileDialogNewFolder},
      {"document-properties", QStyle::SP_FileDialogDetailedView},
      {"edit-delete", QStyle::SP_TrashIcon},
      {"preferences-desktop-font", QStyle::SP_FileDialogListView},
      {"help-about", QStyle::SP_MessageBoxInformation},
      {"edit-find", QStyle::SP_FileDialogContentsView},
      {"go-jump", QStyle::SP_MediaSeekForward},
      {"applications-internet", QStyle::SP_DriveNetIcon},
      {"go-up", QStyle::SP_ArrowUp},
      {"go-down", QStyle::SP_ArrowDown},
      {"go-previous", QStyle::SP_ArrowLeft},
      {"go-next", QStyle::SP_ArrowRight},
      {"process-stop", QStyle::SP_BrowserStop},
      {"go-previous", QStyle::SP_MediaSeekBackward},
  };
  TImageList list;
  for (const TRole& r : roles) list.Add(r.Theme != nullptr ? ByRole(r.Theme, r.Fallback) : QIcon());
  return list;
}

TImageList MakeTreeImages() {
  TImageList list;
  list.Add(ByRole("text-xml", QStyle::SP_FileIcon));
  list.Add(ByRole("folder", QStyle::SP_DirClosedIcon));
  list.Add(ByRole("folder-open", QStyle::SP_DirOpenIcon));
  const QIcon mark = ByRole("text-x-generic-template", QStyle::SP_FileLinkIcon);
  list.Add(mark);
  list.Add(Highlighted(mark));
  return list;
}

QIcon AppIcon() {
  InitIconResources();
  return QIcon::fromTheme(QString::fromLatin1(kDesktopEntry),
                          QIcon(QString(":/icons/%1.svg").arg(kDesktopEntry)));
}

}  // namespace zel
