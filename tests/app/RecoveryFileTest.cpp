// The recovery file as data another user or a careless one may have put in its place: the
// name field decides where Save writes, a record's length decides what is read, and a write
// never follows a link planted in its way.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "editor/RecoveryFile.h"
#include "tests/app/OutlineDump.h"
#include "tests/outline/TreeWriteAccess.h"
#include "tests/platform/TestFiles.h"

namespace zel::test {
namespace {

// A file as editors before the file stamp wrote it.
std::string OldRecoveryText(const std::string& name, bool untitled,
                            const std::string& nodes = "node 0 0 7\ndoc.xml\n") {
  return "ZelXMLEditor recovery 1\npid 1\nchange 1\nuntitled " + std::to_string(untitled) +
         "\nname " + std::to_string(name.size()) + "\n" + name + "\n" + nodes + "end\n";
}

std::string DamagedMessage(const std::string& path) {
  return "The recovery file \"" + path + "\" is damaged.";
}

TEST(RecoveryFileTest, NameFieldMustNameAFileByAbsolutePath) {
  TTempDir dir;
  const std::string file = dir.File("f.recovery");
  const std::string doc = dir.File("doc.xml");
  WriteBytes(doc, "<a/>");
  const std::pair<std::string, bool> bad[] = {
      {"notes.txt", false}, {"../../escape.xml", false}, {"", false},
      {"/dev/null", false}, {dir.Path(), false},         {doc + std::string(1, '\0') + "x", false},
      {doc, true},          {"notes.txt", true},
  };
  for (const auto& [name, untitled] : bad) {
    WriteBytes(file, OldRecoveryText(name, untitled));
    try {
      ReadRecoveryHeader(file);
      ADD_FAILURE() << "accepted \"" << name << "\" untitled " << untitled;
    } catch (const Exception& e) {
      EXPECT_EQ(e.what(), DamagedMessage(file)) << name;
    }
  }
  // A file that is gone since stays a place to save to; an untitled document has no name.
  const std::pair<std::string, bool> good[] = {
      {doc, false}, {dir.File("gone.xml"), false}, {"", true}, {"Untitled.xml", true}};
  for (const auto& [name, untitled] : good) {
    WriteBytes(file, OldRecoveryText(name, untitled));
    const TRecoveryHeader h = ReadRecoveryHeader(file);
    EXPECT_EQ(h.FileName, untitled ? "" : name);
    EXPECT_EQ(h.Untitled, untitled);
    EXPECT_FALSE(h.StampKnown);
  }
}

TEST(RecoveryFileTest, RecordsThatClaimMoreThanTheFileHoldsAreDamage) {
  TTempDir dir;
  const std::string file = dir.File("f.recovery");
  TTreeView tree;
  tree.AddChild(kWrite, nullptr, "kept");
  for (const std::string nodes :
       {"node 0 0 999999\nabc\n", "node 0 0 3\nabc", "node 0 0 99999999999999999999999\n"}) {
    WriteBytes(file, OldRecoveryText("", true, nodes));
    EXPECT_THROW(ReadRecoveryFile(kWrite, file, tree), Exception) << nodes;
    ASSERT_EQ(tree.Count(), 1);  // a damaged file changes nothing
    EXPECT_EQ(tree.GetFirstNode()->Text(), "kept");
  }

  // A sparse gigabyte after a sound start is read as far as the damage goes, not whole.
  WriteBytes(file, OldRecoveryText("", true).substr(0, OldRecoveryText("", true).size() - 4));
  ASSERT_EQ(::truncate(file.c_str(), off_t{1} << 30), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    bool damaged = false;
    try {
      TTreeView t;
      ReadRecoveryFile(kWrite, file, t);
    } catch (const Exception& e) {
      damaged = e.what() == DamagedMessage(file);
    }
    ::getrusage(RUSAGE_SELF, &after);
    const long grownMb = (after.ru_maxrss - before.ru_maxrss) / 1024;
    ::_exit(damaged ? (grownMb < 64 ? 0 : 2) : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not reported as damaged, 2: read whole";
}

TEST(RecoveryFileTest, WritesPrivateFilesAndNeverFollowsLinks) {
  TTempDir dir;
  const std::string file = dir.File("f.recovery"), temp = file + ".part";
  const std::string doc = dir.File("doc.xml");
  WriteBytes(doc, "<a/>");
  TTreeView tree;
  TTreeNode* root = tree.AddChild(kWrite, nullptr, "doc.xml");
  tree.AddChild(kWrite, root, std::string("<a>\0\n\xff</a>", 11));
  root->SetExpanded(true);
  TRecoveryHeader header;
  header.FileName = doc;
  header.Pid = 42;
  header.Change = 7;
  header.StampKnown = true;
  header.Stamp = TFileStamp::Of(doc);
  TRecoveryBuffer buffer;
  ::umask(0);
  // Links planted in place of the file and its temporary file: both stay unfollowed.
  ASSERT_EQ(::symlink(dir.File("t1").c_str(), temp.c_str()), 0);
  ASSERT_EQ(::symlink(dir.File("t2").c_str(), file.c_str()), 0);
  const int err = WriteRecoveryFile(file.c_str(), temp.c_str(), header, tree, buffer);
  ::umask(022);
  ASSERT_EQ(err, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("t1")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("t2")));
  EXPECT_FALSE(std::filesystem::exists(temp));
  struct stat st {};
  ASSERT_EQ(::lstat(file.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  TTreeView back;
  const std::optional<TRecoveryHeader> h = ReadRecoveryFile(kWrite, file, back);
  ASSERT_TRUE(h);
  EXPECT_EQ(h->FileName, doc);
  EXPECT_EQ(h->Pid, 42);
  EXPECT_EQ(h->Change, 7u);
  EXPECT_TRUE(h->StampKnown);
  EXPECT_TRUE(h->Stamp == header.Stamp);
  EXPECT_EQ(OutlineDump(back), OutlineDump(tree));
}

}  // namespace
}  // namespace zel::test
