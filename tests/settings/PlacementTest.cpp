// The window placement store over a settings file: the keys a save writes, and what a restore
// applies for screen sizes, text resolutions, show commands and damaged values.

#include "settings/Placement.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/Exception.h"
#include "platform/TestFiles.h"
#include "settings/AppUtils.h"
#include "settings/FakeWindow.h"
#include "settings/IniFile.h"

namespace zel {
namespace {

using test::FileLines;
using test::TFakeWindow;

const char* const kSection = "Zel XML Editor Window";

class PlacementTest : public ::testing::Test {
 protected:
  PlacementTest() {
    FStore.SetActive(false);
    FStore.SetIniFileName(FFile);
    FStore.SetIniSection(kSection);
  }
  void Put(const std::string& key, const std::string& value) {
    TIniFile(FFile).WriteString(kSection, key, value);
  }
  std::string Get(const std::string& key) { return TIniFile(FFile).ReadString(kSection, key, "?"); }
  // Saves the window placed at `rect` and resets the window to its design bounds.
  void SaveAt(TRect rect) {
    FWindow.Placement.NormalPosition = rect;
    FStore.SaveSettings();
    FWindow = TFakeWindow();
  }

  test::TTempDir FDir;
  std::string FFile = FDir.File("ZelApps.ini");
  TFakeWindow FWindow;
  TFormPlacement FStore{FWindow};
};

TEST_F(PlacementTest, FirstStartKeepsDesignAndFirstCloseWritesEveryKeyInOrder) {
  FStore.RestoreSettings();
  EXPECT_TRUE(FStore.Restored());
  EXPECT_EQ(FWindow.Placement.NormalPosition, (TRect{191, 108, 587, 406}));
  EXPECT_EQ(FWindow.State, TWindowState::wsNormal);
  // Only the maximized position moves, so that a maximized frame lies off the screen.
  EXPECT_EQ(FWindow.Placement.MaxPosition, (TPoint{-4, -4}));
  EXPECT_EQ(FWindow.Applied.back().ShowCmd, SW_HIDE);

  FWindow.IsVisible = true;
  FStore.SaveSettings();
  EXPECT_TRUE(FStore.Saved());
  const std::vector<std::string> expected = {"[Zel XML Editor Window]",
                                             "FormVersion=0",
                                             "Flags=0",
                                             "ShowCmd=1",
                                             "PixelsPerInch=96",
                                             "MinMaxPos(1024x768)=-1,-1,-4,-4",
                                             "MinMaxPos=-1,-1,-4,-4",
                                             "NormPos(1024x768)=191,108,587,406",
                                             "NormPos=191,108,587,406",
                                             "Visible=0"};
  EXPECT_EQ(FileLines(FFile), expected);
}

TEST_F(PlacementTest, ScreenSizeKeyWinsAndPlainKeyServesOtherSizes) {
  SaveAt({10, 20, 410, 320});
  FWindow.ScreenW = 1280;
  FWindow.ScreenH = 1024;
  SaveAt({30, 40, 630, 540});

  FWindow.ScreenW = 1024;
  FWindow.ScreenH = 768;
  FStore.RestoreSettings();
  EXPECT_EQ(FWindow.Placement.NormalPosition, (TRect{10, 20, 410, 320}));

  FWindow = TFakeWindow();
  FWindow.ScreenW = 800;
  FWindow.ScreenH = 600;
  FStore.RestoreSettings();
  EXPECT_EQ(FWindow.Placement.NormalPosition, (TRect{30, 40, 630, 540}));  // the last saved
  FStore.SaveSettings();
  EXPECT_EQ(Get("NormPos(1024x768)"), "10,20,410,320");
  EXPECT_EQ(Get("NormPos(1280x1024)"), "30,40,630,540");
  EXPECT_EQ(Get("NormPos(800x600)"), "30,40,630,540");
}

TEST_F(PlacementTest, OtherPixelsPerInchKeepsBoundsButAppliesShowCmd) {
  SaveAt({10, 20, 410, 320});
  Put("PixelsPerInch", "120");
  Put("ShowCmd", "3");
  FStore.RestoreSettings();
  EXPECT_EQ(FWindow.Placement.NormalPosition, (TRect{191, 108, 587, 406}));
  EXPECT_EQ(FWindow.State, TWindowState::wsMaximized);
}

TEST_F(PlacementTest, ShowCmdMapsToWindowState) {
  const struct {
    const char* showCmd;
    TPosition position;
    TWindowState state;
  } cases[] = {
      {"1", TPosition::poDesigned, TWindowState::wsNormal},
      {"5", TPosition::poDesigned, TWindowState::wsNormal},
      {"9", TPosition::poDefault, TWindowState::wsNormal},
      {"3", TPosition::poDesigned, TWindowState::wsMaximized},
      {"0", TPosition::poDesigned, TWindowState::wsNormal},
      {"8", TPosition::poDefault, TWindowState::wsMaximized},  // the default state
      {"44", TPosition::poDefault, TWindowState::wsMaximized},
      {"x", TPosition::poDefaultPosOnly, TWindowState::wsNormal},
  };
  for (const auto& c : cases) {
    FWindow = TFakeWindow();
    FWindow.Pos = c.position;
    Put("ShowCmd", c.showCmd);
    FStore.RestoreSettings();
    EXPECT_EQ(FWindow.State, c.state) << c.showCmd;
    EXPECT_EQ(FWindow.MinimizeRequests, 0) << c.showCmd;
  }
}

TEST_F(PlacementTest, MinimizedMainWindowMinimizesTheApplication) {
  for (const char* cmd : {"2", "6", "7"}) {
    FWindow = TFakeWindow();
    Put("ShowCmd", cmd);
    FStore.RestoreSettings();
    EXPECT_EQ(FWindow.State, TWindowState::wsNormal) << cmd;
    EXPECT_EQ(FWindow.MinimizeRequests, 1) << cmd;
  }
  FWindow = TFakeWindow();
  FWindow.MainWindow = false;
  FStore.RestoreSettings();
  EXPECT_EQ(FWindow.State, TWindowState::wsMinimized);
  EXPECT_EQ(FWindow.MinimizeRequests, 0);

  FWindow = TFakeWindow();
  Put("ShowCmd", "1");
  FStore.RestoreSettings();
  FWindow.AppMinimized = true;
  FStore.SaveSettings();
  EXPECT_EQ(Get("ShowCmd"), "2");
}

TEST_F(PlacementTest, PositionWordsWithSpacesMissingOrBadWords) {
  const struct {
    const char* normPos;
    TRect rect;
  } cases[] = {
      {"10, 20, 500, 400", {10, 20, 500, 400}},
      {" ,,10 ,20,,500  400,99", {10, 20, 500, 400}},
      {"10,20", {10, 20, 587, 406}},  // the current right and bottom
      {"10,x,500,400", {10, 108, 500, 400}},
  };
  for (const auto& c : cases) {
    FWindow = TFakeWindow();
    Put("NormPos", c.normPos);
    Put("MinMaxPos", "5, y");
    FStore.RestoreSettings();
    EXPECT_EQ(FWindow.Applied.front().NormalPosition, c.rect) << c.normPos;
    EXPECT_EQ(FWindow.Applied.front().MinPosition, (TPoint{5, 0})) << c.normPos;
    EXPECT_EQ(FWindow.Applied.front().MaxPosition, (TPoint{0, 0})) << c.normPos;
  }
}

TEST_F(PlacementTest, NothingAppliedForEmptyRectOrLowerVersion) {
  Put("NormPos", "500,20,500,400");
  Put("ShowCmd", "3");
  FStore.RestoreSettings();
  ASSERT_EQ(FWindow.Applied.size(), 1u);  // the maximized position only
  EXPECT_EQ(FWindow.Placement.NormalPosition, (TRect{191, 108, 587, 406}));
  EXPECT_EQ(FWindow.State, TWindowState::wsMaximized);

  FWindow = TFakeWindow();
  Put("NormPos", "1,2,300,400");
  Put("FormVersion", "-1");
  FStore.RestoreSettings();
  EXPECT_TRUE(FStore.Restored());
  EXPECT_EQ(FWindow.Placement.NormalPosition, (TRect{191, 108, 587, 406}));
  EXPECT_EQ(FWindow.State, TWindowState::wsNormal);
}

TEST_F(PlacementTest, FixedBorderRestoresPositionOnlyAndCentringIsDropped) {
  Put("NormPos", "10,20,900,700");
  FWindow.Border = TFormBorderStyle::bsDialog;
  FWindow.Pos = TPosition::poScreenCenter;
  FStore.RestoreSettings();
  EXPECT_EQ(FWindow.Placement.NormalPosition, (TRect{10, 20, 406, 318}));
  EXPECT_EQ(FWindow.Pos, TPosition::poDesigned);
  EXPECT_EQ(FWindow.Placement.MaxPosition, (TPoint{-3, -3}));

  FWindow = TFakeWindow();
  FWindow.Border = TFormBorderStyle::bsSingle;
  Put("NormPos", "2147483600,-2147483600,0,0");  // the kept size would overflow
  FStore.RestoreSettings();
  EXPECT_EQ(FWindow.Placement.NormalPosition,
            (TRect{2147483600, -2147483600, 2147483647, -2147483302}));
}

TEST_F(PlacementTest, VisibleWindowKeepsItsShowCommandAndNoneWithoutOptions) {
  FWindow.IsVisible = true;
  Put("NormPos", "10,20,500,400");
  FStore.RestoreSettings();
  EXPECT_EQ(FWindow.Applied.front().ShowCmd, SW_SHOWNORMAL);

  FWindow = TFakeWindow();
  FStore.SetOptions(0);
  Put("ShowCmd", "3");
  FStore.RestoreSettings();
  EXPECT_EQ(FWindow.State, TWindowState::wsNormal);
  EXPECT_EQ(FWindow.Applied.size(), 1u);
  FStore.SaveSettings();
  EXPECT_EQ(Get("ShowCmd"), "3");  // not written again
}

TEST_F(PlacementTest, QuotedValuesComeBackWithTheirQuotes) {
  for (const std::string value : {"\"quoted\"", "'single'", "\"", "\"a'", "plain"}) {
    FStore.WriteSettingString(kSection, "Text", value);
    EXPECT_EQ(FStore.ReadSettingString(kSection, "Text", ""), value) << value;
  }
  EXPECT_EQ(QuoteProtected("\"x\""), "\"\"x\"\"");
  EXPECT_EQ(QuoteProtected(""), "");
}

TEST_F(PlacementTest, RefusedWriteFailsTheSaveAndClosesTheFile) {
  FStore.SetIniFileName(FDir.Path());  // a folder cannot be replaced by a file
  try {
    FStore.SaveSettings();
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + FDir.Path() + ": it is a folder");
  }
  EXPECT_FALSE(FStore.Saved());
  FStore.SetIniFileName(FFile);
  FStore.SaveSettings();  // a fresh file object
  EXPECT_EQ(Get("FormVersion"), "0");
}

TEST_F(PlacementTest, ActiveStoreNeverRestoredDoesNotSave) {
  FStore.SetActive(true);
  FStore.SaveSettings();
  EXPECT_TRUE(FileLines(FFile).empty());
  FStore.RestoreSettings();
  FStore.SaveSettings();
  EXPECT_EQ(Get("FormVersion"), "0");
}

// Two editors over one file, each starting from the file as it was then: each writes only the
// keys it changed, so neither undoes what the other changed, whichever closes last. On a
// first start the first close still writes every key.
TEST_F(PlacementTest, EachEditorWritesOnlyTheKeysItChanged) {
  for (const bool firstStart : {true, false}) {
    SCOPED_TRACE(firstStart);
    std::remove(FFile.c_str());
    if (!firstStart) SaveAt({10, 20, 410, 320});
    TFakeWindow moved, maximized;
    TFormPlacement a{moved}, b{maximized};
    for (TFormPlacement* store : {&a, &b}) {
      store->SetActive(false);
      store->SetIniFileName(FFile);
      store->SetIniSection(kSection);
      store->RestoreSettings();
    }
    moved.Placement.NormalPosition = {100, 100, 600, 500};
    maximized.State = TWindowState::wsMaximized;
    a.SaveSettings();
    b.SaveSettings();
    EXPECT_EQ(Get("NormPos"), "100,100,600,500");
    EXPECT_EQ(Get("NormPos(1024x768)"), "100,100,600,500");
    EXPECT_EQ(Get("ShowCmd"), "3");
    EXPECT_EQ(Get("PixelsPerInch"), "96");
    maximized.State = TWindowState::wsNormal;
    b.SaveSettings();
    a.SaveSettings();
    EXPECT_EQ(Get("ShowCmd"), "1");
    EXPECT_EQ(Get("NormPos"), "100,100,600,500");
  }
}

TEST_F(PlacementTest, DefaultNamesAndChildWindowFlags) {
  TFormPlacement store(FWindow);
  EXPECT_EQ(store.IniSection(), "TFormMain");
  const std::string name = store.IniFileName();
  EXPECT_EQ(name.find('/'), std::string::npos);
  EXPECT_TRUE(name.size() > 4 && name.substr(name.size() - 4) == ".INI") << name;

  FWindow.Style = TFormStyle::fsMDIChild;
  FWindow.State = TWindowState::wsMinimized;
  FStore.SaveSettings();
  EXPECT_EQ(Get("Flags"), "1");
}

}  // namespace
}  // namespace zel
