#include "base/StringList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Exception.h"
#include "base/StrUtils.h"

using namespace zel;

namespace {

std::vector<std::string> Split(std::string_view text) {
  TStringList l;
  l.SetText(text);
  return l.Lines();
}

}  // namespace

TEST(StringList, SplitsAtEveryKindOfLineBreak) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Split(""), V{});
  EXPECT_EQ(Split("a"), V{"a"});
  EXPECT_EQ(Split("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(Split("a\r\n"), V{"a"});
  EXPECT_EQ(Split("a\r\n\r\n"), (V{"a", ""}));
  EXPECT_EQ(Split("\n\r"), (V{"", ""}));  // LF then CR: two breaks
  EXPECT_EQ(Split("\r\r\n"), (V{"", ""}));
  EXPECT_EQ(Split(std::string_view("a\nb\0c\nd", 7)), (V{"a", "b"}));  // NUL ends the text
}

TEST(StringList, TextEndsEveryLineWithCrLf) {
  TStringList l;
  EXPECT_EQ(l.Text(), "");
  l.Add("a");
  l.Add("");
  l.Add("b");
  EXPECT_EQ(l.Text(), "a\r\n\r\nb\r\n");
}

TEST(StringList, CheckedAccessReportsTheIndex) {
  TStringList l;
  try {
    l.Delete(0);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (0)");
  }
  l.Add("x");
  EXPECT_THROW(l.Get(1), EListError);
  EXPECT_THROW(l.Get(-1), EListError);
  l.Insert(1, "y");
  EXPECT_EQ(l.Get(1), "y");
}

TEST(StringList, StreamRoundTripReadsFromThePosition) {
  TMemoryStream s;
  s.WriteString("skip\r\none\ntwo");
  s.SetPosition(6);
  TStringList l;
  l.LoadFromStream(s);
  EXPECT_EQ(l.Lines(), (std::vector<std::string>{"one", "two"}));
  TMemoryStream out;
  l.SaveToStream(out);
  EXPECT_EQ(out.Data(), "one\r\ntwo\r\n");
}

TEST(StrUtils, TrimAndFileNames) {
  EXPECT_EQ(Trim("\t\r\n x y \x01"), "x y");
  EXPECT_EQ(Trim("  "), "");
  EXPECT_EQ(Trim("\xa0x\xa0"), "\xa0x\xa0");  // only codes up to 32 are blanks
  EXPECT_EQ(ExtractFileName("/tmp/a/b.xml"), "b.xml");
  EXPECT_EQ(ExtractFileName("b.xml"), "b.xml");
  // Only '/' separates folders here: the rest belongs to the name.
  EXPECT_EQ(ExtractFileName("/tmp/my:notes.xml"), "my:notes.xml");
  EXPECT_EQ(ExtractFileName("a\\b.xml"), "a\\b.xml");
  EXPECT_EQ(ReplaceAll("a\r\nb\r\n", "\r\n", " "), "a b ");
  EXPECT_EQ(Format("(%d) \"%s\"", 3, "x"), "(3) \"x\"");
}
