#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/Exception.h"
#include "editor/XPath.h"
#include "tests/outline/TreeViewTestUtil.h"

namespace zel {
namespace {

using test::LoadOutline;
using V = std::vector<int>;

V Indexes(const TTreeView& tree, const std::string& expression, const TXPathOptions& options = {}) {
  const TXPathResult result = EvaluateXPath(tree, expression, options);
  EXPECT_TRUE(result.IsNodeSet) << expression;
  V indexes;
  for (const TFoundNode& f : result.Nodes) {
    EXPECT_EQ(f.Index, f.Node->AbsoluteIndex());
    indexes.push_back(f.Index);
  }
  return indexes;
}

std::string Value(const TTreeView& tree, const std::string& expression) {
  const TXPathResult result = EvaluateXPath(tree, expression);
  EXPECT_FALSE(result.IsNodeSet) << expression;
  return result.Value;
}

std::string Failure(const TTreeView& tree, const std::string& expression) {
  try {
    EvaluateXPath(tree, expression);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "no failure";
}

class XPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadOutline(tree,
                "books.xml\n <?xml version=\"1.0\" ?>\n <catalog>\n  <book id=\"1\">\n"
                "   <title>XML</title>\n   <price>40</price>\n  <!-- one\\n two -->\n"
                "  <book id=\"2\">\n   <title>Basics</title>\n   <?pi x?>\n   text\n"
                "   <![CDATA[x]]>\n   <price>20</price>\n  <note />\n");
  }
  TTreeView tree;
};

TEST_F(XPathTest, SelectedNodesAreTheOutlineNodesThatShowThem) {
  EXPECT_EQ(Indexes(tree, "//book"), (V{3, 7}));
  EXPECT_EQ(Indexes(tree, "//book[price > 30]/title"), V{4});
  EXPECT_EQ(Indexes(tree, "//@id"), (V{3, 7})) << "an attribute: its element";
  EXPECT_EQ(Indexes(tree, "//title/text()"), (V{4, 8})) << "a one-line element's text";
  EXPECT_EQ(Indexes(tree, "//book[2]/text()"), (V{10, 11})) << "no node for indentation";
  EXPECT_EQ(Indexes(tree, "//book[2]/text()[2]"), V{11});
  EXPECT_EQ(Indexes(tree, "/catalog/node()[2]"), V{6});
  EXPECT_EQ(Indexes(tree, "//comment() | //processing-instruction()"), (V{6, 9}))
      << "a comment of two lines";
  EXPECT_EQ(Indexes(tree, "//title | //book | //book/@id"), (V{3, 4, 7, 8}))
      << "each node once, in document order";
  EXPECT_EQ(Indexes(tree, "/"), V{0}) << "the document: the file's node";
  EXPECT_EQ(Indexes(tree, "//book[last()]/*[position() > 1]"), V{12});
  EXPECT_EQ(Indexes(tree, "//nothing"), V{});

  EXPECT_EQ(Value(tree, "count(//book)"), "2");
  EXPECT_EQ(Value(tree, "sum(//price) div 3"), "20");
  EXPECT_EQ(Value(tree, "1 div 4"), "0.25");
  EXPECT_EQ(Value(tree, "string(//book[2]/title)"), "Basics");
  EXPECT_EQ(Value(tree, "//price > 30"), "true");
  EXPECT_EQ(Value(tree, "boolean(//nothing)"), "false");
}

TEST_F(XPathTest, NamespacesByTheDocumentsPrefixesAndTheDefaultThroughOne) {
  LoadOutline(tree,
              "n.xml\n <r xmlns=\"urn:default\" xmlns:a=\"urn:a\">\n  <item>1</item>\n"
              "  <a:item>2</a:item>\n  <s xmlns:a=\"urn:other\">\n   <a:item>3</a:item>\n");
  EXPECT_EQ(Indexes(tree, "//d:item"), V{2});
  EXPECT_EQ(Indexes(tree, "//item"), V{}) << "an unprefixed name is in no namespace";
  EXPECT_EQ(Indexes(tree, "//a:item"), V{3}) << "a prefix declared again keeps its first";
  EXPECT_EQ(Indexes(tree, "//*[local-name() = 'item']"), (V{2, 3, 5}));
  EXPECT_EQ(Indexes(tree, "//own:item", {"own"}), V{2});
  EXPECT_THAT(Failure(tree, "//q:item"), ::testing::HasSubstr("Undefined namespace prefix"));
}

TEST_F(XPathTest, FailuresSayWhatAndWhere) {
  EXPECT_EQ(Failure(tree, "//book["),
            "Invalid XPath expression \"//book[\": Invalid expression at position 8");
  EXPECT_THAT(Failure(tree, "nosuch(1)"), ::testing::HasSubstr("Unregistered function"));
  LoadOutline(tree, "bad.xml\n <a>\n  <b></c>\n  <d/>\n");
  EXPECT_THAT(Failure(tree, "//a"),
              ::testing::StartsWith("The document is not well-formed at node 2 (\"<b></c>\"): "
                                    "Opening and ending tag mismatch"));
  LoadOutline(tree,
              "bad.xml\n <!DOCTYPE a SYSTEM \"/etc/passwd\" [<!ENTITY e SYSTEM "
              "\"/etc/hostname\">]>\n <a>&e;</a>\n");
  EXPECT_EQ(Value(tree, "string(/a)"), "") << "no file is read";
}

TEST_F(XPathTest, CancelEndsALongQueryAtOnceAndLeavesNoProcess) {
  std::string outline = "big.xml\n <r>\n";
  for (int i = 0; i < 20000; ++i) outline += "  <e>x</e>\n";
  LoadOutline(tree, outline);
  TXPathJob job(tree, "count(//e[count(following::e) = count(preceding::e)])");
  EXPECT_FALSE(job.Wait(50));
  // How soon a Cancel returns is measured in bench_editor_xpath: here, that it ends the job.
  job.Cancel();
  EXPECT_TRUE(job.Finished());
  // Then no child at all, not even one to reap (looked at without reaping it). The bound only
  // keeps a broken reap from hanging the suite; a busy machine stays far inside it.
  siginfo_t info{};
  int left = 0;
  for (int i = 0; i < 6000 && (left = ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT)) == 0;
       ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(left, -1);
  EXPECT_EQ(errno, ECHILD);
  EXPECT_THROW(job.Result(), Exception);
}

// A document of same-named siblings, texts parted by sections and entity references,
// comments, instructions, sections, prefixed names, default namespaces declared, changed and
// taken back, a prefix declared again for another namespace, its root's name not in ASCII,
// where every node the path of Copy XPath names is the one node the path selects, and the
// nodes XPath has none for get no path.
TEST_F(XPathTest, TheNodePathOfEveryNodeSelectsThatNode) {
  // Also without a namespace on the root: the nodes whose ancestors declare none.
  for (const bool spaced : {true, false}) {
    std::mt19937 random(7);
    std::string outline =
        "gen.xml\n <?xml version=\"1.0\"?>\n <!DOCTYPE \xc3\xa9r [<!ENTITY e \"x\">]>\n"
        " <!-- top -->\n <\xc3\xa9r" +
        std::string(spaced ? " xmlns=\"urn:r\" xmlns:p=\"urn:p\"" : "") + ">\n";
    const char* names[] = {"a", "b", spaced ? "p:a" : "a"};
    const char* declarations[] = {
        "", "", "", " xmlns=\"urn:x\"", " xmlns=\"\"", " xmlns:p=\"urn:q\"", " xmlns=\"urn:p\""};
    const char* texts[] = {"t", "t&e;u", "t<![CDATA[s]]>u", "&e;"};
    std::vector<bool> lastWasText(2, false);
    int depth = 1;
    for (int i = 0; i < 200; ++i) {
      const int kind = int(random() % 7);
      const std::string indent(size_t(depth) + 1, ' ');
      const std::string declared = declarations[random() % 7];
      bool text = false;
      if (kind <= 1 && depth < 6) {
        outline +=
            indent + "<" + names[random() % 3] + declared + " k=\"" + std::to_string(i) + "\">\n";
        lastWasText[size_t(depth)] = false;
        ++depth;
        lastWasText.resize(size_t(depth) + 1, false);
        lastWasText[size_t(depth)] = false;
        continue;
      } else if (kind == 2) {
        const std::string name = names[random() % 3];
        outline += indent + "<" + name + declared + ">v" + std::to_string(i) + "</" + name + ">\n";
      } else if (kind == 3 && !lastWasText[size_t(depth)]) {
        outline += indent + texts[random() % 4] + std::to_string(i) + "\n";
        text = true;
      } else if (kind == 4) {
        outline += indent + (i % 2 ? "<!-- c -->\n" : "<?pi x?>\n");
      } else if (kind == 5) {
        outline += indent + "<![CDATA[s]]>\n";
      } else {
        if (kind == 6 && depth > 1) --depth;
        continue;
      }
      lastWasText[size_t(depth)] = text;
    }
    LoadOutline(tree, outline);
    std::vector<TFoundNode> all;
    for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext())
      all.push_back({n, int(all.size())});
    const std::vector<std::string> paths = NodePaths(tree, all);
    int checked = 0;
    for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext()) {
      const std::string path = NodePath(*n);
      EXPECT_EQ(path, paths[size_t(n->AbsoluteIndex())]) << "one node or all in one pass";
      EXPECT_EQ(HasNodePath(*n), !path.empty()) << n->Text();
      if (n->Text().starts_with("<?xml") || n->Text().starts_with("<!DOCTYPE")) {
        EXPECT_EQ(path, "") << "XPath has no node for " << n->Text();
        continue;
      }
      EXPECT_EQ(Indexes(tree, path), V{n->AbsoluteIndex()}) << path << " " << n->Text();
      ++checked;
    }
    EXPECT_GT(checked, 100);
  }
}

}  // namespace
}  // namespace zel
