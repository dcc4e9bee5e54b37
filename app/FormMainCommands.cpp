// The window's command table, the commands made from it and the editor's table (Commands.h),
// and the menus, tool bar and context menu built from them.

#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include "app/ExceptionGuard.h"
#include "app/UFormMain.h"
#include "base/Exception.h"

namespace zel {

std::span<const TFormMain::TWindowRow> TFormMain::WindowRows() {
  const unsigned edit = kMenu | kPopup, editBreak = edit | kMenuBreak | kPopupBreak;
  using enum TCommandId;
  using F = TFormMain&;
  // Beyond the designed keys, those a desktop user expects: Delete alone, Ctrl+Q, Ctrl+Shift+S
  // and Shift+F3 for the previous match. The commands beyond the design take menu letters that
  // no designed caption of their menu uses.
  static const TWindowRow rows[] = {
      {FileNew, "Ne&w", "New|Create new file", "Ctrl+N", "new", kMenu | kTool,
       [](F f) { f.FileNew1Execute(); }},
      {FileOpen, "&Open...", "Open|Opens an existing file", "Ctrl+O", "open",
       kMenu | kMenuBreak | kTool,
       [](F f) {
         if (f.FDialogs->ExecuteOpen(&f, f.FOpenDialog)) f.FileOpen1Accept();
       }},
      {FileRevert, "Revert", "Revert|Revert file content from disk", "", nullptr, kMenu,
       [](F f) { f.FileRevert1Execute(); }},
      {FileSave, "&Save", "Save|Save current file", "Ctrl+S", "save", kMenu | kMenuBreak | kTool,
       [](F f) { f.FileSave1Execute(); }},
      {FileSaveAs, "Save &As...", "Save As|Saves the active file with a new name", "Ctrl+Shift+S",
       "save-as", kMenu,
       [](F f) {
         f.FileSaveAs1BeforeExecute();
         if (f.FDialogs->ExecuteSave(&f, f.FSaveDialog)) f.FileSaveAs1Accept();
       }},
      {FileKeepLayout, "Keep Layout", "Keep Layout|Save unchanged nodes exactly as they were read",
       "", nullptr, kMenu | kCheck, nullptr},
      {FileExit, "E&xit", "Exit|Quits the application", "Ctrl+Q", "exit", kMenu | kMenuBreak,
       [](F f) { f.close(); }},
      {FileCancel, "Cancel", "Cancel|Cancel current process", "", "cancel", 0,
       [](F f) { f.FileCancel1Execute(); }},
      {EditUndo, "U&ndo", "Undo|Undo the last change", "Ctrl+Z", "undo", kMenu | kTool, nullptr},
      {EditRedo, "Re&do", "Redo|Redo the last undone change", "Ctrl+Y; Ctrl+Shift+Z", "redo",
       kMenu | kTool, nullptr},
      {EditCut, "Cu&t", "Cut|Cut selected node and its children", "Ctrl+X; Shift+Del", "cut",
       edit | kMenuBreak, [](F f) { f.EditCut1Execute(); }},
      {EditCopy, "&Copy", "Copy|Copy selected node and its children", "Ctrl+C", "copy", edit,
       [](F f) { f.EditCopy1Execute(); }},
      {EditCopyXPath, "Copy XP&ath", "Copy XPath|Copy the path of the selected node",
       "Ctrl+Shift+C", "copy-xpath", edit, [](F f) { f.EditCopyXPath1Execute(); }},
      {EditPaste, "&Paste", "Paste|Insert nodes from the clipboard", "Ctrl+V; Shift+Ins", "paste",
       edit, [](F f) { f.EditPaste1Execute(); }},
      {EditDuplicate, "Dup&licate", "Duplicate|Duplicate selected node and its children", "Ctrl+D",
       "duplicate", edit, nullptr},
      {EditAdd, "Add...", "Add|Add new node", "Ctrl+Ins", "add", editBreak | kTool | kToolBreak,
       [](F f) { f.EditAdd1Execute(); }},
      {EditModify, "Modify", "Modify|Modify selected node", "F2", "modify", edit | kTool,
       [](F f) { f.EditModify1Execute(); }},
      {EditDelete, "Delete", "Delete|Delete selected node", "Ctrl+Del; Del", "delete", edit | kTool,
       [](F f) { f.EditDelete1Execute(); }},
      {EditMoveUp, "Move &Up", "Up|Move selected node upward", "Ctrl+U", "up",
       editBreak | kTool | kToolBreak, nullptr},
      {EditMoveDown, "Move Do&wn", "Down|Move selected node downward", "Ctrl+W", "down",
       edit | kTool, nullptr},
      {EditPromote, "P&romote", "Promote|Promote selected node", "Ctrl+R", "promote", edit | kTool,
       nullptr},
      {EditDemote, "D&emote", "Demote|Demote selected node", "Ctrl+E", "demote", edit | kTool,
       nullptr},
      {EditComment, "Co&mment", "Comment|Turn the selected nodes into comments", "Ctrl+/",
       "comment", editBreak, [](F f) { f.RunSayingWhy(EditComment); }},
      {EditUncomment, "Unc&omment", "Uncomment|Turn the selected comments back into nodes", "",
       "uncomment", edit, [](F f) { f.RunSayingWhy(EditUncomment); }},
      {EditUseDialog, "Use Dialog", "Use Dialog|Enable or disable using dialog for editing", "",
       nullptr, kMenu | kMenuBreak | kCheck, nullptr},
      {SearchFind, "&Find...", "Find|Finds the specified text", "Ctrl+F", "find",
       kMenu | kTool | kToolBreak, [](F f) { f.SearchFind1Execute(); }},
      {SearchFindNext, "Find &Next", "Find Next|Repeats the last find", "F3", "find-next",
       kMenu | kTool, [](F f) { f.FindDialog1Find(); }},
      {SearchFindPrevious, "Find &Previous", "Find Previous|Repeats the last find toward the top",
       "Shift+F3", "find-previous", kMenu, [](F f) { f.FindDialog1Find(false); }},
      {ViewFont, "&Font...", "Font|Change tree font", "", "font", kMenu | kTool | kToolBreak,
       [](F f) { f.ViewFont1Execute(); }},
      {ViewTooltips, "Tooltips", "Tooltips|Enable or disable tree tooltips", "", nullptr,
       kMenu | kCheck, [](F f) { f.ViewTooltipsExecute(); }},
      {ViewResults, "&Results", "Results|Show or hide the nodes Find All found", "", nullptr,
       kMenu | kCheck, [](F f) { f.ViewResults1Execute(); }},
      {HelpWebSite, "Web Site", "Web Site|Browse to this application web site", "", "web", kMenu,
       [](F f) { f.HelpWebSite1Execute(); }},
      {HelpAbout, "About", "About|About this application", "", "about",
       kMenu | kMenuBreak | kTool | kToolBreak, [](F f) { f.HelpAbout1Execute(); }},
  };
  return rows;
}

void TFormMain::CreateCommands() {
  // A command is its row in the editor's table (Commands.h) and its row above.
  for (const TWindowRow& r : WindowRows()) {
    const TCommandRow& core = CommandRow(r.Id);
    std::unique_ptr<TCommand>& slot = FCommands[static_cast<size_t>(r.Id)];
    slot = std::make_unique<TCommand>(this, core.Name, core.Category, r.Caption, r.Hint,
                                      QKeySequence::listFromString(QString::fromLatin1(r.Keys)),
                                      CommandIcon(r.Icon));
    TCommand* c = slot.get();
    c->Id = r.Id;
    if (r.Execute)
      c->OnExecute = [this, run = r.Execute] { run(*this); };
    else if (core.Act)
      c->OnExecute = [this, id = r.Id] { RunDocumentAction(id); };
    c->Places = r.Places;
    c->Action()->setCheckable(r.Places & kCheck);
    ActionList1.push_back(c);
    addAction(c->Action());  // shortcuts work wherever the focus is in the window
    connect(c->Action(), &QAction::triggered, this, [this, c] { Guarded([c] { c->Execute(); }); });
  }
  Command(TCommandId::FileNew)->OnUpdate = [this] { FileNew1Update(); };

  // The button is the command's: its picture and hint too.
  BitBtn1->setIcon(Command(TCommandId::FileCancel)->Action()->icon());
  BitBtn1->setToolTip(Command(TCommandId::FileCancel)->Action()->toolTip());
  BitBtn1->setStatusTip(Command(TCommandId::FileCancel)->Action()->statusTip());
  connect(BitBtn1, &QPushButton::clicked, this,
          [this] { Guarded([this] { Command(TCommandId::FileCancel)->Execute(); }); });
  connect(Command(TCommandId::FileCancel)->Action(), &QAction::changed, this,
          [this] { BitBtn1->setEnabled(Command(TCommandId::FileCancel)->Enabled()); });
  BitBtn1->setEnabled(Command(TCommandId::FileCancel)->Enabled());
}

void TFormMain::RunDocumentAction(TCommandId id) {
  const TCommandRow& row = CommandRow(id);
  TTreeNode* node = row.Act(FDoc, ChosenNodes());
  if (row.After & kAfterImages) AssignImages();
  // An undone or redone step over many nodes chooses them all again, as they were chosen.
  const bool replay = id == TCommandId::EditUndo || id == TCommandId::EditRedo;
  if (replay && !FDoc.ReplayedNodes().empty()) {
    SelectNodes(FDoc.ReplayedNodes());
    return;
  }
  if (!node) return;
  if (row.After & kAfterSelect) FTree.SetSelected(node);
  node->MakeVisible();
}

void TFormMain::RunSayingWhy(TCommandId id) {
  RunDocumentAction(id);
  if (FDoc.Declined() && !FDoc.Refusal().empty()) throw Exception(FDoc.Refusal());
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
    if (c->Id == TCommandId::FileOpen) {
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
    if (c->Id != TCommandId::FileOpen) {
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
