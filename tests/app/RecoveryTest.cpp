// The recovery file against the real thing: child editors changing their documents at random
// are killed at random moments, and a new window must offer exactly what each one's last
// completed recovery write held, never the file of an editor that still runs.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTimer>
#include <filesystem>
#include <map>
#include <random>
#include <thread>

#include "app/RecoveryFile.h"
#include "base/UpdateGuard.h"
#include "platform/ProcessLock.h"
#include "tests/app/AppTestUtil.h"
#include "tests/app/OutlineDump.h"

namespace zel::test {
namespace {

void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

std::vector<std::string> FilesEndingIn(const std::string& folder, const std::string& ext) {
  std::vector<std::string> out;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().string();
    if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
      out.push_back(name);
  }
  std::sort(out.begin(), out.end());
  return out;
}

class RecoveryTest : public ::testing::Test {
 protected:
  RecoveryTest() {
    setenv("XDG_STATE_HOME", FDir.File("state").c_str(), 1);
    setenv("windir", FDir.Path().c_str(), 1);
    InitializeZelApps();
    FState = StateFolder();
  }
  ~RecoveryTest() override {
    FinalizeZelApps();
    unsetenv("XDG_STATE_HOME");
    unsetenv("windir");
  }

  pid_t StartChild(const std::string& folder, unsigned seed, const std::string& file) {
    std::filesystem::create_directory(folder);
    const pid_t pid = fork();
    if (pid == 0) {
      const std::string s = std::to_string(seed);
      execl(ZEL_RECOVERY_CHILD, ZEL_RECOVERY_CHILD, folder.c_str(), s.c_str(),
            file.empty() ? nullptr : file.c_str(), nullptr);
      _exit(127);
    }
    return pid;
  }

  // A window started now: answers its start-up questions with `answers` and keeps what the
  // offers showed.
  std::unique_ptr<TFormMain> StartWindow(std::deque<int> answers) {
    FDialogs.Shown.clear();
    FDialogs.Answers = std::move(answers);
    auto form = std::make_unique<TFormMain>(&FDialogs);
    form->EnableRecovery(FState, 10);
    form->show();
    RunFor(50);
    EXPECT_TRUE(FDialogs.Answers.empty());
    return form;
  }
  static void Close(std::unique_ptr<TFormMain>& form) {
    form->SetModified(false);
    form->close();
    form.reset();
  }

  TTempDir FDir;
  std::string FState;
  TScriptedDialogs FDialogs;
};

TEST_F(RecoveryTest, KilledEditorsAreOfferedTheirLastCompletedWrite) {
  const std::string doc = FDir.File("doc.xml");
  WriteBytes(doc, Catalog(3));
  std::mt19937 rng(21);
  std::map<long, std::string> expectFolder;  // by the child's process id
  for (int round = 0; round < 8; ++round) {
    const std::string folder = FDir.File("child" + std::to_string(round));
    const std::string file = round % 2 ? doc : "";
    const pid_t child = StartChild(folder, rng(), file);
    // A failed assertion must not leave a child behind: it holds the test's output open.
    TScopeExit reap([child] {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    });
    expectFolder[child] = folder;
    const std::string stem = FState + std::to_string(child) + "-";
    const auto written = [&] {
      for (const std::string& f : FilesEndingIn(FState, ".recovery"))
        if (f.rfind(stem, 0) == 0) return true;
      return false;
    };
    for (int i = 0; i < 1000 && !written(); ++i) RunFor(10);
    ASSERT_TRUE(written());
    if (round == 0) {
      // A window started while the child runs offers nothing of it.
      auto live = StartWindow({});
      EXPECT_TRUE(FDialogs.Shown.empty());
      Close(live);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 300));
    kill(child, SIGKILL);
    // Its write, if one was running, ends with it.
    for (int i = 0; i < 500; ++i) {
      bool running = false;
      for (const std::string& lock : FilesEndingIn(FState, ".lock"))
        if (lock.rfind(stem, 0) == 0) running = !TOwnerLock(lock.substr(0, lock.size() - 5)).Held();
      if (!running) break;
      RunFor(10);
    }

    const std::vector<std::string> files = FilesEndingIn(FState, ".recovery");
    // Cancel keeps every file for the next start.
    auto later = StartWindow(std::deque<int>(files.size(), IDCANCEL));
    ASSERT_EQ(FDialogs.Shown.size(), files.size());
    EXPECT_EQ(FilesEndingIn(FState, ".recovery"), files);
    Close(later);

    // Yes opens the first one offered and keeps the others.
    const TRecoveryHeader header = ReadRecoveryHeader(files.front());
    const std::string expected =
        ReadBytes(expectFolder.at(header.Pid) + "/expect-" + std::to_string(header.Change));
    ASSERT_FALSE(expected.empty()) << header.Change;
    auto form = StartWindow({IDYES});
    ASSERT_EQ(FDialogs.Shown.size(), 1u);
    EXPECT_EQ(FDialogs.Shown[0].Caption, "Confirm");
    EXPECT_EQ(FDialogs.Shown[0].Flags, MB_YESNOCANCEL | MB_ICONQUESTION);
    const std::string name = header.Untitled ? "Untitled.xml" : doc;
    EXPECT_EQ(FDialogs.Shown[0].Text.toStdString(),
              "The document \"" + name +
                  "\" has changes that were not saved when the editor last ended.\rRecover them?");
    EXPECT_EQ(form->FileName(), name);
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(OutlineDump(form->Tree()), expected);
    const auto left = FilesEndingIn(FState, ".recovery");
    EXPECT_EQ(std::count(left.begin(), left.end(), files.front()), 0);
    EXPECT_EQ(left.size(), files.size());  // the others, and the window's own
    Close(form);
  }
  // No deletes them.
  auto last = StartWindow(std::deque<int>(FilesEndingIn(FState, ".recovery").size(), IDNO));
  EXPECT_TRUE(FilesEndingIn(FState, ".recovery").empty());
  Close(last);
  EXPECT_TRUE(FilesEndingIn(FState, ".lock").empty());
}

}  // namespace
}  // namespace zel::test
