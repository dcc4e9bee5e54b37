// Search, view and help commands: Find and Find Next with the modeless find dialog, the tree
// font, tooltips, the web site and the About box.

#include <QApplication>

#include "app/AboutText.h"
#include "app/ExceptionGuard.h"
#include "app/FindDialog.h"
#include "app/OutlineView.h"
#include "app/TreeModel.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"
#include "editor/FindAll.h"
#include "editor/TreeSearch.h"
#include "editor/TreeStatistic.h"

namespace zel {

void TFormMain::SearchFind1Execute() {
  FindDialog1->Execute();
}

void TFormMain::FindDialog1Find(bool down) {
  TFindOptions options = FindDialog1->Options();
  options.Down = options.Down && down;
  TTreeNode* found =
      FindDialog1->QueryOptions().Regex
          ? FindNextNode(FTree.Selected(),
                         TNodeTextQuery(FindDialog1->Pattern(), FindDialog1->QueryOptions()),
                         options.Down)
          : FindNodeText(FTree.Selected(), FindDialog1->Pattern(), options);
  if (found == nullptr) {
    FDialogs->MessageBox(this, TFindDialog::NotFoundMessage(FindDialog1->FindText()), "Information",
                         MB_OK | MB_ICONINFORMATION);
    return;
  }
  FTree.SetSelected(found);
  found->MakeVisible();
  // The dialog stays open beside the outline: never over the node it found.
  const QRect row = TreeView1->visualRect(FModel->IndexOf(found));
  FindDialog1->MoveAsideOf(QRect(TreeView1->viewport()->mapToGlobal(row.topLeft()), row.size()));
  TreeView1->setFocus();
  raise();
  activateWindow();
  FDialogs->Beep();
}

void TFormMain::ViewFont1Execute() {
  QFont font = TreeView1->font();
  QColor color = TreeColor();
  const auto apply = [this](const QFont& f, const QColor& c) {
    TreeView1->setUpdatesEnabled(false);
    Guarded([&] {
      TreeView1->setFont(f);
      QPalette palette = TreeView1->palette();
      palette.setColor(QPalette::Text, c);
      TreeView1->setPalette(palette);
    });
    TreeView1->setUpdatesEnabled(true);
  };
  if (FDialogs->ExecuteFont(this, font, color, apply)) apply(font, color);
}

void TFormMain::ViewTooltipsExecute() {
  FTree.SetToolTips(Command(TCommandId::ViewTooltips)->Checked());
}

void TFormMain::HelpWebSite1Execute() {
  if (!FDialogs->OpenUrl(kWebAddress))
    FDialogs->MessageBox(this, QString("No web browser could be started for %1.").arg(kWebAddress),
                         "Error", MB_OK | MB_ICONERROR);
}

QString TFormMain::GetTreeStatistic() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  TTreeStatistic statistic;
  try {
    statistic = CountTreeStatistic(FTree);
  } catch (...) {
    QApplication::restoreOverrideCursor();
    throw;
  }
  QApplication::restoreOverrideCursor();
  return TreeStatisticText(statistic, FIsUnicode);
}

void TFormMain::HelpAbout1Execute() {
  const QString title = QString::fromStdString(AppTitle);
  FDialogs->MessageBox(this, AboutBoxText(title, AboutMessage(GetTreeStatistic()), 2003, 0),
                       "About", MB_OK | MB_ICONINFORMATION);
}

}  // namespace zel
