#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include "platform/Utf8.h"

namespace zel {
namespace {

std::u16string Utf8(std::string_view s) {
  std::u16string out;
  AppendUtf8AsUtf16(s, out);
  return out;
}

TEST(CodePage, CharsetNamesFollowTheLocaleRules) {
  EXPECT_EQ(CodePageFromCharset("UTF-8"), 65001u);
  EXPECT_EQ(CodePageFromCharset("utf8"), 65001u);
  EXPECT_EQ(CodePageFromCharset("ISO-8859-1"), 28591u);
  EXPECT_EQ(CodePageFromCharset("ISO-8859-15"), 28605u);
  EXPECT_EQ(CodePageFromCharset("ISO8859-2"), 28592u);
  EXPECT_EQ(CodePageFromCharset("CP1251"), 1251u);
  EXPECT_EQ(CodePageFromCharset("windows-1250"), 1250u);
  EXPECT_EQ(CodePageFromCharset("KOI8-R"), 20866u);
  EXPECT_EQ(CodePageFromCharset("KOI8-U"), 21866u);
  // Plain ASCII (the C locale) counts as UTF-8: no character is squeezed into 7 bits.
  EXPECT_EQ(CodePageFromCharset("ANSI_X3.4-1968"), 65001u);
  EXPECT_EQ(CodePageFromCharset("US-ASCII"), 65001u);
  EXPECT_EQ(CodePageFromCharset(""), 0u);
  EXPECT_EQ(CodePageFromCharset("ISO-8859-17"), 0u);
}

TEST(CodePage, OverrideWinsAndCanBeRemoved) {
  const unsigned system = GetACP();
  EXPECT_NE(system, 0u);
  SetACPOverride(1251);
  EXPECT_EQ(GetACP(), 1251u);
  SetACPOverride(0);
  EXPECT_EQ(GetACP(), system);
}

TEST(CodePage, EightBitToUtf16) {
  EXPECT_EQ(MultiByteToWide(1252, "plain"), u"plain");
  EXPECT_EQ(MultiByteToWide(1252, "\x80 caf\xE9"), u"\u20AC caf\u00E9");
  EXPECT_EQ(MultiByteToWide(28591, "\xA4"), u"\u00A4");
  // Undecodable bytes are reported.
  bool lossy = false;
  EXPECT_EQ(MultiByteToWide(65001, "a\xC3(", &lossy), u"a\uFFFD(");
  EXPECT_TRUE(lossy);
  lossy = false;
  MultiByteToWide(65001, "\xEF\xBF\xBD\xC3\xA9", &lossy);
  MultiByteToWide(1252, "\x81\x80", &lossy);
  EXPECT_FALSE(lossy);
  MultiByteToWide(932, "\x81", &lossy);
  EXPECT_TRUE(lossy);
  EXPECT_EQ(MultiByteToWide(28605, "\xA4"), u"\u20AC");
  EXPECT_EQ(MultiByteToWide(20866, "\xC1"), u"\u0430");  // KOI8-R small a
  EXPECT_EQ(MultiByteToWide(1251, "\xE0"), u"\u0430");
  EXPECT_EQ(MultiByteToWide(932, "\x82\xA0x"), u"\u3042x");  // a two-byte character
  // A byte 0 converts and the rest of the text is kept.
  EXPECT_EQ(MultiByteToWide(1252, std::string_view("a\0\xE9", 3)), std::u16string(u"a\0\u00E9", 3));
  EXPECT_EQ(MultiByteToWide(1252, ""), u"");
  // A truncated two-byte character gives one replacement.
  EXPECT_EQ(MultiByteToWide(932, "x\x82"), u"x\uFFFD");
}

TEST(CodePage, Utf16ToEightBitReplacesWhatTheCodePageCannotHold) {
  EXPECT_EQ(WideToMultiByte(1252, u"plain"), "plain");
  EXPECT_EQ(WideToMultiByte(1252, u"\u20AC caf\u00E9"), "\x80 caf\xE9");
  EXPECT_EQ(WideToMultiByte(1252, u"a\u4E2Db"), "a?b");
  EXPECT_EQ(WideToMultiByte(1252, u"a\U0001F600b"), "a?b");  // one '?' per character
  EXPECT_EQ(WideToMultiByte(1252, u"a\xD800"), "a?");        // lone surrogate at the end
  EXPECT_EQ(WideToMultiByte(1251, u"\u0430"), "\xE0");
  EXPECT_EQ(WideToMultiByte(932, u"\u3042x"), "\x82\xA0x");
  EXPECT_EQ(WideToMultiByte(1252, std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
  // The converter is reused: a second call after a failure starts clean.
  EXPECT_EQ(WideToMultiByte(1252, u"\u00E9"), "\xE9");
}

TEST(CodePage, Utf8BothWays) {
  EXPECT_EQ(MultiByteToWide(65001, "caf\xC3\xA9"), u"caf\u00E9");
  EXPECT_EQ(MultiByteToWide(65001, "\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(WideToMultiByte(65001, u"caf\u00E9 \u20AC \U0001F600"),
            "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(WideToMultiByte(65001, u"a\xDC00z"), "a\xEF\xBF\xBDz");
}

TEST(Utf8, MalformedAndTruncatedSequencesGiveOneReplacementEach) {
  EXPECT_EQ(Utf8("\x80x"), u"\uFFFDx");                              // stray continuation byte
  EXPECT_EQ(Utf8("\xC0\x80"), u"\uFFFD\uFFFD");                      // overlong lead is no lead
  EXPECT_EQ(Utf8("\xE2\x82"), u"\uFFFD");                            // truncated at the end
  EXPECT_EQ(Utf8("\xE2\x82x"), u"\uFFFDx");                          // cut short by an ASCII byte
  EXPECT_EQ(Utf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");            // encoded surrogate
  EXPECT_EQ(Utf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // beyond U+10FFFF
  EXPECT_EQ(Utf8("\xF0\x9F\x98"), u"\uFFFD");
  EXPECT_EQ(Utf8("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"), u"\U00010000\U0010FFFF");
  EXPECT_EQ(Utf8("\xFF"), u"\uFFFD");
}

TEST(CodePage, The1252BytesWindowsLeavesUndefinedSurviveBothWays) {
  const std::string bytes("\x81\x8D\x8F\x90\x9D", 5);
  const std::u16string units = u"\u0081\u008D\u008F\u0090\u009D";
  EXPECT_EQ(MultiByteToWide(1252, bytes), units);
  bool lossy = true;
  EXPECT_EQ(WideToMultiByte(1252, units, &lossy), bytes);
  EXPECT_FALSE(lossy);
  // Only in 1252: elsewhere they stay what the code page says.
  EXPECT_EQ(MultiByteToWide(1251, "\x81"), u"\u0403");
}

TEST(CodePage, ConversionsTellWhenACharacterWasReplaced) {
  bool lossy = false;
  EXPECT_EQ(WideToMultiByte(1252, u"a\u4E2Db", &lossy), "a?b");
  EXPECT_TRUE(lossy);
  EXPECT_EQ(WideToMultiByte(1252, u"caf\u00E9", &lossy), "caf\xE9");
  EXPECT_FALSE(lossy);
  EXPECT_EQ(WideToMultiByte(1252, u"a?", &lossy), "a?");  // a question mark of its own
  EXPECT_FALSE(lossy);
  WideToMultiByte(65001, u"\U0001F600", &lossy);
  EXPECT_FALSE(lossy);
}

TEST(CodePage, DeclarationNamesOfCodePages) {
  EXPECT_EQ(CharsetNameOf(65001), "UTF-8");
  EXPECT_EQ(CharsetNameOf(1252), "windows-1252");
  EXPECT_EQ(CharsetNameOf(1251), "windows-1251");
  EXPECT_EQ(CharsetNameOf(28592), "ISO-8859-2");
  EXPECT_EQ(CharsetNameOf(20866), "KOI8-R");
}

}  // namespace
}  // namespace zel
