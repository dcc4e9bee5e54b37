// Saving and loading again keeps the outline of well-formed documents.

#include <gtest/gtest.h>

#include <random>

#include "ZelXMLTreeTestUtil.h"
#include "base/Exception.h"
#include "base/StrUtils.h"
#include "base/StringList.h"

using namespace zel;
using namespace zeltest;

namespace {

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

TEST(ZelXMLTreeAgreement, SaveAndLoadKeepTheOutlineOfWellFormedDocuments) {
  TempDir dir;
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    const std::string text = WellFormed(rng);
    SCOPED_TRACE(text);
    Recorder r;
    r.component.LoadFromFile(dir.Write("d.xml", text));
    const std::string first = OutlineOf(r.tree);
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
