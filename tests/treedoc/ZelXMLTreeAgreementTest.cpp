// The load streams the document's lines into the rewrite and the rewrite's lines into the
// tree. These tests hold it against the stages done one after another on whole texts, and
// check that saving and loading again keeps the outline of well-formed documents.

#include <gtest/gtest.h>

#include <random>

#include "ZelXMLTreeTestUtil.h"
#include "base/Exception.h"
#include "base/StrUtils.h"
#include "base/StringList.h"
#include "treedoc/XMLOutline.h"
#include "xml/MorXMLTree.h"

using namespace zel;
using namespace zeltest;

namespace {

// The load's stages on whole texts: indented text, line list, rewrite, outline text, tree.
std::string StagedOutline(const std::string& file) {
  TStringList lines;
  {
    TMorXMLTree doc;
    doc.LoadFromFile(file);
    lines.SetText(doc.GetXMLText());
  }
  lines.Delete(0);
  TOutlineLines outline;
  TXMLOutlineTransform transform(static_cast<size_t>(lines.Count()), outline, nullptr, nullptr);
  for (const std::string& line : lines.Lines()) {
    // The writer's indentation, two spaces per level, as the level it stands for.
    size_t spaces = 0;
    while (spaces < line.size() && line[spaces] == ' ') ++spaces;
    transform.Push(spaces / 2, std::string_view(line).substr(spaces / 2 * 2));
  }
  transform.Finish();
  std::string text = ExtractFileName(file) + "\r\n";
  outline.Drain([&](int level, std::string_view line) {
    text += std::string(static_cast<size_t>(level), ' ') + std::string(line) + "\r\n";
  });
  TMemoryStream stream;
  stream.WriteString(text);
  stream.SetPosition(0);
  TTreeView tree;
  tree.LoadFromStream(stream);
  return OutlineOf(tree);
}

// What a load gives: the outline, or the failure's message.
std::string Loaded(const std::string& file, std::string (*load)(const std::string&)) {
  try {
    return load(file);
  } catch (const Exception& e) {
    return "error: " + e.Message();
  }
}

std::string ComponentOutline(const std::string& file) {
  Recorder r;
  r.component.LoadFromFile(file);
  return OutlineOf(r.tree);
}

const char* const kFragments[] = {"<a>",
                                  "</a>",
                                  "<b x=\"1\">",
                                  "</b>",
                                  "<c/>",
                                  "<d y='q\"'/>",
                                  "text",
                                  " more text ",
                                  "<!-- c -->",
                                  "<!-- two\r\n lines -->",
                                  "<![CDATA[x<y]]>",
                                  "<![CDATA[p\r\n\tq]]>",
                                  "<?pi data?>",
                                  "<?xml version=\"1.0\"?>",
                                  "<!DOCTYPE r [<!ENTITY e \">\">]>",
                                  "\r\n",
                                  "<e z=\"a > b\">",
                                  "</e>",
                                  "&amp;",
                                  "<",
                                  ">",
                                  "</x>",
                                  "<f>t</f>",
                                  "<g\ta=\"1\"\r\nb=\"2\">"};

// A random well-formed document: nested elements with attributes, text, comments, CDATA
// sections and processing instructions.
std::string WellFormed(std::mt19937& rng) {
  std::string out = rng() % 2 ? "<?xml version=\"1.0\"?>\r\n" : "";
  if (rng() % 3 == 0) out += "<!-- lead -->\r\n";
  std::vector<std::string> open{"r"};
  out += "<r>";
  const int steps = 1 + static_cast<int>(rng() % 30);
  for (int i = 0; i < steps; ++i) {
    switch (rng() % 9) {
      case 0:
      case 1: {
        const std::string name = std::string(1, static_cast<char>('a' + rng() % 5));
        out += "<" + name + (rng() % 2 ? " k=\"v" + std::to_string(i) + "\"" : "") +
               (rng() % 3 == 0 ? " q='it\"s'" : "") + ">";
        open.push_back(name);
        break;
      }
      case 2:
        if (open.size() > 1) {
          out += "</" + open.back() + ">";
          open.pop_back();
        }
        break;
      case 3:
        out += "word" + std::to_string(i) + (rng() % 2 ? " and more" : "");
        break;
      case 4:
        out += "<empty n=\"" + std::to_string(i) + "\"/>";
        break;
      case 5:
        out += rng() % 2 ? "<!-- note -->" : "<!-- multi\r\n  line\r\n-->";
        break;
      case 6:
        out += rng() % 2 ? "<![CDATA[a < b]]>" : "<![CDATA[one\r\n\ttwo\r\n]]>";
        break;
      case 7:
        out += "<?target some data?>";
        break;
      case 8:
        out += "\r\n  ";
        break;
    }
  }
  while (!open.empty()) {
    out += "</" + open.back() + ">";
    open.pop_back();
  }
  return out + "\r\n";
}

const bool kHaveXmllint = std::system("command -v xmllint >/dev/null 2>&1") == 0;

}  // namespace

TEST(ZelXMLTreeAgreement, StreamedLoadMatchesTheStagesOnRandomDocuments) {
  TempDir dir;
  std::mt19937 rng(7);
  const size_t n = sizeof kFragments / sizeof kFragments[0];
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int parts = static_cast<int>(rng() % 30);
    for (int i = 0; i < parts; ++i) text += kFragments[rng() % n];
    const std::string file = dir.Write("d.xml", text);
    SCOPED_TRACE(text);
    ASSERT_EQ(Loaded(file, ComponentOutline), Loaded(file, StagedOutline));
  }
}

TEST(ZelXMLTreeAgreement, SaveAndLoadKeepTheOutlineOfWellFormedDocuments) {
  TempDir dir;
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    const std::string text = WellFormed(rng);
    SCOPED_TRACE(text);
    Recorder r;
    r.component.LoadFromFile(dir.Write("d.xml", text));
    const std::string first = OutlineOf(r.tree);
    ASSERT_EQ(first, Loaded(dir.File("d.xml"), StagedOutline));
    r.component.SaveToFile(dir.File("d.xml"));
    const std::string saved = ReadAll(dir.File("d.xml"));
    if (round < 60 && kHaveXmllint) {
      const std::string check = "xmllint --noout --nonet '" + dir.File("d.xml") + "' 2>/dev/null";
      ASSERT_EQ(std::system(check.c_str()), 0) << "not well-formed:\n" << saved;
    }
    r.component.LoadFromFile(dir.File("d.xml"));
    ASSERT_EQ(OutlineOf(r.tree), first) << saved;
    // A second save is byte for byte the first: the saved form is stable.
    r.component.SaveToFile(dir.File("d.xml"));
    ASSERT_EQ(ReadAll(dir.File("d.xml")), saved);
  }
}
