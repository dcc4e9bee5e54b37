#pragma once
// No exception crosses Qt's event dispatch. Command handlers and the model adapter's callbacks
// run their work through Guarded, as close to the failure as possible: unwinding through Qt's
// own frames may leak what they hold. TZelApplication's notify is the net under everything
// else. A failure resets the cursor and is shown in the "Error" box; the program goes on.

#include <QApplication>
#include <exception>
#include <functional>
#include <utility>

namespace zel {

// Shows a failure's message; the default is the "Error" box with the error icon. The main
// window routes it through its own dialogs, tests script it.
using TErrorReporter = std::function<void(const QString& message)>;
void SetErrorReporter(TErrorReporter reporter);

// The message of any exception: the system's own texts, decoded from the code page.
QString ExceptionMessage(std::exception_ptr error);
// Resets the cursor and reports the exception being handled (call it inside a catch).
void HandleCurrentException();

// Runs f; an exception ends in HandleCurrentException. Returns whether f completed.
template <typename F>
bool Guarded(F&& f) {
  try {
    std::forward<F>(f)();
    return true;
  } catch (...) {
    HandleCurrentException();
    return false;
  }
}

class TZelApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace zel
