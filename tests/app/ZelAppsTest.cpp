// Start-up routines: the settings file's place, the title stem and keeping a window on screen.

#include "app/UZelApps.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/TestFiles.h"

namespace zel {
namespace {

TEST(ZelAppsTest, SettingsFileNameFollowsWindirElseTheConfigFolder) {
  test::TTempDir dir;
  setenv("windir", dir.Path().c_str(), 1);
  InitializeZelApps();
  EXPECT_EQ(SettingsFileName, dir.Path() + "/ZelApps.ini");
  setenv("windir", (dir.Path() + "/").c_str(), 1);
  InitializeZelApps();
  EXPECT_EQ(SettingsFileName, dir.Path() + "/ZelApps.ini");

  unsetenv("windir");
  setenv("XDG_CONFIG_HOME", (dir.Path() + "/cfg").c_str(), 1);
  InitializeZelApps();
  EXPECT_EQ(SettingsFileName, dir.Path() + "/cfg/ZelApps.ini");
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/cfg"));
  unsetenv("XDG_CONFIG_HOME");
  FinalizeZelApps();
  EXPECT_TRUE(SettingsFileName.empty());
}

TEST(ZelAppsTest, RemoveLastWord) {
  EXPECT_EQ(RemoveLastWord("Zel XML Editor 1.0"), "Zel XML Editor");
  EXPECT_EQ(RemoveLastWord("Untitled"), "Untitled");
  EXPECT_EQ(RemoveLastWord("trailing "), "trailing");
  EXPECT_EQ(RemoveLastWord(""), "");
}

TEST(ZelAppsTest, KeepRectOnScreenMovesThenShrinks) {
  const QSize screen(800, 600);
  EXPECT_EQ(KeepRectOnScreen(QRect(10, 20, 300, 200), screen), QRect(10, 20, 300, 200));
  EXPECT_EQ(KeepRectOnScreen(QRect(700, 500, 300, 200), screen), QRect(500, 400, 300, 200));
  EXPECT_EQ(KeepRectOnScreen(QRect(-50, -10, 300, 200), screen), QRect(0, 0, 300, 200));
  // Wider and taller than the screen: to the left and top edge, then as large as the screen.
  EXPECT_EQ(KeepRectOnScreen(QRect(100, 100, 1000, 900), screen), QRect(0, 0, 800, 600));
}

}  // namespace
}  // namespace zel
