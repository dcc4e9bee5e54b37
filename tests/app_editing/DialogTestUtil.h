#pragma once
// Drives modal dialogs from the event loop they block in.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace zel::test {

// Calls act(dialog) once the modal dialog T is up, from inside its event loop.
template <typename T>
void WhenModal(std::function<void(T&)> act) {
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [act, poll] {
    if (auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget())) {
      act(*dlg);
      *poll = nullptr;  // breaks the cycle
      return;
    }
    QTimer::singleShot(1, *poll);
  };
  QTimer::singleShot(0, *poll);
}

}  // namespace zel::test
