#pragma once
// The main window's settings store on Qt: a TFormStorage over the window's placement and the
// stored properties (TreeView1.Font, TreeView1.ToolTips, FindDialog1.FindText,
// EditUseDialog1.Checked, FileKeepLayout1.Checked), inactive, so the window calls RestoreSettings
// and SaveSettings.

#include <QString>
#include <functional>

#include "app/QtPlacement.h"
#include "settings/Placement.h"

class QAction;

namespace zel {

class IDialogs;
class TIniBatch;

// Writes the settings. A settings file that another program holds locked is asked about
// ("Retry" waits for it once more); any other failure is reported. True once written.
bool CommitSettings(TIniBatch& settings, IDialogs& dialogs, QWidget* parent);

struct TStoredParts {
  QWidget* TreeView = nullptr;
  std::function<bool()> ToolTips;
  std::function<void(bool)> SetToolTips;
  // The find dialog's text lives as long as this object.
  QObject* FindDialog = nullptr;
  std::function<QString()> FindText;
  std::function<void(const QString&)> SetFindText;
  QAction* UseDialog = nullptr;
  QAction* KeepLayout = nullptr;  // none: not stored
};

namespace detail {
// Built before the store that uses them, destroyed after it.
struct TQtFormStorageParts {
  explicit TQtFormStorageParts(QWidget& window) : Placement(new TQtPlacementWindow(&window)) {}
  TComponentOwner Components;
  TQtPlacementWindow* Placement;  // owned by the window
};
}  // namespace detail

// While it lives, a settings write that waits for the file's lock lets the window repaint and
// answer the window system (no input, no timers: nothing starts a command meanwhile).
class TQtFormStorage : private detail::TQtFormStorageParts, public TFormStorage {
 public:
  TQtFormStorage(QWidget& window, const TStoredParts& parts);
  ~TQtFormStorage() override;
  TQtPlacementWindow& PlacementWindow() { return *Placement; }
  TComponentOwner& Components() { return detail::TQtFormStorageParts::Components; }
};

}  // namespace zel
