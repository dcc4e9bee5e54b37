#pragma once
// Drives modal dialogs from the event loop they block in.

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace zel::test {

// Calls act(dialog) once the modal dialog T is up, from inside its event loop. act is meant to
// close it; a dialog still open afterwards is closed with the result -1, so that a fault makes
// the test fail instead of hang.
template <typename T>
void WhenModal(std::function<void(T&)> act) {
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [act, poll] {
    if (auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget())) {
      act(*dlg);
      QPointer<T> open(dlg);
      QTimer::singleShot(0, [open] {
        if (open && open->isVisible()) static_cast<QDialog*>(open.data())->done(-1);
      });
      *poll = nullptr;  // breaks the cycle
      return;
    }
    QTimer::singleShot(1, *poll);
  };
  QTimer::singleShot(0, *poll);
}

}  // namespace zel::test
