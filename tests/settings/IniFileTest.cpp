// The settings file access by section and key: conversions, limits and refused writes.

#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "base/Exception.h"
#include "platform/TestFiles.h"

namespace zel {
namespace {

using test::ReadBytes;
using test::TTempDir;
using test::WriteBytes;

class IniFileTest : public ::testing::Test {
 protected:
  TTempDir FDir;
  TIniFile FIni{FDir.File("ZelApps.ini")};
};

TEST(TryStrToIntTest, DecimalDollarAndZeroXForms) {
  struct {
    const char* text;
    bool ok;
    int value;
  } cases[] = {
      {"0", true, 0},
      {"42", true, 42},
      {"-17", true, -17},
      {"+5", true, 5},
      {"$1F", true, 31},
      {"-$10", true, -16},
      {"0x1f", true, 31},
      {"0XFF", true, 255},
      {"$FFFFFFFF", true, -1},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, static_cast<int>(-2147483648LL)},
      {"2147483648", false, 0},
      {"$100000000", false, 0},
      {"0x", false, 0},
      {"$", false, 0},
      {"-", false, 0},
      {"", false, 0},
      {"12a", false, 0},
      {"  12", true, 12},
      {"12 ", false, 0},
      {"1 2", false, 0},
      {"-0x10", false, 0},
      {"99999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    int v = 12345;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST_F(IniFileTest, IntegersAndBooleansRoundTripAndFallBack) {
  FIni.WriteInteger("S", "Neg", -300);
  FIni.WriteBool("S", "On", true);
  FIni.WriteBool("S", "Off", false);
  EXPECT_EQ(ReadBytes(FIni.FileName()), "[S]\nNeg=-300\nOn=1\nOff=0\n");
  EXPECT_EQ(FIni.ReadInteger("S", "Neg", 0), -300);
  EXPECT_TRUE(FIni.ReadBool("S", "On", false));
  EXPECT_FALSE(FIni.ReadBool("S", "Off", true));

  WriteBytes(FIni.FileName(), "[S]\nQuoted=\"7\"\nSpaced=\" 7 \"\nJunk=seven\nBig=7\nHex=0x10\n");
  EXPECT_EQ(FIni.ReadInteger("S", "Quoted", 0), 7);
  EXPECT_EQ(FIni.ReadInteger("S", "Spaced", -1), -1);  // blanks inside the quotes stay
  EXPECT_EQ(FIni.ReadInteger("S", "Junk", -1), -1);
  EXPECT_EQ(FIni.ReadInteger("S", "Missing", 99), 99);
  EXPECT_TRUE(FIni.ReadBool("S", "Big", false));
  EXPECT_TRUE(FIni.ReadBool("S", "Hex", false));
  EXPECT_TRUE(FIni.ReadBool("S", "Junk", true));
  EXPECT_FALSE(FIni.ReadBool("S", "Junk", false));
  EXPECT_TRUE(FIni.ReadBool("S", "Missing", true));
}

TEST_F(IniFileTest, StringsComeBackStrippedAndAtMost2047Characters) {
  FIni.WriteString("S", "Path", "  \"/home/user/My Documents/a.xml\"  ");
  EXPECT_EQ(FIni.ReadString("S", "Path", ""), "/home/user/My Documents/a.xml");
  FIni.WriteString("S", "Long", std::string(2047, 'a') + "bcd");
  EXPECT_EQ(FIni.ReadString("S", "Long", ""), std::string(2047, 'a'));
  EXPECT_EQ(FIni.ReadString("s", "LONG", "").size(), 2047u);
  EXPECT_EQ(FIni.ReadString("S", "None", "fallback"), "fallback");
}

TEST_F(IniFileTest, TwentyKeysAndAGapInTheirNumbers) {
  for (int i = 1; i <= 20; ++i)
    if (i != 7) FIni.WriteString("Recent", "File" + std::to_string(i), "/f" + std::to_string(i));
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(FIni.ReadString("Recent", "File" + std::to_string(i), ""),
              i == 7 ? "" : "/f" + std::to_string(i));
  // Keys come in the order written, each once.
  const std::string text = ReadBytes(FIni.FileName());
  EXPECT_LT(text.find("File6="), text.find("File8="));
  EXPECT_EQ(text.find("File20="), text.rfind("File20="));
}

TEST_F(IniFileTest, EraseSectionRemovesOnlyThatSection) {
  FIni.WriteString("Zel XML Editor Window", "Left", "1");
  FIni.WriteString("Zel XML Editor Recent", "File1", "/a.xml");
  FIni.EraseSection("ZEL XML EDITOR RECENT");
  EXPECT_EQ(FIni.ReadString("Zel XML Editor Recent", "File1", "gone"), "gone");
  EXPECT_EQ(FIni.ReadString("Zel XML Editor Window", "Left", ""), "1");
}

TEST_F(IniFileTest, RefusedWritesRaiseUnableToWrite) {
  TIniFile lost(FDir.File("missing/folder/x.ini"));
  try {
    lost.WriteString("S", "k", "v");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + lost.FileName() + ": " + std::strerror(ENOENT));
  }
  EXPECT_THROW(lost.WriteInteger("S", "k", 1), Exception);
  EXPECT_THROW(lost.WriteBool("S", "k", true), Exception);
  // A folder in the file's place can be neither written nor erased from.
  TIniFile folder(FDir.Path());
  EXPECT_THROW(folder.EraseSection("S"), Exception);
  try {
    folder.WriteString("S", "k", "v");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + folder.FileName() + ": it is a folder");
  }
  // A value with a line break would add lines of its own to the file.
  EXPECT_THROW(FIni.WriteString("S", "k", "a\n[Other]\nk=b"), Exception);
  EXPECT_EQ(FIni.ReadString("Other", "k", "none"), "none");
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

TEST_F(IniFileTest, AHostileFileReadsWithoutFailingAndTakesWrites) {
  const std::string huge(3 << 20, 'h');
  std::string text = "garbage without an equals sign\r\n=value without a key\r\n[unclosed\r\n";
  text += std::string("\0\x01\xFF binary\r\n", 13);
  text += "[S]\r\nk=first\r\nk=second\r\n[s]\r\nk=third\r\nother=1\r\n";
  text += "[" + huge + "]\r\nk=in the huge section\r\n";
  text += "[T]\r\nlong=" + huge + "\r\n" + huge + "\r\nafter=2\r\n";
  WriteBytes(FIni.FileName(), text);

  // The first section and key of a name count; a later duplicate is not read.
  EXPECT_EQ(FIni.ReadString("S", "k", ""), "first");
  EXPECT_EQ(FIni.ReadInteger("S", "other", 0), 0);
  EXPECT_EQ(FIni.ReadString("T", "long", "").size(), 2047u);
  EXPECT_EQ(FIni.ReadInteger("T", "after", 0), 2);
  EXPECT_EQ(FIni.ReadString(huge, "k", ""), "in the huge section");
  EXPECT_EQ(FIni.ReadString("Missing", "k", "def"), "def");

  FIni.WriteString("T", "after", "3");
  EXPECT_EQ(FIni.ReadInteger("T", "after", 0), 3);
  EXPECT_EQ(FIni.ReadString("T", "long", "").size(), 2047u);
  EXPECT_EQ(ReadBytes(FIni.FileName()).size(), text.size());  // every other byte kept
}

}  // namespace
}  // namespace zel
