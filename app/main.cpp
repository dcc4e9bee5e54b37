// ZelXMLEditor: the editor's program entry. A file named as the only argument opens after the
// window is first shown.

#include <QFileInfo>
#include <cstdio>

#include "app/ExceptionGuard.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"
#include "platform/LargePages.h"
#include "platform/ProcessLock.h"

int main(int argc, char** argv) {
  zel::UseLargePages(argv);
  zel::InitializeZelApps();
  int status;
  {
    // Its notify is the last net: no exception crosses the event dispatch.
    zel::TZelApplication app(argc, argv);
    zel::TFormMain form;
    try {
      form.EnableRecovery(zel::StateFolder());
    } catch (const std::exception& e) {
      // The editor works without it; the reason goes where a started program's output goes.
      std::fprintf(stderr, "No recovery file: %s\n", e.what());
    }
    const QStringList args = QApplication::arguments();
    if (args.size() == 2)
      form.SetStartFile(QFile::encodeName(QFileInfo(args[1]).absoluteFilePath()).toStdString());
    form.show();
    status = QApplication::exec();
  }
  zel::FinalizeZelApps();
  return status;
}
