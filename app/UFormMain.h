#pragma once
// The main window: one document at a time, shown as an outline in TreeView1, with the file
// commands, the processing feedback of loads and saves, and the recent-files list. Its parts
// live in several files: UFormMain.cpp (layout and lifecycle), FormMainCommands.cpp (the
// command table and menus), FormMainFile.cpp (file commands, LoadFile, SaveFile, which call
// into the editor session), FormMainHost.cpp (the window as the session's host),
// FormMainProgress.cpp (stage and progress feedback), FormMainState.cpp (command states,
// hints and errors), FormMainEditing.cpp (node editing commands and the tree's own editing),
// FormMainClipboard.cpp (the clipboard commands), FormMainSelection.cpp (a selection of many
// nodes),
// FormMainTools.cpp (search, view and help commands), FormMainSearch.cpp (Find All, the Results
// pane, Replace and Copy XPath), FormMainRecovery.cpp (the recovery file and changes made on
// disk by other programs).

#include <QElapsedTimer>
#include <QMainWindow>
#include <array>
#include <memory>
#include <span>
#include <string>

#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/DiskWatch.h"
#include "app/Images.h"
#include "app/OutlineView.h"
#include "app/QtFormStorage.h"
#include "app/Recovery.h"
#include "app/ReopenMenu.h"
#include "editor/Commands.h"
#include "editor/EditorSession.h"
#include "settings/ZelReopen.h"
#include "treedoc/ZelXMLTree.h"

class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QShortcut;
class QPushButton;
class QToolBar;
class QToolButton;

namespace zel {

class TFindDialog;
class TResultsPane;
class TTreeModel;

class TFormMain : public QMainWindow {
  Q_OBJECT

  // The session's way out: the window's dialogs, status bar and progress panel
  // (FormMainHost.cpp).
  class THost : public IEditorHost {
   public:
    explicit THost(TFormMain& form) : F(form) {}
    int MessageBox(const std::string& text, const std::string& arg, const std::string& caption,
                   unsigned flags) override;
    bool AskSaveName(std::string& name) override;
    void Beep() override;
    void BeginProcess(const std::string& name, bool saving) override;
    void EndProcess() override;
    void StateChange(TZelXMLTreeStates state) override;
    void Progress(TZelXMLTreeStates state, uint16_t percent) override;
    void Pump() override;
    void ProcessCancelled() override;
    void Status(const std::string& text) override;
    void UpdateCommands() override;
    void Remember(const std::string& file) override;
    void Forget(const std::string& file) override;
    void FileRecorded(const std::string& file) override;
    void DiskReported() override;
    void Saved(const std::string& file) override;

   private:
    TFormMain& F;
  };
  THost FHost{*this};
  // The document's life: loads, saves, questions, the file as last loaded or saved.
  TEditorSession FSession{FHost};

 public:
  // `dialogs` answers every question and dialog; null takes Qt's dialogs.
  explicit TFormMain(IDialogs* dialogs = nullptr, QWidget* parent = nullptr);
  ~TFormMain() override;

  // A file to open after the first show, as a recent file is opened.
  void SetStartFile(const std::string& fileName) { FStartFile = fileName; }

  // The document's life; the window shows it.
  TEditorSession& Session() { return FSession; }
  // The file of the load or save running or last run.
  const std::string& ProcessFileName() const { return FProcessFileName; }
  bool Busy() const { return FBusy; }
  TFileDialog& OpenDialog() { return FOpenDialog; }
  TFileDialog& SaveDialog() { return FSaveDialog; }
  // The recent files, newest first, as the reopen menus show them.
  TZelReopen& RecentFiles() { return ZelReopen1; }

  // File commands and their routines, each a call into the session.
  void ZelReopen1ReopenMenuClick(const std::string& fileName);
  void FileSave1Execute();
  void FileSaveAs1BeforeExecute();
  void LoadFile(const std::string& name);
  void SaveFile(const std::string& name);

  // Keeps a recovery file in `folder` (the state folder) while the document has unsaved
  // changes, `delayMs` after the last change; call before the first show, which offers the
  // recovery files of editors that ended without saving, or says once why there are none
  // (a folder that is not private to the user).
  void EnableRecovery(const std::string& folder, int delayMs = 3000);
  // The end of the process on SIGTERM, SIGHUP or SIGINT: a running load or save stops, a
  // modified document goes to its recovery file, and the event loop ends with 128 + signal.
  void EndOnSignal(int signal);

  // Feedback of the tree document component.
  void ZelXMLTree1StateChange(TZelXMLTree& sender, TZelXMLTreeStates state);
  void ZelXMLTree1Progress(TZelXMLTree& sender, TZelXMLTreeStates state, uint16_t percent);
  // Command states, caption and status bar; runs at every idle cycle.
  void FileNew1Update();
  // The tree's questions, and a search with the dialog's direction, or toward the top when
  // `down` is false.
  bool TreeView1DragOver(TTreeNode* dragged, TTreeNode* target);
  void TreeView1DragDrop(TTreeNode* dragged, TTreeNode* target);
  void FindDialog1Find(bool down = true);

  // The command of that id (Commands.h), named as in the command table ("FileSave1").
  TCommand* Command(TCommandId id) const { return FCommands[static_cast<size_t>(id)].get(); }
  // The window's side of a command: how it shows and where, and its handler where the command
  // needs the window. Without one the command's document action runs.
  struct TWindowRow {
    TCommandId Id;
    const char *Caption, *Hint;  // hint "Short|Long" (SetHint)
    const char* Keys;            // "; " between several keys
    const char* Icon;            // the picture's name (CommandIcon); null: none
    unsigned Places;
    void (*Execute)(TFormMain& form);
  };
  // One row per command, in the order of the menus, the tool bar and the context menu.
  static std::span<const TWindowRow> WindowRows();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Components, named as the design names them; each widget's object name is its member's.
  QToolBar* ToolBar1 = nullptr;
  QToolButton* OpenButton = nullptr;
  TOutlineView* TreeView1 = nullptr;
  QFrame* PnlProgress = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  // "StatusPanels0" to "StatusPanels2".
  QLabel* StatusPanels[3] = {};
  // Their designed widths: the last one takes the rest of the bar.
  static constexpr int kPanelWidths[3] = {100, 64, 50};
  QMenuBar* MainMenu1 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QMenu* PUReopen = nullptr;
  QMenu* MnReopen = nullptr;
  TImageList ilTree;
  TZelReopen ZelReopen1;
  TFindDialog* FindDialog1 = nullptr;
  // Under the outline, hidden until Find All lists something.
  TResultsPane* Results = nullptr;
  // In the order of the window's command table.
  std::vector<TCommand*> ActionList1;
  // Placement and stored properties; made after the components it stores.
  std::unique_ptr<TQtFormStorage> FormStorage1;

  bool Modified() const { return FDoc.Modified(); }
  QString PanelText(int panel) const;

  // Lifecycle (Delphi-style handlers; Qt's events call them).
  void FormCreate();
  void FormShow();
  void FormCloseQuery(bool& canClose);
  void FormClose();
  void ResetDocument();
  bool QuerySaveChanges();

  // File commands.
  void FileNew1Execute();
  void FileOpen1Accept();
  void FileRevert1Execute();
  void FileSaveAs1Accept();
  void FileCancel1Execute();
  void AssignImages();
  // Offers the recovery files of editors that ended without saving, one after the other; true
  // when one was opened. A damaged one is reported (with the question whether to delete it)
  // and the next offered.
  bool OfferRecovery();

  void ZelXMLTree1Pump();
  // The stage's message with the percentage, and the progress bar, when the percentage moved.
  void ShowProgress(TZelXMLTreeStates state, uint16_t percent);
  // Shows a failure's message in the "Error" box; the window goes on.
  void ApplicationEvents1Exception(const QString& message);

  // Node editing commands and the tree's own editing.
  void EditAdd1Execute();
  void EditModify1Execute();
  void EditDelete1Execute();
  void EditCut1Execute();
  void EditCopy1Execute();
  void EditPaste1Execute();
  void TreeView1Edited(TTreeNode* node, const QString& text);
  void TreeView1DblClick();

  // Search, view and help commands.
  void SearchFind1Execute();
  void ViewFont1Execute();
  void ViewTooltipsExecute();
  void HelpWebSite1Execute();
  void HelpAbout1Execute();
  QString GetTreeStatistic();

  // Find All, Replace and the Results pane (FormMainSearch.cpp).
  void CreateResults();
  void FindDialog1FindAll();
  void ShowResults();
  void FindDialog1Replace();
  void FindDialog1ReplaceAll();
  void ResultsNodeChosen(TTreeNode* node);
  void EditCopyXPath1Execute();
  void ViewResults1Execute();
  // The pane's check mark and what the find dialog offers, at every idle cycle.
  void UpdateSearchParts(const TCommandInput& in);
  // The new texts as one step named `name`, the Results pane keeping its rows.
  bool ApplyTexts(std::vector<TTextChange> changes, const char* name);

  void CreateLayout();
  void CreateCommands();
  void CreateMenus();
  void CreateToolBar();
  void ConnectTree();
  void ConnectEditing();
  void CreateFormStorage();
  void SyncViewFromModel();
  // Runs a change of the view or of the outline that the other side must not echo back.
  void Sync(const std::function<void()>& change);
  void LetMessagesRun();
  void StartPumpClock();
  void OpenStartFile();
  void SetPanel(int panel, const QString& text);
  // The stage word and message of `state` in the status bar.
  void ShowStage(TZelXMLTreeStates state);
  static const char* StageWord(TZelXMLTreeStates state);
  // The position and state panels as wide as their widest texts for this document need.
  void FitStatusPanels(int nodeCount);
  QString ProcessDisplayName() const;
  // After an editing command: marks the document when it made no undo step.
  void Changed(bool stepMade);
  // Modify's change of the node's text: false when the user declined it at a question, and a
  // text the placement rules refuse throws why.
  bool ModifyNode(TTreeNode* node, const std::string& text);
  // The tree's text colour, which goes with its font.
  QColor TreeColor() const;
  // The progress panel shown or hidden, with the Esc key that goes with it.
  void ShowProgressPanel(bool visible);
  // The feedback of a load, save or paste on `name`: busy cursor, progress panel; and its end.
  void BeginProcess(const std::string& name);
  void EndProcess();
  // Reads pasted text into `into` as a load does, with its stages, progress and Cancel; false
  // when cancelled.
  bool ReadPasted(const std::string& text, TTreeView& into);
  // What the stage messages of a paste name.
  static constexpr char kClipboardName[] = "Clipboard";
  // Recovery and disk watch at every idle cycle; the disk question comes once the window is
  // free to ask.
  void IdleChecks();
  bool CanAskAboutDisk() const;
  void CheckDisk();

  // The nodes the commands on many nodes work on: the outline's selected rows when there are
  // several, else none (the current node alone). Kept until the selection or the outline
  // changes (FormMainSelection.cpp).
  const TNodeSelection& ChosenNodes();
  // Selects the nodes (in document order) in the outline, the first one current.
  void SelectNodes(const std::vector<TTreeNode*>& nodes);
  void ConnectSelection();
  // The selection when `dragged` is one of several selected nodes, else null.
  const TNodeSelection* DraggedNodes(TTreeNode* dragged);
  TNodeSelection FChosen;
  bool FChosenStale = true;
  unsigned long FChosenAt = 0;

  // The command's document action, and what the window shows of it.
  void RunDocumentAction(TCommandId id);
  // The same, and the document's reason in the error box when it refused.
  void RunSayingWhy(TCommandId id);

  std::array<std::unique_ptr<TCommand>, kCommandCount> FCommands;

  IDialogs* FDialogs;
  std::unique_ptr<IDialogs> FOwnDialogs;
  // Every change to the outline goes through the document, which can undo it.
  TOutlineDocument& FDoc = FSession.Document();
  // The component of the session, by the name the design gives it.
  TZelXMLTree& ZelXMLTree1 = FSession.Component();
  QFrame* PnlTree = nullptr;
  TTreeView& FTree = FDoc.Tree();
  TTreeModel* FModel = nullptr;
  QShortcut* FEscape = nullptr;
  std::unique_ptr<TQtReopenMenu> FReopenMenu, FDropDownMenu;
  TFileDialog FOpenDialog, FSaveDialog;
  std::unique_ptr<TRecovery> FRecovery;
  // Why recovery is off, until the window has said it once.
  QString FRecoveryOff;
  TDiskWatch FDiskWatch;

  std::string FProcessFileName;
  bool FBusy = false;
  bool FIsUnicode = false;

  // Kept from the clipboard's change signal: asking the clipboard at every idle cycle would
  // ask the display server each time.
  bool FClipboardHasText = false;
  bool FShown = false;
  bool FUpdating = false;
  bool FSyncingView = false;
  bool FCloseWhenStopped = false;
  std::string FStartFile;
  QElapsedTimer FPumpClock;
  // The longest time between two runs of queued messages during the last load or save.
  qint64 FLongestGapMs = 0;
  uint32_t FPumpTick = 0;
  int FLastPercent = -1;
  QString FPanelsFittedFor;
};

}  // namespace zel
