// Saves that fail or die half way: the target is always either the old file or the new one,
// never a mix, and a failure says what went wrong.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "ZelXMLTreeTestUtil.h"
#include "base/Exception.h"
#include "platform/SafeFile.h"

using namespace zel;
using namespace zeltest;

namespace {

// Several megabytes of outline, so that a save takes many writes to the disk.
std::string LargeDocument(int items) {
  std::string xml = "<catalog>\r\n";
  for (int i = 0; i < items; ++i)
    xml += "<book id=\"" + std::to_string(i) + "\"><title>Title " + std::to_string(i) +
           "</title><price>9.95</price></book>\r\n";
  return xml + "</catalog>\r\n";
}

class WriteFaultScope {
 public:
  WriteFaultScope(int nth, int err) { SetSafeFileWriteFault(nth, err); }
  ~WriteFaultScope() { SetSafeFileWriteFault(0, 0); }
};

size_t EntriesIn(const std::string& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

}  // namespace

TEST(ZelXMLTreeSaveFaults, ADiskThatFillsUpLeavesTheTargetAsItWas) {
  TempDir dir;
  Recorder r;
  r.component.LoadFromFile(dir.Write("big.xml", LargeDocument(40000)));
  const std::string outline = OutlineOf(r.tree);
  const std::string target = dir.Write("target.xml", "<old/>\r\n");
  for (int nth : {1, 2, 3}) {
    SCOPED_TRACE(nth);
    WriteFaultScope fault(nth, ENOSPC);
    try {
      r.component.SaveToFile(target);
      ADD_FAILURE() << "the save succeeded";
    } catch (const EWriteError& e) {
      EXPECT_EQ(e.Message(), "Cannot write file \"" + target + "\". No space left on device");
    }
    EXPECT_FALSE(r.component.IsBusy());
    EXPECT_EQ(ReadAll(target), "<old/>\r\n");
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);   // no temporary file left behind
    EXPECT_EQ(OutlineOf(r.tree), outline);  // the root keeps its name too
  }
  // With room again the same component saves.
  r.component.SaveToFile(target);
  EXPECT_EQ(ReadAll(target).substr(0, 11), "<catalog>\r\n");
}

TEST(ZelXMLTreeSaveFaults, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
  TempDir dir;
  Recorder r;
  r.component.LoadFromFile(dir.Write("big.xml", LargeDocument(60000)));
  r.component.SaveToFile(dir.File("new.xml"));
  const std::string newBytes = ReadAll(dir.File("new.xml"));
  const std::string oldBytes = "<old>\r\n\t<a />\r\n</old>\r\n";
  const std::string target = dir.Write("target.xml", oldBytes);

  std::mt19937 random(13);
  std::uniform_int_distribution<int> delayUs(0, 60000);
  int sawOld = 0, sawNew = 0;
  for (int round = 0; round < 25; ++round) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      try {
        r.component.SaveToFile(target);
      } catch (...) {
        _exit(2);
      }
      _exit(0);
    }
    usleep(static_cast<useconds_t>(delayUs(random)));
    kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    const std::string now = ReadAll(target);
    ASSERT_TRUE(now == oldBytes || now == newBytes)
        << "round " << round << ": " << now.size() << " bytes";
    if (now == oldBytes) {
      ++sawOld;
    } else {
      ++sawNew;
      std::filesystem::remove(target);
      dir.Write("target.xml", oldBytes);
    }
  }
  // Either outcome is correct; the counts only show which moments the kills hit.
  RecordProperty("old", sawOld);
  RecordProperty("new", sawNew);
}
