#pragma once
// A command of the window: one QAction shared by the menus and the tool bar, with an optional
// update handler that runs before the execute handler, which runs only while the command is
// enabled.

#include <QAction>
#include <functional>

#include "editor/Commands.h"

namespace zel {

// A hint "Short|Long": the short part is the tooltip, the long part the status tip. A hint
// without a bar is both.
void SetHint(QAction& action, const QString& hint);

// Where a command appears, and whether a separator comes before it there. Its main menu is the
// one of its category; every place keeps the order of the command table.
enum : unsigned {
  kMenu = 1,
  kMenuBreak = 2,
  kTool = 4,
  kToolBreak = 8,
  kPopup = 16,
  kPopupBreak = 32,
  kCheck = 64,  // flips its own check state before its handler runs
};

class TCommand {
 public:
  // `shortcuts`: the keys, the first of them the one the menus show.
  TCommand(QObject* owner, const char* name, const char* category, const QString& caption,
           const QString& hint, const QList<QKeySequence>& shortcuts, const QIcon& icon);

  QAction* Action() const { return FAction; }
  const QString& Category() const { return FCategory; }
  bool Enabled() const { return FAction->isEnabled(); }
  // Sets only what changes, so that an idle-time update that changes nothing posts nothing.
  void SetEnabled(bool enabled) {
    if (FAction->isEnabled() != enabled) FAction->setEnabled(enabled);
  }
  bool Checked() const { return FAction->isChecked(); }

  // Its row in the command table, whose rule enables it at every idle cycle.
  TCommandId Id = TCommandId::Count;
  unsigned Places = 0;
  std::function<void()> OnUpdate;
  std::function<void()> OnExecute;

  // The update handler, then the execute handler if the command is enabled now. Exceptions
  // travel on to the caller.
  void Execute();

 private:
  QAction* FAction;
  QString FCategory;
};

}  // namespace zel
