#pragma once
// The recent-files list's menus on Qt menus: the Reopen submenu and the Open button's
// drop-down. Item hints use the short|long form; the long part is the status tip.

#include <QMenu>
#include <functional>

#include "settings/ZelReopen.h"

namespace zel {

class TQtReopenMenu : public IReopenMenu {
 public:
  // `guard` runs every click, so that a failure reaches the window's error handler instead of
  // unwinding through the toolkit.
  TQtReopenMenu(QMenu* menu, std::function<void(const std::function<void()>&)> guard);

  void Clear() override;
  void AddItem(const std::string& caption, const std::string& hint,
               std::function<void()> onClick) override;
  void SetEnabled(bool enabled) override;

  QMenu* Menu() const { return FMenu; }

 private:
  QMenu* FMenu;
  std::function<void(const std::function<void()>&)> FGuard;
};

}  // namespace zel
