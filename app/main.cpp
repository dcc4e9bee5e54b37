// ZelXMLEditor: the editor's program entry. A file named as the only argument opens after the
// window is first shown.

#include <QFileInfo>

#include "app/EndSignals.h"
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
    form.EnableRecovery(zel::StateFolder());
    const zel::TEndSignals endSignals([&form](int signal) { form.EndOnSignal(signal); });
    const QStringList args = QApplication::arguments();
    if (args.size() == 2)
      form.SetStartFile(QFile::encodeName(QFileInfo(args[1]).absoluteFilePath()).toStdString());
    form.show();
    status = QApplication::exec();
  }
  zel::FinalizeZelApps();
  return status;
}
