// Markup that a naive reader corrupts: comments, processing instructions and declarations,
// single-quoted values, '>' inside values, and text mixed with child elements.

#include <gtest/gtest.h>

#include "XmlTestUtil.h"

using namespace zel;
using namespace zel::test;
using V = std::vector<std::string>;

TEST(Comments, AreLeavesThatKeepTheirWords) {
  const std::string text = Crlf({"<a>", "  <!-- x > y -->", "  <b x=\"1\">t</b>", "</a>"});
  EXPECT_EQ(Tokens(text), (V{"OT:a", "CM: x > y ", "OT:b x=\"1\"", "TX:t", "CT:b", "CT:a"}));
  TMorXMLTree doc;
  doc.ParseText(text);
  TMorXMLNode* a = doc.Nodes[0];
  ASSERT_EQ(a->Nodes.Count(), 2);
  EXPECT_EQ(a->Nodes[0]->Kind, TMorXMLNodeKind::nkComment);
  EXPECT_TRUE(a->Nodes[0]->Nodes.Empty());
  EXPECT_EQ(a->Nodes[1]->Name, "b");
  EXPECT_EQ(Written(text),
            (V{"  <a>", "    <!-- x > y -->", "    <b x=\"1\">", "      t", "    </b>", "  </a>"}));
}

TEST(Comments, MultiLineCommentComesBackAsItWas) {
  const std::string text = Crlf({"<a><!-- one", "\ttwo", "three --><b/></a>"});
  EXPECT_EQ(Tokens(text)[1], "CM: one\\n \\t two\\n three ");
  EXPECT_EQ(Written(text),
            (V{"  <a>", "    <!-- one", "\ttwo", "three -->", "    <b />", "  </a>"}));
}

TEST(Comments, UnterminatedCommentRunsToTheEnd) {
  EXPECT_EQ(Tokens(Crlf({"<a/><!-- open", "<b/>"})), (V{"ET:a", "CM: open\\n <b/>\\n "}));
}

TEST(Instructions, AreLeavesWrittenBackUnchanged) {
  const std::string text = Crlf({
      "<?xml version=\"1.0\"?>",
      "<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>",
      "<!DOCTYPE a [",
      "  <!ENTITY e \"x>y\">",
      "]>",
      "<a/>",
  });
  EXPECT_EQ(Tokens(text),
            (V{"OT:?xml version=\"1.0\"?", "PI:?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?",
               "PI:!DOCTYPE a [   <!ENTITY e \"x>y\"> ]", "ET:a"}));
  TMorXMLTree doc;
  doc.ParseText(text);
  TMorXMLNode* xml = doc.Nodes[0];
  ASSERT_EQ(xml->Nodes.Count(), 3);  // the declaration still opens an element
  EXPECT_EQ(xml->Nodes[0]->Kind, TMorXMLNodeKind::nkInstruction);
  EXPECT_EQ(xml->Nodes[0]->Name, "?xml-stylesheet");
  EXPECT_EQ(xml->Nodes[1]->Name, "!DOCTYPE");
  EXPECT_EQ(xml->Nodes[2]->Name, "a");
  EXPECT_EQ(
      Written(text),
      (V{"  <?xml version=\"1.0\">", "    <?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>",
         "    <!DOCTYPE a [   <!ENTITY e \"x>y\"> ]>", "    <a />", "  </?xml>"}));
}

TEST(Instructions, OnlyTheTargetXmlOpensAnElement) {
  EXPECT_EQ(Tokens(Crlf({"<?xmlfoo a?><?xml?><a/>"})), (V{"PI:?xmlfoo a?", "OT:?xml?", "ET:a"}));
  EXPECT_EQ(Tokens(Crlf({"<!doctype html><p>"})), (V{"PI:!doctype html", "OT:p"}));
}

TEST(Attributes, SingleQuotedValues) {
  TMorXMLTree doc;
  doc.ParseText(Crlf({"<a x='1' y=\"2\" z='say \"hi\"'/>"}));
  TMorXMLNode* a = doc.Nodes[0];
  ASSERT_EQ(a->Attributes.Count(), 3);
  EXPECT_EQ(a->Attributes[0]->Value, "1");
  EXPECT_EQ(a->Attributes[1]->Name, "y");
  EXPECT_EQ(a->Attributes[1]->Value, "2");
  EXPECT_EQ(a->Attributes[2]->Value, "say \"hi\"");
  EXPECT_EQ(AttributeToText(a->Attributes[0]), " x=\"1\"");
  EXPECT_EQ(AttributeToText(a->Attributes[2]), " z='say \"hi\"'");
  EXPECT_EQ(NodeToText(a, 0), "<a x=\"1\" y=\"2\" z='say \"hi\"' />\r\n");
}

TEST(Attributes, GreaterThanInsideAQuotedValueDoesNotEndTheTag) {
  const std::string text = Crlf({"<xsl:if test=\"a > b\" t='>'>x</xsl:if>"});
  EXPECT_EQ(Tokens(text), (V{"OT:xsl:if test=\"a > b\" t='>'", "TX:x", "CT:xsl:if"}));
  TMorXMLTree doc;
  doc.ParseText(text);
  EXPECT_EQ(doc.Nodes[0]->Attributes[0]->Value, "a > b");
  // A quote that is no attribute value does not hide the '>'.
  EXPECT_EQ(Tokens(Crlf({"<a don't>x</a>"})), (V{"OT:a don't", "TX:x", "CT:a"}));
}

TEST(Text, MixedWithChildrenKeepsEverySegmentInOrder) {
  const std::string text = Crlf({"<a>one<b/>two<!--c-->three</a>"});
  TMorXMLTree doc;
  doc.ParseText(text);
  TMorXMLNode* a = doc.Nodes[0];
  EXPECT_EQ(a->Value, "");
  ASSERT_EQ(a->Nodes.Count(), 5);
  EXPECT_EQ(a->Nodes[0]->Kind, TMorXMLNodeKind::nkText);
  EXPECT_EQ(a->Nodes[0]->Value, "one");
  EXPECT_EQ(a->Nodes[2]->Value, "two");
  EXPECT_EQ(a->Nodes[4]->Value, "three");
  EXPECT_EQ(Written(text),
            (V{"  <a>", "    one", "    <b />", "    two", "    <!--c-->", "    three", "  </a>"}));
}

TEST(Text, LaterTextOfALeafIsAppended) {
  TMorXMLTree doc;
  doc.ParseText(Crlf({"<a>x<>y<>z</a>"}));
  EXPECT_EQ(doc.Nodes[0]->Value, "x y z");
  EXPECT_TRUE(doc.Nodes[0]->Nodes.Empty());
}

TEST(Text, CDataNextToTextBecomesTextChildren) {
  // Text that touches a section is one run with it, written as it was read.
  const std::string text = Crlf({"<a>x <![CDATA[ y ]]>z</a>", "<b><c/><![CDATA[z]]></b>"});
  EXPECT_EQ(Written(text), (V{"  <a>", "    x", "    <![CDATA[ y ]]>z", "  </a>", "  <b>",
                              "    <c />", "    <![CDATA[z]]>", "  </b>"}));
}

TEST(Text, TextAtTheDocumentLevelIsKeptBesideTheMarkup) {
  EXPECT_EQ(Written(Crlf({"before<a/>after"})), (V{"  before", "  <a />", "  after"}));
  // Without any markup the text stays the document's value, which is never written.
  TMorXMLTree doc;
  doc.ParseText(Crlf({"only text"}));
  EXPECT_EQ(doc.Value, "only text");
  EXPECT_TRUE(doc.GetXMLText().empty());
}
