#include "app/ReopenMenu.h"

#include <QAction>

#include "app/Command.h"

namespace zel {

TQtReopenMenu::TQtReopenMenu(QMenu* menu, std::function<void(const std::function<void()>&)> guard)
    : FMenu(menu), FGuard(std::move(guard)) {}

void TQtReopenMenu::Clear() {
  // The item being clicked may be among them: it goes once its click has returned.
  for (QAction* a : FMenu->actions()) {
    FMenu->removeAction(a);
    a->deleteLater();
  }
}

void TQtReopenMenu::AddItem(const std::string& caption, const std::string& hint,
                            std::function<void()> onClick) {
  auto* action = new QAction(FMenu);
  if (caption == "-") {
    action->setSeparator(true);
  } else {
    action->setText(QString::fromStdString(caption));
    SetHint(*action, QString::fromStdString(hint));
    QObject::connect(action, &QAction::triggered, FMenu, [this, click = std::move(onClick)] {
      if (click) FGuard(click);
    });
  }
  FMenu->addAction(action);
}

void TQtReopenMenu::SetEnabled(bool enabled) {
  if (QAction* item = FMenu->menuAction(); item->isEnabled() != enabled) item->setEnabled(enabled);
}

}  // namespace zel
