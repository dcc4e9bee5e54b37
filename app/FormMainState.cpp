// Command states, caption and status panels, recomputed from the document state at every
// idle cycle; and the handler that shows failures.

#include <QLabel>
#include <QMenu>

#include "app/FindDialog.h"
#include "app/NodeTextCodec.h"
#include "app/TreeModel.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"
#include "base/UpdateGuard.h"
#include "editor/Commands.h"

namespace zel {

void TFormMain::FileNew1Update() {
  if (FUpdating) return;  // a repaint inside must not start another run
  FUpdating = true;
  const TScopeExit done([this] { FUpdating = false; });
  FBusy = ZelXMLTree1.IsBusy();
  FIsUnicode = ZelXMLTree1.IsUnicode();
  // An XPath expression is no text to find the next match of.
  TCommandInput in = FSession.CommandInput(
      !FindDialog1->FindText().isEmpty() && !FindDialog1->XPathMode(), FClipboardHasText);
  if (!ChosenNodes().Empty()) in.Selection = &ChosenNodes();
  for (TCommand* command : ActionList1) command->SetEnabled(CommandEnabled(command->Id, in));
  // The history's captions name the step they take back or do again.
  const auto stepCaption = [](TCommand& command, const char* verb, const std::string& step) {
    const QString text =
        step.empty() ? QString(verb) : QString("%1 %2").arg(verb).arg(step.c_str());
    if (command.Action()->text() != text) command.Action()->setText(text);
  };
  stepCaption(*Command(TCommandId::EditUndo), "U&ndo", FDoc.UndoName());
  stepCaption(*Command(TCommandId::EditRedo), "Re&do", FDoc.RedoName());
  const bool reopen = ReopenEnabled(in);
  if (MnReopen->menuAction()->isEnabled() != reopen) MnReopen->menuAction()->setEnabled(reopen);
  UpdateSearchParts(in);

  SetPanel(0, QString::fromStdString(
                  NodePositionText(in.Selected, CommandEnabled(TCommandId::EditModify, in))));
  SetPanel(1, QString::fromStdString(FileStateText(Modified(), FDoc.ReadOnly())));
  FitStatusPanels(in.NodeCount);
  const QString caption =
      TTreeModel::DisplayText(WindowCaption(AppTitle, FDoc.FileName(), Modified()));
  if (windowTitle() != caption) setWindowTitle(caption);
}

namespace {

// Wide enough for each of `texts` in the panel's font, and never below the designed width.
void FitPanel(QLabel& panel, int designedWidth, const QStringList& texts) {
  constexpr int kPadding = 8;  // beside the text, inside the bevel
  int width = designedWidth;
  for (const QString& text : texts)
    width = std::max(
        width, panel.fontMetrics().horizontalAdvance(text) + 2 * panel.frameWidth() + kPadding);
  if (panel.minimumWidth() != width) panel.setFixedWidth(width);
}

}  // namespace

void TFormMain::FitStatusPanels(int nodeCount) {
  // Index and absolute index reach the node count; levels past 99 widen the panel as they come.
  const QString digits(QString::number(nodeCount).size(), '0');
  const QString widest = QString("00: %1: %1").arg(digits);
  const QString key = StatusPanels[0]->font().key() + widest + PanelText(0);
  if (key == FPanelsFittedFor) return;
  FPanelsFittedFor = key;
  FitPanel(*StatusPanels[0], kPanelWidths[0], {widest, PanelText(0)});
  QStringList words = {QString::fromStdString(FileStateText(true, false)),
                       QString::fromStdString(FileStateText(false, true))};
  for (int s = zxtsCanceled; s <= zxtsDone; ++s)
    words << StageWord(static_cast<TZelXMLTreeStates>(s));
  FitPanel(*StatusPanels[1], kPanelWidths[1], words);
}

void TFormMain::ApplicationEvents1Exception(const QString& message) {
  FDialogs->MessageBox(this, message, "Error", MB_OK | MB_ICONERROR);
}

}  // namespace zel
