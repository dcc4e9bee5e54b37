// Input an attacker or a broken file would give: tags that only look like closing tags,
// markup that never ends, declarations with awkward subsets.

#include <gtest/gtest.h>

#include <string>

#include "XmlTestUtil.h"
#include "xml/internal/Tokenizer.h"

using namespace zel;
using namespace zel::test;
using V = std::vector<std::string>;

namespace {

// The characters the tokenizer's scans read for text, per character of the text; asRead: its
// line ends are a file's own (CR, LF or CR LF).
double ReadPerChar(const std::string& text, bool asRead = false) {
  const size_t read = Tokenize(
      text, [](TXmlToken, std::string_view) {}, nullptr, nullptr, asRead);
  return static_cast<double>(read) / static_cast<double>(text.size());
}

std::string Repeat(const std::string& piece, size_t times) {
  std::string s;
  s.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) s += piece;
  return s;
}

}  // namespace

TEST(Hostile, TagsAreToldApartOnTheirCleanedText) {
  // A blank before the slash made this a start tag named "/i" whose line looked like a
  // closing line.
  EXPECT_EQ(Tokens("< /i>x"), (V{"CT:i", "TX:x"}));
  EXPECT_EQ(Tokens("<a / >"), (V{"ET:a"}));
  EXPECT_EQ(Tokens("<\t/b\r\n>"), (V{"CT:b"}));
  EXPECT_EQ(Tokens("< >"), V{});
  // The fuzzed bytes of the same fault.
  EXPECT_EQ(Tokens("\xBF<\x15/i>I"), (V{"TX:\xBF", "CT:i", "TX:I"}));
}

TEST(Hostile, BlanksAfterTheLtDoNotHideTheMarkupKind) {
  // Each is read as the markup it becomes once its blanks are dropped, so that the saved
  // text reads back the same.
  EXPECT_EQ(Tokens("\xBF<\x15?i>I"), (V{"TX:\xBF", "PI:?i?", "TX:I"}));
  EXPECT_EQ(Tokens("< ?p a>b?>"), (V{"PI:?p a>b?"}));
  EXPECT_EQ(Tokens("<\n!-- c -->x"), (V{"CM: c ", "TX:x"}));
  EXPECT_EQ(Tokens("<\t![CDATA[<a>]]>"), (V{"CD:<a>"}));
  EXPECT_EQ(Tokens("< !DOCTYPE x [<!ENTITY e 'a>b'>]>"), (V{"PI:!DOCTYPE x [<!ENTITY e 'a>b'>]"}));
  // The XML declaration stays on the tag path, as it is without the blank.
  EXPECT_EQ(Tokens("< ?xml version=\"1.0\"?>"), Tokens("<?xml version=\"1.0\"?>"));
  // Blanks up to the end of the text: the '<' is dropped.
  EXPECT_EQ(Tokens("a< \x01"), (V{"TX:a"}));
}

TEST(Hostile, UnterminatedMarkupIsReadOnce) {
  const size_t n = 200000;
  for (const std::string& piece :
       {std::string("<"), std::string("<?"), std::string("<?x "), std::string("<!"),
        std::string("<!x '"), std::string("<!x ["), std::string("<!x [<!--"),
        std::string("<!x [<?"), std::string("<a b='"), std::string("<a b=\">\" "),
        std::string("<![CDATA["), std::string("<!--"), std::string("]]>-->?>")}) {
    EXPECT_LT(ReadPerChar(Repeat(piece, n)), 6.0) << piece;
    EXPECT_LT(ReadPerChar(Repeat(piece, n) + ">"), 6.0) << piece;
    EXPECT_LT(ReadPerChar(">" + Repeat(piece, n) + "'\"]"), 6.0) << piece;
  }
}

TEST(Hostile, LiteralsOnLinesEndedByALoneCrAreReadOnce) {
  // Each literal of a declaration ends on its line: the search for the line's end must not
  // read on to the one LF at the very end again for every literal.
  const std::string literals = Repeat("'a'\r", 200000);
  EXPECT_LT(ReadPerChar("<!x " + literals + ">\n", true), 6.0);
  EXPECT_LT(ReadPerChar("<!x " + literals + "<\n", true), 6.0);
}

TEST(Hostile, UnterminatedMarkupKeepsItsRules) {
  // A '<' without any '>' after it is dropped, the texts around it stay as one text: saved
  // and read back, they would be one.
  EXPECT_EQ(Tokens("<a>x < y"), (V{"OT:a", "TX:x   y"}));
  EXPECT_EQ(Tokens("<a>x </a- <"), (V{"OT:a", "TX:x  /a-"}));
  EXPECT_EQ(Tokens("x < y <!-- c"), (V{"TX:x   y", "CM: c\\n "}));
  // An unclosed value falls back to the first '>' after its quote, and is closed there.
  EXPECT_EQ(Tokens("<a b='x>y"), (V{"OT:a b='x'", "TX:y"}));
  // A tag whose every '>' is quoted ends at its first '>'.
  EXPECT_EQ(Tokens("<a b=\">\""), (V{"OT:a b=\"\"", "TX:\""}));
  // A processing instruction without "?>" ends at its first '>', and is closed there.
  EXPECT_EQ(Tokens("<?p a>b"), (V{"PI:?p a?", "TX:b"}));
  // An unterminated section runs to the end.
  EXPECT_EQ(Tokens("<!-- a <b>"), (V{"CM: a <b>\\n "}));
}

TEST(Hostile, DeclarationSubsetsAreReadWhole) {
  // An apostrophe in a comment of the subset does not open a quote; the "]>" is kept.
  EXPECT_EQ(Tokens("<!DOCTYPE x [ <!-- it's --> <!ELEMENT x ANY> ]><x/>"),
            (V{"PI:!DOCTYPE x [ <!-- it's --> <!ELEMENT x ANY> ]", "ET:x"}));
  // '>' inside a processing instruction, a comment or a quoted value of the subset.
  EXPECT_EQ(Tokens("<!DOCTYPE x [<?p a>b?><!-- > --><!ENTITY e 'a>b'>]><x/>"),
            (V{"PI:!DOCTYPE x [<?p a>b?><!-- > --><!ENTITY e 'a>b'>]", "ET:x"}));
  // Quotes of the declaration itself count too.
  EXPECT_EQ(Tokens("<!DOCTYPE x SYSTEM \"a>b\"><x/>"), (V{"PI:!DOCTYPE x SYSTEM \"a>b\"", "ET:x"}));
  // A subset that never closes ends at the first '>', and is closed there, so that what a
  // save writes after it cannot close it further on.
  EXPECT_EQ(Tokens("<!DOCTYPE x [<!ELEMENT x ANY><x/>"),
            (V{"PI:!DOCTYPE x [<!ELEMENT x ANY>]", "ET:x"}));
  // An entity value may hold markup.
  EXPECT_EQ(Tokens("<!DOCTYPE x [<!ENTITY e \"<b>x</b>\">]><x/>"),
            (V{"PI:!DOCTYPE x [<!ENTITY e \"<b>x</b>\">]", "ET:x"}));
}

// Broken markup is decided by what stands near it, never by a quote, "]>" or "-->" far
// behind: a save adds those (closing tags, a section's end), and the saved file must read
// back as the first one did.
TEST(Hostile, UnclosedMarkupDoesNotReachFarAhead) {
  // An attribute value ends before the next '<': no value holds one, and an open one is
  // closed there, so that a save cannot let it run on.
  EXPECT_EQ(Tokens("<a b=\"1><c/></a b=\"1>"), (V{"OT:a b=\"1\"", "ET:c", "CT:a b=\"1"}));
  EXPECT_EQ(Tokens("<a b=\"x<y\">"), (V{"OT:a b=\"x<y\""}));
  // A value runs over lines and '>'s to its closing quote, as the XML grammar reads it.
  EXPECT_EQ(Tokens("<a x=\"1\r\n>2\"/>"), (V{"ET:a x=\"1 >2\""}));
  EXPECT_EQ(Tokens("<p d=\"M 0\r\nL 1\"/>"), (V{"ET:p d=\"M 0 L 1\""}));
  // A broken tag ends at its first '>', also one inside a value that closed.
  EXPECT_EQ(Tokens("<a x=\">\" <b y=\"1\">"), (V{"OT:a x=\"\"", "TX:\"", "OT:b y=\"1\""}));
  EXPECT_EQ(Tokens("<a x=\">\" y=\"1><b/>"), (V{"OT:a x=\"\"", "TX:\" y=\"1>", "ET:b"}));
  // A tag, closing tag or section in a subset: the subset never closed.
  EXPECT_EQ(Tokens("<!DOCTYPE x [<!-- c --><r>t</r>]>"),
            (V{"PI:!DOCTYPE x [<!-- c -->]", "OT:r", "TX:t", "CT:r", "TX:]>"}));
  EXPECT_EQ(Tokens("<!DOCTYPE x [<![CDATA[]]>"), (V{"PI:!DOCTYPE x [<![CDATA[]]"}));
  // So does text; blanks and parameter-entity references are all that may stand between the
  // subset's markup.
  EXPECT_EQ(Tokens("<!DOCTYPE x [ <!-- c --> t ]><x/>"),
            (V{"PI:!DOCTYPE x [ <!-- c -->]", "TX:t ]>", "ET:x"}));
  // A comment in a subset may hold "</" (it is well-formed); where the subset fails anyway,
  // the declaration ends at its first '>' and what follows is read as markup, as before.
  EXPECT_EQ(Tokens("<!DOCTYPE x [ <!-- c> </c --> ]><x/>"),
            (V{"PI:!DOCTYPE x [ <!-- c> </c --> ]", "ET:x"}));
  EXPECT_EQ(Tokens("<!DOCTYPE x [ <!-- c> </c --> t ]><x/>"),
            (V{"PI:!DOCTYPE x [ <!-- c>-->]", "CT:c --", "TX:t ]>", "ET:x"}));
  // Tags in a subset are skipped, as the load may drop them.
  EXPECT_EQ(Tokens("<!DOCTYPE x [ </q> <> <!-- c --> ]><x/>"),
            (V{"PI:!DOCTYPE x [ </q> <> <!-- c --> ]", "ET:x"}));
  // An instruction in the subset ends at its first "?>", whatever stands before it.
  EXPECT_EQ(Tokens("<!DOCTYPE x [<?p a> <!ENTITY e \"?>]>\">]><x/>"),
            (V{"PI:!DOCTYPE x [<?p a> <!ENTITY e \"?>]", "TX:\">]>", "ET:x"}));
  EXPECT_EQ(Tokens("<!DOCTYPE x [\r\n %ents; <!-- c --> %h.1;]><x/>"),
            (V{"PI:!DOCTYPE x [  %ents; <!-- c --> %h.1;]", "ET:x"}));
  // An instruction ends at its first "?>", '<' and '>' before it or not.
  EXPECT_EQ(Tokens("<?p a<b>c?>"), (V{"PI:?p a<b>c?"}));
  EXPECT_EQ(Tokens("<?p a < b ?>"), (V{"PI:?p a < b ?"}));
  // So does a '<' in the declaration outside its subset, and a literal of the declaration
  // that a '<' comes before the closing quote.
  EXPECT_EQ(Tokens("<!DOCTYPE x <r a=\">\">"), (V{"PI:!DOCTYPE x <r a=\"", "TX:\">"}));
  EXPECT_EQ(Tokens("<!DOCTYPE x SYSTEM \"a\r\n>b\"><x/>"),
            (V{"PI:!DOCTYPE x SYSTEM \"a", "TX:b\">", "ET:x"}));
  EXPECT_EQ(Tokens("<!DOCTYPE x SYSTEM \"a><r a=\"1\"/>"),
            (V{"PI:!DOCTYPE x SYSTEM \"a", "ET:r a=\"1\""}));
}

TEST(Hostile, NothingAtTheDocumentLevelIsLost) {
  // What a declaration cut too early left behind was dropped: "]>" came back as nothing.
  EXPECT_EQ(Written(Crlf({"<!DOCTYPE x [ <!-- it's --> ]>", "<x/>", "tail"})),
            (V{"  <!DOCTYPE x [ <!-- it's --> ]>", "  <x />", "  tail"}));
}

TEST(SectionMarks, EveryTextComesBackExactly) {
  for (const std::string& s :
       {std::string("printf(\"a\\n b\");"), std::string("\\t \\\\n \\\r\n\\"),
        std::string("C:\\dir\\new"), std::string("a\r\n\tb\\"), std::string("\\\\\\"),
        std::string("x\\\\\r\ny"), std::string("\\n"), std::string("")}) {
    EXPECT_EQ(UnescapeCData(EscapeCData(s)), s) << s;
  }
  // Backslashes that cannot be taken for a mark stay as they are.
  EXPECT_EQ(EscapeCData("C:\\dir\\x"), "C:\\dir\\x");
  EXPECT_EQ(EscapeCData("a\\n b"), "a\\\\n b");
  EXPECT_EQ(EscapeCData("a\\\r\n"), "a\\\\\\n ");
}

TEST(SectionMarks, RandomTextsComeBackExactly) {
  const char alphabet[] = {'\\', 'n', 't', ' ', '\r', '\n', '\t', 'x'};
  uint32_t seed = 12345;
  for (int round = 0; round < 2000; ++round) {
    std::string s;
    for (int i = round % 13; i > 0; --i) {
      seed = seed * 1103515245u + 12345u;
      s.push_back(alphabet[(seed >> 16) % sizeof alphabet]);
    }
    ASSERT_EQ(UnescapeCData(EscapeCData(s)), s) << round;
  }
}

TEST(SectionMarks, SectionsWithBackslashesSurviveTheWriter) {
  EXPECT_EQ(Written(Crlf({"<s><![CDATA[printf(\"a\\n b\");]]></s>"})),
            (V{"  <s>", "    <![CDATA[printf(\"a\\n b\");]]>", "  </s>"}));
  EXPECT_EQ(Written(Crlf({"<!-- a\\t b -->"})), (V{"  <!-- a\\t b -->"}));
}

TEST(LineWalk, LevelsAsNumbersAndASinkThatStops) {
  TMorXMLTree doc;
  doc.ParseText(Crlf({"<a><b>t</b><!-- x", "  y --></a>"}));
  std::vector<std::pair<size_t, std::string>> lines;
  EXPECT_TRUE(WalkXMLLines(doc, [&](size_t level, std::string_view text) {
    lines.emplace_back(level, std::string(text));
    return true;
  }));
  const std::vector<std::pair<size_t, std::string>> expected = {
      {0, "<root>"}, {1, "<a>"},     {2, "<b>"},  {3, "t"},      {2, "</b>"},
      {2, "<!-- x"}, {0, "  y -->"}, {1, "</a>"}, {0, "</root>"}};
  EXPECT_EQ(lines, expected);

  size_t calls = 0;
  EXPECT_FALSE(WalkXMLLines(doc, [&](size_t, std::string_view) { return ++calls < 3; }));
  EXPECT_EQ(calls, 3u);
}

TEST(LineWalk, DepthCostsNothingPerLine) {
  const size_t depth = 200000;
  std::string text;
  for (size_t i = 0; i < depth; ++i) text += "<a>";
  TMorXMLTree doc;
  doc.ParseText(text);
  size_t chars = 0, deepest = 0;
  WalkXMLLines(doc, [&](size_t level, std::string_view line) {
    chars += line.size();
    deepest = std::max(deepest, level);
    return true;
  });
  EXPECT_EQ(deepest, depth);
  EXPECT_LT(chars, 10 * depth);  // as spaces, the indentation alone would be depth squared
}
