#include <gtest/gtest.h>

#include "ZelXMLTreeTestUtil.h"
#include "base/StringList.h"
#include "platform/CodePage.h"
#include "treedoc/ZelXMLTree.h"

using namespace zel;
using namespace zeltest;

namespace {

std::string LoadOutline(const std::string& xml, const std::string& name = "t.xml") {
  TempDir dir;
  Recorder r;
  r.component.LoadFromFile(dir.Write(name, xml));
  return OutlineOf(r.tree);
}

}  // namespace

TEST(ZelXMLTreeLoad, BooksGivesTheOutlineStatesAndProgress) {
  TempDir dir;
  Recorder r;
  r.component.LoadFromFile(dir.Write("books.xml", kBooks));
  EXPECT_EQ(OutlineOf(r.tree), kBooksOutline);
  EXPECT_EQ(r.states, (std::vector<TZelXMLTreeStates>{zxtsLoading, zxtsBuildTree, zxtsDone}));
  EXPECT_EQ(r.progress, (std::vector<int>{0, 7, 14, 21, 29, 33, 42, 50, 56, 67, 75, 86}));
  EXPECT_EQ(r.component.ZelXMLTreeState(), zxtsDone);
  EXPECT_FALSE(r.component.IsBusy());
  EXPECT_FALSE(r.component.IsUnicode());
  EXPECT_FALSE(r.component.Cancelled());
}

TEST(ZelXMLTreeLoad, OutlineShapes) {
  // Only the name part of the path is the root's text; '\\' and ':' are part of the name here.
  EXPECT_EQ(LoadOutline("<a><b/></a>", "my:notes\\x.xml"), "my:notes\\x.xml\n\t<a>\n\t\t<b />\n");
  EXPECT_EQ(LoadOutline("<code><![CDATA[a<b]]></code>"), "t.xml\n\t<code>\n\t\t<![CDATA[a<b]]>\n");
}

TEST(ZelXMLTreeLoad, CommentsInstructionsAndDeclarationsAreLeaves) {
  EXPECT_EQ(LoadOutline("<a>\r\n<!-- x -->\r\n<b x=\"1\">t</b>\r\n</a>\r\n"),
            "t.xml\n\t<a>\n\t\t<!-- x -->\n\t\t<b x=\"1\">t</b>\n");
  EXPECT_EQ(LoadOutline("<?xml version=\"1.0\"?>\n<?xml-stylesheet href=\"s.xsl\"?>\n"
                        "<!DOCTYPE a [<!ENTITY e \"x>y\">]>\n<a>t</a>\n"),
            "t.xml\n\t<?xml version=\"1.0\" ?>\n\t<?xml-stylesheet href=\"s.xsl\"?>\n"
            "\t<!DOCTYPE a [<!ENTITY e \"x>y\">]>\n\t<a>t</a>\n");
}

TEST(ZelXMLTreeLoad, MixedContentKeepsEveryText) {
  EXPECT_EQ(LoadOutline("<a>one<b/>two</a>"), "t.xml\n\t<a>\n\t\tone\n\t\t<b />\n\t\ttwo\n");
  EXPECT_EQ(LoadOutline("<p>x <i>y</i> z</p>"), "t.xml\n\t<p>\n\t\tx\n\t\t<i>y</i>\n\t\tz\n");
}

TEST(ZelXMLTreeLoad, MultiLineSectionsStayOneNode) {
  EXPECT_EQ(LoadOutline("<a><!-- l1\r\n  l2 --><c><![CDATA[x\r\n\ty\r\n\r\nz]]></c></a>"),
            "t.xml\n\t<a>\n\t\t<!-- l1\\n   l2 -->\n\t\t<c>\n"
            "\t\t\t<![CDATA[x\\n \ty\\n \\n z]]>\n");
}

TEST(ZelXMLTreeLoad, SingleQuotesAndQuotedAngles) {
  EXPECT_EQ(LoadOutline("<a x='1' y=\"2\"><if test=\"a > b\"/></a>"),
            "t.xml\n\t<a x=\"1\" y=\"2\">\n\t\t<if test=\"a > b\" />\n");
}

TEST(ZelXMLTreeLoad, CancelDuringTheTransformationEmptiesTheTree) {
  TempDir dir;
  Recorder r;
  r.component.LoadFromFile(dir.Write("books.xml", kBooks));
  r.Reset();
  r.component.OnProgress = [&](TZelXMLTree& sender, TZelXMLTreeStates, uint16_t p) {
    r.progress.push_back(p);
    if (r.progress.size() == 3) sender.Abort();
  };
  r.component.LoadFromFile(dir.File("books.xml"));
  EXPECT_EQ(r.states, (std::vector<TZelXMLTreeStates>{zxtsLoading, zxtsBuildTree, zxtsCanceled}));
  EXPECT_EQ(r.progress.size(), 3u);
  EXPECT_EQ(r.tree.Count(), 0);
  EXPECT_TRUE(r.component.Cancelled());
  EXPECT_FALSE(r.component.IsBusy());
  EXPECT_EQ(r.component.ZelXMLTreeState(), zxtsCanceled);
}

TEST(ZelXMLTreeLoad, CancelWhileReadingRaisesNoFurtherEvents) {
  TempDir dir;
  Recorder r;
  r.component.OnStateChange = [&](TZelXMLTree& sender, TZelXMLTreeStates s) {
    r.states.push_back(s);
    if (s == zxtsLoading) sender.Abort();
  };
  r.component.LoadFromFile(dir.Write("books.xml", kBooks));
  EXPECT_EQ(r.states, std::vector<TZelXMLTreeStates>{zxtsLoading});
  EXPECT_EQ(r.tree.Count(), 0);
  EXPECT_EQ(r.component.ZelXMLTreeState(), zxtsLoading);
}

TEST(ZelXMLTreeLoad, AbortBeforeALoadHasNoEffect) {
  TempDir dir;
  Recorder r;
  r.component.Abort();
  r.component.LoadFromFile(dir.Write("books.xml", kBooks));
  EXPECT_EQ(OutlineOf(r.tree), kBooksOutline);
  EXPECT_FALSE(r.component.Cancelled());
}

TEST(ZelXMLTreeLoad, FailuresKeepTheStageAndTheTree) {
  TempDir dir;
  Recorder r;
  r.component.LoadFromFile(dir.Write("books.xml", kBooks));
  r.Reset();
  try {
    r.component.LoadFromFile(dir.File("missing.xml"));
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "TVyTextFile(" + dir.File("missing.xml") +
                               "):Failed to reset file. No such file or directory");
  }
  EXPECT_EQ(r.states, std::vector<TZelXMLTreeStates>{zxtsLoading});
  EXPECT_EQ(r.component.ZelXMLTreeState(), zxtsLoading);
  EXPECT_FALSE(r.component.IsBusy());
  EXPECT_EQ(OutlineOf(r.tree), kBooksOutline);  // untouched

  for (const char* text : {"", "  \r\n\t", "just text"}) {
    try {
      r.component.LoadFromFile(dir.Write("bad.xml", text));
      FAIL() << text;
    } catch (const Exception& e) {
      // An empty or blank file is a document without a node; text names what it lacks.
      EXPECT_EQ(e.Message(), *text != 'j' ? "List index out of bounds (0)"
                                          : "The file \"" + dir.File("bad.xml") +
                                                "\" holds no XML markup: no tag, comment or "
                                                "instruction in it is whole.");
    }
    EXPECT_FALSE(r.component.IsBusy());
  }
}

// Inside an element the XML declaration is an instruction that stays where it stands: it
// neither takes the following nodes in nor moves them a level up (which made deeper ones
// fail the load, and a saved outline read back with other levels).
// A tag whose value never closes gets its closing quote: written as it was read, the value
// would run on into what a save puts after it.
TEST(ZelXMLTreeLoad, ATagWithAnOpenValueIsClosed) {
  EXPECT_EQ(LoadOutline("<r><a x=\"1>t\"u</a></r>"), "t.xml\n\t<r>\n\t\t<a x=\"1\">t\"u</a>\n");
  EXPECT_EQ(LoadOutline("<r><a x=\"1\">t\"u</a></r>"), "t.xml\n\t<r>\n\t\t<a x=\"1\">t\"u</a>\n");
}

TEST(ZelXMLTreeLoad, DeclarationsInsideElementsStayInPlace) {
  EXPECT_EQ(LoadOutline("<a><?xml version=\"1.0\"?><b/></a>"),
            "t.xml\n\t<a>\n\t\t<?xml version=\"1.0\"?>\n\t\t<b />\n");
  EXPECT_EQ(LoadOutline("<a><c><?xml version=\"1.0\"?><b><d/></b></c></a>"),
            "t.xml\n\t<a>\n\t\t<c>\n\t\t\t<?xml version=\"1.0\"?>\n\t\t\t<b>\n\t\t\t\t<d />\n");
  // A stray closing tag does not end the declaration: what follows keeps its own levels, and
  // texts on both sides of it are one text.
  EXPECT_EQ(LoadOutline("<?xml version=\"1.0\"?></x><r><s/></r>"),
            "t.xml\n\t<?xml version=\"1.0\" ?>\n\t<r>\n\t\t<s />\n");
  EXPECT_EQ(LoadOutline("<?xml ?><a/>tail</x>more"), "t.xml\n\t<?xml ?>\n\t<a />\n\ttail more\n");
  // A text in the declaration, or after its empty form, stands beside it as it reads back.
  EXPECT_EQ(LoadOutline("<?xml version=\"1.0\"?>hello"),
            "t.xml\n\t<?xml version=\"1.0\" ?>\n\thello\n");
  EXPECT_EQ(LoadOutline("<?xml v=\"1\" ?x/>hello"), "t.xml\n\t<?xml v=\"1\" ?x ?>\n\thello\n");
  // The writer's empty form of the declaration reads as the usual one.
  EXPECT_EQ(LoadOutline("<?xml /><r/>"), "t.xml\n\t<?xml ?>\n\t<r />\n");
}

TEST(ZelXMLTreeLoad, NoTreeViewAndBusyAreRefused) {
  TZelXMLTree component;
  int events = 0;
  component.OnStateChange = [&](TZelXMLTree&, TZelXMLTreeStates) { ++events; };
  try {
    component.LoadFromFile("/tmp/x.xml");
    FAIL();
  } catch (const EZelXMLTree& e) {
    EXPECT_EQ(e.Message(), "TreeView is not assigned.");
  }
  EXPECT_THROW(component.SaveToFile("/tmp/x.xml"), EZelXMLTree);
  EXPECT_EQ(events, 0);
  EXPECT_FALSE(component.IsBusy());

  // A handler that starts another operation is refused, and the running one goes on.
  TempDir dir;
  Recorder r;
  const std::string file = dir.Write("books.xml", kBooks);
  int refused = 0;
  r.component.OnStateChange = [&](TZelXMLTree& sender, TZelXMLTreeStates) {
    try {
      sender.LoadFromFile(file);
    } catch (const EZelXMLTree&) {
      ++refused;
    }
    try {
      sender.SaveToFile(dir.File("other.xml"));
    } catch (const EZelXMLTree&) {
      ++refused;
    }
  };
  r.component.LoadFromFile(file);
  EXPECT_EQ(refused, 6);
  EXPECT_EQ(OutlineOf(r.tree), kBooksOutline);
  EXPECT_EQ(access(dir.File("other.xml").c_str(), F_OK), -1);
}

TEST(ZelXMLTreeLoad, UnicodeFilesAreConvertedToTheSystemCodePage) {
  SetACPOverride(1252);
  TempDir dir;
  Recorder r;
  // UTF-16 LE with a byte-order mark: <a>é</a>, indented lines are trimmed.
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : std::u16string(u"  <a>\u00e9</a>  \r\n")) {
    utf16.push_back(static_cast<char>(c & 0xFF));
    utf16.push_back(static_cast<char>(c >> 8));
  }
  r.component.LoadFromFile(dir.Write("u.xml", utf16));
  EXPECT_TRUE(r.component.IsUnicode());
  EXPECT_EQ(OutlineOf(r.tree), "u.xml\n\t<a>\xE9</a>\n");

  r.component.LoadFromFile(dir.Write("b.xml", "<b/>"));
  EXPECT_FALSE(r.component.IsUnicode());
  SetACPOverride(0);
}

// Lone CRs and LFs break the lines of a Unicode file as they do in an 8-bit one: a file with
// LF line ends read as one line gave texts with bare line breaks, so nodes at the root's
// level and a failed load.
TEST(ZelXMLTreeLoad, UnicodeLinesBreakAtLoneCrAndLf) {
  const std::string xml = "<a>\n  <b>text\rmore</b>\n  <!-- c1\n  c2 -->\n</a>\n";
  std::string utf16 = "\xFF\xFE";
  for (const char c : xml) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  TempDir dir;
  Recorder r;
  r.component.LoadFromFile(dir.Write("u.xml", utf16));
  const std::string unicode = OutlineOf(r.tree);
  EXPECT_EQ(unicode, "u.xml\n\t<a>\n\t\t<b>text more</b>\n\t\t<!-- c1\\n   c2 -->\n");
  r.component.LoadFromFile(dir.Write("u.xml", xml));
  EXPECT_EQ(OutlineOf(r.tree), unicode);
}
