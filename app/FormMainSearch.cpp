// Find All and its Results pane, by text or by XPath, Replace and Replace All from the find
// dialog, and Copy XPath.

#include <QApplication>
#include <QClipboard>
#include <algorithm>

#include "app/ExceptionGuard.h"
#include "app/FindDialog.h"
#include "app/NodeTextCodec.h"
#include "app/ResultsPane.h"
#include "app/UFormMain.h"
#include "base/UpdateGuard.h"
#include "editor/Replace.h"

namespace zel {

namespace {

// The busy cursor over a pass that may take a moment on a large outline.
class TWaitCursor {
 public:
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace

void TFormMain::CreateResults() {
  Results = new TResultsPane(FTree, this);
  addDockWidget(Qt::BottomDockWidgetArea, Results);
  Results->hide();
  connect(Results, &TResultsPane::NodeChosen, this, &TFormMain::ResultsNodeChosen);
  connect(Results, &TResultsPane::XPathFailed, this,
          [this](const QString& message) { ApplicationEvents1Exception(message); });
  connect(Results, &TResultsPane::XPathRunningChanged, FindDialog1, &TFindDialog::SetQueryRunning);
  connect(FindDialog1, &TFindDialog::CancelQuery, Results, &TResultsPane::CancelXPath);
  connect(Results, &TResultsPane::AllChosen, this, [this] {
    TWaitCursor wait;
    SelectNodes(Results->Model().Nodes());
  });
  connect(FindDialog1, &TFindDialog::FindAll, this,
          [this] { Guarded([this] { FindDialog1FindAll(); }); });
  connect(FindDialog1, &TFindDialog::Replace, this,
          [this] { Guarded([this] { FindDialog1Replace(); }); });
  connect(FindDialog1, &TFindDialog::ReplaceAll, this,
          [this] { Guarded([this] { FindDialog1ReplaceAll(); }); });
}

void TFormMain::UpdateSearchParts(const TCommandInput& in) {
  QAction* view = Command(TCommandId::ViewResults)->Action();
  if (view->isChecked() == Results->isHidden()) view->setChecked(!Results->isHidden());
  FindDialog1->SetResultsAvailable(!Results->isHidden() && !Results->Model().Empty());
  FindDialog1->SetReplaceAllowed(!in.Busy && !in.ReadOnly && !in.Editing);
}

void TFormMain::FindDialog1FindAll() {
  if (ZelXMLTree1.IsBusy()) return;
  if (FindDialog1->XPathMode()) {
    // Beside the event loop: the pane shows it running, and its answer when it comes.
    Results->RunXPath(FindDialog1->Pattern());
    ShowResults();
    return;
  }
  Results->CancelXPath();  // its answer would replace these
  // A bad expression throws before the pane changes, naming where it fails.
  const TNodeTextQuery query(FindDialog1->Pattern(), FindDialog1->QueryOptions());
  std::vector<TFoundNode> found;
  {
    TWaitCursor wait;
    found = FindAllNodeText(FTree, query);
  }
  Results->ShowFound(std::move(found));
  ShowResults();
}

void TFormMain::ShowResults() {
  if (!Results->isHidden()) return;
  Results->show();
  // A third of the window: the outline stays the larger part.
  resizeDocks({Results}, {std::max(100, height() / 3)}, Qt::Vertical);
}

void TFormMain::ResultsNodeChosen(TTreeNode* node) {
  FTree.SetSelected(node);
  node->MakeVisible();
}

bool TFormMain::ApplyTexts(std::vector<TTextChange> changes, const char* name) {
  Results->Model().Hold(true);
  const TScopeExit release([this] { Results->Model().Hold(false); });
  const bool changed = FDoc.SetTexts(std::move(changes), name);
  if (changed) AssignImages();
  return changed;
}

void TFormMain::FindDialog1Replace() {
  if (ZelXMLTree1.IsBusy() || FDoc.ReadOnly()) return;
  const TTextReplacer replacer(FindDialog1->Pattern(), FindDialog1->Replacement(),
                               FindDialog1->QueryOptions());
  if (TTreeNode* node = FTree.Selected()) {
    TReplacePlan plan = PlanReplace({node}, replacer);
    if (plan.Skipped > 0) {
      FDialogs->MessageBox(this,
                           QString("The replacement would make \"%1\" an invalid node text.")
                               .arg(FromCodePage(node->Text())),
                           "Replace", MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    ApplyTexts(std::move(plan.Changes), "Replace");
  }
  FindDialog1Find();
}

void TFormMain::FindDialog1ReplaceAll() {
  if (ZelXMLTree1.IsBusy() || FDoc.ReadOnly()) return;
  const TTextReplacer replacer(FindDialog1->Pattern(), FindDialog1->Replacement(),
                               FindDialog1->QueryOptions());
  TReplacePlan plan;
  {
    TWaitCursor wait;
    plan = FindDialog1->InResultsOnly() ? PlanReplace(Results->Model().Nodes(), replacer)
                                        : PlanReplaceAll(FTree, replacer);
  }
  const size_t nodes = plan.Changes.size();
  {
    TWaitCursor wait;
    ApplyTexts(std::move(plan.Changes), "Replace All");
  }
  Results->SetHeader(TResultsPane::ReplacedText(plan.Replacements, nodes, plan.Skipped));
  ShowResults();
}

void TFormMain::EditCopyXPath1Execute() {
  // Disabled where XPath has no node: the declaration, the DOCTYPE.
  if (const TTreeNode* node = FTree.Selected(); node && HasNodePath(*node))
    QApplication::clipboard()->setText(FromCodePage(NodePath(*node)));
}

void TFormMain::ViewResults1Execute() {
  if (Command(TCommandId::ViewResults)->Checked())
    ShowResults();
  else
    Results->hide();
}

}  // namespace zel
