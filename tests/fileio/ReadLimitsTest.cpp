// Files that change or lie about their size, odd UTF-16 tails, and positions and buffer sizes
// at the edges of their types.

#include <gtest/gtest.h>

#include <climits>
#include <fstream>

#include "fileio/TextChecks.h"
#include "fileio/VyTextFile.h"
#include "platform/CodePage.h"
#include "platform/Memory.h"
#include "platform/TestFiles.h"

namespace zel {
namespace {

using test::TTempDir;
using test::WriteBytes;

std::u16string ReadAllLines(TVyTextFile& f, size_t& count) {
  std::u16string all;
  count = 0;
  // The bound only keeps a broken end-of-file test from hanging the test run.
  while (!f.Eof() && count < 1000) {
    all += f.Readln() + u"|";
    ++count;
  }
  return all;
}

TEST(ReadLimits, AFileThatGrowsWhileReadStillEndsAtItsSizeAtOpen) {
  TTempDir dir;
  const std::string name = dir.File("grows");
  WriteBytes(name, "a\nb\n");
  TVyTextFile f(name, FILE_ATTRIBUTE_NORMAL, GENERIC_READ, 0);
  f.Reset({}, 0, CP_UTF8);
  std::ofstream(name, std::ios::app) << std::string(5000, 'x') << "\n";
  size_t count = 0;
  EXPECT_EQ(ReadAllLines(f, count), u"a|b|");
  EXPECT_EQ(count, 2u);
}

TEST(ReadLimits, AFileWhoseSizeLiesEnds) {
  // Files under /proc report size 0 and files under /sys a whole page, whatever they hold.
  for (const char* name : {"/proc/self/status", "/sys/kernel/mm/transparent_hugepage/enabled"}) {
    std::ifstream probe(name);
    if (!probe) continue;
    TVyTextFile f(name, FILE_ATTRIBUTE_NORMAL, GENERIC_READ, FILE_SHARE_READ);
    f.Reset({}, 0, CP_UTF8);
    size_t count = 0;
    ReadAllLines(f, count);
    EXPECT_LT(count, 1000u) << name;
  }
}

TEST(ReadLimits, AnOddLastByteAfterACarriageReturnIsNoLineBreak) {
  TTempDir dir;
  const std::string name = dir.File("odd");
  // 'a', CR, then one byte 0A: without its second byte it is no LF unit.
  WriteBytes(name, std::string("\xFF\xFE"
                               "a\0\r\0\n",
                               7));
  size_t count = 0;
  {
    TVyTextFile f(name, FILE_ATTRIBUTE_NORMAL, GENERIC_READ, 0);
    f.Reset({}, 0, 0);
    EXPECT_EQ(ReadAllLines(f, count), u"a\r\uFFFD|");
  }
  // A whole CR LF at the very end is still a break.
  WriteBytes(name, std::string("\xFF\xFE"
                               "a\0\r\0\n\0",
                               8));
  TVyTextFile g(name, FILE_ATTRIBUTE_NORMAL, GENERIC_READ, 0);
  g.Reset({}, 0, 0);
  EXPECT_EQ(ReadAllLines(g, count), u"a|");
}

class HugeFileEdges : public ::testing::Test {
 protected:
  void SetUp() override { WriteBytes(name, "0123456789"); }
  TTempDir dir;
  std::string name = dir.File("f");
};

TEST_F(HugeFileEdges, ASeekBeyondEveryPositionFailsInsteadOfWrapping) {
  for (TVyFileOpenOptions options : {TVyFileOpenOptions{vfoBuffered}, TVyFileOpenOptions{}}) {
    TVyHugeFile f(name, FILE_ATTRIBUTE_NORMAL, GENERIC_READ, 0);
    ASSERT_EQ(f.OpenRead(4, 0, 0, 0, options, nullptr), vfrOk);
    try {
      f.Seek(INT64_MAX / 2);
      FAIL();
    } catch (const EVyHugeFile& e) {
      EXPECT_EQ(e.HelpContext(), 1001);
      EXPECT_NE(e.Message().find("Invalid argument"), std::string::npos) << e.Message();
    }
  }
}

TEST_F(HugeFileEdges, ANegativeSeekGivesTheSystemsText) {
  TVyHugeFile f(name, FILE_ATTRIBUTE_NORMAL, GENERIC_READ, 0);
  ASSERT_EQ(f.OpenRead(1, 0, 0, 0, {}, nullptr), vfrOk);
  try {
    f.Seek(-1);
    FAIL();
  } catch (const EVyHugeFile& e) {
    EXPECT_EQ(e.Message().find("Unknown error"), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("Invalid argument"), std::string::npos) << e.Message();
  }
}

TEST_F(HugeFileEdges, AnUnbufferedShortExactReadIsNoSystemError) {
  TVyHugeFile f(name, FILE_ATTRIBUTE_NORMAL, GENERIC_READ, 0);
  ASSERT_EQ(f.OpenRead(1, 0, 0, 0, {}, nullptr), vfrOk);
  char buf[16];
  try {
    f.BlockReadUnsafe(buf, 11);
    FAIL();
  } catch (const EVyHugeFile& e) {
    EXPECT_EQ(e.HelpContext(), 1002);
    EXPECT_EQ(e.Message(),
              "TVyHugeFile.BlockReadUnsafe(" + name + ") failed. A call to an OS function failed");
  }
}

// Reaches the rounding of the buffer size without allocating gigabytes.
class TRounding : public TVyHugeFile {
 public:
  TRounding() : TVyHugeFile("x", FILE_ATTRIBUTE_NORMAL, GENERIC_READ, 0) {}
  uint32_t Rounded(uint32_t size) {
    FBufferSize = size;
    RoundToPageSize();
    return FBufferSize;
  }
};

TEST(HugeFileBuffer, SizesNearTheTopOfTheRangeDoNotWrapToZero) {
  TRounding f;
  const uint32_t top = UINT32_MAX / GetPageSize() * GetPageSize();
  EXPECT_EQ(f.Rounded(UINT32_MAX), top);
  EXPECT_EQ(f.Rounded(top + 1), top);
  EXPECT_EQ(f.Rounded(top), top);
  EXPECT_EQ(f.Rounded(1), GetPageSize());
}

TEST(TextChecks, FindsTheFirstNulByteByLineAndColumn) {
  TTempDir dir;
  const std::string name = dir.File("n");
  WriteBytes(name, "<a>\r\n<b>\r\rxy");
  EXPECT_FALSE(FindNulByte(name).has_value());
  WriteBytes(name, std::string("<a>\r\n<b>\r\rxy\0z", 14));
  const auto pos = FindNulByte(name);
  ASSERT_TRUE(pos.has_value());
  EXPECT_EQ(pos->Line, 4u);
  EXPECT_EQ(pos->Column, 3u);
  // Far into a large file, past the pieces it is read in.
  WriteBytes(name, std::string(3 << 20, 'x') + "\n" + std::string("ab\0", 3));
  EXPECT_EQ(FindNulByte(name)->Line, 2u);
  EXPECT_EQ(FindNulByte(name)->Column, 3u);
}

}  // namespace
}  // namespace zel
