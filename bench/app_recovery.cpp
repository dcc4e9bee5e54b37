// The recovery file of a large document, in the main window offscreen: after one change, the
// time until the recovery file holding it is complete, and the longest time a 5 ms timer had
// to wait from the change until a second after that (the fork, the copy-on-write faults that
// follow it, and the reaping of the writer). Three rounds.
//   bench_app_recovery [MEGABYTES | FILE] [DELAY_MS]   (default: a generated 100 MB catalog, 3000)
// Prints "key value" lines.

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "GeneratedCatalog.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"
#include "bench/BenchUtil.h"
#include "editor/RecoveryFile.h"
#include "platform/LargePages.h"

using namespace zel;

namespace {

using zel::test::kWrite;

// Whether the folder's recovery file holds `change`; opened only once it is a new file.
bool Written(const std::string& folder, unsigned long change, ino_t& seen) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".recovery") continue;
    struct stat st {};
    if (::stat(entry.path().c_str(), &st) != 0 || st.st_ino == seen) return false;
    seen = st.st_ino;
    return ReadRecoveryHeader(entry.path().string()).Change == change;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  UseLargePages(argv);
  char dir[] = "/tmp/zel-recovery-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  const std::string file = bench::DocumentArg(argc > 1 ? argv[1] : "100", dir);
  const int delayMs = argc > 2 ? std::atoi(argv[2]) : 3000;
  const std::string state = std::string(dir) + "/state/";
  ::mkdir(state.c_str(), 0700);  // the recovery folder must be private
  bench::WindowBenchEnvironment(dir);
  InitializeZelApps();
  QApplication app(argc, argv);
  {
    TFormMain form;
    form.EnableRecovery(state, delayMs);
    form.show();
    form.LoadFile(file);
    std::printf("document %s\nnodes %d\ndelay %d ms\n", file.c_str(), form.Session().Tree().Count(),
                delayMs);

    ino_t seen = 0;
    for (int round = 0; round < 3; ++round) {
      TTreeNode* root = form.Session().Tree().GetFirstNode();
      root->SetText(kWrite, std::string(root->Text()) + "x");
      form.Session().SetModified(true);
      const unsigned long change = form.Session().Document().Changes();
      QElapsedTimer since;
      since.start();
      qint64 last = 0, longest = 0;
      // The file is watched from another thread: opening it here would make waits of its own.
      std::atomic<qint64> complete{-1};
      std::thread watch([&] {
        while (!Written(state, change, seen))
          std::this_thread::sleep_for(std::chrono::milliseconds(2));
        complete = since.elapsed();
      });
      QEventLoop loop;
      QTimer ticks;
      QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = since.elapsed();
        longest = std::max(longest, now - last);
        last = now;
        if (complete.load() >= 0 && now > complete.load() + 1000) loop.quit();
      });
      ticks.start(5);
      loop.exec();
      watch.join();
      std::printf("round %d: complete_after %lld ms, longest_gap %lld ms\n", round,
                  static_cast<long long>(complete.load()), static_cast<long long>(longest));
    }
    std::printf("peak %ld MB\n", bench::PeakMB());
    form.Session().SetModified(false);
  }
  FinalizeZelApps();
  std::filesystem::remove_all(dir);
  return 0;
}
