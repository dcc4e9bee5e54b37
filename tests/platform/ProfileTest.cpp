// The profile functions: what a read gives back, what a write changes and what it leaves alone.

#include "platform/Profile.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>

#include "platform/TestFiles.h"
#include "platform/WindowsDir.h"

namespace zel {
namespace {

using test::ReadBytes;
using test::THeldLock;
using test::TTempDir;
using test::WriteBytes;

std::string Get(const std::string& file, const char* section, const char* key,
                const char* def = "<none>") {
  char buf[PROFILE_BUFFER_SIZE];
  const DWORD n = GetPrivateProfileStringA(section, key, def, buf, sizeof buf, file.c_str());
  EXPECT_EQ(n, std::strlen(buf));
  return std::string(buf, n);
}

bool Put(const std::string& file, const char* section, const char* key, const char* value) {
  return WritePrivateProfileStringA(section, key, value, file.c_str());
}

// Sets an environment variable for one test and puts the old value back.
class TEnv {
 public:
  TEnv(const char* name, const char* value) : FName(name) {
    if (const char* old = getenv(name)) FOld = old, FHad = true;
    if (value != nullptr)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~TEnv() {
    if (FHad)
      setenv(FName.c_str(), FOld.c_str(), 1);
    else
      unsetenv(FName.c_str());
  }

 private:
  std::string FName, FOld;
  bool FHad = false;
};

class ProfileTest : public ::testing::Test {
 protected:
  TTempDir FDir;
  std::string FFile = FDir.File("test.ini");
};

TEST_F(ProfileTest, ValuesLoseSurroundingBlanksAndOnePairOfQuotes) {
  WriteBytes(FFile,
             "[S]\n"
             "plain =   some value  \t\n"
             "dq=  \"  inner spaces  \"  \n"
             "sq='single'\n"
             "twice=\"\"x\"\"\n"
             "mixed=\"abc'\n"
             "lone=\"\n"
             "empty=\n"
             "eq=a=b\n");
  EXPECT_EQ(Get(FFile, "S", "plain"), "some value");
  EXPECT_EQ(Get(FFile, "S", "dq"), "  inner spaces  ");
  EXPECT_EQ(Get(FFile, "S", "sq"), "single");
  EXPECT_EQ(Get(FFile, "S", "twice"), "\"x\"");
  EXPECT_EQ(Get(FFile, "S", "mixed"), "\"abc'");
  EXPECT_EQ(Get(FFile, "S", "lone"), "\"");
  EXPECT_EQ(Get(FFile, "S", "empty"), "");
  EXPECT_EQ(Get(FFile, "S", "eq"), "a=b");
}

TEST_F(ProfileTest, NamesMatchWithoutCaseAndTheFirstOfANameCounts) {
  WriteBytes(FFile,
             "  [ Zel XML Editor Recent ]  \r\n"
             "  File1 = one\r\n"
             "FILE1=shadowed\r\n"
             "[zel xml editor recent]\r\n"
             "File2=in second section\r\n");
  EXPECT_EQ(Get(FFile, "ZEL XML EDITOR RECENT", "file1"), "one");
  EXPECT_EQ(Get(FFile, "Zel XML Editor Recent", "File2"), "<none>");
  EXPECT_TRUE(Put(FFile, "ZEL xml EDITOR recent", "fIlE1", "new"));
  EXPECT_EQ(ReadBytes(FFile),
            "  [ Zel XML Editor Recent ]  \r\n"
            "fIlE1=new\r\n"
            "FILE1=shadowed\r\n"
            "[zel xml editor recent]\r\n"
            "File2=in second section\r\n");
}

TEST_F(ProfileTest, MissingThingsAndNullNamesGiveTheDefault) {
  EXPECT_EQ(Get(FFile, "S", "k", "  dflt  "), "dflt");  // no file
  WriteBytes(FFile, "k=before any section\n[S]\nother=1\n[T]\nk=elsewhere\n");
  EXPECT_EQ(Get(FFile, "S", "k"), "<none>");
  EXPECT_EQ(Get(FFile, "U", "k"), "<none>");
  EXPECT_EQ(Get(FFile, nullptr, "k"), "<none>");
  EXPECT_EQ(Get(FFile, "S", nullptr), "<none>");
  EXPECT_EQ(Get(FFile, "S", "k", nullptr), "");
}

TEST_F(ProfileTest, ValuesAreCutToTheBuffer) {
  const std::string longValue(3000, 'v');
  WriteBytes(FFile, "[S]\nk=" + longValue + "\n");
  EXPECT_EQ(Get(FFile, "S", "k"), std::string(PROFILE_BUFFER_SIZE - 1, 'v'));
  char small[5];
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", small, sizeof small, FFile.c_str()), 4u);
  EXPECT_STREQ(small, "vvvv");
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", nullptr, 0, FFile.c_str()), 0u);
}

TEST_F(ProfileTest, AFileThatIsNotRegularReadsAsMissingAndIsNeverReplaced) {
  ASSERT_EQ(mkfifo(FFile.c_str(), 0600), 0);
  EXPECT_EQ(Get(FFile, "S", "k"), "<none>");  // must not block on the FIFO
  EXPECT_FALSE(Put(FFile, "S", "k", "v"));
  struct stat st {};
  ASSERT_EQ(stat(FFile.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  const std::string link = FDir.File("null.ini");
  std::filesystem::create_symlink("/dev/null", link);
  EXPECT_FALSE(Put(link, "S", "k", "v"));
  EXPECT_FALSE(Put(FDir.Path(), "S", "k", "v"));
}

TEST_F(ProfileTest, WritesKeepEveryOtherByte) {
  const std::string before =
      "; settings written by hand\r\n"
      "\r\n"
      "[Window]\r\n"
      "Left=10\r\n"
      "this line is not an entry\r\n"
      "Top=20\r\n"
      "\r\n"
      "# another comment\r\n"
      "[Recent]\r\n"
      "File1=\"/a b/c.xml\"\r\n"
      "\x01\xff binary junk \x7f\r\n"
      "last line without break";
  WriteBytes(FFile, before);
  ASSERT_TRUE(Put(FFile, "Window", "Top", "30"));
  ASSERT_TRUE(Put(FFile, "Window", "Width", "400"));  // after the last key, before the gap
  ASSERT_TRUE(Put(FFile, "Recent", "File2", "/x.xml"));
  ASSERT_TRUE(Put(FFile, "New", "Key", "v"));
  EXPECT_EQ(ReadBytes(FFile),
            "; settings written by hand\r\n"
            "\r\n"
            "[Window]\r\n"
            "Left=10\r\n"
            "this line is not an entry\r\n"
            "Top=30\r\n"
            "Width=400\r\n"
            "\r\n"
            "# another comment\r\n"
            "[Recent]\r\n"
            "File1=\"/a b/c.xml\"\r\n"
            "File2=/x.xml\r\n"
            "\x01\xff binary junk \x7f\r\n"
            "last line without break\r\n"
            "[New]\r\n"
            "Key=v\r\n");
  EXPECT_EQ(Get(FFile, "Recent", "File1"), "/a b/c.xml");
}

TEST_F(ProfileTest, ReplacingTheLastLineKeepsItWithoutALineBreak) {
  WriteBytes(FFile, "[S]\nk=1");
  ASSERT_TRUE(Put(FFile, "S", "k", "2"));
  EXPECT_EQ(ReadBytes(FFile), "[S]\nk=2");
  ASSERT_TRUE(Put(FFile, "S", "j", "3"));
  EXPECT_EQ(ReadBytes(FFile), "[S]\nk=2\nj=3\n");
}

TEST_F(ProfileTest, ANewFileAndAnEmptySectionGetTheirKeys) {
  ASSERT_TRUE(Put(FFile, "S", "k", "v"));
  EXPECT_EQ(ReadBytes(FFile), "[S]\nk=v\n");
  WriteBytes(FFile, "[Empty]");
  ASSERT_TRUE(Put(FFile, "Empty", "k", "v"));
  EXPECT_EQ(ReadBytes(FFile), "[Empty]\nk=v\n");
}

TEST_F(ProfileTest, NullValueRemovesAKeyAndNullKeyEveryLineOfTheSection) {
  WriteBytes(FFile,
             "[A]\nk=1\nj=2\n"
             "[B]\nk=3\n; comment of B\n"
             "[a]\nk=4\n"
             "[C]\nk=5\n");
  ASSERT_TRUE(Put(FFile, "A", "k", nullptr));
  EXPECT_EQ(Get(FFile, "A", "k"), "<none>");
  EXPECT_EQ(Get(FFile, "A", "j"), "2");
  ASSERT_TRUE(Put(FFile, "A", nullptr, nullptr));
  EXPECT_EQ(ReadBytes(FFile), "[B]\nk=3\n; comment of B\n[C]\nk=5\n");
  // Erasing or removing what is not there changes nothing and succeeds.
  ASSERT_TRUE(Put(FFile, "Nothing", nullptr, nullptr));
  ASSERT_TRUE(Put(FFile, "B", "nokey", nullptr));
  ASSERT_TRUE(Put(FFile, "Nothing", "nokey", nullptr));
  EXPECT_EQ(ReadBytes(FFile), "[B]\nk=3\n; comment of B\n[C]\nk=5\n");
  EXPECT_TRUE(Put(FDir.File("missing.ini"), "S", nullptr, nullptr));
  EXPECT_FALSE(std::filesystem::exists(FDir.File("missing.ini")));
}

TEST_F(ProfileTest, NamesAndValuesThatWouldBreakTheFormatAreRefused) {
  WriteBytes(FFile, "[S]\nk=1\n");
  EXPECT_FALSE(Put(FFile, "S", "k", "two\nlines"));
  EXPECT_FALSE(Put(FFile, "S", "k", "cr\rhere"));
  EXPECT_FALSE(Put(FFile, "S", "a=b", "v"));
  EXPECT_FALSE(Put(FFile, "S", "[T]", "v"));
  EXPECT_FALSE(Put(FFile, "S", "  ", "v"));
  EXPECT_FALSE(Put(FFile, "S]x", "k", "v"));
  EXPECT_FALSE(Put(FFile, "", "k", "v"));
  EXPECT_FALSE(Put(FFile, nullptr, "k", "v"));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(ReadBytes(FFile), "[S]\nk=1\n");
}

TEST_F(ProfileTest, AWriteIntoAMissingFolderIsRefused) {
  const std::string lost = FDir.File("no/such/folder/test.ini");
  EXPECT_FALSE(Put(lost, "S", "k", "2"));
  EXPECT_FALSE(std::filesystem::exists(FDir.File("no")));
}

TEST_F(ProfileTest, EveryWriteReplacesTheFileWholeAndLeavesNothingBesideItButItsLock) {
  WriteBytes(FFile, "[S]\nk=1\n");
  struct stat before {
  }, after{};
  ASSERT_EQ(stat(FFile.c_str(), &before), 0);
  ASSERT_TRUE(Put(FFile, "S", "k", "2"));
  ASSERT_EQ(stat(FFile.c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);  // a new file took the name: never half written
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(FDir.Path()))
    names.insert(e.path().filename());
  EXPECT_EQ(names, (std::set<std::string>{"test.ini", "test.ini.lock"}));
}

TEST_F(ProfileTest, AByteOrderMarkIsKeptAndDoesNotHideTheFirstSection) {
  const std::string bom = "\xEF\xBB\xBF";
  WriteBytes(FFile, bom + "[S]\r\nk=1\r\n");
  EXPECT_EQ(Get(FFile, "S", "k"), "1");
  ASSERT_TRUE(Put(FFile, "s", "k", "2"));
  ASSERT_TRUE(Put(FFile, "S", "j", "3"));
  EXPECT_EQ(ReadBytes(FFile), bom + "[S]\r\nk=2\r\nj=3\r\n");
  ASSERT_TRUE(Put(FFile, "S", nullptr, nullptr));
  EXPECT_EQ(ReadBytes(FFile), bom);
}

// A batch reads the file once and sees its own writes; they reach the file in one
// replacement on Commit, on top of what another editor wrote meanwhile, and never without it.
TEST_F(ProfileTest, ABatchReadsOnceAndWritesOnceOnTopOfTheFileAsItIsThen) {
  const std::string before = "; keep\n[S]\nk=0\n";
  WriteBytes(FFile, before);
  {
    TProfileBatch dropped(FFile.c_str());
    ASSERT_TRUE(Put(FFile, "S", "k", "dropped"));
    EXPECT_EQ(Get(FFile, "S", "k"), "dropped");
  }
  EXPECT_EQ(ReadBytes(FFile), before);

  const size_t reads = ProfileFileReads();
  TProfileBatch batch(FFile.c_str());
  for (int i = 1; i <= 100; ++i) {
    EXPECT_EQ(Get(FFile, "S", "k"), std::to_string(i - 1));
    ASSERT_TRUE(Put(FFile, "S", "k", std::to_string(i).c_str()));
  }
  ASSERT_TRUE(Put(FFile, "Gone", "x", "1"));
  ASSERT_TRUE(Put(FFile, "Gone", nullptr, nullptr));
  {
    TProfileBatch inner(FFile.c_str());  // joins the open one
    ASSERT_TRUE(Put(FFile, "T", "x", "y"));
    EXPECT_TRUE(inner.Commit());
  }
  EXPECT_EQ(ReadBytes(FFile), before);
  EXPECT_EQ(ProfileFileReads(), reads + 1);
  WriteBytes(FFile, before + "[Other]\na=b\n");
  struct stat old {};
  ASSERT_EQ(stat(FFile.c_str(), &old), 0);
  ASSERT_TRUE(batch.Commit());
  EXPECT_EQ(ReadBytes(FFile), "; keep\n[S]\nk=100\n[Other]\na=b\n[T]\nx=y\n");
  struct stat now {};
  ASSERT_EQ(stat(FFile.c_str(), &now), 0);
  EXPECT_NE(now.st_ino, old.st_ino);
  EXPECT_EQ(ProfileFileReads(), reads + 2);
  // After Commit every call is a batch of its own again.
  ASSERT_TRUE(Put(FFile, "S", "k", "alone"));
  EXPECT_EQ(Get(FFile, "S", "k"), "alone");
}

// The lock of a settings file is a file of the editor's own beside it: a lock on the folder
// is another program's business, a link in the lock's place is never followed, and a held lock
// fails a write once the patience is over, with the caller kept answering meanwhile, the file
// as it was and the batch ready to try again.
TEST_F(ProfileTest, TheLockIsAFileOfItsOwnAndAHeldOneFailsAWriteInTime) {
  WriteBytes(FFile, "[S]\nk=1\n");
  {
    const THeldLock folder(FDir.Path());
    EXPECT_TRUE(Put(FFile, "S", "k", "2"));
  }
  const std::string lock = FFile + ".lock";
  struct stat st {};
  ASSERT_EQ(lstat(lock.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  int waits = 0;
  SetProfileLockWaiting([&] { ++waits; });
  SetProfileLockPatience(std::chrono::milliseconds(50));
  THeldLock held(lock);
  EXPECT_FALSE(Put(FFile, "S", "k", "3"));
  EXPECT_EQ(GetLastError(), ERROR_LOCK_VIOLATION);
  EXPECT_GT(waits, 0);
  TProfileBatch batch(FFile.c_str());
  ASSERT_TRUE(Put(FFile, "S", "j", "4"));
  EXPECT_FALSE(batch.Commit());
  EXPECT_EQ(ReadBytes(FFile), "[S]\nk=2\n");
  held.Release();
  EXPECT_TRUE(batch.Commit());
  EXPECT_EQ(ReadBytes(FFile), "[S]\nk=2\nj=4\n");
  SetProfileLockWaiting(nullptr);
  SetProfileLockPatience(kProfileLockPatience);

  std::filesystem::remove(lock);
  std::filesystem::create_symlink(FDir.File("target"), lock);
  EXPECT_TRUE(Put(FFile, "S", "k", "5"));
  EXPECT_FALSE(std::filesystem::exists(FDir.File("target")));
  EXPECT_EQ(Get(FFile, "S", "k"), "5");
}

// An update works on the file as it is when it is written, and hears that it was written only
// then; outside a batch that is at once.
TEST_F(ProfileTest, AnUpdateWorksOnTheFileAsItIsWhenWritten) {
  WriteBytes(FFile, "[S]\nn=1\n");
  int written = 0;
  const auto increment = [&] {
    const std::string n = std::to_string(std::stoi(Get(FFile, "S", "n")) + 1);
    EXPECT_TRUE(Put(FFile, "S", "n", n.c_str()));
  };
  TProfileBatch batch(FFile.c_str());
  ASSERT_TRUE(UpdatePrivateProfile(FFile.c_str(), increment, [&] { ++written; }));
  EXPECT_EQ(Get(FFile, "S", "n"), "2");  // the batch's reads see it
  WriteBytes(FFile, "[S]\nn=10\n");      // another editor writes meanwhile
  EXPECT_EQ(written, 0);
  ASSERT_TRUE(batch.Commit());
  EXPECT_EQ(ReadBytes(FFile), "[S]\nn=11\n");
  EXPECT_EQ(written, 1);
  ASSERT_TRUE(UpdatePrivateProfile(FFile.c_str(), increment, [&] { ++written; }));
  EXPECT_EQ(ReadBytes(FFile), "[S]\nn=12\n");
  EXPECT_EQ(written, 2);
}

TEST(WindowsDirTest, WindirWinsElseTheConfigFolderIsMadeAndUsed) {
  TTempDir dir;
  {
    TEnv w("windir", (dir.Path() + "/win/").c_str());
    EXPECT_EQ(GetWindowsDirectory(), dir.Path() + "/win");
  }
  TEnv w("windir", nullptr);
  {
    TEnv x("XDG_CONFIG_HOME", (dir.Path() + "/deep/config").c_str());
    EXPECT_EQ(GetWindowsDirectory(), dir.Path() + "/deep/config");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/deep/config"));
    // A bare settings file name lands in that folder.
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", "Bare.ini"));
    EXPECT_EQ(ReadBytes(dir.Path() + "/deep/config/Bare.ini"), "[S]\nk=v\n");
    char buf[16];
    GetPrivateProfileStringA("S", "k", "", buf, sizeof buf, "Bare.ini");
    EXPECT_STREQ(buf, "v");
  }
  TEnv h("HOME", dir.Path().c_str());
  TEnv x("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(GetWindowsDirectory(), dir.Path() + "/.config");
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/.config"));
}

}  // namespace
}  // namespace zel
