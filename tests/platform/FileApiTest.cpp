#include "platform/FileApi.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/TestFiles.h"

namespace zel {
namespace {

using test::TTempDir;
using test::WriteBytes;

HANDLE Open(const std::string& name, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING) {
  return CreateFile(name, access, share, disposition, FILE_ATTRIBUTE_NORMAL);
}

TEST(FileApi, MissingFilesAndFoldersHaveTheirOwnCodes) {
  TTempDir dir;
  EXPECT_EQ(Open(dir.File("none"), GENERIC_READ, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(dir.File("nofolder/none"), GENERIC_READ, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(Open(dir.Path(), GENERIC_READ, 0), INVALID_HANDLE_VALUE);  // a folder
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(SysErrorMessageFor(ERROR_FILE_NOT_FOUND), std::strerror(ENOENT));
  EXPECT_EQ(SysErrorMessageFor(ErrnoToWinError(EXDEV)), std::strerror(EXDEV));
}

TEST(FileApi, ReadSeekAndSize) {
  TTempDir dir;
  WriteBytes(dir.File("f"), "hello world");
  const HANDLE h = Open(dir.File("f"), GENERIC_READ, 0);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  int64_t size = 0;
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size, 11);
  int64_t pos = 0;
  ASSERT_TRUE(SetFilePointerEx(h, 6, &pos, FILE_BEGIN));
  char buf[16] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &read));
  EXPECT_EQ(std::string(buf, read), "world");
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &read));
  EXPECT_EQ(read, 0u);  // the end is no error
  EXPECT_FALSE(SetFilePointerEx(h, -1, nullptr, FILE_BEGIN));
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  EXPECT_TRUE(CloseHandle(h));
}

TEST(FileApi, ShareModesExcludeEachOther) {
  TTempDir dir;
  WriteBytes(dir.File("f"), "data");
  const HANDLE reader1 = Open(dir.File("f"), GENERIC_READ, FILE_SHARE_READ);
  const HANDLE reader2 = Open(dir.File("f"), GENERIC_READ, FILE_SHARE_READ);
  ASSERT_NE(reader1, INVALID_HANDLE_VALUE);
  ASSERT_NE(reader2, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Open(dir.File("f"), GENERIC_READ, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  CloseHandle(reader1);
  CloseHandle(reader2);

  const HANDLE sole = Open(dir.File("f"), GENERIC_READ, 0);
  ASSERT_NE(sole, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Open(dir.File("f"), GENERIC_READ, FILE_SHARE_READ), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  // Creating anew over a held file fails without emptying it.
  EXPECT_EQ(Open(dir.File("f"), GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  int64_t size = 0;
  ASSERT_TRUE(GetFileSizeEx(sole, &size));
  EXPECT_EQ(size, 4);
  CloseHandle(sole);
  const HANDLE again = Open(dir.File("f"), GENERIC_READ, 0);
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  CloseHandle(again);
}

TEST(FileApi, AnotherProcessHoldingTheFileIsASharingViolation) {
  TTempDir dir;
  WriteBytes(dir.File("f"), "data");
  {
    test::THeldFile held(dir.File("f"));
    EXPECT_EQ(Open(dir.File("f"), GENERIC_READ, FILE_SHARE_READ), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  }
  const HANDLE h = Open(dir.File("f"), GENERIC_READ, 0);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
}

TEST(FileApi, CreationDispositions) {
  TTempDir dir;
  const std::string f = dir.File("new");
  HANDLE h = Open(f, GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(h, "abc", 3, &written));
  CloseHandle(h);
  EXPECT_EQ(Open(f, GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  h = Open(f, GENERIC_READ, 0, OPEN_ALWAYS);
  int64_t size = 0;
  GetFileSizeEx(h, &size);
  EXPECT_EQ(size, 3);
  CloseHandle(h);
  h = Open(f, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
  GetFileSizeEx(h, &size);
  EXPECT_EQ(size, 0);
  CloseHandle(h);
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(FileApi, OpeningAFifoToReadDoesNotWaitForAWriter) {
  test::TTempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const HANDLE h = CreateFile(fifo, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char c = 0;
  DWORD got = 1;
  EXPECT_TRUE(ReadFile(h, &c, 1, &got));  // no writer: the end, at once
  EXPECT_EQ(got, 0u);
  CloseHandle(h);
}

}  // namespace
}  // namespace zel
