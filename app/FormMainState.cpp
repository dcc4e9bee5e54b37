// Command states, caption and status panels, recomputed from the document state at every
// idle cycle; and the handler that shows failures.

#include <QApplication>
#include <QLabel>
#include <QMenu>

#include "app/TreeModel.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"
#include "base/StrUtils.h"

namespace zel {

void TFormMain::FileNew1Update() {
  if (FUpdating) return;
  FUpdating = true;
  FBusy = ZelXMLTree1.IsBusy();
  FIsUnicode = ZelXMLTree1.IsUnicode();
  FileExit1->SetEnabled(true);

  const TTreeNode* s = FTree.Selected();
  const bool editing = FTree.IsEditing();
  const bool modify = !FBusy && !FReadOnly && s != nullptr && !s->IsFirstNode() && !editing;
  const bool find = !FBusy && s != nullptr && FTree.Count() > 1 && !editing;
  const bool idle = !FBusy;
  FileNew1->SetEnabled(idle);
  FileOpen1->SetEnabled(idle);
  FileRevert1->SetEnabled(idle && FFileName != kUntitled);
  FileSave1->SetEnabled(idle && !FReadOnly);
  FileSaveAs1->SetEnabled(idle);
  EditAdd1->SetEnabled(idle && !FReadOnly && s != nullptr);
  EditModify1->SetEnabled(modify);
  EditDelete1->SetEnabled(modify);
  EditUseDialog1->SetEnabled(idle);
  EditMoveUp1->SetEnabled(idle && s != nullptr && s->getPrevSibling() != nullptr);
  EditMoveDown1->SetEnabled(idle && s != nullptr && s->getNextSibling() != nullptr);
  EditPromote1->SetEnabled(idle && s != nullptr && s->Level() > 1);
  EditDemote1->SetEnabled(idle && s != nullptr && s->getPrevSibling() != nullptr);
  ViewFont1->SetEnabled(idle);
  ViewTooltips->SetEnabled(idle);
  SearchFind1->SetEnabled(find);
  SearchFindNext1->SetEnabled(find && !FindDialogText().isEmpty());
  HelpWebSite1->SetEnabled(idle);
  HelpAbout1->SetEnabled(idle);
  FileCancel1->SetEnabled(FBusy);
  if (MnReopen->menuAction()->isEnabled() != idle) MnReopen->menuAction()->setEnabled(idle);

  SetPanel(
      0, modify ? QString("%1: %2: %3").arg(s->Level()).arg(s->Index() + 1).arg(s->AbsoluteIndex())
                : QString("0: 0: 0"));
  const QString display =
      TTreeModel::DisplayText(ExtractFileName(FFileName)) + (FModified ? "*" : "");
  SetPanel(1, FModified ? "Modified" : FReadOnly ? "Read Only" : "");
  const QString caption = QString("%1 - [%2]").arg(QString::fromStdString(AppTitle), display);
  if (windowTitle() != caption) setWindowTitle(caption);
  FUpdating = false;
}

void TFormMain::ApplicationEvents1Exception(const std::exception& e) {
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  FDialogs->MessageBox(this, TTreeModel::DisplayText(e.what()), "Error", MB_OK | MB_ICONERROR);
}

}  // namespace zel
