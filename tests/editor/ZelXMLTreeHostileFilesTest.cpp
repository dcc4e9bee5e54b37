// Loads of files that are not plain text files, or whose text the line list or the code page
// cannot carry: each fails at once with a message that says why, and nothing is lost silently.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <typeinfo>

#include "base/Exception.h"
#include "base/StringList.h"
#include "editor/SubtreeText.h"
#include "platform/CodePage.h"
#include "tests/treedoc/ZelXMLTreeTestUtil.h"
#include "treedoc/LoadChecks.h"
#include "treedoc/ZelXMLTree.h"

using namespace zel;
using namespace zeltest;

namespace {

std::string Utf16File(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

std::string LoadError(const std::string& file) {
  Recorder r;
  try {
    r.component.LoadFromFile(file);
  } catch (const Exception& e) {
    EXPECT_FALSE(r.component.IsBusy());
    return e.Message();
  }
  return "loaded";
}

class CodePageScope {
 public:
  explicit CodePageScope(unsigned cp) { SetACPOverride(cp); }
  ~CodePageScope() { SetACPOverride(0); }
};

}  // namespace

TEST(ZelXMLTreeHostileFiles, FifosAndDevicesFailAtOnce) {
  TempDir dir;
  const std::string fifo = dir.File("pipe.xml");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Without a writer, opening the FIFO would wait for ever.
  EXPECT_EQ(LoadError(fifo), "Cannot open file \"" + fifo + "\". It is not a regular file.");
  EXPECT_EQ(LoadError("/dev/zero"), "Cannot open file \"/dev/zero\". It is not a regular file.");
  EXPECT_EQ(LoadError(dir.Path()),
            "Cannot open file \"" + dir.Path() + "\". It is not a regular file.");
}

TEST(ZelXMLTreeHostileFiles, ANulCharacterFailsTheLoadWithItsPosition) {
  TempDir dir;
  const std::string eight = dir.Write("n.xml", std::string("<a>\r\n<b>x\0y</b></a>\r\n", 21));
  EXPECT_EQ(LoadError(eight), "The file \"" + eight +
                                  "\" holds a NUL character at line 2, column 5: it is not a "
                                  "text file.");
  const std::string wide =
      dir.Write("w.xml", Utf16File(std::u16string(u"<a>\r\n\r\n  <b>\0</b></a>", 21)));
  EXPECT_EQ(LoadError(wide), "The file \"" + wide +
                                 "\" holds a NUL character at line 3, column 4: it is not a "
                                 "text file.");
}

// A file marked as UTF-8 whose bytes are not: read as U+FFFD, they would be saved as other
// bytes without a word.
TEST(ZelXMLTreeHostileFiles, BytesThatAreNotUtf8FailAUtf8Load) {
  CodePageScope utf8(65001);
  TempDir dir;
  const std::string file = dir.Write("u.xml", "\xEF\xBB\xBF<a>\r\n<b>caf\xE9</b>\n</a>");
  EXPECT_EQ(LoadError(file), "The file \"" + file +
                                 "\" is marked as UTF-8 but holds bytes at line 2 that are not "
                                 "UTF-8; saving would turn them into other characters.");
  // A replacement character written as such is text like any other.
  Recorder r;
  r.component.LoadFromFile(dir.Write("ok.xml", "\xEF\xBB\xBF<a>\xEF\xBF\xBD\xC3\xA9</a>"));
  EXPECT_EQ(OutlineOf(r.tree), "ok.xml\n\t<a>\xEF\xBF\xBD\xC3\xA9</a>\n");
}

TEST(ZelXMLTreeHostileFiles, CharactersTheCodePageCannotHoldFailTheLoad) {
  CodePageScope western(1252);
  TempDir dir;
  const std::string file = dir.Write("c.xml", Utf16File(u"<a>\r\n<b>caf\u00e9 \u4e2d</b></a>"));
  EXPECT_EQ(LoadError(file), "The file \"" + file +
                                 "\" holds characters at line 2 that the system code page 1252 "
                                 "(windows-1252) cannot hold; saving would turn them into \"?\".");
  // What 1252 can hold loads, its undefined bytes' characters included.
  Recorder r;
  r.component.LoadFromFile(dir.Write("ok.xml", Utf16File(u"<a>\u00e9\u0081</a>")));
  EXPECT_EQ(OutlineOf(r.tree), "ok.xml\n\t<a>\xE9\x81</a>\n");
}

TEST(ZelXMLTreeHostileFiles, AUnicodeFilesDeclarationNamesTheCodePageItIsNowIn) {
  TempDir dir;
  const std::string file = dir.Write(
      "d.xml", Utf16File(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<a>\u00e9</a>"));
  {
    CodePageScope utf8(65001);
    Recorder r;
    r.component.LoadFromFile(file);
    EXPECT_EQ(OutlineOf(r.tree),
              "d.xml\n\t<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n\t<a>\xC3\xA9</a>\n");
  }
  CodePageScope western(1252);
  Recorder r;
  r.component.LoadFromFile(file);
  EXPECT_EQ(OutlineOf(r.tree),
            "d.xml\n\t<?xml version=\"1.0\" encoding=\"windows-1252\" ?>\n\t<a>\xE9</a>\n");
  // An 8-bit file keeps what it declares.
  r.component.LoadFromFile(dir.Write("e.xml", "<?xml version=\"1.0\" encoding=\"UTF-16\"?><a/>"));
  EXPECT_EQ(OutlineOf(r.tree), "e.xml\n\t<?xml version=\"1.0\" encoding=\"UTF-16\" ?>\n\t<a />\n");
}

TEST(ZelXMLTreeHostileFiles, DeclaredEncodingRewriteCases) {
  const auto rewritten = [](std::vector<std::string> lines, const char* charset) {
    TStringList l;
    for (auto& s : lines) l.Add(s);
    SetDeclaredEncoding(l, charset);
    return l.Text();
  };
  // Single quotes, blanks around '=', a declaration over two lines.
  EXPECT_EQ(rewritten({"<?xml version='1.0' encoding = 'utf-16' standalone='yes'?>"}, "UTF-8"),
            "<?xml version='1.0' encoding = 'UTF-8' standalone='yes'?>\r\n");
  EXPECT_EQ(rewritten({"<?xml version=\"1.0\"", "encoding=\"UTF-16\"?>", "<a/>"}, "UTF-8"),
            "<?xml version=\"1.0\"\r\nencoding=\"UTF-8\"?>\r\n<a/>\r\n");
  // Without an encoding the text counts as UTF-8; any other charset is added after the
  // version, where it must stand.
  EXPECT_EQ(rewritten({"<?xml version=\"1.0\" standalone=\"no\"?>"}, "UTF-8"),
            "<?xml version=\"1.0\" standalone=\"no\"?>\r\n");
  EXPECT_EQ(rewritten({"<?xml version=\"1.0\" standalone=\"no\"?>"}, "windows-1252"),
            "<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"no\"?>\r\n");
  // No declaration, another PI, or an encoding only after the declaration: untouched.
  EXPECT_EQ(rewritten({"<a encoding=\"x\"/>"}, "UTF-8"), "<a encoding=\"x\"/>\r\n");
  EXPECT_EQ(rewritten({"<?xml-stylesheet encoding=\"x\"?>"}, "UTF-8"),
            "<?xml-stylesheet encoding=\"x\"?>\r\n");
  EXPECT_EQ(rewritten({"<?xml version=\"1.0\"?>", "<a encoding=\"x\"/>"}, "UTF-8"),
            "<?xml version=\"1.0\"?>\r\n<a encoding=\"x\"/>\r\n");
  EXPECT_EQ(rewritten({}, "UTF-8"), "");
}

// Bytes in memory (the clipboard's text) load as a file holding them: the same outline,
// events and Unicode flag, or the same error naming the same place.
TEST(ZelXMLTreeHostileFiles, BytesInMemoryLoadAsTheFileHoldingThem) {
  CodePageScope western(1252);
  TempDir dir;
  const std::string file = dir.File("clipboard");
  const auto outcome = [&](Recorder& r, const std::function<void()>& load) {
    std::string result;
    try {
      load();
      result = OutlineOf(r.tree);
    } catch (const Exception& e) {
      result = typeid(e).name() + (": " + e.Message());
      for (size_t at; (at = result.find(file)) != std::string::npos;)
        result.replace(at, file.size(), "clipboard");
    }
    return result + (r.component.IsUnicode() ? " unicode" : "");
  };
  const std::string bad = std::string("<a>\r\n <b>x") + '\0' + "</b></a>";
  for (const std::string& bytes : {
           std::string("<a><b>t</b>\n<c/>\r<d/></a>"),
           std::string("\xEF\xBB\xBF<a>\xC3\xA9</a>"),
           Utf16File(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<a>\u00e9</a>"),
           std::string("\xFE\xFF\0<\0a\0/\0>", 10),
           std::string("<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?><a>\xA4</a>"),
           std::string("<?xml version=\"1.0\" encoding=\"x-none\"?><a/>"),
           std::string("<?xml version=\"1.0\" encoding=\"UTF-16LE\"?>", 42),
           std::string("\xEF\xBB\xBF<a>\xFF</a>"),
           Utf16File(u"<a>\u4e2d</a>"),
           bad,
           bad + std::string(size_t{5} << 20, ' '),
           std::string("only text"),
           std::string(),
       }) {
    Recorder fromFile, fromBytes;
    const std::string a =
        outcome(fromFile, [&] { fromFile.component.LoadFromFile(dir.Write("clipboard", bytes)); });
    const std::string b =
        outcome(fromBytes, [&] { fromBytes.component.LoadFromBytes("clipboard", bytes); });
    EXPECT_EQ(b, a) << bytes;
    EXPECT_EQ(fromBytes.states, fromFile.states) << bytes;
    EXPECT_EQ(fromBytes.progress, fromFile.progress) << bytes;
  }
  TTreeView pasted;
  ReadXMLText("<a><b/></a>", pasted);
  EXPECT_EQ(OutlineOf(pasted), "clipboard\n\t<a>\n\t\t<b />\n");
}

// Whatever characters a file name holds, it is the root's text whole and never outline text:
// neither the load nor the save that follows reads anything of it as a node.
TEST(ZelXMLTreeHostileFiles, AFileNameIsTheRootsTextWholeAndNeverContent) {
  TempDir dir;
  for (const std::string name :
       {"evil\n<inject attr=\"x\">.xml", "a\r\n\t<b>\r.xml", "\t <lead>.xml", "x\n\n", "<r>"}) {
    SCOPED_TRACE(name);
    Recorder r;
    r.component.LoadFromFile(dir.Write(name, "<r><c>text</c></r>"));
    ASSERT_EQ(r.tree.RootCount(), 1);
    EXPECT_EQ(r.tree.GetFirstNode()->Text(), name);
    const std::string body = "<r>\r\n\t<c>text</c>\r\n</r>\r\n";
    EXPECT_EQ(OutlineOf(r.tree), name + "\n\t<r>\n\t\t<c>text</c>\n");
    const std::string other = name + "\nsaved <x>";
    r.component.SaveToFile(dir.File(other));
    EXPECT_EQ(ReadAll(dir.File(other)), body);
    EXPECT_EQ(r.tree.GetFirstNode()->Text(), other);
  }
}
