#include <gtest/gtest.h>

#include "XmlTestUtil.h"
#include "base/Stream.h"

using namespace zel;
using namespace zel::test;
using V = std::vector<std::string>;

namespace {

const std::string kBooks = Crlf({
    R"(<?xml version="1.0"?>)",
    "<catalog>",
    R"(  <book id="1">)",
    "    <title>XML Basics</title>",
    "    <price>10</price>",
    "  </book>",
    "  <note/>",
    "</catalog>",
});

}  // namespace

TEST(WorkedExamples, BooksTokens) {
  EXPECT_EQ(Tokens(kBooks), (V{R"(OT:?xml version="1.0"?)", "OT:catalog", R"(OT:book id="1")",
                               "OT:title", "TX:XML Basics", "CT:title", "OT:price", "TX:10",
                               "CT:price", "CT:book", "ET:note", "CT:catalog"}));
}

TEST(WorkedExamples, BooksTreeBothWays) {
  for (int fused = 0; fused < 2; ++fused) {
    TMorXMLTree doc;
    if (fused)
      doc.ParseText(kBooks);
    else
      ParseByTokens(doc, kBooks);
    EXPECT_EQ(doc.Name, "root");
    ASSERT_EQ(doc.Nodes.Count(), 1);
    TMorXMLNode* xml = doc.Nodes[0];
    EXPECT_EQ(xml->Name, "?xml");
    ASSERT_EQ(xml->Attributes.Count(), 1);
    EXPECT_EQ(xml->Attributes[0]->Name, "version");
    EXPECT_EQ(xml->Attributes[0]->Value, "1.0");
    ASSERT_EQ(xml->Nodes.Count(), 1);
    TMorXMLNode* catalog = xml->Nodes[0];
    EXPECT_EQ(catalog->Name, "catalog");
    EXPECT_EQ(catalog->ParentNode, xml);
    ASSERT_EQ(catalog->Nodes.Count(), 2);
    TMorXMLNode* book = catalog->Nodes[0];
    EXPECT_EQ(book->Name, "book");
    EXPECT_EQ(book->Attributes[0]->Name, "id");
    EXPECT_EQ(book->Attributes[0]->Value, "1");
    ASSERT_EQ(book->Nodes.Count(), 2);
    EXPECT_EQ(book->Nodes[0]->Name, "title");
    EXPECT_EQ(book->Nodes[0]->Value, "XML Basics");
    EXPECT_EQ(book->Nodes[0]->ValueKind, 0);
    EXPECT_EQ(book->Nodes[1]->Name, "price");
    EXPECT_EQ(book->Nodes[1]->Value, "10");
    EXPECT_EQ(catalog->Nodes[1]->Name, "note");
    EXPECT_TRUE(catalog->Nodes[1]->Nodes.Empty());
  }
}

TEST(WorkedExamples, BooksIndentedText) {
  TMorXMLTree doc;
  doc.ParseText(kBooks);
  const std::string expected = Crlf({
      "<root>",
      R"(  <?xml version="1.0">)",
      "    <catalog>",
      R"(      <book id="1">)",
      "        <title>",
      "          XML Basics",
      "        </title>",
      "        <price>",
      "          10",
      "        </price>",
      "      </book>",
      "      <note />",
      "    </catalog>",
      "  </?xml>",
      "</root>",
  });
  EXPECT_EQ(doc.GetXMLText(), expected);

  TMemoryStream stream;
  doc.SaveToStream(stream);
  EXPECT_EQ(stream.Data(), expected);
  EXPECT_EQ(doc.Lines.Count(), 15);
}

TEST(WorkedExamples, CData) {
  const std::string text = Crlf({"<code><![CDATA[a<b]]></code>"});
  EXPECT_EQ(Tokens(text), (V{"OT:code", "CD:a<b", "CT:code"}));
  TMorXMLTree doc;
  doc.ParseText(text);
  EXPECT_EQ(doc.Nodes[0]->ValueKind, 1);
  EXPECT_EQ(doc.GetXMLText(),
            Crlf({"<root>", "  <code>", "    <![CDATA[a<b]]>", "  </code>", "</root>"}));
}

TEST(WorkedExamples, MultiLineCDataKeepsItsBreaksAndTabs) {
  const std::string text = Crlf({"<c><![CDATA[x", "\ty]]></c>"});
  EXPECT_EQ(Tokens(text), (V{"OT:c", "CD:x\\n \\t y", "CT:c"}));
  EXPECT_EQ(Written(text), (V{"  <c>", "    <![CDATA[x", "\ty]]>", "  </c>"}));
}
