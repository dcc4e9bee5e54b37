#include "app/Command.h"

namespace zel {

void SetHint(QAction& action, const QString& hint) {
  const qsizetype bar = hint.indexOf('|');
  action.setToolTip(bar < 0 ? hint : hint.left(bar));
  action.setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

TCommand::TCommand(QObject* owner, const char* name, const char* category, const QString& caption,
                   const QString& hint, const QList<QKeySequence>& shortcuts, const QIcon& icon)
    : FAction(new QAction(icon, caption, owner)), FCategory(QString::fromLatin1(category)) {
  FAction->setObjectName(QString::fromLatin1(name));
  SetHint(*FAction, hint);
  if (!shortcuts.isEmpty()) FAction->setShortcuts(shortcuts);
}

void TCommand::Execute() {
  if (OnUpdate) OnUpdate();
  if (FAction->isEnabled() && OnExecute) OnExecute();
}

}  // namespace zel
