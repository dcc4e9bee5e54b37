#include "fileio/VyTextFile.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/CodePage.h"
#include "platform/TestFiles.h"
#include "platform/Utf8.h"

namespace zel {
namespace {

using Lines = std::vector<std::u16string>;
using test::TTempDir;
using test::WriteBytes;

std::string Utf16(std::u16string_view s, bool bigEndian = false) {
  std::string out;
  for (char16_t c : s) {
    const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

const std::string kLE = "\xFF\xFE", kBE = "\xFE\xFF", kUtf8 = "\xEF\xBB\xBF";

class TextFile : public ::testing::Test {
 protected:
  void SetUp() override { SetACPOverride(1252); }
  void TearDown() override { SetACPOverride(0); }

  std::string Write(const std::string& bytes) {
    WriteBytes(dir.File("t"), bytes);
    return dir.File("t");
  }
  // Reads every line as the tree document does, and checks that reading at the end gives
  // nothing more.
  Lines Read(const std::string& bytes, uint16_t codePage = 0, bool* unicode = nullptr,
             TVyTextOpenOptions options = {}) {
    TVyTextFile f(Write(bytes), 128, GENERIC_READ, 0);
    f.Reset(options, 0, codePage);
    if (unicode) *unicode = f.IsUnicode();
    Lines lines;
    while (!f.Eof()) {
      lines.push_back(f.Readln());
      if (lines.size() > 100000) break;
    }
    EXPECT_EQ(f.Readln(), u"");
    EXPECT_TRUE(f.Eof());
    return lines;
  }
  TTempDir dir;
};

TEST_F(TextFile, ByteOrderMarksDecideTheEncoding) {
  bool unicode = false;
  EXPECT_EQ(Read(kLE + Utf16(u"a\r\nb"), 0, &unicode), (Lines{u"a", u"b"}));
  EXPECT_TRUE(unicode);
  EXPECT_EQ(Read(kBE + Utf16(u"a\r\nb", true), 0, &unicode), (Lines{u"a", u"b"}));
  EXPECT_TRUE(unicode);
  EXPECT_EQ(Read(kUtf8 + "\xC3\xA9", 0, &unicode), (Lines{u"\u00E9"}));
  EXPECT_TRUE(unicode);
  // A mark wins over the code page the caller names.
  EXPECT_EQ(Read(kLE + Utf16(u"\u20AC"), 1251, &unicode), (Lines{u"\u20AC"}));
  EXPECT_TRUE(unicode);
}

TEST_F(TextFile, WithoutAMarkTheCodePageDecides) {
  bool unicode = true;
  EXPECT_EQ(Read("caf\xC3\xA9", 0, &unicode), (Lines{u"caf\u00C3\u00A9"}));
  EXPECT_FALSE(unicode);
  // A UTF-8 system code page decodes the bytes but does not make the file Unicode.
  SetACPOverride(65001);
  EXPECT_EQ(Read("caf\xC3\xA9", 0, &unicode), (Lines{u"caf\u00E9"}));
  EXPECT_FALSE(unicode);
  // Naming UTF-8 or UTF-16 does.
  EXPECT_EQ(Read("caf\xC3\xA9", 65001, &unicode), (Lines{u"caf\u00E9"}));
  EXPECT_TRUE(unicode);
  EXPECT_EQ(Read(Utf16(u"x\r\ny"), 1200, &unicode), (Lines{u"x", u"y"}));
  EXPECT_TRUE(unicode);
  EXPECT_EQ(Read("\xE0", 1251, &unicode), (Lines{u"\u0430"}));
  EXPECT_FALSE(unicode);
  // Without conversion each byte is the unit of the same value.
  EXPECT_EQ(Read("\x80\xE0", 1251, nullptr, {vtoNoConversion}), (Lines{u"\u0080\u00E0"}));
}

TEST_F(TextFile, TinyFilesAndIncompleteMarks) {
  bool unicode = true;
  EXPECT_EQ(Read("", 0, &unicode), Lines{});
  EXPECT_FALSE(unicode);
  EXPECT_EQ(Read("\xFF", 0, &unicode), (Lines{u"\u00FF"}));
  EXPECT_FALSE(unicode);
  EXPECT_EQ(Read(kLE, 0, &unicode), Lines{});
  EXPECT_TRUE(unicode);
  EXPECT_EQ(Read(kUtf8, 0, &unicode), Lines{});
  EXPECT_TRUE(unicode);
  EXPECT_EQ(Read("\xEF\xBB", 0, &unicode), (Lines{u"\u00EF\u00BB"}));
  EXPECT_FALSE(unicode);
  EXPECT_EQ(Read("\xEF\xBB"
                 "A\nB",
                 0, &unicode),
            (Lines{u"\u00EF\u00BBA", u"B"}));
  EXPECT_FALSE(unicode);
}

TEST_F(TextFile, LineBreaksOfEightBitText) {
  EXPECT_EQ(Read("a\n\rb"), (Lines{u"a", u"b"}));
  EXPECT_EQ(Read("a\r\r\nb"), (Lines{u"a", u"", u"b"}));
  EXPECT_EQ(Read("a\rb\nc\r\n"), (Lines{u"a", u"b", u"c"}));
  EXPECT_EQ(Read("a\r\n\r\n"), (Lines{u"a", u""}));
  EXPECT_EQ(Read("\n"), (Lines{u""}));
  // A byte 0 converts and the rest of the line is kept.
  EXPECT_EQ(Read(std::string("a\0b\nc", 5)), (Lines{std::u16string(u"a\0b", 3), u"c"}));
}

TEST_F(TextFile, LineBreaksOfUtf16Text) {
  // A lone LF or CR is no break in UTF-16 text.
  EXPECT_EQ(Read(kLE + Utf16(u"a\nb")), (Lines{u"a\nb"}));
  EXPECT_EQ(Read(kLE + Utf16(u"a\rb\r\n")), (Lines{u"a\rb"}));
  EXPECT_EQ(Read(kLE + Utf16(u"a\u2028b\r\n\r\nc")), (Lines{u"a", u"b", u"", u"c"}));
  EXPECT_EQ(Read(kBE + Utf16(u"\u0100\u2028\U0001F600", true)), (Lines{u"\u0100", u"\U0001F600"}));
  // An odd last byte is no character.
  EXPECT_EQ(Read(kLE + Utf16(u"ab") + "c"), (Lines{u"ab\uFFFD"}));
  EXPECT_EQ(Read(kLE + Utf16(u"a\r\n") + "c"), (Lines{u"a", u"\uFFFD"}));
}

TEST_F(TextFile, Utf8BeyondTheBasicPlaneAndMalformedBytes) {
  EXPECT_EQ(Read(kUtf8 + "\xF0\x9F\x98\x80!\r\n\x80x\xE2\x82"),
            (Lines{u"\U0001F600!", u"\uFFFDx\uFFFD"}));
}

TEST_F(TextFile, WindowBoundaries) {
  // 1,024 bytes: LF at 1,022 and two letters behind it.
  std::string exact(1021, 'a');
  exact += "\nyz";
  ASSERT_EQ(exact.size(), 1024u);
  {
    TVyTextFile f(Write(exact), 128, GENERIC_READ, 0);
    f.Reset({}, 0, 0);
    EXPECT_EQ(f.Readln(), std::u16string(1021, u'a'));
    EXPECT_FALSE(f.Eof());
    EXPECT_EQ(f.Readln(), u"yz");
    EXPECT_TRUE(f.Eof());
  }
  // CR at 1,022 and LF at 1,023 are one break.
  std::string split(1021, 'b');
  split += "\r\nnext\r\nlast";
  EXPECT_EQ(Read(split), (Lines{std::u16string(1021, u'b'), u"next", u"last"}));
  // The break is the last two bytes of a full window, and the file ends there.
  std::string tail(1022, 'c');
  tail += "\r\n";
  EXPECT_EQ(Read(tail), (Lines{std::u16string(1022, u'c')}));
  // Short fills of 1,022 and 1,023 bytes hold nothing back.
  EXPECT_EQ(Read(std::string(1023, 'd')), (Lines{std::u16string(1023, u'd')}));
  EXPECT_EQ(Read(std::string(1020, 'e') + "\r\n"), (Lines{std::u16string(1020, u'e')}));
  // UTF-16 CR LF in the last four bytes of a window (bytes 1,021 to 1,024 after the mark).
  const std::u16string first(510, u'f');
  EXPECT_EQ(Read(kLE + Utf16(first + u"\r\nnext")), (Lines{first, u"next"}));
  EXPECT_EQ(Read(kBE + Utf16(first + u"\r\nnext", true)), (Lines{first, u"next"}));
  EXPECT_EQ(Read(kLE + Utf16(first + u"\r\n")), (Lines{first}));
  // A UTF-8 character that a refill splits is decoded whole.
  EXPECT_EQ(Read(kUtf8 + std::string(1019, 'g') + "\xF0\x9F\x98\x80"),
            (Lines{std::u16string(1019, u'g') + u"\U0001F600"}));
}

TEST_F(TextFile, LongLinesAndManyWindowsInEveryEncoding) {
  Lines lines;
  std::u16string text;
  for (int i = 0; i < 60; ++i) {
    std::u16string line;
    const int length = i == 7 ? 5000 : (i * 97) % 1500;
    for (int k = 0; k < length; ++k)
      line.push_back(k % 50 == 49 ? u'\u00E9' : static_cast<char16_t>(u'a' + (i + k) % 26));
    if (i % 11 == 3) line += u"\U0001F600";
    lines.push_back(line);
    text += line + u"\r\n";
  }
  std::string utf8;
  AppendUtf16AsUtf8(text, utf8);
  EXPECT_EQ(Read(kLE + Utf16(text)), lines);
  EXPECT_EQ(Read(kBE + Utf16(text, true)), lines);
  EXPECT_EQ(Read(kUtf8 + utf8), lines);
  EXPECT_EQ(Read(utf8, 65001), lines);
  // The same through a small buffer, so that the window is refilled across buffers.
  TVyTextFile f(Write(kLE + Utf16(text)), 128, GENERIC_READ, 0);
  f.Reset({}, 1, 0);
  Lines read;
  while (!f.Eof()) read.push_back(f.Readln());
  EXPECT_EQ(read, lines);
}

TEST_F(TextFile, AnUnopenableFileFailsToReset) {
  const std::string missing = dir.File("missing.xml");
  TVyTextFile f(missing, 128, GENERIC_READ, 0);
  try {
    f.Reset({}, 0, 0);
    FAIL() << "no exception";
  } catch (const EVyTextFile& e) {
    EXPECT_EQ(e.Message(), "TVyTextFile(" + missing + "):Failed to reset file.");
    EXPECT_EQ(e.HelpContext(), 2004);
  }
  EXPECT_FALSE(f.IsOpen());
  EXPECT_THROW(f.Eof(), EVyHugeFile);
}

TEST_F(TextFile, AFileHeldByAnotherProcessFailsAtOnce) {
  const std::string name = Write("held");
  test::THeldFile held(name);
  TVyTextFile f(name, 128, GENERIC_READ, 0);
  EXPECT_THROW(f.Reset({}, 0, 0), EVyTextFile);
  EXPECT_EQ(f.LastOsError(), ERROR_SHARING_VIOLATION);
}

TEST_F(TextFile, TheReaderHoldsTheFileUntilItGoes) {
  const std::string name = Write("a\nb");
  {
    TVyTextFile f(name, 128, GENERIC_READ, 0);
    f.Reset({}, 0, 0);
    TVyTextFile other(name, 128, GENERIC_READ, 0);
    EXPECT_THROW(other.Reset({}, 0, 0), EVyTextFile);
  }
  TVyTextFile again(name, 128, GENERIC_READ, 0);
  EXPECT_NO_THROW(again.Reset({}, 0, 0));
}

}  // namespace
}  // namespace zel
