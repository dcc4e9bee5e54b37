#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "XmlTestUtil.h"
#include "base/Exception.h"

using namespace zel;
using namespace zel::test;
using V = std::vector<std::string>;

TEST(StringConversions, CleanEscapeUnescapePosFrom) {
  EXPECT_EQ(CleanTagText("\t a\r\nb  c\t\r\n"), "a b  c");
  EXPECT_EQ(CleanTagText("a\rb"), "a\rb");  // only CR LF pairs are line breaks here
  EXPECT_EQ(EscapeCData(" a\r\n\tb "), " a\\n \\t b ");
  EXPECT_EQ(UnescapeCData(" a\\n \\t b "), " a\r\n\tb ");
  EXPECT_EQ(UnescapeCData("\\\\n x"), "\\n x");  // a doubled backslash is one of the text
  EXPECT_EQ(PosFrom("b", "abcb", 1), 2u);
  EXPECT_EQ(PosFrom("b", "abcb", 3), 4u);
  EXPECT_EQ(PosFrom("b", "abcb", 5), 0u);
  EXPECT_EQ(PosFrom("", "abc", 1), 0u);
  EXPECT_EQ(PosFrom("a", "", 1), 0u);
}

TEST(Reader, OddTags) {
  EXPECT_EQ(Tokens(Crlf({"<a><>x</a>"})), (V{"OT:a", "TX:x", "CT:a"}));
  EXPECT_EQ(Tokens(Crlf({"<a><![CDATA[x", "y"})), (V{"OT:a", "CD:x\\n y\\n "}));
  EXPECT_EQ(Tokens(Crlf({"<a><![cdata[x]]></a>"})), (V{"OT:a", "CD:x", "CT:a"}));
  EXPECT_EQ(Tokens(Crlf({"<br/><br />"})), (V{"ET:br", "ET:br"}));
  // The '<' that nothing closes goes; the texts around it stay together, as they read back.
  EXPECT_EQ(Tokens(Crlf({"<a>x < y"})), (V{"OT:a", "TX:x   y"}));
}

TEST(Reader, ExtraClosingTagsAreIgnored) {
  TMorXMLTree doc;
  doc.ParseText(Crlf({"<a/></x></y><b>t</b>"}));
  ASSERT_EQ(doc.Nodes.Count(), 2);
  EXPECT_EQ(doc.Nodes[1]->Name, "b");
  EXPECT_EQ(doc.Nodes[1]->Value, "t");
}

TEST(Writer, EmptyElementsEntitiesAndAttributes) {
  EXPECT_EQ(
      Written(Crlf({"<a></a>", "<br/>", "<c x=\"1\" y=\"2\"/>", "<d>&amp; > &lt;</d>"})),
      (V{"  <a />", "  <br />", "  <c x=\"1\" y=\"2\" />", "  <d>", "    &amp; > &lt;", "  </d>"}));
  TMorXMLTree doc;
  doc.ParseText(Crlf({"text only"}));
  EXPECT_EQ(doc.GetXMLText(), "");
}

// What follows the last attribute without being one is kept and written as it stands; only
// the '?' that ends the XML declaration goes.
TEST(Writer, TagTextThatIsNoAttributeIsKept) {
  EXPECT_EQ(Written(Crlf({"<r><option selected/><a x=\"1\"  b c ></a><d y=\"2></r>"})),
            (V{"  <r>", "    <option selected />", "    <a x=\"1\" b c />", "    <d y=\"2\" />",
               "  </r>"}));
  EXPECT_EQ(Written(Crlf({"<?xml version=\"1.0\" ?><?xml a=\"1\" sa ?>"})),
            (V{"  <?xml version=\"1.0\">", "    <?xml a=\"1\" sa ?>", "  </?xml>"}));
  TMorXMLTree doc;
  doc.ParseText(Crlf({"<a x='1' y>"}));
  const TMorXMLAttribute* x = doc.Nodes[0]->Attributes[0];
  EXPECT_EQ(x->Name, "x");
  EXPECT_EQ(doc.Nodes[0]->Attributes[1]->Name, kRawAttributeName);
  EXPECT_EQ(doc.Nodes[0]->Attributes[1]->Value, "y");
}

TEST(Reader, NoTokenFailsAfterClearing) {
  for (const std::string text : {"", "  \r\n\t\r\n"}) {
    TMorXMLTree doc;
    doc.ParseText(Crlf({"<a/>"}));
    try {
      doc.ParseText(text);
      FAIL() << "no failure";
    } catch (const EListError& e) {
      EXPECT_STREQ(e.what(), "List index out of bounds (0)");
    }
    EXPECT_TRUE(doc.Nodes.Empty());

    TMorXMLTree literal;
    ParseByTokens(literal, Crlf({"<a/>"}));
    EXPECT_THROW(ParseByTokens(literal, text), EListError);
    EXPECT_TRUE(literal.Nodes.Empty());
  }
}

TEST(Reader, LoadFromFile) {
  char path[] = "/tmp/zel_xml_testXXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  const std::string bytes("<a>\n<b>x\ry</b>\r\n</a>\0<c/>", 26);
  ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  close(fd);
  TMorXMLTree doc;
  doc.LoadFromFile(path);
  std::remove(path);
  EXPECT_EQ(OutputLines(doc),
            (V{"<root>", "  <a>", "    <b>", "      x y", "    </b>", "  </a>", "</root>"}));

  try {
    doc.LoadFromFile(path);
    FAIL() << "no failure";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()).rfind(std::string("Cannot open file \"") + path + "\".", 0),
              0u);
  }
  EXPECT_TRUE(doc.Nodes.Empty());
}

TEST(Nodes, EditingThroughTheApi) {
  TMorXMLTree doc;
  TMorXMLNode* a = doc.AddChild("a", "");
  a->AddAttribute("k", "a value longer than fifteen characters");
  TMorXMLNode* b = AddNodeFromTag(a, "b x=\"1\"", "v");
  b->Value = std::string(40, 'z');
  a->AddChild("", "some text", TMorXMLNodeKind::nkText);
  EXPECT_EQ(b->Document(), &doc);
  EXPECT_EQ(NodeToText(a, 1),
            "  <a k=\"a value longer than fifteen characters\">\r\n"
            "    <b x=\"1\">\r\n      " +
                std::string(40, 'z') + "\r\n    </b>\r\n    some text\r\n  </a>\r\n");
  a->ClearNodes();
  a->ClearAttributes();
  EXPECT_EQ(NodeToText(a, 0), "<a />\r\n");

  TMorXMLNode loose("x", nullptr, "");
  EXPECT_THROW(loose.AddChild("y", ""), Exception);
}

TEST(Strings, InlineBorrowedAndOwned) {
  TXmlString s = "short";
  TXmlString l = std::string(100, 'q');
  TXmlString copy = l;
  l = l.View().substr(50);  // assigning from itself
  EXPECT_EQ(l.size(), 50u);
  EXPECT_EQ(copy, std::string(100, 'q'));
  EXPECT_EQ(std::string(TXmlString(std::string(15, 'w')).c_str()), std::string(15, 'w'));
  s = std::move(copy);
  EXPECT_EQ(s.size(), 100u);
  EXPECT_TRUE(copy.empty());
}
