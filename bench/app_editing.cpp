// Editing in the main window over a large outline: how long selecting a node, the idle-time
// command-state run, moves, an in-place edit and Find Next take, each as the user sees it
// (the command and the event processing after it), and Add, Delete, Undo and Redo, which give
// the nodes their images anew.
//   bench_app_editing [BOOKS]     (default: 1,000,000 books of 3 nodes each)

#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <cstdio>
#include <functional>
#include <string>

#include "GeneratedCatalog.h"
#include "app/Dialogs.h"
#include "app/FindDialog.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"
#include "bench/BenchUtil.h"

using namespace zel;

namespace {

using zel::test::kWrite;

// The step and the event processing after it, as the user waits for them.
double Seconds(const std::function<void()>& step) {
  const auto t = bench::Clock::now();
  step();
  QCoreApplication::processEvents();
  return bench::Seconds(t);
}

const char* const kBook = "<book id=\"p\">\n  <title>P</title>\n  <price>1</price>\n</book>";

void Report(const char* what, double seconds) {
  std::printf("%-44s %9.3f ms\n", what, seconds * 1e3);
}

// Says Yes to every question and OK to the node dialog, which gives `Text`.
class TYesDialogs : public IDialogs {
 public:
  int MessageBox(QWidget*, const QString&, const QString&, unsigned) override { return IDYES; }
  bool ExecuteOpen(QWidget*, TFileDialog&) override { return false; }
  bool ExecuteSave(QWidget*, TFileDialog&) override { return false; }
  bool ExecuteFont(QWidget*, QFont&, QColor&,
                   const std::function<void(const QFont&, const QColor&)>&) override {
    return false;
  }
  bool ExecuteNode(QWidget*, std::string& text, const QFont&, const QColor&) override {
    text = "<added/>";
    return true;
  }
  bool OpenUrl(const QString&) override { return false; }
  void Beep() override {}
};

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  const int books = argc > 1 ? std::atoi(argv[1]) : 1000 * 1000;
  char dir[] = "/tmp/zel-editing-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  bench::WindowBenchEnvironment(dir);
  InitializeZelApps();
  QApplication app(argc, argv);
  {
    TYesDialogs dialogs;
    TFormMain form(&dialogs);
    form.show();
    QCoreApplication::processEvents();
    TTreeView& tree = form.Session().Tree();
    auto* view = form.findChild<TOutlineView*>("TreeView1");
    auto* find = form.findChild<TFindDialog*>("FindDialog1");
    TTreeNode* catalog = nullptr;
    const double build = Seconds([&] {
      tree.BeginUpdate();
      catalog = tree.AddChild(kWrite, tree.GetFirstNode(), "<catalog>");
      for (int i = 0; i < books; ++i) {
        TTreeNode* book = tree.AddChild(kWrite, catalog, "<book id=\"" + std::to_string(i) + "\">");
        tree.AddChild(kWrite, book, "<title>T" + std::to_string(i) + "</title>");
        tree.AddChild(kWrite, book, "<price>1</price>");
      }
      tree.GetFirstNode()->Expand(false);
      catalog->Expand(false);
      tree.EndUpdate();
    });
    std::printf("outline of %d nodes built and shown in %.2f s\n", tree.Count(), build);

    TTreeNode* middle = catalog->Item(books / 2);
    Report("select a node in the middle", Seconds([&] { tree.SetSelected(middle); }));
    Report("command states (idle run)", Seconds([&] { form.FileNew1Update(); }));
    Report("Move Down",
           Seconds([&] { form.Command(TCommandId::EditMoveDown)->Action()->trigger(); }));
    Report("Move Up", Seconds([&] { form.Command(TCommandId::EditMoveUp)->Action()->trigger(); }));
    Report("Demote", Seconds([&] { form.Command(TCommandId::EditDemote)->Action()->trigger(); }));
    Report("Promote", Seconds([&] { form.Command(TCommandId::EditPromote)->Action()->trigger(); }));
    tree.SetSelected(middle->Item(0));
    form.FileNew1Update();
    Report("in-place edit: open",
           Seconds([&] { form.Command(TCommandId::EditModify)->Action()->trigger(); }));
    Report("in-place edit: accept", Seconds([&] {
             auto* editor = view->viewport()->findChild<QLineEdit*>();
             if (editor != nullptr) {
               editor->setText("<title>changed</title>");
               QMetaObject::invokeMethod(editor, "editingFinished");
               view->setFocus();
             }
           }));
    // Add, Delete, Undo and Redo; each command runs only when its state allows it.
    const auto run = [&](const char* what, TCommand& command) {
      form.FileNew1Update();
      Report(what, Seconds([&] { command.Action()->trigger(); }));
    };
    tree.SetSelected(middle);
    form.Command(TCommandId::EditUseDialog)->Action()->setChecked(true);
    run("Add (node dialog)", *form.Command(TCommandId::EditAdd));
    run("Undo Add", *form.Command(TCommandId::EditUndo));
    run("Redo Add", *form.Command(TCommandId::EditRedo));
    tree.SetSelected(middle);
    run("Delete (a book)", *form.Command(TCommandId::EditDelete));
    run("Undo Delete", *form.Command(TCommandId::EditUndo));
    run("Redo Delete", *form.Command(TCommandId::EditRedo));
    run("Undo Delete again", *form.Command(TCommandId::EditUndo));
    run("Duplicate (a book)", *form.Command(TCommandId::EditDuplicate));
    run("Undo Duplicate", *form.Command(TCommandId::EditUndo));
    QApplication::clipboard()->setText(kBook);
    run("Paste a book", *form.Command(TCommandId::EditPaste));
    run("Undo Paste", *form.Command(TCommandId::EditUndo));
    // The same with the catalog collapsed, where the view lays out a few rows only, on a node
    // added under the root.
    catalog->Collapse(false);
    tree.SetSelected(tree.GetFirstNode());
    run("collapsed: Add under the root", *form.Command(TCommandId::EditAdd));
    run("collapsed: Undo Add", *form.Command(TCommandId::EditUndo));
    run("collapsed: Redo Add", *form.Command(TCommandId::EditRedo));
    run("collapsed: Move Up (past the catalog)", *form.Command(TCommandId::EditMoveUp));
    run("collapsed: Move Down", *form.Command(TCommandId::EditMoveDown));
    run("collapsed: Undo Move Down", *form.Command(TCommandId::EditUndo));
    run("collapsed: Duplicate", *form.Command(TCommandId::EditDuplicate));
    run("collapsed: Undo Duplicate", *form.Command(TCommandId::EditUndo));
    run("collapsed: Paste a book", *form.Command(TCommandId::EditPaste));
    run("collapsed: Undo Paste", *form.Command(TCommandId::EditUndo));
    run("collapsed: Redo Paste", *form.Command(TCommandId::EditRedo));
    run("collapsed: Delete", *form.Command(TCommandId::EditDelete));
    run("collapsed: Undo Delete", *form.Command(TCommandId::EditUndo));
    catalog->Expand(false);
    form.Command(TCommandId::EditUseDialog)->Action()->setChecked(false);

    find->SetFindText("<price>");
    form.FileNew1Update();
    Report("Find Next (match 2 nodes on)",
           Seconds([&] { form.Command(TCommandId::SearchFindNext)->Action()->trigger(); }));
    // The whole outline to walk: the only match is the last node.
    catalog->Item(books - 1)->Item(1)->SetText(kWrite, "<last/>");
    tree.SetSelected(tree.GetFirstNode());
    find->SetFindText("<last/>");
    Report("Find Next over the whole outline", Seconds([&] { form.FindDialog1Find(); }));
    form.Session().SetModified(false);
  }
  FinalizeZelApps();
  unlink((std::string(dir) + "/ZelApps.ini").c_str());
  rmdir(dir);
  return 0;
}
