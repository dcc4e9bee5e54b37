// Keep Layout on documents in many layouts and encodings, with random edits: the unedited
// document and the one whose edits were all undone save to the bytes read, and every save
// holds the data of the indented save.

#include <gtest/gtest.h>

#include <random>

#include "platform/CodePage.h"
#include "tests/editor/KeepLayoutCheck.h"
#include "tests/treedoc/ZelXMLTreeTestUtil.h"

using namespace zel;

TEST(KeepLayout, RandomLayoutsAndEditsKeepBytesAndData) {
  SetACPOverride(CP_UTF8);
  zeltest::TempDir dir;
  const std::string scratch = dir.Path() + "/saved.xml";
  for (unsigned seed = 0; seed < 300; ++seed) {
    std::mt19937 random(seed);
    const auto pick = [&](unsigned n) { return unsigned(random() % n); };
    const std::string bytes = test::GeneratedLayout(pick);
    const std::string failure = test::CheckKeepLayout(bytes, pick, 1 + int(seed % 12), scratch);
    EXPECT_EQ(failure, "") << "seed " << seed;
    if (!failure.empty()) break;
  }
  SetACPOverride(0);
}

TEST(KeepLayout, AnEditedUtf8FileWithAByteOrderMarkKeepsTheMarkAndItsLines) {
  SetACPOverride(CP_UTF8);
  zeltest::TempDir dir;
  const std::string saved = dir.Path() + "/saved.xml";
  TOutlineDocument doc;
  TZelXMLTree component;
  component.SetTreeView(&doc.Tree());
  component.SetKeepLayout(true);
  component.LoadFromBytes("in.xml",
                          "\xEF\xBB\xBF<a>\n    <b  x='1'>\xC3\xA9t\xC3\xA9</b>  \n  <c/>\n</a>\n");
  ASSERT_TRUE(doc.SetText(doc.Tree().Item(3), "<d>\xE2\x82\xAC</d>"));
  component.SaveToFile(saved);
  EXPECT_EQ(
      ReadFileBytes(saved),
      "\xEF\xBB\xBF<a>\n    <b  x='1'>\xC3\xA9t\xC3\xA9</b>  \n  <d>\xE2\x82\xAC</d>\n</a>\n");
  SetACPOverride(0);
}
