// The fused parse must agree with the literal token path, and the line emitter with
// splitting the written text, on tricky and on random documents.

#include <gtest/gtest.h>

#include <random>

#include "XmlTestUtil.h"
#include "base/Exception.h"

using namespace zel;
using namespace zel::test;

namespace {

// Every node with its kind, name, value and attributes, in document order.
std::string Dump(const TMorXMLNode& root) {
  std::string out;
  std::vector<std::pair<const TMorXMLNode*, int>> stack{{&root, 0}};
  while (!stack.empty()) {
    auto [n, depth] = stack.back();
    stack.pop_back();
    out += std::to_string(depth) + " " + std::to_string(static_cast<int>(n->Kind)) + " [" +
           n->Name.str() + "] " + std::to_string(n->ValueKind) + " [" + n->Value.str() + "]";
    for (const TMorXMLAttribute* a : n->Attributes) out += " " + a->Name + "=" + a->Value.str();
    out += "\n";
    std::vector<const TMorXMLNode*> kids(n->Nodes.begin(), n->Nodes.end());
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
      EXPECT_EQ((*it)->ParentNode, n);
      stack.push_back({*it, depth + 1});
    }
  }
  return out;
}

void ExpectLinesAgree(const TMorXMLTree& doc) {
  std::vector<std::string> emitted;
  ForEachXMLLine(doc, [&](std::string_view l) { emitted.emplace_back(l); });
  EXPECT_EQ(emitted, OutputLines(doc));
  EXPECT_EQ(CountXMLLines(doc), emitted.size());
}

void ExpectAgree(const std::string& text) {
  SCOPED_TRACE(text);
  TMorXMLTree fused, literal;
  bool fusedFailed = false, literalFailed = false;
  try {
    fused.ParseText(text);
  } catch (const EListError&) {
    fusedFailed = true;
  }
  try {
    ParseByTokens(literal, text);
  } catch (const EListError&) {
    literalFailed = true;
  }
  ASSERT_EQ(fusedFailed, literalFailed);
  EXPECT_EQ(Dump(fused), Dump(literal));
  EXPECT_EQ(fused.GetXMLText(), literal.GetXMLText());
  ExpectLinesAgree(fused);
}

std::string LineListText(const std::string& raw) {
  TStringList l;
  l.SetText(raw);
  return l.Text();
}

const char* const kFragments[] = {"<a>",
                                  "</a>",
                                  "<b x=\"1\">",
                                  "</b>",
                                  "<c/>",
                                  "<d y='2' z=\"3\"/>",
                                  "text",
                                  " more text ",
                                  "\r\n",
                                  "\t",
                                  "<![CDATA[",
                                  "]]>",
                                  "<![CDATA[x\r\n\ty]]>",
                                  "<!--",
                                  "-->",
                                  "<!-- c\r\n -->",
                                  "<?xml version=\"1.0\"?>",
                                  "<?pi data?>",
                                  "<!DOCTYPE r [<!ENTITY e \"v>\">]>",
                                  "<",
                                  ">",
                                  "<>",
                                  "</>",
                                  "\"",
                                  "'",
                                  "=",
                                  "&amp;",
                                  "<e t=\"a > b\">",
                                  "</e>",
                                  "\\n ",
                                  "\\t ",
                                  "]",
                                  "[",
                                  "<x:y\r\n  q=\"1\"\r\n>",
                                  "?>",
                                  "/>",
                                  "<f\tg=\"h\">",
                                  "</f>"};

}  // namespace

TEST(Agreement, TrickyDocuments) {
  const std::vector<std::string> docs = {
      "",
      "   ",
      "<a/>",
      "x",
      "<",
      ">",
      "<>",
      "</a>",
      "<![CDATA[",
      "<!--",
      "<?",
      "<!",
      "<?xml",
      "<a><![CDATA[open",
      "<a>one<b/>two<![CDATA[three]]><!--four-->five</a>",
      "<a>x<>y<![CDATA[z]]>w</a>",
      "<a x='1\" y=\"2'/>",
      "<a x=\"1 y='2'/>",
      "<!DOCTYPE [",
      "<!DOCTYPE a \"q>",
      "<?pi no end>",
      "<?pi no end at all",
      "<a\r\nb\r\n=\r\n\"c\"/>",
      "<r>\r\n\t<!-- a\r\n\tb -->\r\n</r>",
      "<a>&lt;\\n x</a>",
      "<a><b>x</b></a></a></a>text",
  };
  for (const auto& d : docs) ExpectAgree(LineListText(d));
}

TEST(Agreement, RandomDocuments) {
  std::mt19937 rng(20240601);
  const size_t nFragments = sizeof kFragments / sizeof kFragments[0];
  for (int round = 0; round < 400; ++round) {
    std::string raw;
    const int parts = static_cast<int>(rng() % 40);
    for (int i = 0; i < parts; ++i) raw += kFragments[rng() % nFragments];
    ExpectAgree(LineListText(raw));
  }
}

TEST(Agreement, LineEmitterSplitsOddValuesLikeTheLineList) {
  TMorXMLTree doc;
  doc.ParseText(Crlf({"<a/>"}));
  TMorXMLNode* a = doc.Nodes[0];
  const std::vector<std::string> values = {"lone\rcr", "lone\nlf", "lf\n\rcr",
                                           "end\r",    "\r\n",     "x\\n y"};
  for (const auto& v : values) a->AddChild("t", v);
  a->AddChild("", "cdata\\n \\t in text", TMorXMLNodeKind::nkText)->ValueKind = 1;
  a->AddChild("", "\r", TMorXMLNodeKind::nkComment);
  ExpectLinesAgree(doc);

  // A NUL ends the line list's text; lines after it are not there.
  a->AddChild("nul", std::string("be\0fore", 7));
  a->AddChild("after", "");
  ExpectLinesAgree(doc);
  EXPECT_EQ(OutputLines(doc).back(), "      be");
}
