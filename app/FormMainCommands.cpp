// The command table of the main window, and its menus, tool bar and context menu built from it.

#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include "app/ExceptionGuard.h"
#include "app/UFormMain.h"
#include "editor/NodeEditing.h"

namespace zel {

void TFormMain::CreateCommands() {
  // One row per command: a new command is one row here and its handler.
  struct TRow {
    std::unique_ptr<TCommand>* Command;
    const char *Name, *Category, *Caption, *Hint;
    const char* Shortcuts;  // "; " between several keys
    int Image;
    bool TCommandStates::*Enabled;
    unsigned Places;
    std::function<void()> Execute;
  };
  using S = TCommandStates;
  const unsigned edit = kMenu | kPopup, editBreak = edit | kMenuBreak | kPopupBreak;
  // Beyond the designed keys, those a desktop user expects: Delete alone, Ctrl+Q, Ctrl+Shift+S
  // and Shift+F3 for the previous match. The commands beyond the design take menu letters that
  // no designed caption of their menu uses.
  const TRow table[] = {
      {&FileNew1, "FileNew1", "File", "Ne&w", "New|Create new file", "Ctrl+N", 0, &S::New,
       kMenu | kTool, [this] { FileNew1Execute(); }},
      {&FileOpen1, "FileOpen1", "File", "&Open...", "Open|Opens an existing file", "Ctrl+O", 1,
       &S::Open, kMenu | kMenuBreak | kTool,
       [this] {
         if (FDialogs->ExecuteOpen(this, FOpenDialog)) FileOpen1Accept();
       }},
      {&FileRevert1, "FileRevert1", "File", "Revert", "Revert|Revert file content from disk", "",
       -1, &S::Revert, kMenu, [this] { FileRevert1Execute(); }},
      {&FileSave1, "FileSave1", "File", "&Save", "Save|Save current file", "Ctrl+S", 2, &S::Save,
       kMenu | kMenuBreak | kTool, [this] { FileSave1Execute(); }},
      {&FileSaveAs1, "FileSaveAs1", "File", "Save &As...",
       "Save As|Saves the active file with a new name", "Ctrl+Shift+S", 3, &S::SaveAs, kMenu,
       [this] {
         FileSaveAs1BeforeExecute();
         if (FDialogs->ExecuteSave(this, FSaveDialog)) FileSaveAs1Accept();
       }},
      {&FileExit1, "FileExit1", "File", "E&xit", "Exit|Quits the application", "Ctrl+Q", 7,
       &S::Exit, kMenu | kMenuBreak, [this] { close(); }},
      {&FileCancel1, "FileCancel1", "File", "Cancel", "Cancel|Cancel current process", "", 20,
       &S::Cancel, 0, [this] { FileCancel1Execute(); }},
      {&EditUndo1, "EditUndo1", "Edit", "U&ndo", "Undo|Undo the last change", "Ctrl+Z", 22,
       &S::Undo, kMenu | kTool, [this] { EditUndo1Execute(true); }},
      {&EditRedo1, "EditRedo1", "Edit", "Re&do", "Redo|Redo the last undone change",
       "Ctrl+Y; Ctrl+Shift+Z", 23, &S::Redo, kMenu | kTool, [this] { EditUndo1Execute(false); }},
      {&EditCut1, "EditCut1", "Edit", "Cu&t", "Cut|Cut selected node and its children",
       "Ctrl+X; Shift+Del", 24, &S::Cut, edit | kMenuBreak, [this] { EditCut1Execute(); }},
      {&EditCopy1, "EditCopy1", "Edit", "&Copy", "Copy|Copy selected node and its children",
       "Ctrl+C", 25, &S::Copy, edit, [this] { EditCopy1Execute(); }},
      {&EditPaste1, "EditPaste1", "Edit", "&Paste", "Paste|Insert nodes from the clipboard",
       "Ctrl+V; Shift+Ins", 26, &S::Paste, edit, [this] { EditPaste1Execute(); }},
      {&EditDuplicate1, "EditDuplicate1", "Edit", "Dup&licate",
       "Duplicate|Duplicate selected node and its children", "Ctrl+D", 27, &S::Duplicate, edit,
       [this] { EditDuplicate1Execute(); }},
      {&EditAdd1, "EditAdd1", "Edit", "Add...", "Add|Add new node", "Ctrl+Ins", 8, &S::Add,
       editBreak | kTool | kToolBreak, [this] { EditAdd1Execute(); }},
      {&EditModify1, "EditModify1", "Edit", "Modify", "Modify|Modify selected node", "F2", 9,
       &S::Modify, edit | kTool, [this] { EditModify1Execute(); }},
      {&EditDelete1, "EditDelete1", "Edit", "Delete", "Delete|Delete selected node",
       "Ctrl+Del; Del", 10, &S::Delete, edit | kTool, [this] { EditDelete1Execute(); }},
      {&EditMoveUp1, "EditMoveUp1", "Edit", "Move &Up", "Up|Move selected node upward", "Ctrl+U",
       16, &S::MoveUp, editBreak | kTool | kToolBreak,
       [this] { Changed(FDoc.MoveUp(FTree.Selected())); }},
      {&EditMoveDown1, "EditMoveDown1", "Edit", "Move Do&wn", "Down|Move selected node downward",
       "Ctrl+W", 17, &S::MoveDown, edit | kTool,
       [this] { Changed(FDoc.MoveDown(FTree.Selected())); }},
      {&EditPromote1, "EditPromote1", "Edit", "P&romote", "Promote|Promote selected node", "Ctrl+R",
       18, &S::Promote, edit | kTool, [this] { Changed(FDoc.Promote(FTree.Selected())); }},
      {&EditDemote1, "EditDemote1", "Edit", "D&emote", "Demote|Demote selected node", "Ctrl+E", 19,
       &S::Demote, edit | kTool, [this] { Changed(FDoc.Demote(FTree.Selected())); }},
      {&EditUseDialog1, "EditUseDialog1", "Edit", "Use Dialog",
       "Use Dialog|Enable or disable using dialog for editing", "", -1, &S::UseDialog,
       kMenu | kMenuBreak | kCheck, nullptr},
      {&SearchFind1, "SearchFind1", "Search", "&Find...", "Find|Finds the specified text", "Ctrl+F",
       13, &S::Find, kMenu | kTool | kToolBreak, [this] { SearchFind1Execute(); }},
      {&SearchFindNext1, "SearchFindNext1", "Search", "Find &Next",
       "Find Next|Repeats the last find", "F3", 14, &S::FindNext, kMenu | kTool,
       [this] { FindDialog1Find(); }},
      {&SearchFindPrevious1, "SearchFindPrevious1", "Search", "Find &Previous",
       "Find Previous|Repeats the last find toward the top", "Shift+F3", 21, &S::FindNext, kMenu,
       [this] { FindDialog1Find(false); }},
      {&ViewFont1, "ViewFont1", "View", "&Font...", "Font|Change tree font", "", 11, &S::Font,
       kMenu | kTool | kToolBreak, [this] { ViewFont1Execute(); }},
      {&ViewTooltips, "ViewTooltips", "View", "Tooltips",
       "Tooltips|Enable or disable tree tooltips", "", -1, &S::Tooltips, kMenu | kCheck,
       [this] { ViewTooltipsExecute(); }},
      {&HelpWebSite1, "HelpWebSite1", "Help", "Web Site",
       "Web Site|Browse to this application web site", "", 15, &S::WebSite, kMenu,
       [this] { HelpWebSite1Execute(); }},
      {&HelpAbout1, "HelpAbout1", "Help", "About", "About|About this application", "", 12,
       &S::About, kMenu | kMenuBreak | kTool | kToolBreak, [this] { HelpAbout1Execute(); }},
  };
  for (const TRow& r : table) {
    *r.Command = std::make_unique<TCommand>(
        this, r.Name, r.Category, r.Caption, r.Hint,
        QKeySequence::listFromString(QString::fromLatin1(r.Shortcuts)), ilMenu.Icon(r.Image));
    TCommand* c = r.Command->get();
    c->EnabledRule = r.Enabled;
    c->OnExecute = r.Execute;
    c->Places = r.Places;
    c->Action()->setCheckable(r.Places & kCheck);
    ActionList1.push_back(c);
    addAction(c->Action());  // shortcuts work wherever the focus is in the window
    connect(c->Action(), &QAction::triggered, this, [this, c] { Guarded([c] { c->Execute(); }); });
  }
  FileNew1->OnUpdate = [this] { FileNew1Update(); };

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
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  QMenu* menu = nullptr;
  for (TCommand* c : ActionList1) {
    if (c->Places & kPopup) {
      if (c->Places & kPopupBreak) PopupMenu1->addSeparator();
      PopupMenu1->addAction(c->Action());
    }
    if (!(c->Places & kMenu)) continue;
    if (!menu || menu->title() != '&' + c->Category())
      menu = MainMenu1->addMenu('&' + c->Category());
    if (c->Places & kMenuBreak) menu->addSeparator();
    menu->addAction(c->Action());
    if (c == FileOpen1.get()) {
      MnReopen = menu->addMenu("Reopen");
      MnReopen->setObjectName("MnReopen");
      SetHint(*MnReopen->menuAction(), "Reopen recent files");
    }
  }

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
  for (TCommand* c : ActionList1) {
    if (!(c->Places & kTool)) continue;
    if (c->Places & kToolBreak) ToolBar1->addSeparator();
    if (c != FileOpen1.get()) {
      ToolBar1->addAction(c->Action());
      continue;
    }
    // Open drops down the recent files.
    OpenButton = new QToolButton(ToolBar1);
    OpenButton->setObjectName("OpenButton");
    OpenButton->setDefaultAction(c->Action());
    OpenButton->setMenu(PUReopen);
    OpenButton->setPopupMode(QToolButton::MenuButtonPopup);
    OpenButton->setAutoRaise(true);
    ToolBar1->addWidget(OpenButton);
  }
  // Sixteen buttons at the design width: a 16-pixel picture in a 21-pixel button, as the
  // classic tool bars drew them, instead of the style's wider one.
  for (QAction* a : ToolBar1->actions())
    if (auto* b = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(a)); b && b != OpenButton)
      b->setFixedWidth(21);
}

}  // namespace zel
