#include "app/QtFormStorage.h"

#include "app/QtStoredProps.h"

namespace zel {

TQtFormStorage::TQtFormStorage(QWidget& window, const TStoredParts& parts)
    : detail::TQtFormStorageParts(window),
      TFormStorage(*Placement, detail::TQtFormStorageParts::Components) {
  SetActive(false);
  TComponentOwner& owner = detail::TQtFormStorageParts::Components;
  AddTreeViewComponent(owner, "TreeView1", parts.TreeView, parts.ToolTips, parts.SetToolTips);
  AddFindDialogComponent(owner, "FindDialog1", parts.FindDialog, parts.FindText, parts.SetFindText);
  AddActionComponent(owner, "EditUseDialog1", parts.UseDialog);
  SetStoredProps(MainWindowStoredProps());
  Loaded();
}

}  // namespace zel
