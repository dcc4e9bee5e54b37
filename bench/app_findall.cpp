// Find All, Replace All and its Undo in the window, offscreen, on a generated catalog of about
// a million nodes: Find All by the dialog's button until the Results pane has painted its
// first rows and its last (whose paths come in one pass), then Replace All over nearly every
// node and the Undo that takes it back, each until the window has painted again; Select
// Results, which makes every listed node the outline's selection, with the command states
// that follow it; then Find All by XPath until its rows are listed, with the longest the event
// loop waited meanwhile (a 5 ms timer), and how soon Esc stops a long query.
//   bench_app_findall [MEGABYTES | FILE]   (default: a generated 35 MB catalog)
// Prints "key value" lines for bench/run-bench.

#include <stdlib.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <string>

#include "GeneratedCatalog.h"
#include "app/FindDialog.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"

using namespace zel;

namespace {

// The work and the paint after it.
double Seconds(const std::function<void()>& f) {
  QElapsedTimer t;
  t.start();
  f();
  QApplication::processEvents();
  return t.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  char dir[] = "/tmp/zel-findall-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  const std::string given = argc > 1 ? argv[1] : "35";
  const std::string file = bench::DocumentArg(given, dir);
  bench::WindowBenchEnvironment(dir);
  InitializeZelApps();
  QApplication app(argc, argv);
  {
    TFormMain form;
    form.show();
    QApplication::processEvents();
    form.LoadFile(file);
    form.FileNew1Update();
    QApplication::processEvents();
    form.Command(TCommandId::SearchFind)->Action()->trigger();
    auto* dialog = form.findChild<TFindDialog*>("FindDialog1");
    auto* list = form.findChild<QTableView*>("ResultsList");
    auto* header = form.findChild<QLabel*>("ResultsHeader");
    dialog->FindEdit->setText("<");
    const double found = Seconds([&] { dialog->FindAllBtn->click(); });
    const int rows = list->model()->rowCount();
    const double last = Seconds([&] { list->scrollToBottom(); });
    auto* select = form.findChild<QPushButton*>("ResultsSelect");
    const double selected = Seconds([&] { select->click(); });
    const double states = Seconds([&] { form.FileNew1Update(); });
    const double idle = Seconds([&] { form.FileNew1Update(); });
    std::printf("select_results %.2f s\nstates_after %.2f s\nstates_idle %.3f s\n", selected,
                states, idle);
    dialog->FindEdit->setText("e");
    dialog->ReplaceEdit->setText("E");
    dialog->MatchCaseBox->setChecked(true);
    const double replaced = Seconds([&] { dialog->ReplaceAllBtn->click(); });
    const std::string report = header->text().toStdString();
    form.FileNew1Update();
    const double undone = Seconds([&] { form.Command(TCommandId::EditUndo)->Action()->trigger(); });
    std::printf("nodes %d\nfind_all_rows %d\nfind_all %.2f s\nlast_rows %.2f s\n",
                form.Session().Tree().Count(), rows, found, last);
    std::printf("replace_all %.2f s (%s)\nundo %.2f s\n", replaced, report.c_str(), undone);

    // XPath: the query runs beside the event loop.
    dialog->XPathBox->setChecked(true);
    dialog->FindEdit->setText("//book[price > 50]/title");
    const auto running = [&] { return header->text().startsWith("Running"); };
    qint64 gap = 0;
    QElapsedTimer tick;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      if (running()) gap = std::max(gap, tick.elapsed());  // not the listing of the rows
      tick.start();
    });
    double startMs = 0;
    const double queried = Seconds([&] {
      QElapsedTimer start;
      start.start();
      dialog->FindAllBtn->click();  // the fork
      startMs = start.nsecsElapsed() / 1e6;
      tick.start();
      timer.start();
      while (running()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
      timer.stop();
    });
    const int xpathRows = list->model()->rowCount();
    dialog->FindEdit->setText("count(//title[count(following::title) = count(preceding::title)])");
    dialog->FindAllBtn->click();
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 300) QApplication::processEvents(QEventLoop::AllEvents, 20);
    const bool stillRunning = running();
    QElapsedTimer cancel;
    cancel.start();
    dialog->reject();  // what Esc in the dialog does
    const double cancelMs = cancel.nsecsElapsed() / 1e6;
    std::printf("xpath_find_all %.2f s (%d rows)\nxpath_start %.1f ms\nxpath_longest_gap %lld ms\n",
                queried, xpathRows, startMs, static_cast<long long>(gap));
    std::printf("xpath_cancel %.1f ms (%s)\n", cancelMs,
                stillRunning ? header->text().toStdString().c_str() : "had finished");
    form.Session().SetModified(false);
  }
  if (file != given) unlink(file.c_str());
  unlink((std::string(dir) + "/ZelApps.ini").c_str());
  rmdir(dir);
  return 0;
}
