#include "app/QtFormStorage.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "app/Dialogs.h"
#include "app/ExceptionGuard.h"
#include "app/QtStoredProps.h"
#include "platform/Profile.h"

namespace zel {

namespace {

int gStores = 0;

void KeepAnswering() {
  static bool inside = false;
  if (inside) return;
  inside = true;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                  QEventLoop::ExcludeSocketNotifiers |
                                  QEventLoop::X11ExcludeTimers);
  inside = false;
}

}  // namespace

bool CommitSettings(TIniBatch& settings, IDialogs& dialogs, QWidget* parent) {
  while (true) {
    try {
      settings.Commit();
      return true;
    } catch (const EIniFileLocked&) {
      if (dialogs.MessageBox(parent, ExceptionMessage(std::current_exception()), "Error",
                             MB_RETRYCANCEL | MB_ICONERROR) != IDRETRY)
        return false;
    } catch (...) {
      HandleCurrentException();
      return false;
    }
  }
}

TQtFormStorage::TQtFormStorage(QWidget& window, const TStoredParts& parts)
    : detail::TQtFormStorageParts(window),
      TFormStorage(*Placement, detail::TQtFormStorageParts::Components) {
  SetActive(false);
  TComponentOwner& owner = detail::TQtFormStorageParts::Components;
  AddTreeViewComponent(owner, "TreeView1", parts.TreeView, parts.ToolTips, parts.SetToolTips);
  AddFindDialogComponent(owner, "FindDialog1", parts.FindDialog, parts.FindText, parts.SetFindText);
  AddActionComponent(owner, "EditUseDialog1", parts.UseDialog);
  if (parts.KeepLayout) AddActionComponent(owner, "FileKeepLayout1", parts.KeepLayout);
  SetStoredProps(MainWindowStoredProps());
  Loaded();
  if (gStores++ == 0) SetProfileLockWaiting(KeepAnswering);
}

TQtFormStorage::~TQtFormStorage() {
  if (--gStores == 0) SetProfileLockWaiting(nullptr);
}

}  // namespace zel
