// A child editor for the settings test: the main window, as the program makes it, opens FILE,
// says so (FILE.open), waits until GO exists and closes. It exits with 1 when it showed an
// error or asked anything.
//
//   settings_child FILE GO

#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "app/ExceptionGuard.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"
#include "tests/app/AppTestUtil.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::string file = argv[1], go = argv[2];
  zel::InitializeZelApps();
  zel::TZelApplication app(argc, argv);
  zel::test::TScriptedDialogs dialogs;
  zel::TFormMain form(&dialogs);
  form.SetStartFile(file);
  form.show();
  bool opened = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!opened && form.Session().FileName() == file) {
      zel::test::WriteBytes(file + ".open", "");
      opened = true;
    }
    if (opened && std::filesystem::exists(go)) form.close();
  });
  poll.start(5);
  QApplication::exec();
  for (const auto& shown : dialogs.Shown)
    std::fprintf(stderr, "%s: %s\n", shown.Kind.c_str(), shown.Text.toStdString().c_str());
  return dialogs.Shown.empty() ? 0 : 1;
}
