// Saving over every kind of target, and what is left behind when a save fails or dies.

#include "platform/SafeFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "base/Exception.h"
#include "platform/PermissionScope.h"
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

struct stat StatOf(const std::string& name) {
  struct stat st {};
  EXPECT_EQ(stat(name.c_str(), &st), 0) << name;
  return st;
}

std::string AttributeOf(const std::string& name, const char* key) {
  std::string value(4096, '\0');
  const ssize_t n = getxattr(name.c_str(), key, value.data(), value.size());
  return n < 0 ? "<none>" : value.substr(0, static_cast<size_t>(n));
}

// An access ACL as the kernel stores it: the owner rw, user 12345 r, the group r, mask r.
std::string AclGivingUserRead() {
  std::string acl;
  const auto put = [&](uint32_t v, size_t bytes) {
    acl.append(reinterpret_cast<char*>(&v), bytes);
  };
  put(2, 4);  // version
  for (const auto& [tag, perm, id] :
       {std::tuple{0x01u, 6u, ~0u}, std::tuple{0x02u, 4u, 12345u}, std::tuple{0x04u, 4u, ~0u},
        std::tuple{0x10u, 4u, ~0u}, std::tuple{0x20u, 0u, ~0u}}) {
    put(tag, 2);
    put(perm, 2);
    put(id, 4);
  }
  return acl;
}

TEST(SafeFile, ASecondHardLinkSeesTheSavedText) {
  TTempDir dir;
  const std::string name = dir.File("a.xml"), other = dir.File("b.xml");
  WriteBytes(name, "old");
  ASSERT_EQ(link(name.c_str(), other.c_str()), 0);
  const ino_t inode = StatOf(name).st_ino;
  WriteFileAtomically(name, "new");
  EXPECT_EQ(ReadAll(other), "new");
  EXPECT_EQ(StatOf(name).st_ino, inode);
  EXPECT_EQ(StatOf(name).st_nlink, 2u);
  EXPECT_EQ(EntriesIn(dir.Path()), 2u);  // the copy it was written from is gone
}

TEST(SafeFile, AFileTheProcessCannotGiveAwayKeepsItsOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "only a privileged process may make another's file";
  TTempDir dir;
  const std::string name = dir.File("theirs.xml");
  WriteBytes(name, "old");
  ASSERT_EQ(chown(name.c_str(), 12345, 23456), 0);
  ASSERT_EQ(chmod(name.c_str(), 0666), 0);
  {
    test::TPermissionScope scope(1u << CAP_CHOWN);
    if (chown(name.c_str(), 12346, 23456) == 0) GTEST_SKIP() << "files can still be given away";
    WriteFileAtomically(name, "new");
  }
  EXPECT_EQ(ReadAll(name), "new");
  EXPECT_EQ(StatOf(name).st_uid, 12345u);
  EXPECT_EQ(StatOf(name).st_gid, 23456u);
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(SafeFile, ExtendedAttributesAndAclsGoWithTheNewFile) {
  TTempDir dir;
  const std::string name = dir.File("t.xml");
  WriteBytes(name, "old");
  if (setxattr(name.c_str(), "user.zel", "mark", 4, 0) != 0)
    GTEST_SKIP() << "no user attributes here: " << std::strerror(errno);
  const std::string acl = AclGivingUserRead();
  const bool withAcl =
      setxattr(name.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
  const std::string aclBefore = AttributeOf(name, "system.posix_acl_access");
  WriteFileAtomically(name, "new");
  EXPECT_EQ(ReadAll(name), "new");
  EXPECT_EQ(AttributeOf(name, "user.zel"), "mark");
  if (withAcl) {
    EXPECT_EQ(AttributeOf(name, "system.posix_acl_access"), aclBefore);
    EXPECT_EQ(StatOf(name).st_mode & 0777, 0640u);
  }
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(SafeFile, AWritableFileInAReadOnlyFolderIsWrittenFromACopyInTheStateFolder) {
  TTempDir dir;
  const std::string folder = dir.File("ro"), name = dir.File("ro/t.xml");
  std::filesystem::create_directory(folder);
  WriteBytes(name, "old");
  WriteBytes(dir.File("unreadable"), "");
  ASSERT_EQ(chmod(dir.File("unreadable").c_str(), 0), 0);
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  setenv("XDG_STATE_HOME", dir.File("state").c_str(), 1);
  {
    test::TPermissionScope scope;
    if (!test::TPermissionScope::BitsHold(dir.File("unreadable").c_str())) {
      unsetenv("XDG_STATE_HOME");
      GTEST_SKIP() << "permission bits do not hold for this process";
    }
    WriteFileAtomically(name, "new");
  }
  unsetenv("XDG_STATE_HOME");
  EXPECT_EQ(ReadAll(name), "new");
  EXPECT_EQ(EntriesIn(folder), 1u);
  EXPECT_EQ(EntriesIn(dir.File("state/ZelXMLEditor")), 0u);
  chmod(folder.c_str(), 0755);
}

TEST(SafeFile, AFailureWhileWritingInPlaceKeepsTheWholeCopyAndNamesIt) {
  TTempDir dir;
  const std::string name = dir.File("a.xml");
  WriteBytes(name, "old");
  ASSERT_EQ(link(name.c_str(), dir.File("b.xml").c_str()), 0);
  const std::string text(100000, 'x');
  // The copy's write and flush pass, then the first write in place fails.
  SetSafeFileWriteFault(3, EIO);
  try {
    WriteFileAtomically(name, text);
    FAIL();
  } catch (const EWriteError& e) {
    SetSafeFileWriteFault(0, 0);
    const std::string prefix = "Cannot write file \"" + name + "\". ";
    EXPECT_EQ(e.Message().substr(0, prefix.size()), prefix);
    const std::string mark = " The whole new text is kept in \"";
    const size_t at = e.Message().find(mark);
    ASSERT_NE(at, std::string::npos) << e.Message();
    const std::string copy =
        e.Message().substr(at + mark.size(), e.Message().size() - at - mark.size() - 2);
    EXPECT_EQ(copy.substr(0, dir.Path().size() + 1), dir.Path() + "/");
    EXPECT_EQ(ReadAll(copy), text);
  }
  SetSafeFileWriteFault(0, 0);
  EXPECT_EQ(EntriesIn(dir.Path()), 3u);
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
