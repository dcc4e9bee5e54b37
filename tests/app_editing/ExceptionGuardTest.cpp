#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QTimer>
#include <stdexcept>

#include "app/ExceptionGuard.h"
#include "base/Exception.h"
#include "platform/CodePage.h"

namespace zel {
namespace {

class ExceptionGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetErrorReporter([this](const QString& m) { messages << m; });
  }
  void TearDown() override { SetErrorReporter(nullptr); }
  QStringList messages;
};

// An object whose event handler fails, as a command handler does.
class TFailingObject : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw Exception("Invalid node text \"<>\"");
    return QObject::event(e);
  }
};

TEST_F(ExceptionGuardTest, AFailingEventHandlerIsReportedAndTheLoopGoesOn) {
  TFailingObject failing;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QEvent event(QEvent::User);
  QApplication::sendEvent(&failing, &event);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0], "Invalid node text \"<>\"");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // A failing timer callback: the loop that dispatched it keeps running.
  bool after = false;
  QTimer::singleShot(0, [] { throw std::runtime_error("boom"); });
  QTimer::singleShot(0, [&] { after = true; });
  for (int i = 0; i < 10 && !after; ++i) QApplication::processEvents();
  EXPECT_TRUE(after);
  EXPECT_EQ(messages.value(1), "boom");
}

TEST_F(ExceptionGuardTest, GuardedCodeAndMessagesOfTheCodePage) {
  SetACPOverride(1252);
  EXPECT_TRUE(Guarded([] {}));
  EXPECT_FALSE(Guarded([] { throw Exception("Cannot open file \"caf\xe9.xml\""); }));
  EXPECT_FALSE(Guarded([] { throw 42; }));
  SetACPOverride(0);
  ASSERT_EQ(messages.size(), 2);
  EXPECT_EQ(messages[0], QString::fromUtf8("Cannot open file \"caf\xc3\xa9.xml\""));
  EXPECT_EQ(messages[1], "Unknown error");

  // A reporter that fails itself must not take the program down.
  SetErrorReporter([](const QString&) { throw std::runtime_error("again"); });
  EXPECT_FALSE(Guarded([] { throw std::runtime_error("first"); }));
}

}  // namespace
}  // namespace zel
