#include "fileio/VyHugeF.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/Memory.h"
#include "platform/TestFiles.h"
#include "platform/Ticks.h"

namespace zel {
namespace {

using test::TTempDir;
using test::WriteBytes;

std::string Digits(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('0' + i % 10);
  return s;
}

class HugeFile : public ::testing::Test {
 protected:
  TVyFileOpenResult Open(TVyHugeFile& f, uint32_t bufferSize = 0) {
    return f.OpenRead(1, bufferSize, 0, 0, {vfoBuffered}, nullptr);
  }
  std::string Name(const char* name = "f") { return dir.File(name); }
  TTempDir dir;
};

TEST_F(HugeFile, MissingFileFailsWithItsCodeUnlessItMayBeCreated) {
  TVyHugeFile f(Name(), 128, GENERIC_READ, 0);
  EXPECT_EQ(Open(f), vfrError);
  EXPECT_EQ(f.LastOsError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(f.IsOpen());
  EXPECT_FALSE(f.HasBuffer());

  EXPECT_EQ(f.OpenRead(1, 0, 0, 0, {vfoBuffered, vfoCanCreate}, nullptr), vfrOk);
  EXPECT_EQ(f.FileSize(), 0);
  EXPECT_TRUE(std::filesystem::exists(Name()));
}

TEST_F(HugeFile, BufferSizeIsRoundedToWholePages) {
  WriteBytes(Name(), "x");
  const uint32_t page = GetPageSize();
  TVyHugeFile f(Name(), 128, GENERIC_READ, 0);
  ASSERT_EQ(Open(f, 0), vfrOk);
  EXPECT_EQ(f.BufferSize(), 65536u);
  f.Close();
  ASSERT_EQ(Open(f, 5000), vfrOk);
  EXPECT_EQ(f.BufferSize(), (5000 + page - 1) / page * page);
  if (page == 4096) {
    EXPECT_EQ(f.BufferSize(), 8192u);
  }
  f.Close();
  ASSERT_EQ(Open(f, page), vfrOk);
  EXPECT_EQ(f.BufferSize(), page);
  // Unbuffered access gets a buffer too; the size given is then not taken.
  f.Close();
  ASSERT_EQ(f.OpenRead(1, 5000, 0, 0, {}, nullptr), vfrOk);
  EXPECT_TRUE(f.HasBuffer());
}

TEST_F(HugeFile, ShortAndExactReads) {
  WriteBytes(Name(), Digits(100));
  TVyHugeFile f(Name(), 128, GENERIC_READ, 0);
  ASSERT_EQ(Open(f), vfrOk);
  char buf[1024];
  uint32_t got = 0;
  f.BlockRead(buf, 1024, got);
  EXPECT_EQ(got, 100u);
  EXPECT_EQ(std::string(buf, got), Digits(100));
  EXPECT_EQ(f.FilePos(), 100);
  f.BlockRead(buf, 10, got);
  EXPECT_EQ(got, 0u);

  WriteBytes(Name("one"), "z");
  TVyHugeFile g(Name("one"), 128, GENERIC_READ, 0);
  ASSERT_EQ(Open(g), vfrOk);
  try {
    g.BlockReadUnsafe(buf, 2);
    FAIL() << "no exception";
  } catch (const EVyHugeFile& e) {
    EXPECT_EQ(e.Message(), "Read beyond end of file");
    EXPECT_EQ(e.HelpContext(), 1008);
  }
}

TEST_F(HugeFile, SeekInsideTheBufferCostsNoSystemCall) {
  WriteBytes(Name(), "abcdef");
  TVyHugeFile f(Name(), 128, GENERIC_READ, 0);
  ASSERT_EQ(Open(f), vfrOk);
  char buf[2];
  f.BlockReadUnsafe(buf, 2);
  const uint64_t calls = f.OsCallCount();
  f.Seek(0);
  EXPECT_EQ(f.OsCallCount(), calls);
  EXPECT_EQ(f.FilePos(), 0);
  f.BlockReadUnsafe(buf, 2);
  EXPECT_EQ(std::string(buf, 2), "ab");
  f.Seek(4);
  f.BlockReadUnsafe(buf, 2);
  EXPECT_EQ(std::string(buf, 2), "ef");
  EXPECT_EQ(f.OsCallCount(), calls);
}

TEST_F(HugeFile, LargeReadsBypassTheBufferAndNeverRepeatData) {
  const std::string data = Digits(30000) + "END";
  WriteBytes(Name(), data);
  TVyHugeFile f(Name(), 128, GENERIC_READ, 0);
  const uint32_t page = GetPageSize();
  ASSERT_EQ(Open(f, page), vfrOk);
  std::string buf(60000, '\0');
  uint32_t got = 0;
  f.BlockRead(buf.data(), 7, got);
  f.BlockRead(buf.data() + 7, 3 * page + 5, got);
  EXPECT_EQ(got, 3 * page + 5);
  f.BlockRead(buf.data() + 7 + got, 40000, got);  // runs into the end of the file
  EXPECT_EQ(f.FilePos(), static_cast<int64_t>(data.size()));
  buf.resize(data.size());
  EXPECT_EQ(buf, data);
  f.BlockRead(buf.data(), 100, got);
  EXPECT_EQ(got, 0u);  // the buffer's old data is not handed out again
  // Seeking back after the direct read goes to the file.
  f.Seek(30000);
  char end[3];
  f.BlockReadUnsafe(end, 3);
  EXPECT_EQ(std::string(end, 3), "END");
}

TEST_F(HugeFile, BlocksOfMoreThanOneByte) {
  WriteBytes(Name(), Digits(103));
  TVyHugeFile f(Name(), 128, GENERIC_READ, 0);
  ASSERT_EQ(f.OpenRead(4, 0, 0, 0, {vfoBuffered}, nullptr), vfrOk);
  EXPECT_EQ(f.FileSize(), 25);
  char buf[400];
  uint32_t got = 0;
  f.BlockRead(buf, 2, got);
  EXPECT_EQ(got, 2u);
  EXPECT_EQ(f.FilePos(), 2);
  f.Seek(5);
  f.BlockReadUnsafe(buf, 1);
  EXPECT_EQ(std::string(buf, 4), "0123");
  f.BlockRead(buf, 100, got);
  EXPECT_EQ(got, 19u);  // the three bytes of a partial block do not count
  EXPECT_EQ(f.OpenRead(0, 0, 0, 0, {vfoBuffered}, nullptr), vfrError);
}

TEST_F(HugeFile, UnbufferedReads) {
  WriteBytes(Name(), Digits(50));
  TVyHugeFile f(Name(), 128, GENERIC_READ, 0);
  ASSERT_EQ(f.OpenRead(1, 0, 0, 0, {}, nullptr), vfrOk);
  char buf[64];
  uint32_t got = 0;
  f.BlockRead(buf, 10, got);
  EXPECT_EQ(f.FilePos(), 10);
  f.Seek(45);
  f.BlockRead(buf, 10, got);
  EXPECT_EQ(std::string(buf, got), "56789");
  EXPECT_THROW(f.BlockReadUnsafe(buf, 1), EVyHugeFile);
}

TEST_F(HugeFile, OpeningAgainStartsOver) {
  WriteBytes(Name(), "abcdef");
  TVyHugeFile f(Name(), 128, GENERIC_READ, 0);
  ASSERT_EQ(Open(f), vfrOk);
  char buf[4];
  f.BlockReadUnsafe(buf, 4);
  ASSERT_EQ(Open(f), vfrOk);
  EXPECT_EQ(f.FilePos(), 0);
  f.BlockReadUnsafe(buf, 2);
  EXPECT_EQ(std::string(buf, 2), "ab");
}

TEST_F(HugeFile, ClosedObjectsRaiseFileNotOpen) {
  TVyHugeFile f(Name("never"), 128, GENERIC_READ, 0);
  const std::string expected = "TVyHugeFile(" + Name("never") + "):File not open!";
  for (auto call : {+[](TVyHugeFile& x) { x.FileSize(); }, +[](TVyHugeFile& x) { x.FilePos(); },
                    +[](TVyHugeFile& x) { x.Seek(0); }}) {
    try {
      call(f);
      ADD_FAILURE() << "no exception";
    } catch (const EVyHugeFile& e) {
      EXPECT_EQ(e.Message(), expected);
      EXPECT_EQ(e.HelpContext(), 1004);
    }
  }
  f.Close();  // closing a closed object does nothing
}

// Reaches the system error reporting that real failures would go through.
class TProbe : public TVyHugeFile {
 public:
  using TVyHugeFile::CheckOsResult;
  using TVyHugeFile::TVyHugeFile;
};

TEST_F(HugeFile, SystemErrorsNameOperationFileCodeAndText) {
  TProbe f("x.xml", 128, GENERIC_READ, 0);
  SetLastError(ERROR_ACCESS_DENIED);
  try {
    f.CheckOsResult(false, "Fetch");
    FAIL();
  } catch (const EVyHugeFile& e) {
    EXPECT_EQ(e.Message(), "TVyHugeFile.Fetch(x.xml) failed. System Error.  Code: 5.\r\n" +
                               SysErrorMessageFor(ERROR_ACCESS_DENIED));
    EXPECT_EQ(e.HelpContext(), 1001);
  }
  EXPECT_EQ(f.LastOsError(), ERROR_ACCESS_DENIED);
  SetLastError(0);
  try {
    f.CheckOsResult(false, "Seek");
    FAIL();
  } catch (const EVyHugeFile& e) {
    EXPECT_EQ(e.Message(), "TVyHugeFile.Seek(x.xml) failed. A call to an OS function failed");
    EXPECT_EQ(e.HelpContext(), 1002);
  }
  EXPECT_NO_THROW(f.CheckOsResult(true, "Seek"));
}

class HeldHugeFile : public HugeFile {
 protected:
  void SetUp() override {
    WriteBytes(Name(), "held");
    held = std::make_unique<test::THeldFile>(Name());
  }
  std::unique_ptr<test::THeldFile> held;
};

TEST_F(HeldHugeFile, FailsAtOnceWithoutTimeout) {
  TVyHugeFile f(Name(), 128, GENERIC_READ, 0);
  const uint32_t start = GetTickCount();
  EXPECT_EQ(f.OpenRead(1, 0, 0, 100, {vfoBuffered}, nullptr), vfrLocked);
  EXPECT_LT(GetTickCount() - start, 90u);  // no retry delay was waited
  EXPECT_EQ(f.LastOsError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(f.IsOpen());
}

TEST_F(HeldHugeFile, RetriesUntilTheTimeoutHasPassed) {
  TVyHugeFile f(Name(), 128, GENERIC_READ, 0);
  const uint32_t start = GetTickCount();
  EXPECT_EQ(f.OpenRead(1, 0, 300, 50, {vfoBuffered}, nullptr), vfrLocked);
  const uint32_t elapsed = GetTickCount() - start;
  EXPECT_GT(elapsed, 300u);
  EXPECT_LT(elapsed, 3000u);
  // Without a delay the retries run at once until the timeout.
  const uint32_t start2 = GetTickCount();
  EXPECT_EQ(f.OpenRead(1, 0, 150, 0, {vfoBuffered}, nullptr), vfrLocked);
  EXPECT_GT(GetTickCount() - start2, 150u);
}

TEST_F(HeldHugeFile, SucceedsWhenReleasedDuringTheRetries) {
  TVyHugeFile f(Name(), 128, GENERIC_READ, 0);
  std::thread releaser([&] {
    Sleep(100);
    held->Release();
  });
  EXPECT_EQ(f.OpenRead(1, 0, 10000, 20, {vfoBuffered}, nullptr), vfrOk);
  releaser.join();
  EXPECT_EQ(f.FileSize(), 4);
}

TEST_F(HeldHugeFile, ASignalledWaitObjectEndsTheRetries) {
  TVyHugeFile f(Name(), 128, GENERIC_READ, 0);
  TWaitObject stop;
  std::thread signaller([&] {
    Sleep(100);
    stop.SetEvent();
  });
  const uint32_t start = GetTickCount();
  EXPECT_EQ(f.OpenRead(1, 0, 20000, 5000, {vfoBuffered}, &stop), vfrLocked);
  const uint32_t elapsed = GetTickCount() - start;
  signaller.join();
  EXPECT_GE(elapsed, 80u);
  EXPECT_LT(elapsed, 4000u);  // well before one retry delay ran out
}

TEST_F(HugeFile, TheObjectHoldsTheFileUntilItGoes) {
  WriteBytes(Name(), "abc");
  {
    TVyHugeFile f(Name(), 128, GENERIC_READ, 0);
    ASSERT_EQ(Open(f), vfrOk);
    TVyHugeFile other(Name(), 128, GENERIC_READ, 0);
    EXPECT_EQ(Open(other), vfrLocked);
  }
  TVyHugeFile again(Name(), 128, GENERIC_READ, 0);
  EXPECT_EQ(Open(again), vfrOk);
}

}  // namespace
}  // namespace zel
