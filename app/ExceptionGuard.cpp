#include "app/ExceptionGuard.h"

#include <QMessageBox>

#include "app/NodeTextCodec.h"
#include "base/Exception.h"

namespace zel {

namespace {

TErrorReporter& Reporter() {
  static TErrorReporter reporter;
  return reporter;
}

void ShowErrorBox(const QString& message) {
  QMessageBox box(QMessageBox::Critical, "Error", QString(), QMessageBox::Ok,
                  QApplication::activeWindow());
  // A message may quote a node text such as "<b>bold": shown as written.
  box.setTextFormat(Qt::PlainText);
  box.setText(message);
  box.exec();
}

}  // namespace

void SetErrorReporter(TErrorReporter reporter) {
  Reporter() = std::move(reporter);
}

QString ExceptionMessage(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    return FromCodePage(e.Message());
  } catch (const std::bad_alloc&) {
    return "Out of memory";
  } catch (const std::exception& e) {
    return FromCodePage(e.what());
  } catch (...) {
    return "Unknown error";
  }
}

void HandleCurrentException() {
  const QString message = ExceptionMessage(std::current_exception());
  // The screen cursor goes back to the default, however many hourglasses were stacked.
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  try {
    if (Reporter())
      Reporter()(message);
    else
      ShowErrorBox(message);
  } catch (...) {
    // A failing report must not turn into a crash of the event loop.
  }
}

bool TZelApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    HandleCurrentException();
    return false;
  }
}

}  // namespace zel
