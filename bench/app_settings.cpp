// The settings at start-up and at close, in the real main window offscreen, with a recent list
// of N keys in the settings file. Start-up is the first show: placement, stored properties,
// the recent list and its menus. Two closes: one with an empty document, which writes the
// whole list back, and one with a document open, whose New puts it on the list (cutting the
// list to ten) before the save of placement, properties and list. Under
// `strace -f -c -e trace=fsync,fdatasync` a run shows the flushes of its two closes.
//   bench_app_settings [KEYS...]   (default: 10 1000 10000)
// Prints "key value" lines.

#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "GeneratedCatalog.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"
#include "bench/BenchUtil.h"

using namespace zel;

namespace {

using bench::Ms;

struct TRun {
  double StartMs, CloseMs;
};

// Shows a window on the settings file, opens `document` unless empty, and closes the window.
TRun ShowAndClose(const std::string& document) {
  TRun run{};
  TFormMain form;
  auto t = bench::Clock::now();
  form.show();
  run.StartMs = Ms(t);
  if (!document.empty()) form.ZelReopen1ReopenMenuClick(document);
  t = bench::Clock::now();
  form.close();
  run.CloseMs = Ms(t);
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {10, 1000, 10000};
  char dir[] = "/tmp/zel-settings-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  bench::WindowBenchEnvironment(dir);
  InitializeZelApps();
  QApplication app(argc, argv);
  const std::string document = std::string(dir) + "/doc.xml";
  std::ofstream(document) << "<a>\n<b/>\n</a>\n";

  for (const int n : counts) {
    {
      std::ofstream ini(SettingsFileName, std::ios::trunc);
      ini << "[Zel XML Editor Recent]\n";
      for (int i = n - 1; i >= 0; --i)
        ini << i << "=/home/user/documents/project " << i % 97 << "/file " << i << ".xml\n";
    }
    const TRun empty = ShowAndClose("");  // also writes the window's keys for the next start
    const TRun named = ShowAndClose(document);
    std::printf("keys %d\n", n);
    std::printf("startup_ms %.1f\n", empty.StartMs);
    std::printf("close_empty_document_ms %.1f\n", empty.CloseMs);
    std::printf("startup_with_placement_ms %.1f\n", named.StartMs);
    std::printf("close_with_document_ms %.1f\n", named.CloseMs);
  }
  std::remove(document.c_str());
  std::remove(SettingsFileName.c_str());
  rmdir(dir);
  return 0;
}
