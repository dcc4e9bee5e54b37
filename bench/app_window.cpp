// The main window opening a document and saving it again, offscreen: the time until the
// caption names the document (the root selected and expanded), the longest time a 5 ms timer
// had to wait during the load and during the save, and the whole program's peak memory.
// Without --window-only, the headless load of the same file runs first, in a child process of
// its own (so that neither load finds the other's freed memory), and the window's open is
// given as a multiple of it, in time and in CPU time.
//   bench_app_window [--window-only] [MEGABYTES | FILE]   (default: a generated 100 MB catalog)
// Prints "key value" lines for bench/run-bench.

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "GeneratedCatalog.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"
#include "base/StrUtils.h"
#include "bench/BenchUtil.h"
#include "platform/LargePages.h"

using namespace zel;

namespace {

using bench::PeakMB;

// The time and the CPU time of one load.
struct TCost {
  double Seconds = 0, Cpu = 0;
};

double CpuSeconds() {
  const bench::TCpuTime t = bench::CpuTime();
  return t.User + t.System;
}

// The load as zelxml does it, in a child process that starts from the same state as this one.
TCost HeadlessLoad(const std::string& file) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    TTreeView tree;
    TZelXMLTree component;
    component.SetTreeView(&tree);
    const double cpu = CpuSeconds();
    const auto t = bench::Clock::now();
    component.LoadFromFile(file);
    const TCost cost{bench::Seconds(t), CpuSeconds() - cpu};
    const bool written = write(pipeFds[1], &cost, sizeof cost) == sizeof cost;
    std::_Exit(written ? 0 : 1);
  }
  close(pipeFds[1]);
  TCost cost;
  if (child < 0 || read(pipeFds[0], &cost, sizeof cost) != sizeof cost) cost = {};
  close(pipeFds[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return cost;
}

constexpr qint64 kReportedGapMs = 100;  // the longest wait a user should meet

// The longest wait between two ticks of a fast timer since Restart.
class TGapProbe {
 public:
  TGapProbe() {
    QObject::connect(&FTicks, &QTimer::timeout, [this] {
      const qint64 now = FSince.elapsed();
      if (FLast >= 0) FLongest = std::max(FLongest, now - FLast);
      // Where the long waits were, to set beside the stage times.
      if (FLast >= 0 && now - FLast > kReportedGapMs)
        std::fprintf(stderr, "input waited from %lld to %lld ms\n", static_cast<long long>(FLast),
                     static_cast<long long>(now));
      FLast = now;
    });
    FSince.start();
    FTicks.start(5);
  }
  void Restart() {
    FLast = FSince.elapsed();
    FLongest = 0;
  }
  qint64 Longest() const { return FLongest; }

 private:
  QTimer FTicks;
  QElapsedTimer FSince;
  qint64 FLast = -1, FLongest = 0;
};

}  // namespace

int main(int argc, char** argv) {
  UseLargePages(argv);
  int arg = 1;
  const bool windowOnly = argc > arg && std::strcmp(argv[arg], "--window-only") == 0;
  if (windowOnly) ++arg;
  char dir[] = "/tmp/zel-window-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  const std::string given = argc > arg ? argv[arg] : "100";
  const std::string file = bench::DocumentArg(given, dir);
  const bool generated = file != given;
  const std::string saved = std::string(dir) + "/saved.xml";
  bench::WindowBenchEnvironment(dir);
  InitializeZelApps();
  const TCost headless = windowOnly ? TCost() : HeadlessLoad(file);

  QApplication app(argc, argv);
  QElapsedTimer since;
  since.start();
  const double cpuBefore = CpuSeconds();
  TFormMain form;
  form.SetStartFile(file);
  const QString wanted = QString("[%1]").arg(QString::fromStdString(ExtractFileName(file)));
  double caption = 0, captionCpu = 0;
  QObject::connect(&form, &QWidget::windowTitleChanged, [&](const QString& title) {
    if (caption == 0 && title.contains(wanted)) {
      caption = since.nsecsElapsed() / 1e9;
      captionCpu = CpuSeconds() - cpuBefore;
      // exit, not quit: quit would close the window, which starts a new document.
      QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    }
  });
  TGapProbe probe;
  // The load's gaps count from the moment the load begins.
  const TZelXMLTree::TStateChangeEvent handler = form.Session().Component().OnStateChange;
  std::string stages;
  form.Session().Component().OnStateChange = [&](TZelXMLTree& sender, TZelXMLTreeStates state) {
    if (state == zxtsLoading) probe.Restart();
    stages += Format(" %s %.2f s", ZelXMLTreeStateName(state), since.nsecsElapsed() / 1e9);
    handler(sender, state);
  };
  form.show();
  app.exec();
  const qint64 loadGap = probe.Longest();
  const int nodes = form.Session().Tree().Count();

  double saveSeconds = 0;
  QTimer::singleShot(0, &app, [&] {
    probe.Restart();
    QElapsedTimer t;
    t.start();
    form.SaveFile(saved);
    saveSeconds = t.nsecsElapsed() / 1e9;
    QCoreApplication::exit(0);
  });
  app.exec();

  std::printf("document %s\nnodes %d\n", file.c_str(), nodes);
  if (!windowOnly && headless.Seconds > 0) {
    std::printf("headless_load %.2f s\nheadless_cpu %.2f s\n", headless.Seconds, headless.Cpu);
    std::printf("open_per_load %.2f\nopen_cpu_per_load_cpu %.2f\n", caption / headless.Seconds,
                captionCpu / headless.Cpu);
  }
  std::printf("open %.2f s\nopen_cpu %.2f s\nstages%s\n", caption, captionCpu, stages.c_str());
  std::printf("load_gap %lld ms\nsave %.2f s\nsave_gap %lld ms\npeak %ld MB\n",
              static_cast<long long>(loadGap), saveSeconds, static_cast<long long>(probe.Longest()),
              PeakMB());
  form.Session().SetModified(false);
  unlink(saved.c_str());
  if (generated) unlink(file.c_str());
  unlink((std::string(dir) + "/ZelApps.ini").c_str());
  rmdir(dir);
  return 0;
}
