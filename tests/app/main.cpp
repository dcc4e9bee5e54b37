// GUI tests run headless: the offscreen platform unless a display is asked for.

#include <gtest/gtest.h>

#include "app/ExceptionGuard.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  zel::TZelApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
