// Keep Layout on documents in many layouts and encodings, with random edits: the unedited
// document and the one whose edits were all undone save to the bytes read, and every save
// holds the data of the indented save.

#include <gtest/gtest.h>

#include <random>

#include "platform/CodePage.h"
#include "tests/editor/KeepLayoutCheck.h"
#include "tests/treedoc/ZelXMLTreeTestUtil.h"

using namespace zel;

namespace {

// A document read with Keep Layout under a code page, and the file it saves to; the code page
// goes back to the system's however the test ends.
struct TKept {
  explicit TKept(unsigned codePage) {
    SetACPOverride(codePage);
    component.SetTreeView(&doc.Tree());
    component.SetKeepLayout(true);
  }
  ~TKept() { SetACPOverride(0); }
  TKept(const TKept&) = delete;
  TKept& operator=(const TKept&) = delete;
  zeltest::TempDir dir;
  const std::string saved = dir.Path() + "/saved.xml";
  TOutlineDocument doc;
  TZelXMLTree component;
};

std::string Ebcdic(const std::string& text) {
  return test::Encoded(text, "IBM037");
}

}  // namespace

TEST(KeepLayout, RandomLayoutsAndEditsKeepBytesAndData) {
  zeltest::TempDir dir;
  const std::string scratch = dir.Path() + "/saved.xml";
  for (unsigned seed = 0; seed < 300; ++seed) {
    // Now and then a code page other than the file's: Unicode files are converted both ways.
    SetACPOverride(seed % 5 == 4 ? CP_WINDOWS_1252 : CP_UTF8);
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
  TKept k(CP_UTF8);
  k.component.LoadFromBytes(
      "in.xml", "\xEF\xBB\xBF<a>\n    <b  x='1'>\xC3\xA9t\xC3\xA9</b>  \n  <c/>\n</a>\n");
  ASSERT_TRUE(k.doc.SetText(k.doc.Tree().Item(3), "<d>\xE2\x82\xAC</d>"));
  k.component.SaveToFile(k.saved);
  EXPECT_EQ(
      ReadFileBytes(k.saved),
      "\xEF\xBB\xBF<a>\n    <b  x='1'>\xC3\xA9t\xC3\xA9</b>  \n  <d>\xE2\x82\xAC</d>\n</a>\n");
}

TEST(KeepLayout, ACharacterTheEncodingCannotHoldIsAReferenceInTextAndStopsTheSaveElsewhere) {
  TKept k(CP_UTF8);
  k.component.LoadFromBytes("in.xml", Ebcdic("<?xml version=\"1.0\" encoding=\"IBM037\"?>\n"
                                             "<a>\n  <b x='1'>t</b>\n  <!-- c -->\n</a>\n"));
  ASSERT_TRUE(k.doc.SetText(k.doc.Tree().Item(3), "<b x=\"\xE2\x82\xAC\">\xE2\x82\xAC</b>"));
  k.component.SaveToFile(k.saved);
  const std::string first = Ebcdic(
      "<?xml version=\"1.0\" encoding=\"IBM037\"?>\n"
      "<a>\n  <b x=\"&#8364;\">&#8364;</b>\n  <!-- c -->\n</a>\n");
  EXPECT_EQ(ReadFileBytes(k.saved), first);
  // In a comment no reference stands for it: the file stays as it was.
  ASSERT_TRUE(k.doc.SetText(k.doc.Tree().Item(4), "<!-- \xE2\x82\xAC -->"));
  try {
    k.component.SaveToFile(k.saved);
    ADD_FAILURE() << "saved";
  } catch (const EZelXMLTree& e) {
    EXPECT_NE(std::string(e.what()).find("<!-- \xE2\x82\xAC -->"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadFileBytes(k.saved), first);
}

TEST(KeepLayout, AnEditedEbcdicFileNamingNoEncodingNamesItWhereOthersReadIt) {
  TKept k(CP_WINDOWS_1252);
  k.component.LoadFromBytes("in.xml",
                            Ebcdic("<?xml version='1.0' ?>\n<a>\n  <b>[t]</b>\n  <c/>\n</a>\n"));
  ASSERT_TRUE(k.doc.SetText(k.doc.Tree().Item(4), "<d/>"));
  k.component.SaveToFile(k.saved);
  const std::string bytes = ReadFileBytes(k.saved);
  EXPECT_EQ(bytes, Ebcdic("<?xml version='1.0' encoding=\"IBM037\" ?>\n<a>\n  <b>[t]</b>\n  "
                          "<d/>\n</a>\n"));
  std::string data;
  EXPECT_TRUE(test::CanonicalNoBlanks(bytes, data)) << bytes;
}
