// Depth and size: nothing recursive, nothing quadratic.

#include <gtest/gtest.h>

#include "XmlTestUtil.h"

using namespace zel;
using namespace zel::test;

TEST(Scale, DeepDocumentParsesCountsAndFreesWithoutRecursion) {
  const int depth = 100000;
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<a>";
  text += "leaf";
  for (int i = 0; i < depth; ++i) text += "</a>";
  text += "\r\n";
  {
    TMorXMLTree doc;
    doc.ParseText(text);
    // <root>, an opening and a closing line per level, the leaf's text, </root>.
    EXPECT_EQ(CountXMLLines(doc), static_cast<size_t>(2 * depth + 3));
    const TMorXMLNode* n = &doc;
    int levels = 0;
    while (!n->Nodes.Empty()) n = n->Nodes.First(), ++levels;
    EXPECT_EQ(levels, depth);
    EXPECT_EQ(n->Value, "leaf");
  }
  // Writing is iterative too, and its indentation stops growing at level 256: the text stays
  // linear in the depth, and the lines that the load builds from keep their levels.
  const size_t d = 2000;
  std::string shallow;
  for (size_t i = 0; i < d; ++i) shallow += "<b>";
  shallow += "\r\n";
  TMorXMLTree doc;
  doc.ParseText(shallow);
  const std::vector<std::string> lines = OutputLines(doc);
  ASSERT_EQ(lines.size(), 2 * d + 1);
  EXPECT_EQ(lines[d], std::string(512, ' ') + "<b />");
  EXPECT_EQ(lines[d + 1], std::string(512, ' ') + "</b>");  // level 1999
  EXPECT_EQ(lines[256], std::string(512, ' ') + "<b>");
  EXPECT_EQ(lines[255], std::string(510, ' ') + "<b>");
  size_t indent = 0;
  for (size_t k = 1; k < d; ++k) indent += 2 * 2 * std::min<size_t>(k, 256);
  EXPECT_EQ(doc.GetXMLText().size(), 8 + 9 + (d - 1) * (5 + 6) + 7 + indent + 512);
  size_t deepest = 0;
  WalkXMLLines(doc, [&](size_t level, std::string_view) {
    deepest = std::max(deepest, level);
    return true;
  });
  EXPECT_EQ(deepest, d);
  EXPECT_EQ(NodeToText(doc.Nodes.First(), 0).substr(0, 8), "<b>\r\n  <");
}

// Timings are the benchmarks' business (bench/); this checks that a document of several
// megabytes goes through whole.
TEST(Scale, SeveralMegabytesParseAndWrite) {
  std::string text = "<?xml version=\"1.0\"?>\r\n<catalog>\r\n";
  for (int i = 0; text.size() < 3'000'000; ++i) {
    const std::string id = std::to_string(i);
    text += "  <book id=\"" + id + "\" lang='en'>\r\n    <title>Title number " + id +
            "</title>\r\n    <price>" + std::to_string(i % 97) + ".50</price>\r\n";
    if (i % 10 == 0) text += "    <!-- a comment about book " + id + " -->\r\n";
    text += "  </book>\r\n";
  }
  text += "</catalog>\r\n";
  TMorXMLTree doc;
  doc.ParseText(text);
  const std::string out = doc.GetXMLText();
  const size_t lines = CountXMLLines(doc);
  EXPECT_GT(out.size(), text.size());
  EXPECT_GT(lines, 100000u);
  EXPECT_EQ(doc.Nodes.First()->Name, "?xml");
}
