// The main window opening a document named on its command line, beside the headless load of
// the same file in the same run: the time until the caption names the document, and the
// longest time input had to wait during the load (measured by a 5 ms timer's late ticks).
//   bench_app_window [MEGABYTES | FILE]     (default: a generated 100 MB catalog)

#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/UFormMain.h"
#include "app/UZelApps.h"
#include "base/StrUtils.h"
#include "GeneratedCatalog.h"
#include "platform/LargePages.h"

using namespace zel;

int main(int argc, char** argv) {
  UseLargePages(argv);
  char dir[] = "/tmp/zel-window-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  std::string file = argc > 1 ? argv[1] : "100";
  const bool generated = file.find_first_not_of("0123456789") == std::string::npos;
  if (generated) {
    const std::string text = bench::GenerateCatalog(std::stoul(file) * 1000 * 1000);
    file = std::string(dir) + "/big.xml";
    FILE* f = std::fopen(file.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  setenv("windir", dir, 1);  // the run's settings stay in the temporary folder
  if (getenv("DISPLAY") == nullptr && getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  InitializeZelApps();

  double headless = 0;
  {
    TTreeView tree;
    TZelXMLTree component;
    component.SetTreeView(&tree);
    const auto t = std::chrono::steady_clock::now();
    component.LoadFromFile(file);
    headless = std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
  }

  QApplication app(argc, argv);
  QElapsedTimer since;
  since.start();
  TFormMain form;
  form.SetStartFile(file);
  const QString wanted = QString("[%1]").arg(QString::fromStdString(ExtractFileName(file)));
  double caption = 0;
  QObject::connect(&form, &QWidget::windowTitleChanged, [&](const QString& title) {
    if (caption == 0 && title.contains(wanted)) {
      caption = since.nsecsElapsed() / 1e9;
      // exit, not quit: quit would close the window, which starts a new document.
      QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    }
  });
  qint64 lastTick = -1, longestGap = 0;
  QTimer ticks;
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    const qint64 now = since.elapsed();
    if (lastTick >= 0) longestGap = std::max(longestGap, now - lastTick);
    lastTick = now;
  });
  ticks.start(5);
  // The gaps count from the moment the load begins.
  const TZelXMLTree::TStateChangeEvent handler = form.ZelXMLTree1.OnStateChange;
  std::string stages;
  form.ZelXMLTree1.OnStateChange = [&](TZelXMLTree& sender, TZelXMLTreeStates state) {
    if (state == zxtsLoading) lastTick = since.elapsed();
    stages += Format(" %s %.2f s", ZelXMLTreeStateName(state), since.nsecsElapsed() / 1e9);
    handler(sender, state);
  };
  form.show();
  app.exec();

  std::printf("document %s, %d nodes\n", file.c_str(), form.Tree().Count());
  std::printf("headless load %.2f s\n", headless);
  std::printf("window: caption names the document after %.2f s (stages:%s)\n", caption,
              stages.c_str());
  std::printf("longest input gap %lld ms (between runs of queued messages in the load: %lld ms)\n",
              static_cast<long long>(longestGap),
              static_cast<long long>(form.LongestMessageGapMs()));
  form.SetModified(false);
  if (generated) {
    unlink(file.c_str());
    unlink((std::string(dir) + "/ZelApps.ini").c_str());
    rmdir(dir);
  }
  return 0;
}
