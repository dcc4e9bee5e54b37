// Stored properties through the window's settings store: the keys and value texts of the main
// window's four entries, reading damaged values, and entries that name nothing.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "platform/TestFiles.h"
#include "settings/FakeWindow.h"
#include "settings/IniFile.h"
#include "settings/Placement.h"

namespace zel {
namespace {

using test::FileLines;
using test::TFakeWindow;

const char* const kSection = "Zel XML Editor Window";
enum { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A Windows font at 96 pixels per inch: the size follows the height and back.
struct TFakeFont : TPersistent {
  int Charset = 1, Color = -16777208, Height = -11, Pitch = 0;
  std::string Name = "Tahoma";
  uint32_t Style = 0;
  int Size() const { return static_cast<int>(std::lround(-Height * 72 / 96.0)); }
  void SetSize(int size) { Height = -static_cast<int>(std::lround(size * 96 / 72.0)); }

  const TPropInfos& PublishedProps() const override {
    static const TPropInfos props = [] {
      auto f = [](TPersistent& o) -> TFakeFont& { return static_cast<TFakeFont&>(o); };
      return TPropInfos{
          // Out of name order on purpose: the store sorts.
          SetProp(
              "Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"},
              [f](TPersistent& o) { return f(o).Style; },
              [f](TPersistent& o, uint32_t v) { f(o).Style = v; }),
          IntegerProp(
              "Size", [f](TPersistent& o) { return f(o).Size(); },
              [f](TPersistent& o, int v) { f(o).SetSize(v); }),
          IntegerProp(
              "Charset", [f](TPersistent& o) { return f(o).Charset; },
              [f](TPersistent& o, int v) { f(o).Charset = v; }),
          IntegerProp(
              "Color", [f](TPersistent& o) { return f(o).Color; },
              [f](TPersistent& o, int v) { f(o).Color = v; }),
          IntegerProp(
              "Height", [f](TPersistent& o) { return f(o).Height; },
              [f](TPersistent& o, int v) { f(o).Height = v; }),
          StringProp(
              "Name", [f](TPersistent& o) { return f(o).Name; },
              [f](TPersistent& o, const std::string& v) { f(o).Name = v; }),
          EnumProp(
              "Pitch", {"fpDefault", "fpVariable", "fpFixed"},
              [f](TPersistent& o) { return f(o).Pitch; },
              [f](TPersistent& o, int v) { f(o).Pitch = v; }),
      };
    }();
    return props;
  }
};

// A component whose properties are a table given to it.
struct TFakeComponent : TComponent {
  TFakeComponent(TComponentOwner& owner, std::string name) : TComponent(&owner, std::move(name)) {}
  TPropInfos Props;
  const TPropInfos& PublishedProps() const override { return Props; }
};

class StoredPropsTest : public ::testing::Test {
 protected:
  StoredPropsTest() {
    FTree.Props = {
        ObjectProp("Font", [this](TPersistent&) { return &FFont; }),
        BooleanProp(
            "ToolTips", [this](TPersistent&) { return FToolTips; },
            [this](TPersistent&, bool v) { FToolTips = v; }),
        EventProp("OnChange"),
        // Components are stored by their own entries, never through another one.
        ObjectProp("PopupMenu", [this](TPersistent&) { return &FMenu; }),
    };
    FMenu.Props = {IntegerProp(
        "AutoPopup", [](TPersistent&) { return 1; }, [](TPersistent&, int) {})};
    FFind.Props = {StringProp(
        "FindText", [this](TPersistent&) { return FFindText; },
        [this](TPersistent&, const std::string& v) { FFindText = v; })};
    FUseDialog.Props = {BooleanProp(
        "Checked", [this](TPersistent&) { return FChecked; },
        [this](TPersistent&, bool v) { FChecked = v; })};
    FStore.SetActive(false);
    FStore.SetIniFileName(FFile);
    FStore.SetIniSection(kSection);
    SetEntries(
        {"TreeView1.Font", "TreeView1.ToolTips", "FindDialog1.FindText", "EditUseDialog1.Checked"});
  }
  void SetEntries(const std::vector<std::string>& entries) {
    FStore.SetStoredProps(entries);
    FStore.Loaded();
  }
  void Put(const std::string& key, const std::string& value) {
    TIniFile(FFile).WriteString(kSection, key, value);
  }
  std::string Get(const std::string& key) { return TIniFile(FFile).ReadString(kSection, key, "?"); }
  // The lines after the placement keys.
  std::vector<std::string> PropertyLines() {
    std::vector<std::string> lines = FileLines(FFile);
    const auto visible = std::find(lines.begin(), lines.end(), "Visible=0");
    return visible == lines.end() ? lines : std::vector<std::string>(visible + 1, lines.end());
  }

  test::TTempDir FDir;
  std::string FFile = FDir.File("ZelApps.ini");
  TFakeFont FFont;
  bool FToolTips = false, FChecked = false;
  std::string FFindText;
  TComponentOwner FOwner;
  TFakeComponent FTree{FOwner, "TreeView1"}, FMenu{FOwner, "PopupMenu1"},
      FFind{FOwner, "FindDialog1"}, FUseDialog{FOwner, "EditUseDialog1"};
  TFakeWindow FWindow;
  TFormStorage FStore{FWindow, FOwner};
};

TEST_F(StoredPropsTest, DesignValuesGiveTheKeysInOrder) {
  FStore.SaveSettings();
  const std::vector<std::string> expected = {
      "TreeView1_FontCharset=1",     "TreeView1_FontColor=-16777208", "TreeView1_FontHeight=-11",
      "TreeView1_FontName=Tahoma",   "TreeView1_FontPitch=fpDefault", "TreeView1_FontSize=8",
      "TreeView1_FontStyle=[]",      "TreeView1_ToolTips=False",      "FindDialog1_FindText=",
      "EditUseDialog1_Checked=False"};
  EXPECT_EQ(PropertyLines(), expected);
}

TEST_F(StoredPropsTest, ChangedValuesComeBack) {
  FFont = TFakeFont();
  FFont.Name = "DejaVu Sans Mono";
  FFont.SetSize(12);
  FFont.Style = fsBold | fsStrikeOut;
  FFont.Pitch = 2;
  FFont.Color = 0x0000FF;
  FToolTips = FChecked = true;
  FFindText = "<book id=\"1\">";
  FStore.SaveSettings();
  EXPECT_EQ(Get("TreeView1_FontStyle"), "[fsBold,fsStrikeOut]");
  EXPECT_EQ(Get("TreeView1_FontPitch"), "fpFixed");

  const TFakeFont saved = FFont;
  FFont = TFakeFont();
  FToolTips = FChecked = false;
  FFindText.clear();
  FStore.RestoreSettings();
  EXPECT_EQ(FFont.Name, saved.Name);
  EXPECT_EQ(FFont.Height, -16);
  EXPECT_EQ(FFont.Style, saved.Style);
  EXPECT_EQ(FFont.Pitch, 2);
  EXPECT_EQ(FFont.Color, 0x0000FF);
  EXPECT_TRUE(FToolTips);
  EXPECT_TRUE(FChecked);
  EXPECT_EQ(FFindText, "<book id=\"1\">");
}

TEST_F(StoredPropsTest, NoSettingsFileKeepsDesignValues) {
  FStore.RestoreSettings();
  EXPECT_EQ(FFont.Name, "Tahoma");
  EXPECT_EQ(FFont.Height, -11);
  EXPECT_FALSE(FToolTips);
  EXPECT_EQ(FFindText, "");
  EXPECT_FALSE(FChecked);
}

TEST_F(StoredPropsTest, SearchTextIsTrimmedAndKeepsItsQuotes) {
  const struct {
    const char* text;
    const char* stored;
    const char* back;
  } cases[] = {
      {"  find me  ", "find me", "find me"},
      {"\"find me\"", "\"\"find me\"\"", "\"find me\""},
      {"'x'", "\"'x'\"", "'x'"},
      {"\t", "", ""},
  };
  for (const auto& c : cases) {
    FFindText = c.text;
    FStore.SaveSettings();
    const std::vector<std::string> lines = FileLines(FFile);
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), std::string("FindDialog1_FindText=") + c.stored),
        lines.end())
        << c.text;
    FFindText = "other";
    FStore.RestoreSettings();
    EXPECT_EQ(FFindText, c.back) << c.text;
  }
  Put("FindDialog1_FindText", "  spaced  ");
  FStore.RestoreSettings();
  EXPECT_EQ(FFindText, "spaced");
}

TEST_F(StoredPropsTest, BooleanAndEnumerationTexts) {
  const struct {
    const char* text;
    bool before, after;
  } cases[] = {{"true", false, true}, {"TRUE", false, true}, {"yes", false, false},
               {"yes", true, true},   {"1", false, false},   {"false", true, false}};
  for (const auto& c : cases) {
    FToolTips = c.before;
    Put("TreeView1_ToolTips", c.text);
    FStore.RestoreSettings();
    EXPECT_EQ(FToolTips, c.after) << c.text << " from " << c.before;
  }
  Put("TreeView1_FontPitch", "FPVARIABLE");
  FStore.RestoreSettings();
  EXPECT_EQ(FFont.Pitch, 1);
  Put("TreeView1_FontPitch", "fpWide");
  FStore.RestoreSettings();
  EXPECT_EQ(FFont.Pitch, 1);
}

TEST_F(StoredPropsTest, FontStyleTexts) {
  const struct {
    const char* text;
    uint32_t style;
  } cases[] = {
      {"[fsBold, fsItalic]", fsBold | fsItalic},
      {"[]", 0},
      {"", 0},
      {"[fsBold,fsHeavy]", fsBold},
      {"fsstrikeout fsUnderline", fsUnderline | fsStrikeOut},
      {"[[fsItalic]],", fsItalic},
  };
  for (const auto& c : cases) {
    FFont.Style = fsUnderline;
    Put("TreeView1_FontStyle", c.text);
    FStore.RestoreSettings();
    EXPECT_EQ(FFont.Style, c.style) << c.text;
  }
}

TEST_F(StoredPropsTest, SizeDecidesOverHeightAndBadIntegersGiveZero) {
  Put("TreeView1_FontHeight", "-16");
  Put("TreeView1_FontSize", "10");
  FStore.RestoreSettings();
  EXPECT_EQ(FFont.Height, -13);

  Put("TreeView1_FontSize", "abc");
  FStore.RestoreSettings();
  EXPECT_EQ(FFont.Size(), 0);

  FFont = TFakeFont();
  TIniFile(FFile).EraseSection(kSection);
  Put("TreeView1_FontHeight", "-16");
  FStore.RestoreSettings();
  EXPECT_EQ(FFont.Height, -16);  // the size read back is the one the height gave
  EXPECT_EQ(FFont.Size(), 12);
}

TEST_F(StoredPropsTest, EntriesNamingNothingAreDroppedOrSkipped) {
  SetEntries({"TreeView1.Font.Name", "Nothing.Caption", "NoDot", ".ToolTips", "TreeView1. ",
              " treeview1 . tooltips ", "FindDialog1.Caption", "TreeView1.OnChange",
              "TreeView1.PopupMenu"});
  ASSERT_EQ(FStore.StoredProps().size(), 5u);  // entries with a component survive
  FToolTips = true;
  FStore.SaveSettings();
  EXPECT_EQ(PropertyLines(), std::vector<std::string>{"TreeView1_ToolTips=True"});
  FToolTips = false;
  FStore.RestoreSettings();
  EXPECT_TRUE(FToolTips);
  EXPECT_EQ(FStore.StoredProps()[1].Text, "TreeView1.tooltips");  // rewritten from the component
}

TEST_F(StoredPropsTest, RenamedComponentIsFoundAndDestroyedOneIsDropped) {
  FTree.SetName("TreeView2");
  FToolTips = true;
  FStore.SaveSettings();
  EXPECT_EQ(Get("TreeView2_ToolTips"), "True");
  EXPECT_EQ(FStore.StoredProps()[0].Text, "TreeView2.Font");

  {
    TFakeComponent extra(FOwner, "Extra");
    extra.Props = {StringProp(
        "Text", [](TPersistent&) { return std::string("x"); },
        [](TPersistent&, const std::string&) {})};
    SetEntries({"Extra.Text", "FindDialog1.FindText"});
  }
  ASSERT_EQ(FStore.StoredProps().size(), 1u);
  FStore.SaveSettings();
  EXPECT_EQ(Get("Extra_Text"), "?");
}

TEST_F(StoredPropsTest, ReadErrorsLeaveOnlyTheirPropertyUnchanged) {
  FFind.Props[0].SetStr = [](TPersistent&, const std::string&) {
    throw std::runtime_error("refused");
  };
  FFindText = "kept";
  Put("FindDialog1_FindText", "new");
  Put("TreeView1_FontName", "Courier");
  Put("EditUseDialog1_Checked", "True");
  FStore.RestoreSettings();
  EXPECT_EQ(FFindText, "kept");
  EXPECT_EQ(FFont.Name, "Courier");
  EXPECT_TRUE(FChecked);
}

TEST_F(StoredPropsTest, LowerStoredVersionRestoresNoProperty) {
  Put("FormVersion", "-1");
  Put("TreeView1_ToolTips", "True");
  FStore.RestoreSettings();
  EXPECT_FALSE(FToolTips);
}

}  // namespace
}  // namespace zel
