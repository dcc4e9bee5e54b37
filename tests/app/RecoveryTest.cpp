// The recovery file against the real thing: child editors changing their documents at random
// are killed at random moments, and a new window must offer exactly what each one's last
// completed recovery write held, never the file of an editor that still runs.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <map>
#include <random>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

#include "app/Recovery.h"
#include "base/UpdateGuard.h"
#include "editor/RecoveryFile.h"
#include "platform/ProcessLock.h"
#include "tests/app/AppTestUtil.h"
#include "tests/app/OutlineDump.h"
#include "tests/outline/TreeWriteAccess.h"

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
    MakePrivateFolder(FState);
  }
  ~RecoveryTest() override {
    FinalizeZelApps();
    unsetenv("XDG_STATE_HOME");
    unsetenv("windir");
  }

  pid_t StartChild(const std::string& folder, unsigned seed, const std::string& file,
                   int delayMs = 10) {
    std::filesystem::create_directory(folder);
    const pid_t pid = fork();
    // A failed fork's -1 would make every kill of the child one of every process there is.
    if (pid < 0) throw std::system_error(errno, std::generic_category(), "fork");
    if (pid == 0) {
      const std::string s = std::to_string(seed), d = std::to_string(delayMs);
      execl(ZEL_RECOVERY_CHILD, ZEL_RECOVERY_CHILD, folder.c_str(), s.c_str(), d.c_str(),
            file.empty() ? nullptr : file.c_str(), nullptr);
      _exit(127);
    }
    return pid;
  }

  // A window started now: answers its start-up questions with `answers` and keeps what the
  // offers showed.
  std::unique_ptr<TFormMain> StartWindow(std::deque<int> answers, int delayMs = 10) {
    FDialogs.Shown.clear();
    FDialogs.Answers = std::move(answers);
    auto form = std::make_unique<TFormMain>(&FDialogs);
    form->EnableRecovery(FState, delayMs);
    form->show();
    RunFor(50);
    EXPECT_TRUE(FDialogs.Answers.empty());
    return form;
  }
  // A recovery file of an editor that has ended, as it would have left it.
  std::string Plant(const std::string& stem, const std::string& bytes) {
    const std::string file = FState + stem + ".recovery";
    WriteBytes(file, bytes);
    ::chmod(file.c_str(), 0600);
    return file;
  }
  std::string PlantOutline(const std::string& stem, const std::string& doc, bool stampKnown) {
    TTreeView tree;
    TTreeNode* root = tree.AddChild(kWrite, nullptr, "doc.xml");
    tree.AddChild(kWrite, root, "<recovered/>");
    TRecoveryHeader header;
    header.FileName = doc;
    header.StampKnown = stampKnown;
    header.Stamp = TFileStamp::Of(doc);
    TRecoveryBuffer buffer;
    const std::string file = FState + stem + ".recovery";
    EXPECT_EQ(WriteRecoveryFile(file.c_str(), (file + ".part").c_str(), header, tree, buffer), 0);
    return file;
  }
  // Runs the event loop until `done` or for `ms` at most.
  static void RunUntil(const std::function<bool()>& done, int ms = 20000) {
    for (int i = 0; i < ms / 10 && !done(); ++i) RunFor(10);
  }
  std::string Offer(const std::string& name) const {
    return "The document \"" + name +
           "\" has changes that were not saved when the editor last ended.\rRecover them?";
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& shown : FDialogs.Shown) out.push_back(shown.Text.toStdString());
    return out;
  }
  static void Close(std::unique_ptr<TFormMain>& form) {
    form->Session().SetModified(false);
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
    EXPECT_EQ(form->Session().FileName(), name);
    EXPECT_TRUE(form->Session().Modified());
    EXPECT_EQ(OutlineDump(form->Session().Tree()), expected);
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

TEST_F(RecoveryTest, RecoveredDocumentKnowsWhetherItsFileChangedSince) {
  const std::string doc = FDir.File("doc.xml");
  const std::string overwrite = "The file \"" + doc +
                                "\" was changed by another program since it was opened."
                                "\rOverwrite it?";
  const std::string changedAfter =
      "The file \"" + doc + "\" was changed by another program after these changes were made.";
  struct TCase {
    const char* What;
    bool StampKnown, ChangedSince;
    std::vector<std::string> Expected;  // after the offer, through a Save answered No
  };
  const TCase cases[] = {
      {"as the lost editor left it", true, false, {}},
      {"changed since", true, true, {changedAfter, overwrite}},
      {"of an editor that kept no stamp", false, false, {overwrite}},
  };
  for (const TCase& c : cases) {
    WriteBytes(doc, Catalog(2));
    PlantOutline("1-1-1", doc, c.StampKnown);
    if (c.ChangedSince) WriteBytes(doc, Catalog(3));
    const std::string onDisk = ReadBytes(doc);
    auto form = StartWindow({IDYES});
    FDialogs.Answers = {IDNO};  // the overwrite question, where it comes
    form->FileSave1Execute();
    RunFor(50);
    std::vector<std::string> expected{Offer(doc)};
    expected.insert(expected.end(), c.Expected.begin(), c.Expected.end());
    EXPECT_EQ(Texts(), expected) << c.What;
    EXPECT_EQ(FDialogs.Answers.empty(), !c.Expected.empty()) << c.What;
    FDialogs.Answers.clear();
    if (c.Expected.empty())
      EXPECT_FALSE(form->Session().Modified()) << c.What;
    else
      EXPECT_EQ(ReadBytes(doc), onDisk) << c.What;
    Close(form);
  }
}

TEST_F(RecoveryTest, TheFirstWriteComesSoonHoweverChangesGoOn) {
  auto form = StartWindow({}, 200);
  // A change every few milliseconds, without a pause as long as the delay.
  RunUntil([&] {
    form->Session().Tree().GetFirstNode()->SetText(
        kWrite, "x" + std::to_string(form->Session().Document().Changes()));
    form->Session().SetModified(true);
    return !FilesEndingIn(FState, ".recovery").empty();
  });
  EXPECT_EQ(FilesEndingIn(FState, ".recovery").size(), 1u);
  Close(form);
}

TEST_F(RecoveryTest, EndSignalsWriteTheRecoveryFileFirst) {
  for (const int sig : {SIGTERM, SIGHUP, SIGINT}) {
    const std::string folder = FDir.File("child" + std::to_string(sig));
    // No write of its own would come for an hour.
    const pid_t child = StartChild(folder, unsigned(sig), "", 3600000);
    TScopeExit reap([child] {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    });
    // The change count of the last change made.
    const auto last = [&] {
      unsigned long out = 0;
      for (const std::string& f : FilesEndingIn(folder, ""))
        out = std::max(out, std::stoul(f.substr(f.rfind('-') + 1)));
      return out;
    };
    RunUntil([&] { return FilesEndingIn(folder, "").size() >= 5; });
    ASSERT_GE(FilesEndingIn(folder, "").size(), 5u);
    ASSERT_EQ(kill(child, sig), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << sig;
    EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
    const std::vector<std::string> files = FilesEndingIn(FState, ".recovery");
    ASSERT_EQ(files.size(), 1u) << sig;
    TTreeView tree;
    const std::optional<TRecoveryHeader> header = ReadRecoveryFile(kWrite, files[0], tree);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->Pid, child);
    // The last change it made: nothing after it.
    EXPECT_EQ(header->Change, last()) << sig;
    EXPECT_EQ(OutlineDump(tree), ReadBytes(folder + "/expect-" + std::to_string(header->Change)));
    ::unlink(files[0].c_str());
    // The settings are kept as a close keeps them.
    const std::string settings = FDir.File("ZelApps.ini");
    EXPECT_NE(ReadBytes(settings).find("[Zel XML Editor"), std::string::npos) << sig;
    ::unlink(settings.c_str());
  }
}

TEST_F(RecoveryTest, FolderAndFilesArePrivate) {
  // A folder others may enter: no recovery, and the window says why, once.
  ASSERT_EQ(::chmod(FState.c_str(), 0777), 0);
  auto open = StartWindow({});
  const std::string folder = FState.substr(0, FState.size() - 1);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Unsaved changes are not kept for recovery.\rThe "
                                              "recovery folder \"" +
                                              folder + "\" has mode 0777; it must be 0700."});
  EXPECT_EQ(FDialogs.Shown[0].Caption, "Warning");
  open->Session().SetModified(true);
  RunFor(100);
  EXPECT_TRUE(FilesEndingIn(FState, ".recovery").empty());
  Close(open);
  ASSERT_EQ(::chmod(FState.c_str(), 0700), 0);

  // Links in place of lock files are never followed, whatever the editor makes of them.
  ASSERT_EQ(::symlink(FDir.File("made1").c_str(), (FState + "1-1-1.lock").c_str()), 0);
  ASSERT_EQ(::symlink(FDir.File("made2").c_str(), (FState + "2-2-2.lock").c_str()), 0);
  Plant("2-2-2", "not one");
  auto form = StartWindow({IDNO});
  EXPECT_FALSE(std::filesystem::exists(FDir.File("made1")));
  EXPECT_FALSE(std::filesystem::exists(FDir.File("made2")));
  form->Session().SetModified(true);
  RunUntil([&] { return FilesEndingIn(FState, ".recovery").size() == 2; });
  for (const std::string& file : FilesEndingIn(FState, ".recovery")) {
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << file;
  }
  Close(form);
}

TEST_F(RecoveryTest, DamagedFilesAreReportedAndTheNextOffered) {
  const std::string doc = FDir.File("doc.xml");
  WriteBytes(doc, Catalog(2));
  const std::string fifo = FState + "1-1-1.recovery";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string header = "ZelXMLEditor recovery 1\npid 1\nchange 1\nuntitled 0\nname ";
  const std::string huge = Plant("2-2-2", header + "70000\n/" + std::string(69999, 'a') + "\n");
  const std::string planted = Plant("3-3-3", header + "9\nnotes.txt\nnode 0 0 3\nabc\nend\n");
  const std::string claims = Plant(
      "4-4-4", header + std::to_string(doc.size()) + "\n" + doc + "\nnode 0 0 99999\nabc\nend\n");
  const std::string sound = PlantOutline("5-5-5", doc, true);
  // A start that waits on the FIFO would hang for good: a writer comes to end the wait, late.
  std::atomic<bool> started{false}, hung{false};
  std::thread unblock([&] {
    for (int i = 0; i < 2000 && !started; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (started) return;
    hung = true;
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  });
  // Each is reported and kept or deleted as answered; the next is offered all the same.
  auto form = StartWindow({IDYES, IDYES, IDNO, IDYES, IDNO, IDYES});
  started = true;
  unblock.join();
  EXPECT_FALSE(hung);
  const auto damaged = [](const std::string& file) {
    return "The recovery file \"" + file + "\" is damaged.\rDelete it?";
  };
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{
                "Cannot open file \"" + fifo + "\". It is not a regular file.\rDelete it?",
                damaged(huge), damaged(planted), Offer(doc), damaged(claims), Offer(doc)}));
  EXPECT_FALSE(std::filesystem::exists(fifo));
  EXPECT_FALSE(std::filesystem::exists(huge));
  EXPECT_TRUE(std::filesystem::exists(planted));
  EXPECT_TRUE(std::filesystem::exists(claims));
  EXPECT_FALSE(std::filesystem::exists(sound));  // recovered: now the window's own
  EXPECT_EQ(form->Session().FileName(), doc);
  EXPECT_TRUE(form->Session().Modified());
  Close(form);
}

TEST_F(RecoveryTest, RecoveryShowsItsProgressAndCanBeCancelled) {
  const std::string doc = FDir.File("doc.xml");
  WriteBytes(doc, Catalog(2));
  const std::string file = PlantOutline("1-1-1", doc, true);
  TFormMain* shown = nullptr;
  std::vector<bool> panel;
  FDialogs.WhileShown = [&](const QString& text) {
    if (shown == nullptr) return;
    panel.push_back(Part<QFrame>(*shown, "PnlProgress")->isVisible());
    // Cancel, pressed as soon as the recovery lets queued messages run.
    if (text.startsWith("The document"))
      QMetaObject::invokeMethod(Part<QPushButton>(*shown, "BitBtn1"), "click",
                                Qt::QueuedConnection);
  };
  FDialogs.Answers = {IDYES, IDYES};
  auto form = std::make_unique<TFormMain>(&FDialogs);
  shown = form.get();
  form->EnableRecovery(FState, 10);
  form->show();
  RunFor(50);
  FDialogs.WhileShown = nullptr;
  EXPECT_TRUE(FDialogs.Answers.empty());
  EXPECT_EQ(Texts(), (std::vector<std::string>{Offer(doc), "Cancel current process?"}));
  EXPECT_EQ(panel, (std::vector<bool>{false, true}));
  EXPECT_EQ(form->Session().FileName(), "Untitled.xml");
  EXPECT_FALSE(form->Session().Modified());
  EXPECT_TRUE(std::filesystem::exists(file));  // kept for later
  Close(form);
}

TEST_F(RecoveryTest, AHungWriterIsKilledAndTheNextWriteStartsAfresh) {
  auto form = StartWindow({});
  SetRecoveryWriterStall(1, 100);
  form->Session().Tree().GetFirstNode()->SetText(kWrite, "changed");
  form->Session().SetModified(true);
  RunUntil([&] { return !FilesEndingIn(FState, ".recovery").empty(); });
  SetRecoveryWriterStall(0, 30000);
  const std::vector<std::string> files = FilesEndingIn(FState, ".recovery");
  ASSERT_EQ(files.size(), 1u);
  TTreeView tree;
  ASSERT_TRUE(ReadRecoveryFile(kWrite, files[0], tree));
  EXPECT_EQ(OutlineDump(tree), OutlineDump(form->Session().Tree()));
  Close(form);
}

}  // namespace
}  // namespace zel::test
