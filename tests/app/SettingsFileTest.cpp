// The settings file between editors: several closing at once, and another program holding a
// lock on the settings folder or on the settings file's own lock.

#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "base/StrUtils.h"
#include "platform/Profile.h"
#include "settings/IniFile.h"
#include "settings/ZelReopen.h"
#include "tests/app/AppTestUtil.h"

namespace zel::test {
namespace {

using Files = std::vector<std::string>;

const char* const kRecent = "Zel XML Editor Recent";

std::vector<std::string> StoredRecent() {
  TZelReopen list;
  list.LoadFromIni(SettingsFileName, kRecent);
  return list.Files();
}

// Six editors, each with a file of its own open, close at the same moment: every one's file is
// in the list afterwards, once.
TEST_F(FormTest, SixEditorsClosingTogetherKeepEveryOnesFile) {
  const std::string go = FDir.File("go");
  std::vector<std::string> files;
  std::vector<pid_t> editors;
  for (int i = 0; i < 6; ++i) {
    files.push_back(FDir.File(Format("editor%d.xml", i)));
    WriteBytes(files.back(), Catalog(1));
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      execl(ZEL_SETTINGS_CHILD, ZEL_SETTINGS_CHILD, files.back().c_str(), go.c_str(), nullptr);
      _exit(127);
    }
    editors.push_back(pid);
  }
  std::vector<int> statuses(editors.size(), -1);
  for (size_t i = 0; i < files.size(); ++i) {
    // An editor that ends before its file is open fails the test below.
    while (!std::filesystem::exists(files[i] + ".open") &&
           waitpid(editors[i], &statuses[i], WNOHANG) == 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  WriteBytes(go, "");
  for (size_t i = 0; i < editors.size(); ++i) {
    if (statuses[i] == -1) waitpid(editors[i], &statuses[i], 0);
    EXPECT_TRUE(WIFEXITED(statuses[i]) && WEXITSTATUS(statuses[i]) == 0) << statuses[i];
  }
  std::vector<std::string> stored = StoredRecent();
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, files);
}

// Any program may lock the folder: the editor's own lock is elsewhere, so nothing waits for
// it and nothing is lost.
TEST_F(FormTest, ALockOnTheSettingsFolderNeitherHoldsUpNorDropsASetting) {
  const THeldLock folder(FDir.Path());
  TFormMain& f = Form();
  Open(FDir.File("a.xml"));
  Open(FDir.File("b.xml"));
  EXPECT_TRUE(f.close());
  EXPECT_TRUE(FDialogs.Errors().empty());
  EXPECT_EQ(StoredRecent(), (Files{FDir.File("b.xml"), FDir.File("a.xml")}));
  EXPECT_EQ(TIniFile(SettingsFileName).ReadString("Zel XML Editor Window", "FormVersion", ""), "0");
}

// Another program holding the settings file's lock: the list's writes while the editor runs
// fail quietly and keep their changes; the close waits with the window answering, says why it
// cannot write and offers Retry, which writes everything once the lock is gone.
TEST_F(FormTest, AHeldSettingsLockAsksToRetryAndLosesNothing) {
  TFormMain& f = Form();
  SetProfileLockPatience(std::chrono::milliseconds(100));
  const std::string lock = SettingsFileName + ".lock";
  WriteBytes(lock, "");
  THeldLock held(lock);
  Open(FDir.File("a.xml"));
  Open(FDir.File("b.xml"));
  EXPECT_TRUE(FDialogs.Shown.size() == 2 && FDialogs.Errors().empty());  // the two open dialogs
  EXPECT_TRUE(StoredRecent().empty());

  bool answered = false;
  QMetaObject::invokeMethod(
      &f, [&] { answered = true; }, Qt::QueuedConnection);
  FDialogs.WhileShown = [&](const QString&) {
    EXPECT_TRUE(answered);  // the window ran its queued work while it waited
    held.Release();
  };
  FDialogs.Answers = {IDRETRY};
  EXPECT_TRUE(f.close());
  SetProfileLockPatience(kProfileLockPatience);
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_EQ(FDialogs.Errors()[0],
            QString::fromStdString("Unable to write to " + SettingsFileName +
                                   ": the file is locked by another program"));
  EXPECT_EQ(FDialogs.Shown.back().Flags, unsigned(MB_RETRYCANCEL | MB_ICONERROR));
  EXPECT_EQ(StoredRecent(), (Files{FDir.File("b.xml"), FDir.File("a.xml")}));
  EXPECT_EQ(TIniFile(SettingsFileName).ReadString("Zel XML Editor Window", "FormVersion", ""), "0");
}

}  // namespace
}  // namespace zel::test
