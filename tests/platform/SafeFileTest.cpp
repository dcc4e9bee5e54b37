// Saving over every kind of target, and what is left behind when a save fails or dies.

#include "platform/SafeFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/Exception.h"
#include "platform/TestFiles.h"

namespace zel {
namespace {

using test::TTempDir;
using test::WriteBytes;

std::string ReadAll(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

size_t EntriesIn(const std::string& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

TEST(SafeFile, WritesInPiecesAndLongRunsWhole) {
  TTempDir dir;
  const std::string name = dir.File("big.xml");
  TSafeFileWriter w(name);
  std::string expected;
  for (size_t run : {size_t{3}, size_t{70000}, size_t{3u << 20}, size_t{0}, size_t{1}}) {
    w.WriteRepeated('\t', run);
    w.Write("<x>\r\n");
    expected.append(run, '\t');
    expected += "<x>\r\n";
  }
  const std::string large(1500000, 'y');
  w.Write(large);
  expected += large;
  EXPECT_FALSE(std::filesystem::exists(name));  // nothing in place before Commit
  w.Commit();
  EXPECT_EQ(ReadAll(name), expected);
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(SafeFile, ALongNameNeedsNoLongerTemporaryName) {
  TTempDir dir;
  const std::string name = dir.File(std::string(250, 'n') + ".xml");  // 254 of at most 255
  WriteBytes(name, "old");
  WriteFileAtomically(name, "new");
  EXPECT_EQ(ReadAll(name), "new");
}

TEST(SafeFile, ACharacterDeviceIsWrittenInPlace) {
  WriteFileAtomically("/dev/null", "data");
  struct stat st {};
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  // Writing to it can still fail, and says so.
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_THROW(WriteFileAtomically("/dev/full", "data"), EWriteError);
  }
}

TEST(SafeFile, FifosSocketsAndLinksToPipesAreNotReplaced) {
  TTempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  try {
    WriteFileAtomically(fifo, "data");
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file \"" + fifo + "\". It is not a regular file.");
  }
  struct stat st {};
  ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const std::string link = dir.File("out");
  ASSERT_EQ(symlink(("/proc/self/fd/" + std::to_string(fds[1])).c_str(), link.c_str()), 0);
  EXPECT_THROW(WriteFileAtomically(link, "data"), EFCreateError);
  close(fds[0]);
  close(fds[1]);
  EXPECT_EQ(EntriesIn(dir.Path()), 2u);
}

TEST(SafeFile, ADanglingLinkCreatesItsTarget) {
  TTempDir dir;
  const std::string link = dir.File("link.xml");
  ASSERT_EQ(symlink("sub/target.xml", link.c_str()), 0);
  std::filesystem::create_directory(dir.File("sub"));
  WriteFileAtomically(link, "data");
  EXPECT_EQ(ReadAll(dir.File("sub/target.xml")), "data");
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(SafeFile, TheOwnerIsKeptWhereTheProcessMaySetIt) {
  if (geteuid() != 0) GTEST_SKIP() << "only a privileged process may give files away";
  TTempDir dir;
  const std::string name = dir.File("owned.xml");
  WriteBytes(name, "old");
  ASSERT_EQ(chown(name.c_str(), 12345, 23456), 0);
  WriteFileAtomically(name, "new");
  struct stat st {};
  ASSERT_EQ(stat(name.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 12345u);
  EXPECT_EQ(st.st_gid, 23456u);
}

TEST(SafeFile, ASaveThatDiesHalfWayLeavesNothingBehind) {
  TTempDir dir;
  const std::string name = dir.File("t.xml");
  WriteBytes(name, "old");
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    TSafeFileWriter w(name);
    w.Write(std::string(3 << 20, 'x'));  // on its way to the disk
    _exit(0);                            // no destructor, no commit: as if killed
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_EQ(ReadAll(name), "old");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(SafeFile, AnAbandonedWriterLeavesTheTargetAlone) {
  TTempDir dir;
  const std::string name = dir.File("t.xml");
  WriteBytes(name, "old");
  {
    TSafeFileWriter w(name);
    w.Write(std::string(3 << 20, 'x'));
  }
  EXPECT_EQ(ReadAll(name), "old");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

}  // namespace
}  // namespace zel
