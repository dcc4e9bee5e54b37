// An 8-bit text read with its own line ends gives the tokenizer what the text with its line
// ends made CR LF gives (tokens, places in the bytes, changed texts, progress asks), and the
// walk the outline the line maker and the rewrite give, over the fuzz seeds with their line ends
// changed, random broken documents and a large document.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "LineEndRoutes.h"
#include "RouteInputs.h"
#include "platform/CodePage.h"

using zeltest::TokensByLineEnds;

namespace {

void ExpectOneReading(const std::string& bytes, size_t stopAt = 0) {
  ASSERT_EQ(TokensByLineEnds(bytes, true, stopAt), TokensByLineEnds(bytes, false, stopAt)) << bytes;
}

// The bytes with every line end (CR LF, CR, LF) made `end`.
std::string WithLineEnds(const std::string& s, std::string_view end) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r' && s[i] != '\n') {
      out.push_back(s[i]);
      continue;
    }
    out.append(end);
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
  }
  return out;
}

}  // namespace

TEST(LineEndRoutes, TheFuzzSeedsReadTheSameWithAnyLineEnds) {
  // In both kinds of system code page: 8-bit, and UTF-8.
  for (const unsigned codePage : {1252u, 65001u}) {
    zel::SetACPOverride(codePage);
    size_t files = 0;
    for (const std::string& seed : zeltest::FuzzSeeds()) {
      std::string cut = seed;
      while (!cut.empty() && (cut.back() == '\r' || cut.back() == '\n')) cut.pop_back();
      for (const std::string& bytes : {seed, WithLineEnds(seed, "\n"), WithLineEnds(seed, "\r"),
                                       WithLineEnds(seed, "\r\n"), cut})
        ExpectOneReading(bytes);
      if (HasFatalFailure()) break;
      ++files;
    }
    zel::SetACPOverride(0);
    EXPECT_GT(files, 50u);
    if (HasFatalFailure()) return;
  }
}

TEST(LineEndRoutes, RandomBrokenDocumentsReadTheSameWithAnyLineEnds) {
  // Markup of every kind, broken where a line end counts: in values, declarations' literals,
  // sections, instructions, whitespace kept as data, texts, and at the very end.
  const std::vector<std::string> pieces = {"<a",
                                           "<b x=\"1\"",
                                           " y='2\n3'",
                                           "\"",
                                           "'",
                                           "=",
                                           ">",
                                           "/>",
                                           "</a>",
                                           "</b>",
                                           "< /b>",
                                           "<?xml version=\"1.0\"?>",
                                           "<?pi x",
                                           "?>",
                                           "<!--c",
                                           "-->",
                                           "<![CDATA[",
                                           "]]>",
                                           "<!DOCTYPE r [<!ENTITY e 'v\rw'>]>",
                                           "<!DOCTYPE s 'a",
                                           " xml:space=\"preserve\"",
                                           "text",
                                           " ",
                                           "\r\n",
                                           "\n",
                                           "\r",
                                           "\n\r",
                                           "\r\r\n",
                                           "\t",
                                           "\\",
                                           "\\n ",
                                           "<",
                                           "< a>",
                                           "<!x>",
                                           "<>",
                                           "<c z=\"a\nb\">"};
  std::mt19937 random(11);
  for (int doc = 0; doc < 4000; ++doc) {
    ExpectOneReading(zeltest::RandomPieces(random, pieces));
    if (HasFatalFailure()) return;
  }
}

TEST(LineEndRoutes, ALargeDocumentAsksTheProgressAsOftenAndStopsAlike) {
  // Past several 4 MB marks, lines ended every way; the last line has no end.
  std::string text = "<list>\n";
  for (int i = 0; text.size() < (size_t{13} << 20); ++i)
    text += "<item n=\"" + std::to_string(i) + "\">x\ny</item>" + (i % 3 ? "\n" : "\r");
  text += "</list>";
  ExpectOneReading(text);
  ExpectOneReading(text, 2);
}
