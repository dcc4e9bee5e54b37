// The command table of the main window, its menus and its tool bar.

#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include "app/ExceptionGuard.h"
#include "app/UFormMain.h"
#include "treedoc/NodeEditing.h"

namespace zel {

void TFormMain::CreateCommands() {
  struct TRow {
    std::unique_ptr<TCommand>* Command;
    const char *Name, *Category, *Caption, *Hint;
    const char* Shortcuts;  // "; " between several keys
    int Image;
  };
  // Beyond the designed keys, those a desktop user expects: Delete alone, Ctrl+Q, Ctrl+Shift+S
  // and Shift+F3 for the previous match.
  const TRow table[] = {
      {&FileNew1, "FileNew1", "File", "Ne&w", "New|Create new file", "Ctrl+N", 0},
      {&FileOpen1, "FileOpen1", "File", "&Open...", "Open|Opens an existing file", "Ctrl+O", 1},
      {&FileRevert1, "FileRevert1", "File", "Revert", "Revert|Revert file content from disk", "",
       -1},
      {&FileSave1, "FileSave1", "File", "&Save", "Save|Save current file", "Ctrl+S", 2},
      {&FileSaveAs1, "FileSaveAs1", "File", "Save &As...",
       "Save As|Saves the active file with a new name", "Ctrl+Shift+S", 3},
      {&FileExit1, "FileExit1", "File", "E&xit", "Exit|Quits the application", "Ctrl+Q", 7},
      {&FileCancel1, "FileCancel1", "File", "Cancel", "Cancel|Cancel current process", "", 20},
      {&EditUndo1, "EditUndo1", "Edit", "&Undo", "Undo|Undo the last change", "Ctrl+Z", 22},
      {&EditRedo1, "EditRedo1", "Edit", "&Redo", "Redo|Redo the last undone change",
       "Ctrl+Y; Ctrl+Shift+Z", 23},
      {&EditCut1, "EditCut1", "Edit", "Cu&t", "Cut|Cut selected node and its children",
       "Ctrl+X; Shift+Del", 24},
      {&EditCopy1, "EditCopy1", "Edit", "&Copy", "Copy|Copy selected node and its children",
       "Ctrl+C", 25},
      {&EditPaste1, "EditPaste1", "Edit", "&Paste", "Paste|Insert nodes from the clipboard",
       "Ctrl+V; Shift+Ins", 26},
      {&EditDuplicate1, "EditDuplicate1", "Edit", "Duplicate",
       "Duplicate|Duplicate selected node and its children", "Ctrl+D", 27},
      {&EditAdd1, "EditAdd1", "Edit", "Add...", "Add|Add new node", "Ctrl+Ins", 8},
      {&EditModify1, "EditModify1", "Edit", "Modify", "Modify|Modify selected node", "F2", 9},
      {&EditDelete1, "EditDelete1", "Edit", "Delete", "Delete|Delete selected node",
       "Ctrl+Del; Del", 10},
      {&EditMoveUp1, "EditMoveUp1", "Edit", "Move &Up", "Up|Move selected node upward", "Ctrl+U",
       16},
      {&EditMoveDown1, "EditMoveDown1", "Edit", "Move Do&wn", "Down|Move selected node downward",
       "Ctrl+W", 17},
      {&EditPromote1, "EditPromote1", "Edit", "P&romote", "Promote|Promote selected node", "Ctrl+R",
       18},
      {&EditDemote1, "EditDemote1", "Edit", "D&emote", "Demote|Demote selected node", "Ctrl+E", 19},
      {&EditUseDialog1, "EditUseDialog1", "Edit", "Use Dialog",
       "Use Dialog|Enable or disable using dialog for editing", "", -1},
      {&SearchFind1, "SearchFind1", "Search", "&Find...", "Find|Finds the specified text", "Ctrl+F",
       13},
      {&SearchFindNext1, "SearchFindNext1", "Search", "Find &Next",
       "Find Next|Repeats the last find", "F3", 14},
      {&SearchFindPrevious1, "SearchFindPrevious1", "Search", "Find &Previous",
       "Find Previous|Repeats the last find toward the top", "Shift+F3", 21},
      {&ViewFont1, "ViewFont1", "View", "&Font...", "Font|Change tree font", "", 11},
      {&ViewTooltips, "ViewTooltips", "View", "Tooltips",
       "Tooltips|Enable or disable tree tooltips", "", -1},
      {&HelpWebSite1, "HelpWebSite1", "Help", "Web Site",
       "Web Site|Browse to this application web site", "", 15},
      {&HelpAbout1, "HelpAbout1", "Help", "About", "About|About this application", "", 12},
  };
  for (const TRow& r : table) {
    *r.Command = std::make_unique<TCommand>(
        this, r.Name, r.Category, r.Caption, r.Hint,
        QKeySequence::listFromString(QString::fromLatin1(r.Shortcuts)), ilMenu.Icon(r.Image));
    TCommand* c = r.Command->get();
    ActionList1.push_back(c);
    addAction(c->Action());  // shortcuts work wherever the focus is in the window
    connect(c->Action(), &QAction::triggered, this, [this, c] { Guarded([c] { c->Execute(); }); });
  }
  EditUseDialog1->Action()->setCheckable(true);
  ViewTooltips->Action()->setCheckable(true);

  FileNew1->OnUpdate = [this] { FileNew1Update(); };
  FileNew1->OnExecute = [this] { FileNew1Execute(); };
  FileOpen1->OnExecute = [this] {
    if (FDialogs->ExecuteOpen(this, FOpenDialog)) FileOpen1Accept();
  };
  FileRevert1->OnExecute = [this] { FileRevert1Execute(); };
  FileSave1->OnExecute = [this] { FileSave1Execute(); };
  FileSaveAs1->OnExecute = [this] {
    FileSaveAs1BeforeExecute();
    if (FDialogs->ExecuteSave(this, FSaveDialog)) FileSaveAs1Accept();
  };
  FileExit1->OnExecute = [this] { close(); };
  FileCancel1->OnExecute = [this] { FileCancel1Execute(); };
  EditAdd1->OnExecute = [this] { EditAdd1Execute(); };
  EditModify1->OnExecute = [this] { EditModify1Execute(); };
  EditDelete1->OnExecute = [this] { EditDelete1Execute(); };
  EditMoveUp1->OnExecute = [this] { Changed(FDoc.MoveUp(FTree.Selected())); };
  EditMoveDown1->OnExecute = [this] { Changed(FDoc.MoveDown(FTree.Selected())); };
  EditPromote1->OnExecute = [this] { Changed(FDoc.Promote(FTree.Selected())); };
  EditDemote1->OnExecute = [this] { Changed(FDoc.Demote(FTree.Selected())); };
  EditUndo1->OnExecute = [this] { EditUndo1Execute(true); };
  EditRedo1->OnExecute = [this] { EditUndo1Execute(false); };
  EditCut1->OnExecute = [this] { EditCut1Execute(); };
  EditCopy1->OnExecute = [this] { EditCopy1Execute(); };
  EditPaste1->OnExecute = [this] { EditPaste1Execute(); };
  EditDuplicate1->OnExecute = [this] { EditDuplicate1Execute(); };
  // Use Dialog and Tooltips flip their own check state before their handlers run.
  SearchFind1->OnExecute = [this] { SearchFind1Execute(); };
  SearchFindNext1->OnExecute = [this] { FindDialog1Find(); };
  SearchFindPrevious1->OnExecute = [this] { FindDialog1Find(false); };
  ViewFont1->OnExecute = [this] { ViewFont1Execute(); };
  ViewTooltips->OnExecute = [this] { ViewTooltipsExecute(); };
  HelpWebSite1->OnExecute = [this] { HelpWebSite1Execute(); };
  HelpAbout1->OnExecute = [this] { HelpAbout1Execute(); };

  // The button is the command's: its picture and hint too.
  BitBtn1->setIcon(FileCancel1->Action()->icon());
  BitBtn1->setToolTip(FileCancel1->Action()->toolTip());
  BitBtn1->setStatusTip(FileCancel1->Action()->statusTip());
  connect(BitBtn1, &QPushButton::clicked, this,
          [this] { Guarded([this] { FileCancel1->Execute(); }); });
  connect(FileCancel1->Action(), &QAction::changed, this,
          [this] { BitBtn1->setEnabled(FileCancel1->Enabled()); });
  BitBtn1->setEnabled(FileCancel1->Enabled());
}

void TFormMain::CreateMenus() {
  MainMenu1 = menuBar();
  MainMenu1->setObjectName("MainMenu1");
  QMenu* file = MainMenu1->addMenu("&File");
  file->addAction(FileNew1->Action());
  file->addSeparator();
  file->addAction(FileOpen1->Action());
  MnReopen = file->addMenu("Reopen");
  MnReopen->setObjectName("MnReopen");
  SetHint(*MnReopen->menuAction(), "Reopen recent files");
  file->addAction(FileRevert1->Action());
  file->addSeparator();
  file->addAction(FileSave1->Action());
  file->addAction(FileSaveAs1->Action());
  file->addSeparator();
  file->addAction(FileExit1->Action());

  QMenu* edit = MainMenu1->addMenu("&Edit");
  edit->addAction(EditUndo1->Action());
  edit->addAction(EditRedo1->Action());
  edit->addSeparator();
  for (TCommand* c : {EditCut1.get(), EditCopy1.get(), EditPaste1.get(), EditDuplicate1.get()})
    edit->addAction(c->Action());
  edit->addSeparator();
  for (TCommand* c : {EditAdd1.get(), EditModify1.get(), EditDelete1.get()})
    edit->addAction(c->Action());
  edit->addSeparator();
  for (TCommand* c :
       {EditMoveUp1.get(), EditMoveDown1.get(), EditPromote1.get(), EditDemote1.get()})
    edit->addAction(c->Action());
  edit->addSeparator();
  edit->addAction(EditUseDialog1->Action());

  QMenu* search = MainMenu1->addMenu("&Search");
  search->addAction(SearchFind1->Action());
  search->addAction(SearchFindNext1->Action());
  search->addAction(SearchFindPrevious1->Action());
  QMenu* view = MainMenu1->addMenu("&View");
  view->addAction(ViewFont1->Action());
  view->addAction(ViewTooltips->Action());
  QMenu* help = MainMenu1->addMenu("&Help");
  help->addAction(HelpWebSite1->Action());
  help->addSeparator();
  help->addAction(HelpAbout1->Action());

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  for (TCommand* c : {EditCut1.get(), EditCopy1.get(), EditPaste1.get(), EditDuplicate1.get()})
    PopupMenu1->addAction(c->Action());
  PopupMenu1->addSeparator();
  for (TCommand* c : {EditAdd1.get(), EditModify1.get(), EditDelete1.get()})
    PopupMenu1->addAction(c->Action());
  PopupMenu1->addSeparator();
  for (TCommand* c :
       {EditMoveUp1.get(), EditMoveDown1.get(), EditPromote1.get(), EditDemote1.get()})
    PopupMenu1->addAction(c->Action());

  PUReopen = new QMenu(this);
  PUReopen->setObjectName("PUReopen");
  const auto guard = [](const std::function<void()>& f) { Guarded(f); };
  FReopenMenu = std::make_unique<TQtReopenMenu>(MnReopen, guard);
  FDropDownMenu = std::make_unique<TQtReopenMenu>(PUReopen, guard);
  ZelReopen1.SetReopenMenu(FReopenMenu.get());
  ZelReopen1.SetMaxReopen(10);
  ZelReopen1.SetDropDownMenu(FDropDownMenu.get());
  ZelReopen1.OnReopenMenuClick = [this](const std::string& name) {
    ZelReopen1ReopenMenuClick(name);
  };
}

void TFormMain::CreateToolBar() {
  ToolBar1 = addToolBar("ToolBar1");
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setIconSize(QSize(16, 16));
  ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
  ToolBar1->setContentsMargins(5, 0, 0, 0);
  // Flat buttons side by side, as designed: with the style's gaps the last ones would drop into
  // the overflow menu at the design width.
  ToolBar1->layout()->setSpacing(0);
  ToolBar1->addAction(FileNew1->Action());
  OpenButton = new QToolButton(ToolBar1);
  OpenButton->setObjectName("OpenButton");
  OpenButton->setDefaultAction(FileOpen1->Action());
  OpenButton->setMenu(PUReopen);
  OpenButton->setPopupMode(QToolButton::MenuButtonPopup);
  OpenButton->setAutoRaise(true);
  ToolBar1->addWidget(OpenButton);
  ToolBar1->addAction(FileSave1->Action());
  ToolBar1->addAction(EditUndo1->Action());
  ToolBar1->addAction(EditRedo1->Action());
  ToolBar1->addSeparator();
  for (TCommand* c : {EditAdd1.get(), EditModify1.get(), EditDelete1.get()})
    ToolBar1->addAction(c->Action());
  ToolBar1->addSeparator();
  for (TCommand* c :
       {EditMoveUp1.get(), EditMoveDown1.get(), EditPromote1.get(), EditDemote1.get()})
    ToolBar1->addAction(c->Action());
  ToolBar1->addSeparator();
  ToolBar1->addAction(SearchFind1->Action());
  ToolBar1->addAction(SearchFindNext1->Action());
  ToolBar1->addSeparator();
  ToolBar1->addAction(ViewFont1->Action());
  ToolBar1->addSeparator();
  ToolBar1->addAction(HelpAbout1->Action());
  // Sixteen buttons at the design width: a 16-pixel picture in a 21-pixel button, as the
  // classic tool bars drew them, instead of the style's wider one.
  for (QAction* a : ToolBar1->actions())
    if (auto* b = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(a)); b && b != OpenButton)
      b->setFixedWidth(21);
}

}  // namespace zel
