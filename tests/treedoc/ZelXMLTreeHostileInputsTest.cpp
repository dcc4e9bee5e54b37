// Files that crash or hang naive readers: each loads or fails at once with a message, and the
// component is ready for the next file afterwards.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ZelXMLTreeTestUtil.h"
#include "base/Exception.h"
#include "platform/PermissionScope.h"
#include "platform/TestFiles.h"

using namespace zel;
using namespace zeltest;

namespace {

// The outline's node count when the file loads, else the failure's message.
std::string Outcome(Recorder& r, const std::string& file) {
  try {
    r.component.LoadFromFile(file);
  } catch (const Exception& e) {
    EXPECT_FALSE(r.component.IsBusy());
    return e.Message();
  }
  return "nodes: " + std::to_string(r.tree.Count());
}

// The component is usable: a plain file loads whole.
void ExpectUsable(Recorder& r, const TempDir& dir) {
  EXPECT_EQ(Outcome(r, dir.Write("plain.xml", "<a><b>x</b></a>")), "nodes: 3");
  EXPECT_EQ(OutlineOf(r.tree), "plain.xml\n\t<a>\n\t\t<b>x</b>\n");
}

}  // namespace

TEST(ZelXMLTreeHostileInputs, AMillionLevelsLoadWithoutRecursion) {
  const int depth = 1000000;
  std::string xml;
  xml.reserve(7 * depth + 1);
  for (int i = 0; i < depth; ++i) xml += "<a>";
  xml += "t";
  for (int i = 0; i < depth; ++i) xml += "</a>";
  TempDir dir;
  Recorder r;
  EXPECT_EQ(Outcome(r, dir.Write("deep.xml", xml)), "nodes: " + std::to_string(depth + 1));
  EXPECT_EQ(r.tree.Item(depth)->Level(), depth);
  EXPECT_EQ(r.tree.Item(depth)->Text(), "<a>t</a>");
  // No save here: one TAB per level makes its file half a terabyte.
  ExpectUsable(r, dir);
}

TEST(ZelXMLTreeHostileInputs, AHundredMegabyteLineIsOneNode) {
  const size_t size = size_t{100} << 20;
  std::string xml = "<a>";
  xml.append(size, 'x');
  xml += "</a>";
  TempDir dir;
  Recorder r;
  EXPECT_EQ(Outcome(r, dir.Write("long.xml", xml)), "nodes: 2");
  EXPECT_EQ(r.tree.Item(1)->Text().size(), size + 7);
  xml.clear();
  ExpectUsable(r, dir);
}

TEST(ZelXMLTreeHostileInputs, FilesOfOneCharacterOrOfNothing) {
  TempDir dir;
  Recorder r;
  // No markup gives no document: the failure says so.
  const std::string noMarkup =
      "\" holds no XML markup: no tag, comment or instruction in it is whole.";
  EXPECT_EQ(Outcome(r, dir.Write("lt.xml", std::string(1 << 20, '<'))),
            "The file \"" + dir.File("lt.xml") + noMarkup);
  EXPECT_EQ(Outcome(r, dir.Write("gt.xml", std::string(1 << 20, '>'))),
            "The file \"" + dir.File("gt.xml") + noMarkup);
  EXPECT_EQ(Outcome(r, dir.Write("empty.xml", "")), "List index out of bounds (0)");
  const std::string nul = Outcome(r, dir.Write("nul.xml", std::string(4096, '\0')));
  EXPECT_NE(nul.find("nul.xml"), std::string::npos) << nul;
  ExpectUsable(r, dir);
}

TEST(ZelXMLTreeHostileInputs, ATruncatedUtf16FileKeepsItsWholeCharacters) {
  TempDir dir;
  Recorder r;
  // The last character lost its second byte: it reads as a replacement character.
  EXPECT_EQ(Outcome(r, dir.Write("cut.xml", std::string("\xFF\xFE<\0a\0/\0>\0x", 11))), "nodes: 3");
  EXPECT_EQ(OutlineOf(r.tree), "cut.xml\n\t<a />\n\t\xEF\xBF\xBD\n");
  ExpectUsable(r, dir);
}

// Every failure names the file and says why in plain words, after the reader's own prefix
// where the file cannot be opened; a file held by another reader loads.
TEST(ZelXMLTreeHostileInputs, FailuresNameTheFileAndTheReason) {
  TempDir dir;
  Recorder r;
  const auto refused = [](const std::string& file, const char* reason) {
    return "TVyTextFile(" + file + "):Failed to reset file. " + reason;
  };
  const auto noMarkup = [](const std::string& file) {
    return "The file \"" + file +
           "\" holds no XML markup: no tag, comment or instruction in it is whole.";
  };
  const auto notUtf16 = [](const std::string& file) {
    return "The file \"" + file +
           "\" begins with a Unicode byte-order mark, but no tag, comment or instruction in "
           "that encoding is whole in it.";
  };
  EXPECT_EQ(Outcome(r, dir.File("missing.xml")),
            refused(dir.File("missing.xml"), "No such file or directory"));
  const std::string le = dir.Write("le.xml", "\xFF\xFE<a>x</a>\r\n");
  EXPECT_EQ(Outcome(r, le), notUtf16(le));
  const std::string be = dir.Write("be.xml", "\xFE\xFF<a/>");
  EXPECT_EQ(Outcome(r, be), notUtf16(be));
  const std::string open = dir.Write("open.xml", "<a b=\"1");
  EXPECT_EQ(Outcome(r, open), noMarkup(open));
  EXPECT_EQ(Outcome(r, "/proc/self/status"), noMarkup("/proc/self/status"));
  EXPECT_EQ(Outcome(r, dir.Write("empty.xml", "")), "List index out of bounds (0)");

  const std::string held = dir.Write("held.xml", "<a/>");
  {
    zel::test::THeldFile writer(held);  // no sharing: an exclusive lock
    EXPECT_EQ(Outcome(r, held), refused(held, "It is locked by another program."));
  }
  {
    zel::test::THeldFile reader(held, FILE_SHARE_READ);
    EXPECT_EQ(Outcome(r, held), "nodes: 2");
  }
  const std::string closed = dir.Write("closed.xml", "<a/>");
  ASSERT_EQ(chmod(closed.c_str(), 0), 0);
  zel::test::TPermissionScope bits;
  if (bits.BitsHold(closed.c_str())) {
    EXPECT_EQ(Outcome(r, closed), refused(closed, "Permission denied"));
  }
  ExpectUsable(r, dir);
}
