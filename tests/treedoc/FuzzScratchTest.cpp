// The fuzz targets' scratch files: nothing another user plants in the temporary folder can
// redirect their writes, even when the targets run as root.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "ZelXMLTreeTestUtil.h"
#include "fuzz/FuzzUtil.h"

using namespace zeltest;

TEST(FuzzScratch, FilesComeFromAPrivateFolderAndFollowNoPlantedLink) {
  TempDir dir;
  const std::string victim = dir.Write("victim", "precious");
  const char* saved = std::getenv("TMPDIR");
  const std::string before = saved != nullptr ? saved : "";
  setenv("TMPDIR", dir.Path().c_str(), 1);
  // Links at every name a process could be expected to use.
  for (const char* tag : {"in", "saved"})
    ASSERT_EQ(
        symlink(victim.c_str(),
                (dir.Path() + "/zelfuzz-" + tag + "-" + std::to_string(getpid()) + ".xml").c_str()),
        0);
  const std::string in = zelfuzz::ScratchFile("in");
  const std::string other = zelfuzz::ScratchFile("in");
  if (saved != nullptr)
    setenv("TMPDIR", before.c_str(), 1);
  else
    unsetenv("TMPDIR");
  const uint8_t bytes[] = {'<', 'a', '/', '>'};
  ASSERT_TRUE(zelfuzz::WriteFile(in, bytes, sizeof bytes));
  EXPECT_EQ(ReadAll(in), "<a/>");
  EXPECT_EQ(ReadAll(victim), "precious");
  EXPECT_NE(in, other);

  const std::string folder = in.substr(0, in.rfind('/'));
  EXPECT_EQ(folder.substr(0, dir.Path().size() + 1), dir.Path() + "/");
  struct stat st {};
  ASSERT_EQ(lstat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, geteuid());
  ASSERT_EQ(lstat(in.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}
