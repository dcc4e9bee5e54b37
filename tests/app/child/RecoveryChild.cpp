// A child editor for the recovery test: the main window with a recovery file, as the program
// makes it, changing its document at random until it is killed. Before any recovery write can
// take a change, the outline as it is after that change goes to <folder>/expect-<change>, so
// the test knows what each recovery write held. SIGTERM, SIGHUP and SIGINT end it as they end
// the program.
//
//   recovery_child FOLDER SEED DELAY_MS [FILE]

#include <QTimer>
#include <random>

#include "app/EndSignals.h"
#include "app/ExceptionGuard.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"
#include "platform/ProcessLock.h"
#include "tests/app/OutlineDump.h"
#include "tests/outline/TreeWriteAccess.h"
#include "tests/platform/TestFiles.h"

namespace {

using zel::test::kWrite;

// Every question answered No, every dialog cancelled: nothing here waits for a user.
class TNoDialogs : public zel::IDialogs {
 public:
  int MessageBox(QWidget*, const QString&, const QString&, unsigned) override { return zel::IDNO; }
  bool ExecuteOpen(QWidget*, zel::TFileDialog&) override { return false; }
  bool ExecuteSave(QWidget*, zel::TFileDialog&) override { return false; }
  bool ExecuteFont(QWidget*, QFont&, QColor&,
                   const std::function<void(const QFont&, const QColor&)>&) override {
    return false;
  }
  bool ExecuteNode(QWidget*, std::string&, const QFont&, const QColor&) override { return false; }
  bool OpenUrl(const QString&) override { return false; }
  void Beep() override {}
};

std::string RandomText(std::mt19937& rng) {
  static const char kChars[] = "ab <&>\"\t\n\r\0\x01\xc3\xa9\xff]]>";
  std::string text(rng() % 12, ' ');
  for (char& c : text) c = kChars[rng() % (sizeof kChars - 1)];
  return text;
}

void Change(zel::TFormMain& form, std::mt19937& rng) {
  zel::TTreeView& tree = form.Session().Tree();
  zel::TTreeNode* node = tree.Item(int(rng() % unsigned(tree.Count())));
  switch (rng() % 4) {
    case 0:
      tree.AddChild(kWrite, node, RandomText(rng));
      break;
    case 1:
      node->SetText(kWrite, RandomText(rng));
      break;
    case 2:
      if (node->Parent() != nullptr) tree.Delete(kWrite, node);
      break;
    default:
      if (node->HasChildren()) node->SetExpanded(!node->Expanded());
      break;
  }
  form.Session().SetModified(true);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::string folder = argv[1];
  std::mt19937 rng(unsigned(std::stoul(argv[2])));
  const int delayMs = std::stoi(argv[3]);
  const std::string file = argc > 4 ? argv[4] : "";
  zel::InitializeZelApps();
  zel::TZelApplication app(argc, argv);
  TNoDialogs dialogs;
  zel::TFormMain form(&dialogs);
  form.EnableRecovery(zel::StateFolder(), delayMs);
  const zel::TEndSignals endSignals([&form](int signal) { form.EndOnSignal(signal); });
  if (!file.empty()) form.SetStartFile(file);
  form.show();
  QTimer changes;
  QObject::connect(&changes, &QTimer::timeout, [&] {
    if (form.Busy() || (!file.empty() && form.Session().FileName() != file)) return;
    Change(form, rng);
    zel::test::WriteBytes(folder + "/expect-" + std::to_string(form.Session().Document().Changes()),
                          zel::test::OutlineDump(form.Session().Tree()));
    // Pauses longer than the recovery delay come often, so writes happen between changes.
    changes.start(int(rng() % 40));
  });
  changes.start(0);
  return QApplication::exec();
}
