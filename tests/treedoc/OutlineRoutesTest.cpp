// The rewrite's short way for tag lines gives what reading each line whole gives, and the walk
// what the line maker and the rewrite give, over the fuzz seeds and random broken documents.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "OutlineRoutes.h"
#include "RouteInputs.h"

using zeltest::OutlineByRoute;

namespace {

void ExpectOneOutline(const std::string& text) {
  ASSERT_EQ(OutlineByRoute(text, true), OutlineByRoute(text, false)) << text;
  for (const bool places : {true, false})
    ASSERT_EQ(zeltest::OutlineByWalk(text, true, places),
              zeltest::OutlineByWalk(text, false, places))
        << text;
}

}  // namespace

TEST(OutlineRoutes, TheFuzzSeedsReadTheSameBothWays) {
  size_t files = 0;
  for (const std::string& seed : zeltest::FuzzSeeds()) {
    ExpectOneOutline(seed);
    ++files;
  }
  EXPECT_GT(files, 50u);
}

TEST(OutlineRoutes, RandomBrokenDocumentsReadTheSameBothWays) {
  // Pieces of markup that break where a tag line could be mistaken: names, quotes and values
  // of both kinds, sections, declarations, whitespace kept as data, marks, stray '<'.
  const std::vector<std::string> pieces = {"<a",
                                           "<b x=\"1\"",
                                           " y='2\"'",
                                           "\"",
                                           "'",
                                           "=",
                                           ">",
                                           "/>",
                                           " />",
                                           "</a>",
                                           "</b>",
                                           "</c >",
                                           "<?xml version=\"1.0\"?>",
                                           "<?xml",
                                           "<?pi x?>",
                                           "<!--c-->",
                                           "<![CDATA[d]]>",
                                           "]]>",
                                           "<!DOCTYPE r [<!ENTITY e 'v'>]>",
                                           " xml:space=\"preserve\"",
                                           "text",
                                           " ",
                                           "\r\n",
                                           "\t",
                                           "\\n ",
                                           "&amp;",
                                           "<",
                                           "< a>",
                                           "<!x>",
                                           "?",
                                           "!",
                                           "/",
                                           "<c z=\"a'b\" w='c\"d'>",
                                           "<>",
                                           "<a>",
                                           "<b y=\"2\">",
                                           "<e/>",
                                           "</e>",
                                           "<d x='q'/>",
                                           " k='v'",
                                           "<g a =\"1\" b= 'x'  c='y:z'>"};
  std::mt19937 random(7);
  for (int doc = 0; doc < 4000; ++doc) {
    ExpectOneOutline(zeltest::RandomPieces(random, pieces));
    if (HasFatalFailure()) return;
  }
}

TEST(OutlineRoutes, TheReplayedPercentagesArePercentOf) {
  // Every pair of small counts (ties included), then random ones up to a billion lines.
  for (size_t whole = 0; whole <= 1500; ++whole)
    for (size_t part = 0; part <= 1500; ++part)
      ASSERT_EQ(zel::TrailPercent(part, whole), zel::PercentOf(part, whole))
          << part << "/" << whole;
  std::mt19937_64 random(3);
  for (int i = 0; i < 1000000; ++i) {
    const size_t whole = random() % 1000000000, part = random() % (whole + 1);
    ASSERT_EQ(zel::TrailPercent(part, whole), zel::PercentOf(part, whole)) << part << "/" << whole;
  }
}

TEST(OutlineRoutes, AReplayGivesTrailPercentAtEveryPercentageDue) {
  // Random trails, few lines left or many, against the counts taken at each step; the last
  // ones long enough to fill several of the trail's chunks.
  std::mt19937_64 random(11);
  for (int trail = 0; trail < 3003; ++trail) {
    const bool longOne = trail >= 3000;
    const size_t steps = longOne ? 300000 : random() % 400;
    const size_t lineCount = longOne ? 200000 : random() % 300;
    zel::TProgressTrail t;
    std::vector<uint16_t> expected;
    size_t nodes = 0, left = lineCount;
    for (size_t i = 0; i < steps; ++i) {
      const unsigned kind = random() % 3;
      if (kind == 0) t.Node(), ++nodes;
      if (kind == 1 && left > 0) t.Drop(), --left;
      if (kind == 2) t.Pass(), expected.push_back(zel::TrailPercent(nodes, left));
    }
    std::vector<uint16_t> replayed;
    t.Replay(lineCount, [&](uint16_t percent) {
      replayed.push_back(percent);
      return true;
    });
    ASSERT_EQ(replayed, expected) << "trail " << trail;
  }
}
