// Well-formed documents are read by the XML grammar: markup that broken-markup tolerance
// would cut short (values and instructions over lines, '>' and '<' inside them), text runs
// made of touching sections, and content whose whitespace the document declares as data.
// Each case checks the outline and the saved bytes, and that the saved file reads back the
// same.

#include <gtest/gtest.h>

#include "ZelXMLTreeTestUtil.h"
#include "base/Exception.h"
#include "platform/CodePage.h"

using namespace zel;
using namespace zeltest;

namespace {

// LoadAndSave, and the saved file loads to the same outline.
RoundTrip Loaded(const std::string& bytes) {
  const RoundTrip r = LoadAndSave(bytes);
  EXPECT_EQ(LoadAndSave(r.Saved).Outline, r.Outline) << "read back differently: " << bytes;
  return r;
}

}  // namespace

TEST(WellFormed, AttributeValuesRunToTheirClosingQuote) {
  const RoundTrip r = Loaded(
      "<x>\r\n<xsl:apply-templates select=\"*[position()>\n\t 1 and not(self::b)]\" "
      "mode='a>\r\nb'/>\r\n<y a=\"1\"/></x>");
  // Line breaks and TABs of a value become spaces, as every reader normalizes them.
  const std::string tag =
      "<xsl:apply-templates select=\"*[position()>   1 and not(self::b)]\" mode=\"a> b\" />";
  EXPECT_EQ(r.Outline, "t.xml\n\t<x>\n\t\t" + tag + "\n\t\t<y a=\"1\" />\n");
  EXPECT_EQ(r.Saved, "<x>\r\n\t" + tag + "\r\n\t<y a=\"1\" />\r\n</x>\r\n");
}

TEST(WellFormed, InstructionsRunToTheFirstQuestionMarkAndGt) {
  const RoundTrip php = Loaded("<doc><?php echo \"<b>hi</b>\"; ?><a>x</a></doc>");
  EXPECT_EQ(php.Outline, "t.xml\n\t<doc>\n\t\t<?php echo \"<b>hi</b>\"; ?>\n\t\t<a>x</a>\n");

  const RoundTrip odd = Loaded("<doc><?pi some data ? > <?\?></doc>");
  EXPECT_EQ(odd.Outline, "t.xml\n\t<doc>\n\t\t<?pi some data ? > <?\?>\n");

  // Line breaks stay, as in comments; the instruction comes back byte for byte.
  const std::string sheet = "<?xml-stylesheet href=\"a.xsl\"\r\n  type=\"text/xsl\"?>";
  const RoundTrip multi = Loaded(sheet + "\n<doc><?php\n  if ($a) {\n  }\n?></doc>");
  EXPECT_EQ(multi.Outline,
            "t.xml\n\t<?xml-stylesheet href=\"a.xsl\"\\n   type=\"text/xsl\"?>\n\t<doc>\n"
            "\t\t<?php\\n   if ($a) {\\n   }\\n ?>\n");
  EXPECT_EQ(multi.Saved, sheet + "\r\n<doc>\r\n\t<?php\r\n  if ($a) {\r\n  }\r\n?>\r\n</doc>\r\n");
}

TEST(WellFormed, TouchingSectionsAndTextsAreOneRun) {
  const RoundTrip r = Loaded(
      "<doc><![CDATA[a]]><![CDATA[b]]>\n<c>x<![CDATA[y\nw]]>z</c>"
      "<d>p <![CDATA[q]]> r</d></doc>");
  EXPECT_EQ(r.Outline,
            "t.xml\n\t<doc>\n\t\t<![CDATA[a]]><![CDATA[b]]>\n\t\t<c>\n\t\t\tx<![CDATA[y\\n w]]>z\n"
            "\t\t<d>\n\t\t\tp\n\t\t\t<![CDATA[q]]>\n\t\t\tr\n");
  EXPECT_EQ(
      r.Saved,
      "<doc>\r\n\t<![CDATA[a]]><![CDATA[b]]>\r\n\t<c>\r\n\t\tx<![CDATA[y\r\nw]]>z\r\n\t</c>\r\n"
      "\t<d>\r\n\t\tp\r\n\t\t<![CDATA[q]]>\r\n\t\tr\r\n\t</d>\r\n</doc>\r\n");
}

TEST(WellFormed, DeclaredPreservedWhitespaceGoesOutAsItWasRead) {
  const std::string kept =
      "<t xml:space=\"preserve\">  a\r\n\t b  <b> c </b><q xml:space='default'> d </q></t>";
  const RoundTrip r = Loaded("<r>\n<u> y </u>" + kept + "<v> z </v>\n</r>");
  EXPECT_EQ(r.Outline, "t.xml\n\t<r>\n\t\t<u>y</u>\n\t\t" +
                           std::string("<t xml:space=\"preserve\">  a\\n \t b  <b> c </b>"
                                       "<q xml:space='default'> d </q></t>") +
                           "\n\t\t<v>z</v>\n");
  EXPECT_EQ(r.Saved, "<r>\r\n\t<u>y</u>\r\n\t" + kept + "\r\n\t<v>z</v>\r\n</r>\r\n");
  // A root element that preserves is the document's one node.
  EXPECT_EQ(Loaded("<?xml version=\"1.0\"?>\n<d xml:space='preserve'> a\n</d>").Saved,
            "<?xml version=\"1.0\" ?>\r\n<d xml:space='preserve'> a\r\n</d>\r\n");
  EXPECT_EQ(Loaded("<d xml:space='preserve'> a </d>").Outline,
            "t.xml\n\t<d xml:space='preserve'> a </d>\n");
}

TEST(WellFormed, EncodingsThatShiftOrAreNoAsciiSupersetAreConverted) {
  SetACPOverride(CP_UTF8);
  // ISO-2022-JP: the escape bytes of its kanji would otherwise split the names.
  const std::string jp = "\x1B$B$\"\x1B(B";  // "あ"
  const RoundTrip j = Loaded("<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?>\n<" + jp + " a=\"" +
                             jp + "\">" + jp + "</" + jp + ">");
  EXPECT_EQ(j.Saved,
            "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<\xE3\x81\x82 a=\"\xE3\x81\x82\">"
            "\xE3\x81\x82</\xE3\x81\x82>\r\n");
  // UTF-16 without a byte-order mark, and EBCDIC: the declaration's first bytes tell.
  std::string u16;
  for (const char c : std::string("<?xml version=\"1.0\"?><a/>")) u16 += std::string{c, '\0'};
  EXPECT_EQ(Loaded(u16).Outline, "t.xml\n\t<?xml version=\"1.0\" ?>\n\t<a />\n");
  const std::string ebcdic =
      "\x4C\x6F\xA7\x94\x93\x40\xA5\x85\x99\xA2\x89\x96\x95\x7E\x7F\xF1"
      "\x4B\xF0\x7F\x40\x85\x95\x83\x96\x84\x89\x95\x87\x7E\x7F\xC9\xC2"
      "\xD4\xF0\xF3\xF7\x7F\x6F\x6E\x4C\x81\x61\x6E";
  EXPECT_EQ(Loaded(ebcdic).Outline,
            "t.xml\n\t<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n\t<a />\n");
  // ASCII-compatible encodings keep their bytes as they are.
  EXPECT_EQ(Loaded("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><a>\x82\xA0\\</a>").Saved,
            "<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\r\n<a>\x82\xA0\\</a>\r\n");
  // Bytes that do not decode, or a name iconv does not know: the message names both.
  TempDir dir;
  Recorder r;
  try {
    r.component.LoadFromFile(dir.Write(
        "bad.xml", "<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?>\n<a>\n\x1B$B\xFF\xFF</a>"));
    ADD_FAILURE() << "loaded";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find("ISO-2022-JP"), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("line 3"), std::string::npos) << e.Message();
  }
  SetACPOverride(0);
}

// Found by the differential fuzz target: a Unicode file's lines were trimmed inside
// instructions, values and preserved elements, and LF CR counted as one line break.
TEST(WellFormed, UnicodeFilesKeepTheBlanksAndBreaksThatAreData) {
  SetACPOverride(CP_UTF8);
  const RoundTrip r = Loaded(
      "\xEF\xBB\xBF<r a=\"x\r\n   y\">\r\n<?pi one\r\n   two?><!--a\n\r\r\rb-->"
      "<t xml:space=\"preserve\">\r\n  k  \r\n</t></r>");
  EXPECT_EQ(r.Saved,
            "<r a=\"x    y\">\r\n\t<?pi one\r\n   two?>\r\n\t<!--a\r\n\r\n\r\n\r\nb-->\r\n"
            "\t<t xml:space=\"preserve\">\r\n  k  \r\n</t>\r\n</r>\r\n");
  SetACPOverride(0);
}
